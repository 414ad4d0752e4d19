#pragma once

#include "dwf/w2dtk/attribute_set.h"
#include "dwf/w2dtk/compressor.h"
#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/opcode_statistics.h"
#include "dwf/w2dtk/result.h"
#include "dwf/w2dtk/rgba.h"
#include "dwf/w2dtk/string.h"
#include "dwf/w2dtk/transform.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class WT_Dash_Pattern_List;
class WT_Directory;
class WT_Drawable;
class WT_Layer_List;
class WT_Object;
class WT_Text_Metrics;

// The one object through which a W2D stream is written or read. Writing is
// modal: an attribute goes out only when a drawable needs a value different from
// the one last written. Reading is resumable: a read that lacks input returns
// WT_Result_Waiting_For_Data and is repeated once more input has arrived.
class WT_File
{
public:
    enum WT_File_Mode
    {
        File_Inactive = 0,
        File_Read = 1,
        File_Write = 2,
        Block_Write = 3,
        Block_Read = 4,
        Block_Append = 5,
    };

    // Stream procedures; replaceable so that the bytes may come from or go to
    // anywhere. They reach their state through stream_user_data().
    using Stream_Open_Action = WT_Result (*)(WT_File& file);
    using Stream_Close_Action = WT_Result (*)(WT_File& file);
    using Stream_Read_Action = WT_Result (*)(WT_File& file, std::size_t wanted,
                                             std::size_t& delivered, void* buffer);
    using Stream_Write_Action = WT_Result (*)(WT_File& file, std::size_t count, const void* bytes);
    using Stream_Seek_Action = WT_Result (*)(WT_File& file, long distance, long& moved);
    using Stream_End_Seek_Action = WT_Result (*)(WT_File& file);
    using Stream_Tell_Action = WT_Result (*)(WT_File& file, unsigned long& position);

    // What happens to an object once read; slots 1 to 78, one per kind. An empty
    // slot runs the kind's default_process.
    using Action_Procedure = std::function<WT_Result(WT_Object& object, WT_File& file)>;
    static constexpr int Action_Slot_Count = 78;

    // Output and reading choices.
    struct WT_File_Heuristics
    {
        bool m_allow_data_compression = false;
        bool m_allow_indexed_colors = true;
        bool m_allow_binary_data = true;
        bool m_allow_drawable_merging = true;
        bool m_apply_transform = false;
        bool m_apply_transform_to_units_matrix = true;
        WT_Transform m_transform;
        int m_target_version = 600;
        bool m_deferred_delete = false; // the caller keeps read objects
        bool m_broken_producer = false; // streams needing the compatibility treatment
        bool m_w2d_channel = false;     // the stream began with "(W2D V"
        bool m_flag_4 = false;
        bool m_flag_5 = false;
        bool m_flag_6 = false;
        bool m_flag_7 = false;
    };

    // Upper bound for one operand held in memory (strings, captured unknown
    // opcodes, colour maps): sizes announced by a stream beyond it are corrupt.
    static constexpr std::size_t Max_Operand_Bytes = std::size_t(1) << 28;

    WT_File();
    ~WT_File();
    WT_File(const WT_File&) = delete;
    WT_File& operator=(const WT_File&) = delete;

    // --- set-up and lifecycle
    void set_filename(const char16_t* name);
    void set_filename(const wchar_t* name);
    void set_filename(const char* name); // UTF-8
    const WT_String& filename() const { return m_filename; }
    void set_file_mode(int mode); // throws WT_Result_Usage_Error for mode 5 at version 600+
    int file_mode() const { return m_mode; }
    WT_Result open();
    // Always finishes: writes what remains, closes the stream and reports the
    // first failure.
    WT_Result close();
    bool is_open() const { return m_stream_open_now; }

