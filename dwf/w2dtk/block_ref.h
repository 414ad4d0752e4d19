#pragma once

#include "dwf/w2dtk/block_fields.h"
#include "dwf/w2dtk/item_list.h"
#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/matrix.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"

#include <array>
#include <cstdint>

// The start of a block: names the block's format and carries the properties
// that format calls for. The file keeps every reference written or read in its
// directory; at close each is rewritten in place with its final block size,
// so every number that can change is written in a fixed width.
//
// The 36 properties are positional; their order, types and presence per
// format are fixed by the stream and the names below only count them.
class WT_Block_Ref : public WT_Item, public WT_Attribute
{
public:
    enum WT_Format : std::uint16_t
    {
        Graphics_Hdr = 335,
        Overlay_Hdr = 336,
        Redline_Hdr = 337,
        Thumbnail = 338,
        Preview = 339,
        Overlay_Preview = 340,
        EmbedFont = 341,
        Graphics = 342,
        Overlay = 343,
        Redline = 344,
        User = 345,
        Null = 346,
        Global_Sheet = 347,
        Global = 348,
        Signature = 349,
        BlockRef = 350,
    };

    static constexpr int Property_Count = 36;

    WT_Block_Ref();
    explicit WT_Block_Ref(std::uint16_t format);
    // Copies the format, entry size, file offset, block size and only the
    // properties the format carries.
    WT_Block_Ref(const WT_Block_Ref& other);
    WT_Block_Ref& operator=(const WT_Block_Ref& other);

    std::uint16_t format() const { return m_format; }
    void set_format(std::uint16_t format);
    // The word of a format (null outside 335 to 349).
    static const char* format_word(std::uint16_t format);
    // Whether a format carries property 1 to 36.
    static bool carries(std::uint16_t format, int property);

    // Bytes of this reference in binary form inside a directory.
    std::uint32_t entry_size() const { return m_entry_size; }
    // The binary operand size ("{" frame size), with or without the offset.
    std::uint32_t binary_operand_size(bool with_offset) const;

    std::uint32_t file_offset() const { return m_file_offset; }
    void set_file_offset(std::uint32_t offset) { m_file_offset = offset; }
    std::uint32_t block_size() const { return m_block_size; }
    void set_block_size(std::uint32_t size) { m_block_size = size; }

    // GUIDs 1 to 6, times 1 to 7, flags 1 to 6, integers 1 and 2, shorts 1 and
    // 2, reals: first real (0), first pair (1, 2), second pair (3, 4).
    WT_Guid guid(int n) const { return m_guids.at(std::size_t(n - 1)); }
    void set_guid(int n, const WT_Guid& guid) { m_guids.at(std::size_t(n - 1)) = guid; }
    WT_File_Time time(int n) const { return m_times.at(std::size_t(n - 1)); }
    void set_time(int n, const WT_File_Time& time) { m_times.at(std::size_t(n - 1)) = time; }
    bool flag(int n) const { return m_flags.at(std::size_t(n - 1)); }
    void set_flag(int n, bool on) { m_flags.at(std::size_t(n - 1)) = on; }
    std::int32_t integer(int n) const { return m_integers.at(std::size_t(n - 1)); }
    void set_integer(int n, std::int32_t v) { m_integers.at(std::size_t(n - 1)) = v; }
    std::int16_t short_value(int n) const { return m_shorts.at(std::size_t(n - 1)); }
    void set_short_value(int n, std::int16_t v) { m_shorts.at(std::size_t(n - 1)) = v; }
    double real(int i) const { return m_reals.at(std::size_t(i)); }
    void set_real(int i, double v) { m_reals.at(std::size_t(i)) = v; }
    WT_Logical_Point point(int n) const { return m_points.at(std::size_t(n - 1)); }
    void set_point(int n, const WT_Logical_Point& p) { m_points.at(std::size_t(n - 1)) = p; }
    std::int32_t triple(int i) const { return m_triple.at(std::size_t(i)); }
    void set_triple(int i, std::int32_t v) { m_triple.at(std::size_t(i)) = v; }
    WT_Encryption& encryption() { return m_encryption; }
    WT_Block_Meaning& block_meaning() { return m_meaning; }
    WT_Orientation& orientation() { return m_orientation; }
    WT_Alignment& alignment() { return m_alignment; }
    WT_Password password() const { return m_password; }
    void set_password(const WT_Password& password) { m_password = password; }
    WT_Matrix matrix() const { return m_matrix; }
    void set_matrix(const WT_Matrix& matrix) { m_matrix = matrix; }

    WT_ID object_id() const override { return Block_Ref_ID; }
    int action_slot() const override { return 5; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

    // The full forms: inside a directory the file offset is written; a
    // rewrite neither takes a new offset nor joins the directory.
    WT_Result serialize(WT_File& file, bool inside_directory, bool rewrite);
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file, bool with_offset);
    // Makes this the reference last written without writing it.
    WT_Result record_as_last_written(WT_File& file) const;

private:
    void copy_from(const WT_Block_Ref& other);
    WT_Result write_property(WT_File& file, int property) const;
    WT_Result read_property(const WT_Opcode& opcode, WT_File& file, int property);
    WT_Result read_nested(WT_File& file, WT_Object& member, std::uint16_t number, const char* name);
    WT_Result read_operand(const WT_Opcode& opcode, WT_File& file, bool with_offset, bool& known);

    std::uint16_t m_format = Null;
    std::uint32_t m_entry_size = 0;
    std::uint32_t m_file_offset = 0;
    std::uint32_t m_block_size = 0;

    std::array<WT_Guid, 6> m_guids;
    std::array<WT_File_Time, 7> m_times;
    std::array<bool, 6> m_flags{};
    std::array<std::int32_t, 2> m_integers{};
    std::array<std::int16_t, 2> m_shorts{};
    std::array<double, 5> m_reals{};
    std::array<WT_Logical_Point, 2> m_points{};
    std::array<std::int32_t, 3> m_triple{};
    WT_Encryption m_encryption;
    WT_Block_Meaning m_meaning;
    WT_Orientation m_orientation;
    WT_Alignment m_alignment;
    WT_Password m_password;
    WT_Matrix m_matrix;

    // Reading state: the property being read (0 the format word, 37 the
    // close), a step inside it, and the opcode of a nested field.
    int m_stage = 0;
    int m_step = 0;
    bool m_unknown_word = false;
    WT_Opcode m_scratch;
};
