#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

//
// The shared base of the handlers whose records carry points with optional
// per-vertex and per-face attributes: shells, meshes and poly-cylinders. It owns
// the points and every attribute, writes and reads the points quantised
// (write_trivial_points and read_trivial_points), writes and reads the
// attribute section that follows a shell or mesh record when sub-option bit 0x08
// is set (its own Write and Read), reorders its arrays when an encoder renumbers
// vertices or faces, and carries a collection of member records.
//
// Every attribute is either absent (its array empty) or held for every item;
// flags say which items carry it, and its count how many do. An attribute held
// by every item is written as an all-items record, one held by some items as a
// some-items record listing them.
//
// The arrays always match the point and face counts: SetPoints and the
// subclass's face count fit the attribute arrays to them, and a writer refuses
// arrays that do not.
//
class TK_Polyhedron : public BBaseOpcodeHandler
{
public:
    // Which attributes a vertex carries (vertex flags).
    enum : std::uint32_t
    {
        Vertex_Normal = 0x01,
        Vertex_Parameter = 0x02,
        Vertex_Color = 0x04, // channel c: Vertex_Color << c (0x04, 0x08, 0x10)
        Vertex_Index = 0x20, // channel c: Vertex_Index << c (0x20, 0x40, 0x80)
    };
    // Which attributes a face carries (face flags).
    enum : std::uint32_t
    {
        Face_Color = 0x01,
        Face_Index = 0x02,
    };
    // The sub-option byte of shell and mesh records.
    enum : unsigned char
    {
        Subop_Quantized = 0x01,       // points quantised against a box and bit-packed
        Subop_Always = 0x02,          // set on every shell; no reader consults it
        Subop_Triangle_Strips = 0x04, // the face list holds triangle strips
        Subop_Attributes = 0x08,      // the attribute section follows the record
        Subop_No_Index = 0x10,        // the key has no index: no index field
        Subop_Bounding_Only = 0x20,   // the record is only a bounding box
        Subop_Connectivity = 0x40,    // edge-breaker connectivity compression
        Subop_Second_Word = 0x80,     // the second sub-option word follows
    };
    // The second sub-option word.
    enum : unsigned short
    {
        Subop2_Collection = 0x0001,          // member records follow
        Subop2_Null = 0x0002,                // no geometry
        Subop2_Negative_Faces = 0x0004,      // the face list has negative entries (holes)
        Subop2_Global_Quantization = 0x0008, // boxes are the toolkit's world bounding box
    };
    // Compression schemes of points and normals.
    enum : unsigned char
    {
        Scheme_Trivial = 1,     // points quantised by write_trivial_points
        Scheme_Repulse = 3,     // normals: never written, refused on reading
        Scheme_Raw = 4,         // raw points
        Scheme_Edgebreaker = 5, // edge-breaker block
        Scheme_Polar = 7,       // normals as quantised polar angle pairs
    };
    static constexpr int Channels = 3;

    explicit TK_Polyhedron(int opcode);
    ~TK_Polyhedron() override;

    // Remembers the key (the record's own, looked up and registered by the
    // subclasses' writers), then hands the handler to the observer.
    void serialize(TK_Key key = 0) override;

    // The attribute section: its records, then a terminating 0 byte. Subclasses
    // call these for the part of their record that follows sub-option bit 0x08.
    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    // Sets the sub-option byte and word of a shell from the toolkit's write
    // flags (Subop_Always always; quantised points unless raw points are
    // asked for; connectivity compression, plain faces or triangle strips,
    // global quantisation as the flags say; a bounding-only record when
    // `bounding_allowed`, the toolkit allows bounding shells and `lod_level` is
    // not 0).
    virtual TK_Status InitSubop(BStreamFileToolkit& tk, int lod_level, bool bounding_allowed);

    // ---- points and attributes. Each setter allocates its array when absent;
    // a null source only allocates. TK_Error when memory runs out.
    TK_Status SetPoints(int count, const float* points = nullptr);
    // Points whose normal is exactly (0, 0, 0) carry none.
    TK_Status SetVertexNormals(const float* normals = nullptr);
    TK_Status SetVertexParameters(const float* parameters = nullptr);
    // channel 0..2; red, green, blue in 0..1 per point.
    TK_Status SetVertexColors(int channel, const float* colors = nullptr);
    // channel 0..2; one index value per point.
    TK_Status SetVertexIndices(int channel, const float* indices = nullptr);
    TK_Status SetFaceColors(const float* colors = nullptr);
    TK_Status SetFaceIndices(const float* indices = nullptr);
    TK_Status SetFaceRegions(const int* regions = nullptr);
    // One item at a time: the item then carries the attribute (TK_Error for an
    // item out of range).
    TK_Status SetVertexNormal(int vertex, const float normal[3]);
    TK_Status SetVertexParameter(int vertex, const float parameter[3]);
    TK_Status SetVertexColor(int channel, int vertex, const float color[3]);
    TK_Status SetVertexIndex(int channel, int vertex, float index);
    TK_Status SetFaceColor(int face, const float color[3]);
    TK_Status SetFaceIndex(int face, float index);