    void set_target_version(int version);
    int target_version() const { return m_heuristics.m_target_version; }
    WT_File_Heuristics& heuristics() { return m_heuristics; }
    const WT_File_Heuristics& heuristics() const { return m_heuristics; }
    void set_allow_binary_data(bool on) { m_heuristics.m_allow_binary_data = on; }
    void set_allow_data_compression(bool on) { m_heuristics.m_allow_data_compression = on; }
    void set_allow_indexed_colors(bool on) { m_heuristics.m_allow_indexed_colors = on; }
    void set_allow_drawable_merging(bool on) { m_heuristics.m_allow_drawable_merging = on; }
    bool binary_output() const { return m_heuristics.m_allow_binary_data; }

    // Stream version read from the header (major × 100 + minor).
    int stream_version() const { return m_rendition->stream_version(); }

    // --- stream procedures
    void set_stream_open_action(Stream_Open_Action a) { m_stream_open = a; }
    void set_stream_close_action(Stream_Close_Action a) { m_stream_close = a; }
    void set_stream_read_action(Stream_Read_Action a) { m_stream_read = a; }
    void set_stream_write_action(Stream_Write_Action a) { m_stream_write = a; }
    void set_stream_seek_action(Stream_Seek_Action a) { m_stream_seek = a; }
    void set_stream_end_seek_action(Stream_End_Seek_Action a) { m_stream_end_seek = a; }
    void set_stream_tell_action(Stream_Tell_Action a) { m_stream_tell = a; }
    Stream_Open_Action stream_open_action() const { return m_stream_open; }
    Stream_Read_Action stream_read_action() const { return m_stream_read; }
    Stream_Seek_Action stream_seek_action() const { return m_stream_seek; }
    Stream_End_Seek_Action stream_end_seek_action() const { return m_stream_end_seek; }
    Stream_Tell_Action stream_tell_action() const { return m_stream_tell; }
    void* stream_user_data() const { return m_stream_user_data; }
    void set_stream_user_data(void* data) { m_stream_user_data = data; }

    // --- action procedures
    void set_action(int slot, Action_Procedure procedure);
    const Action_Procedure& action(int slot) const;
    WT_Result call_action(int slot, WT_Object& object);

    // --- renditions
    WT_Attribute_Set& desired_rendition() { return m_desired_rendition; }
    WT_Attribute_Set& rendition() { return *m_rendition; }
    const WT_Attribute_Set& rendition() const { return *m_rendition; }

    // --- reading loop
    // One step: passes over the previous object (when never materialized),
    // reads the next opcode and builds its object. The caller then calls the
    // object's materialize with current_opcode() and, on success, its process.
    WT_Result get_next_object();
    WT_Object* object() { return m_current_object.get(); }
    // Takes the current object out of the loop, which then neither skips nor frees it.
    std::unique_ptr<WT_Object> take_object() { return std::move(m_current_object); }
    WT_Opcode& current_opcode() { return m_opcode; }
    std::uint32_t object_count() const { return m_object_count; }
    const WT_Opcode_Statistics* statistics() const { return m_statistics.get(); }
    WT_Opcode_Statistics* statistics() { return m_statistics.get(); }

    // --- byte level
    WT_Result write(std::size_t count, const void* bytes);
    // All or nothing: either count bytes are delivered or none are consumed.
    WT_Result read(std::size_t count, void* buffer);
    // Passes over count bytes without reading them now.
    void skip(std::uint64_t count) { m_pending_skip += count; }
    // Returns the byte just read to the input.
    void put_back(std::uint8_t byte);
    std::uint64_t logical_position() const { return m_logical_position; }
    std::uint64_t object_start_position() const { return m_object_start; }

    // Raw (compressed) input, for decompressors: the bytes handed back first,
    // then the stream. push_back_raw returns input a decompressor did not use.
    WT_Result read_raw(std::size_t wanted, std::size_t& delivered, void* buffer);
    void push_back_raw(const void* bytes, std::size_t count);
    // The compression marker number recorded by the reader (0 when none).
    int compression_marker() const { return m_compression_marker; }
    WT_Result record_compression_marker(int number);
    WT_Result write_raw(std::size_t count, const void* bytes); // bypasses the compressor

    // --- write primitives
    WT_Result write(const char* text);
    WT_Result write_byte(std::uint8_t value);
    WT_Result write_u16(std::uint16_t value);
    WT_Result write_s16(std::int16_t value);
    WT_Result write_u32(std::uint32_t value);
    WT_Result write_s32(std::int32_t value);
    WT_Result write_double(double value);
    WT_Result write(std::size_t count, const std::uint16_t* values);
    WT_Result write(std::size_t count, const std::int16_t* values);
    WT_Result write(std::size_t count, const std::uint32_t* values);
    WT_Result write(std::size_t count, const std::int32_t* values);
    WT_Result write(std::size_t count, const double* values);
    // 1..255 in one byte, 256..65,791 as a zero byte and value − 256; anything
    // else cannot be encoded (WT_Result_Usage_Error).
    WT_Result write_count(long count);
    static bool count_is_encodable(long count) { return count >= 1 && count <= 65791; }
    WT_Result write_ascii(std::uint32_t value);           // "%u"
    WT_Result write_ascii(std::int32_t value);            // "%d"
    WT_Result write_ascii(std::uint16_t value);           // "%d"
    WT_Result write_ascii(std::int16_t value);            // "%d"
    WT_Result write_padded_ascii(std::int32_t value);     // "%011d"
    WT_Result write_padded_ascii(std::uint32_t value);    // "%011u"
    WT_Result write_padded_ascii(double value);           // "%011g"
    WT_Result write_ascii_width6(std::int16_t value);     // "%6d"
    WT_Result write_ascii(double value);                  // "%.11g"
    WT_Result write_ascii(const WT_Logical_Point& point); // x,y
    WT_Result write_padded_ascii(const WT_Logical_Point& point);
    WT_Result write_ascii(std::size_t count, const WT_Logical_Point* points, bool padded = false);
    WT_Result write_hex(std::uint8_t value);
    WT_Result write_hex(std::size_t count, const std::uint8_t* data);
    WT_Result write_rgba(WT_RGBA32 color);       // red, green, blue, alpha bytes
    WT_Result write_ascii_rgba(WT_RGBA32 color); // r,g,b,a
    // An 8-bit string, bare when it can be read back as one word, else quoted.
    WT_Result write_quoted_string(const char* text, bool force_quotes = false);
    // A 16-bit string: "{" count units "}" in binary, "hhhh..." in ASCII.
    WT_Result write_wide_string(std::size_t length, const char16_t* units);
    WT_Result write_tab_level();         // ASCII only: CR LF and the indentation
    WT_Result write_continuation_line(); // as write_tab_level, then three blanks
    void increase_tab_level() { ++m_tab_level; }
    void decrease_tab_level()
    {
        if (m_tab_level > 0)
            --m_tab_level;
    }

    // --- read primitives (each resumable; 1 means repeat with more input)
    WT_Result read_byte(std::uint8_t& value)
    {
        // Most reads are single bytes already waiting in the read-ahead.
        if (m_pending_skip == 0 && m_read_ahead_head < m_read_ahead_end)
        {
            value = m_read_ahead[m_read_ahead_head++];
            ++m_logical_position;
            return WT_Result_Success;
        }
        return read(1, &value);
    }
    WT_Result read_u16(std::uint16_t& value);
    WT_Result read_s16(std::int16_t& value);
    WT_Result read_u32(std::uint32_t& value);
    WT_Result read_s32(std::int32_t& value);
    WT_Result read_double(double& value);
    WT_Result read(std::size_t count, std::uint16_t* values);
    WT_Result read(std::size_t count, std::int16_t* values);
    WT_Result read(std::size_t count, std::uint32_t* values);
    WT_Result read(std::size_t count, std::int32_t* values);
    WT_Result read(std::size_t count, double* values);
    WT_Result read_rgba(WT_RGBA32& color);
    WT_Result read_rgba(std::size_t count, WT_RGBA32* colors);
    WT_Result read_count(long& count);
    WT_Result skip_whitespace();
    WT_Result read_ascii(std::int32_t& value);
    WT_Result read_ascii(std::uint32_t& value);
    WT_Result read_ascii(std::uint16_t& value);
    WT_Result read_ascii(std::int16_t& value); // -32,768 to 32,767
    WT_Result read_ascii(double& value);
    WT_Result read_ascii(WT_Logical_Point& point);
    WT_Result read_ascii(WT_Logical_Box& box);
    // r,g,b,a; or, with allow_index, a single index into the current colour map.
    WT_Result read_ascii(WT_RGBA32& color, bool allow_index = true);
    WT_Result read_ascii(std::size_t count, WT_RGBA32* colors);
    WT_Result read_hex(std::uint8_t& value);
    WT_Result read_hex(std::size_t count, std::uint8_t* data);
    // A bare word or a quoted text of at most max_size bytes.
    WT_Result read_ascii_string(std::size_t max_size, std::string& text,
                                bool allow_initial_open_paren = false);