    int GetPointCount() const { return m_point_count; }
    int GetFaceCount() const { return m_face_count; }
    // Null when absent.
    const float* GetPoints() const { return data_or_null(m_points); }
    const float* GetVertexNormals() const { return data_or_null(m_normals); }
    const float* GetVertexParameters() const { return data_or_null(m_parameters); }
    const float* GetVertexColors(int channel) const;
    const float* GetVertexIndices(int channel) const;
    const float* GetFaceColors() const { return data_or_null(m_face_colors); }
    const float* GetFaceIndices() const { return data_or_null(m_face_indices); }
    const int* GetFaceRegions() const { return data_or_null(m_face_regions); }
    const std::uint32_t* GetVertexFlags() const { return data_or_null(m_vertex_flags); }
    const std::uint32_t* GetFaceFlags() const { return data_or_null(m_face_flags); }
    // How many items carry each attribute.
    int GetVertexNormalCount() const { return m_normal_count; }
    int GetVertexParameterCount() const { return m_parameter_count; }
    int GetVertexColorCount(int channel) const;
    int GetVertexIndexCount(int channel) const;
    int GetFaceColorCount() const { return m_face_color_count; }
    int GetFaceIndexCount() const { return m_face_index_count; }
    bool HasVertexAttributes() const;
    bool HasFaceAttributes() const;

    void SetSubop(unsigned char subop) { m_subop = subop; }
    unsigned char GetSubop() const { return m_subop; }
    void SetSubop2(unsigned short subop2) { m_subop2 = subop2; }
    unsigned short GetSubop2() const { return m_subop2; }
    void SetBounding(const float box[6]);
    const float* GetBounding() const { return m_bbox; }
    void SetKey(TK_Key key) { m_key = key; }
    TK_Key GetKey() const { return m_key; }
    unsigned char GetCompressionScheme() const { return m_compression_scheme; }
    void SetCompressionScheme(unsigned char scheme) { m_compression_scheme = scheme; }
    // Bits per sample of the last quantised record written or read.
    int GetBitsPerSample() const { return m_bits_per_sample; }

    // A record written before the terminator of the collection (the polyhedron
    // owns it); no writer of this system makes one.
    void AppendToCollection(std::unique_ptr<BBaseOpcodeHandler> member);
    int GetCollectionSize() const { return static_cast<int>(m_collection.size()); }
    // When set, Write of a shell is delegated to it; Reset deletes it.
    void SetReplacement(std::unique_ptr<BBaseOpcodeHandler> replacement);
    BBaseOpcodeHandler* GetReplacement() const { return m_replacement.get(); }

    // The buffer the quantiser and the encoders fill; it grows and is kept.
    std::vector<std::uint8_t>& EncodedData() { return m_encoded; }

    // ---- renumbering: new[i] = old[map[i]] for i below new_count. Every map
    // entry must name an existing item.
    virtual TK_Status mangle_points(BStreamFileToolkit& tk, int new_count, const int* map);
    virtual TK_Status mangle_point_attributes(BStreamFileToolkit& tk, int new_count,
                                              const int* map);
    virtual TK_Status mangle_faces(BStreamFileToolkit& tk, int new_count, const int* map);

protected:
    // The points as a scheme-1 record: scheme byte 1, point count, the box
    // (unless quantised against the world box), bits, the packed length (from
    // version 650) and the packed bytes.
    virtual TK_Status write_trivial_points(BStreamFileToolkit& tk);
    // Its mirror, from the point count on (the scheme byte is the caller's).
    virtual TK_Status read_trivial_points(BStreamFileToolkit& tk);
    // Each member's record, a terminator, then (when `tag`) TagPendingKeys.
    virtual TK_Status write_collection(BStreamFileToolkit& tk, bool tag, int variant);
    // Member records up to a terminator, each read by the toolkit's handler of
    // its opcode and dropped.
    virtual TK_Status read_collection(BStreamFileToolkit& tk);

    // Fits every per-face array to a new face count.
    void set_face_count(int count);
    // Fits every per-vertex array (and the flags) to the point count, then recounts.
    void fit_vertex_arrays();
    // Each attribute's count from the flags; the bits of absent attributes are cleared.
    void recount_vertex_attributes();
    void recount_face_attributes();
    // TK_Error unless every present array matches the point and face counts.
    TK_Status check_arrays(BStreamFileToolkit& tk) const;

    int m_point_count = 0;
    int m_face_count = 0;
    std::vector<float> m_points;
    std::vector<float> m_normals;
    std::vector<float> m_parameters;
    std::vector<float> m_face_colors;
    std::vector<float> m_face_indices;
    std::array<std::vector<float>, Channels> m_vertex_colors;
    std::array<std::vector<float>, Channels> m_vertex_indices;
    std::vector<int> m_face_regions;
    std::vector<std::uint32_t> m_vertex_flags;
    std::vector<std::uint32_t> m_face_flags;
    int m_normal_count = 0;
    int m_parameter_count = 0;
    int m_face_color_count = 0;
    int m_face_index_count = 0;
    std::array<int, Channels> m_vertex_color_count{};
    std::array<int, Channels> m_vertex_index_count{};

    unsigned char m_subop = 0;
    unsigned short m_subop2 = 0;
    unsigned char m_compression_scheme = 0;
    unsigned char m_bits_per_sample = 0;
    float m_bbox[6] = {};
    TK_Key m_key = -1;
    std::unique_ptr<BBaseOpcodeHandler> m_replacement;
    std::vector<std::uint8_t> m_encoded;
    int m_encoded_length = 0;
    std::vector<std::unique_ptr<BBaseOpcodeHandler>> m_collection;

private:
    // The kinds of attribute records, in the order the section writes them.
    enum class Kind : unsigned char
    {
        Normals,
        Parameters,
        Vertex_Colors,
        Vertex_Indices,
        Face_Colors,
        Face_Indices,
    };
    struct Attribute
    {
        Kind kind;
        int channel;
    };
    // Which fields a record has, for its kind, form and the stream's version.
    struct Layout
    {
        bool scheme = false;
        bool box_before_bits = false;
        bool bits = false;
        bool box_after_bits = false;
        bool length = false;
        enum Data : unsigned char
        {
            Packed, // quantised, bit-packed (or the byte form at 8 bits, 3 components)
            Bytes,  // the byte form, 3 bytes an item
            Floats, // raw float32
        } data = Packed;
        int components = 3;
    };
    // The record in hand while reading.
    struct Record
    {
        Attribute attribute{Kind::Normals, 0};
        bool some = false;  // lists its items
        bool raw = false;   // raw normals
        bool polar = false; // normals as angle pairs
        Layout layout;
        int items = 0; // points or faces
        int count = 0; // items in the record
        int length = 0;
        std::vector<std::uint8_t> list_bytes;
        std::vector<int> list;
        std::vector<float> values;
    };

    template <class T> static const T* data_or_null(const std::vector<T>& values)
    {
        return values.empty() ? nullptr : values.data();
    }

    void release_arrays();

    static Layout layout_of(Kind kind, bool raw, int version);
    int items_of(Kind kind) const
    {
        return kind >= Kind::Face_Colors ? m_face_count : m_point_count;
    }
    std::vector<float>& array_of(const Attribute& attribute);
    std::vector<std::uint32_t>& flags_of(Kind kind);
    std::uint32_t flag_of(const Attribute& attribute) const;
    int& count_of(const Attribute& attribute);

    TK_Status write_section(BStreamFileToolkit& tk);
    TK_Status read_section(BStreamFileToolkit& tk);
    TK_Status write_attribute(BStreamFileToolkit& tk, const Attribute& attribute);
    TK_Status prepare_attribute(BStreamFileToolkit& tk, const Attribute& attribute, bool& skip);
    TK_Status write_face_regions(BStreamFileToolkit& tk);
    TK_Status write_section_collection(BStreamFileToolkit& tk);
    TK_Status begin_record(BStreamFileToolkit& tk);
    TK_Status read_attribute(BStreamFileToolkit& tk);
    TK_Status store_attribute(BStreamFileToolkit& tk);
    TK_Status read_face_regions(BStreamFileToolkit& tk);

    // Resumption points: write_trivial_points and read_trivial_points; the
    // attribute section; the record in hand; the item in a per-item loop; the
    // collection.
    int m_points_stage = 0;
    int m_section_stage = 0;
    int m_record_stage = 0;
    int m_item = 0;
    int m_collection_stage = 0;
    int m_collection_item = 0;
    // The sub-opcode being written or read (also the section's terminating 0).
    unsigned char m_sub_opcode = 0;
    // Reading points: the count and packed length read so far.
    int m_read_count = 0;
    int m_read_length = 0;
    // The record in hand while writing: its bytes before the packed or raw
    // data, and the raw floats that follow them when it is not packed.
    std::vector<std::uint8_t> m_header;
    std::vector<float> m_raw;
    bool m_payload_packed = false;
    Record m_record;
    float m_attribute_box[6] = {};
    // Face regions being read: compression byte, run count, entries.
    unsigned char m_region_compression = 0;
    int m_region_runs = 0;
    std::vector<int> m_region_entries;
    // A collection is being read: a polyhedron met again inside it is refused,
    // so nested collections cannot overwrite a handler in use.
    bool m_reading_collection = false;
    unsigned char m_member_opcode = 0;
};