    // --- relative coordinates
    WT_Logical_Point update_current_point(const WT_Logical_Point& point);
    WT_Logical_Point de_relativize(const WT_Logical_Point& delta);
    const WT_Logical_Point& current_point() const { return m_current_point; }
    void set_current_point(const WT_Logical_Point& point) { m_current_point = point; }

    // --- delayed drawables
    WT_Result merge_or_delay_drawable(WT_Drawable& drawable);
    WT_Result dump_delayed_drawable();
    // Used by a drawable's delay: the copy becomes the pending drawable.
    void set_delayed_drawable(std::unique_ptr<WT_Drawable> drawable);
    WT_Drawable* delayed_drawable() { return m_delayed_drawable.get(); }

    // Layers already defined in the stream (written or read); emptied at open.
    WT_Layer_List& layer_list();

    // --- text and styling
    // The dash patterns written since open, so that each is defined once.
    WT_Dash_Pattern_List& dash_patterns() { return *m_dash_patterns; }
    // Measures text for the bounds of text drawables; the caller keeps it.
    // Without one, extents are unavailable and only positions count.
    void set_text_metrics(WT_Text_Metrics* metrics) { m_text_metrics = metrics; }
    WT_Text_Metrics* text_metrics() const { return m_text_metrics; }

    // Serial numbers for layers, viewports, contour sets and colour maps.
    std::int32_t next_object_serial() { return m_next_serial++; }

    // ---- geometry, units, views, viewports and layers (layer list, bounds)

    // ---- text, fonts, line and fill styling (dash patterns written)

    // ---- images, Gouraud shading, URLs and object nodes (object node list)
    // Nodes defined in this stream (written or read with their names).
    WT_Object_Node_List& defined_object_nodes() { return m_defined_object_nodes; }
    // The number of the node last written, from which binary nodes count
    // their differences; negative while none has been written.
    std::int64_t last_written_object_node() const { return m_last_written_object_node; }
    void set_last_written_object_node(std::int32_t number) { m_last_written_object_node = number; }

    // ---- blocks, groups and named views (block directory)
    // Every block reference written or read, with the offset at which it stands.
    WT_Directory& directory() { return *m_directory; }
    int tab_level() const { return m_tab_level; }

    // --- opcode reader state shared with WT_Opcode
    int& nesting_depth() { return m_nesting_depth; }
    bool header_read() const { return m_header_read; }
    void set_header_read(bool read) { m_header_read = read; }

private:
    friend class WT_Opcode;

    struct Skip_State
    {
        bool m_quote = false;
        bool m_escape = false;
        int m_stage = 0;
        std::uint64_t m_block_remaining = 0;
    };

    struct Read_State
    {
        int m_int_stage = 0;
        int m_double_stage = 0;
        int m_point_stage = 0;
        int m_box_stage = 0;
        int m_color_stage = 0;
        int m_hex_stage = 0;
        std::size_t m_array_done = 0;
        std::int64_t m_int_value = 0;
        int m_int_sign = 1;
        double m_double_value = 0;
        int m_double_sign = 1;
        double m_double_scale = 0.1;
        int m_double_exponent = 0;
        bool m_double_any_digit = false;
        std::int32_t m_point_x = 0;
        WT_Logical_Point m_box_min;
        int m_color_components[4] = {};
        std::uint8_t m_hex_high = 0;
        std::string m_string;
        std::uint8_t m_quote = 0;
        bool m_quoted = false;
        bool m_escaped = false;
        bool m_string_started = false;
        bool m_first_byte = false;
    };

    void reset_reading_state();
    WT_Result fill_read_ahead(std::size_t wanted);
    WT_Result read_decoded(std::size_t wanted, std::size_t& delivered, void* buffer);
    WT_Result discard_pending_skip();
    WT_Result read_ascii_integer(bool allow_sign, std::int64_t min, std::int64_t max,
                                 std::int64_t& value);
    WT_Result write_formatted(const char* format, ...);
    WT_Result stop_compressor();

    // Stream
    void* m_stream_user_data = nullptr;
    Stream_Open_Action m_stream_open;
    Stream_Close_Action m_stream_close;
    Stream_Read_Action m_stream_read;
    Stream_Write_Action m_stream_write;
    Stream_Seek_Action m_stream_seek;
    Stream_End_Seek_Action m_stream_end_seek;
    Stream_Tell_Action m_stream_tell;

    std::array<Action_Procedure, Action_Slot_Count + 1> m_actions;

    WT_String m_filename;
    int m_mode = File_Inactive;
    bool m_stream_open_now = false;
    WT_File_Heuristics m_heuristics;

    WT_Attribute_Set m_desired_rendition;
    std::unique_ptr<WT_Attribute_Set> m_rendition;

    WT_Opcode m_opcode;
    std::unique_ptr<WT_Object> m_current_object;
    std::unique_ptr<WT_Opcode_Statistics> m_statistics;
    std::uint32_t m_object_count = 0;

    WT_Logical_Point m_current_point;
    std::int32_t m_next_serial = 1;
    int m_tab_level = 0;

    // Input: raw bytes handed back by a decompressor, then the decoded
    // read-ahead from which every read is served.
    std::vector<std::uint8_t> m_raw_pushback;
    std::vector<std::uint8_t> m_read_ahead; // storage; bytes [head, end) are unread
    std::size_t m_read_ahead_head = 0;
    std::size_t m_read_ahead_end = 0;
    std::uint64_t m_pending_skip = 0;
    std::uint64_t m_logical_position = 0;
    std::uint64_t m_object_start = 0;

    Read_State m_read;
    Skip_State m_skip;
    int m_nesting_depth = 0;
    bool m_header_read = false;

    std::unique_ptr<WT_Compressor> m_compressor;
    std::unique_ptr<WT_Decompressor> m_decompressor;
    int m_compression_marker = 0;
    bool m_writing_through_compressor = false;

    std::unique_ptr<WT_Drawable> m_delayed_drawable;
    bool m_dumping_delayed_drawable = false;

    // Built on first use by the layer code (shared_ptr: the list type stays
    // incomplete here).
    std::shared_ptr<WT_Layer_List> m_layer_list;

    std::unique_ptr<WT_Dash_Pattern_List> m_dash_patterns;
    WT_Text_Metrics* m_text_metrics = nullptr;

    // images, Gouraud shading, URLs and object nodes
    WT_Object_Node_List m_defined_object_nodes;
    std::int64_t m_last_written_object_node = -1;

    // ---- blocks, groups and named views
    std::unique_ptr<WT_Directory> m_directory;
    WT_Result open_block_read();
    WT_Result open_block_append();
    WT_Result locate_trailer(bool& binary, unsigned long& ending_length);
    WT_Result read_directory_offset(unsigned long& offset);
    WT_Result seek_to(unsigned long position);
    WT_Result read_raw_exactly(std::size_t count, void* buffer);
    WT_Result read_one_object();
    void drop_read_ahead();
    WT_Result rewrite_block_references();
};
