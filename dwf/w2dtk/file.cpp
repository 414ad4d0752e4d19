#include "dwf/w2dtk/file.h"

#include "dwf/w2dtk/dash_pattern.h"
#include "dwf/w2dtk/directory.h"
#include "dwf/w2dtk/dwf_header.h"
#include "dwf/w2dtk/end_of_dwf.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode_registry.h"
#include "dwf/w2dtk/stdio_stream.h"

#include <algorithm>
#include <cstring>

namespace
{
// Bytes asked of the stream at once while reading uncompressed input; the
// surplus waits in the read-ahead buffer.
constexpr std::size_t Read_Chunk = 16384;
// Consumed read-ahead bytes are dropped once this many have gathered.
constexpr std::size_t Compact_Threshold = 65536;
} // namespace

WT_File::WT_File()
    : m_stream_open(wt_stdio_open), m_stream_close(wt_stdio_close), m_stream_read(wt_stdio_read),
      m_stream_write(wt_stdio_write), m_stream_seek(wt_stdio_seek),
      m_stream_end_seek(wt_stdio_end_seek), m_stream_tell(wt_stdio_tell),
      m_rendition(std::make_unique<WT_Attribute_Set>()),
      m_dash_patterns(std::make_unique<WT_Dash_Pattern_List>()),
      m_directory(std::make_unique<WT_Directory>())
{
    set_target_version(600);
}

WT_File::~WT_File()
{
    try
    {
        close();
    }
    catch (...)
    {
        // A destructor reports nothing; close() itself does not throw on its own.
    }
}

void WT_File::set_filename(const char16_t* name)
{
    m_filename = WT_String(name);
}

void WT_File::set_filename(const wchar_t* name)
{
    m_filename = WT_String(name);
}

void WT_File::set_filename(const char* name)
{
    m_filename = WT_String::from_file_name_bytes(name);
}

void WT_File::set_file_mode(int mode)
{
    if (mode == Block_Append && target_version() >= 600)
        throw WT_Result_Usage_Error;
    m_mode = mode;
}

void WT_File::set_target_version(int version)
{
    m_heuristics.m_target_version = version;
    m_rendition->color_map() = WT_Color_Map(version);
    m_rendition->mark_changed(WT_Attribute_Set::Color_Map_Bit);
}

void WT_File::reset_reading_state()
{
    m_current_point = WT_Logical_Point();
    m_delayed_drawable.reset();
    m_dumping_delayed_drawable = false;
    m_layer_list.reset();
    m_defined_object_nodes.remove_all();
    m_last_written_object_node = -1;
    m_object_count = 0;
    m_logical_position = 0;
    m_object_start = 0;
    m_pending_skip = 0;
    m_read = Read_State();
    m_skip = Skip_State();
    m_opcode.reset();
    m_nesting_depth = 0;
    m_header_read = false;
    m_heuristics.m_w2d_channel = false;
    m_read_ahead_head = 0;
    m_read_ahead_end = 0;
    m_raw_pushback.clear();
    m_tab_level = 0;
    m_dash_patterns->clear(); // a new stream defines its patterns anew
}

WT_Result WT_File::open()
{
    if (m_stream_open_now)
        return WT_Result_Already_Open;
    if (m_mode == File_Inactive || m_mode > Block_Append || m_mode < File_Inactive)
        return WT_Result_Open_Failed;
    // The block modes need the block directory, written before the trailer of
    // streams from version 55 on; refusing them here keeps close from ever
    // having to give up half way.
    if (m_mode >= Block_Write && target_version() < 55)
        return WT_Result_Needs_Version_55;

    reset_reading_state();
    m_directory->remove_all();
    m_directory->set_file_offset(0);
    WT_Result result = m_stream_open(*this);
    if (result != WT_Result_Success)
        return result;
    m_stream_open_now = true;

    if (m_mode == File_Write || m_mode == Block_Write)
    {
        WT_DWF_Header header;
        return header.serialize(*this);
    }
    m_statistics = std::make_unique<WT_Opcode_Statistics>();
    if (m_mode == Block_Read || m_mode == Block_Append)
    {
        result = m_mode == Block_Read ? open_block_read() : open_block_append();
        if (result != WT_Result_Success)
        {
            // A stream that could not be positioned is closed at once, so that
            // a later close never writes a directory into the middle of it.
            m_stream_close(*this);
            m_stream_open_now = false;
            m_current_object.reset();
            m_statistics.reset();
            m_directory->remove_all();
        }
        return result;
    }
    return WT_Result_Success;
}

WT_Result WT_File::close()
{
    // Even a file whose mode was cleared while open gets its stream closed.
    if (!m_stream_open_now)
        return WT_Result_Success;

    WT_Result result = WT_Result_Success;
    auto keep_first = [&result](WT_Result step)
    {
        if (result == WT_Result_Success)
            result = step;
    };

    bool const wanted_compression = m_heuristics.m_allow_data_compression;
    if (m_mode == File_Write || m_mode == Block_Write || m_mode == Block_Append)
    {
        keep_first(dump_delayed_drawable());
        // Plain writes that never used a block reference keep their stream
        // exactly as before; the block modes always get their directory.
        bool const blocks = m_mode != File_Write || m_directory->count() > 0;
        if (blocks && target_version() >= 55 && target_version() < 600)
            keep_first(m_directory->serialize(*this));
        m_heuristics.m_allow_data_compression = false;
        keep_first(stop_compressor());
        WT_End_Of_DWF end;
        keep_first(end.serialize(*this));
        if (blocks && target_version() >= 55 && target_version() < 600)
            keep_first(rewrite_block_references());
    }
    keep_first(m_stream_close(*this));
    m_stream_open_now = false;

    m_mode = File_Inactive;
    m_current_object.reset();
    m_statistics.reset();
    m_rendition = std::make_unique<WT_Attribute_Set>();
    m_rendition->color_map() = WT_Color_Map(target_version());
    m_heuristics.m_allow_data_compression = wanted_compression;
    m_compressor.reset();
    m_decompressor.reset();
    m_compression_marker = 0;
    m_skip = Skip_State();
    m_delayed_drawable.reset();
    m_read_ahead.clear();
    m_read_ahead.shrink_to_fit();
    m_read_ahead_head = 0;
    m_read_ahead_end = 0;
    m_raw_pushback.clear();
    m_defined_object_nodes.remove_all();
    m_last_written_object_node = -1;
    m_directory->remove_all();
    return result;
}

void WT_File::set_action(int slot, Action_Procedure procedure)
{
    if (slot < 1 || slot > Action_Slot_Count)
        throw WT_Result_Usage_Error;
    m_actions[std::size_t(slot)] = std::move(procedure);
}

const WT_File::Action_Procedure& WT_File::action(int slot) const
{
    if (slot < 1 || slot > Action_Slot_Count)
        return m_actions[0];
    return m_actions[std::size_t(slot)];
}

WT_Result WT_File::call_action(int slot, WT_Object& object)
{
    const Action_Procedure& procedure = action(slot);
    if (procedure)
        return procedure(object, *this);
    return object.default_process(*this);
}

WT_Result WT_File::get_next_object()
{
    if (m_current_object)
    {
        // An object nobody read still owns its operand bytes in the stream.
        if (!m_current_object->materialized())
            WT_CHECK(m_current_object->skip_operand(m_opcode, *this));
        m_current_object.reset();
    }

    if (m_opcode.between_opcodes())
        m_object_start = m_logical_position;
    WT_CHECK(m_opcode.get_opcode(*this, false));
    ++m_object_count;
    return WT_Opcode_Registry::instance().build_object(m_opcode, *this, m_current_object);
}

// ---------------------------------------------------------------- writing

WT_Result WT_File::write_raw(std::size_t count, const void* bytes)
{
    if (count == 0)
        return WT_Result_Success;
    return m_stream_write(*this, count, bytes);
}

WT_Result WT_File::stop_compressor()
{
    if (!m_compressor)
        return WT_Result_Success;
    WT_Result result = WT_Result_Success;
    if (m_compressor->is_compressing())
        result = m_compressor->stop();
    m_compressor.reset();
    return result;
}

WT_Result WT_File::write(std::size_t count, const void* bytes)
{
    if (m_heuristics.m_allow_data_compression)
    {
        if (!m_compressor)
        {
            m_compressor = wt_make_compressor(*this);
            if (!m_compressor)
                return WT_Result_Not_Available;
            // Starting writes the marker, which must pass uncompressed.
            WT_Result started = m_compressor->start();
            if (started != WT_Result_Success)
            {
                m_compressor.reset();
                return started;
            }
        }
        if (m_compressor->is_compressing())
            return m_compressor->compress(count, bytes);
        return write_raw(count, bytes);
    }
    WT_CHECK(stop_compressor());
    return write_raw(count, bytes);
}

// ---------------------------------------------------------------- reading

WT_Result WT_File::read_raw(std::size_t wanted, std::size_t& delivered, void* buffer)
{
    delivered = 0;
    if (wanted == 0)
        return WT_Result_Success;
    if (!m_raw_pushback.empty())
    {
        std::size_t const n = std::min(wanted, m_raw_pushback.size());
        std::memcpy(buffer, m_raw_pushback.data(), n);
        m_raw_pushback.erase(m_raw_pushback.begin(), m_raw_pushback.begin() + long(n));
        delivered = n;
        return WT_Result_Success;
    }
    if (!is_open())
        return WT_Result_Not_Open;
    std::size_t got = 0;
    WT_Result result = m_stream_read(*this, wanted, got, buffer);
    if (got > wanted)
        return WT_Result_Stream_Failure; // a procedure that overran the buffer cannot be trusted
    delivered = got;
    if (result != WT_Result_Success && got > 0)
        return WT_Result_Success; // report the end next time, after these bytes are used
    return result;
}

void WT_File::push_back_raw(const void* bytes, std::size_t count)
{
    auto const* p = static_cast<const std::uint8_t*>(bytes);
    m_raw_pushback.insert(m_raw_pushback.begin(), p, p + count);
}

WT_Result WT_File::record_compression_marker(int number)
{
    // A marker inside an active section is corrupt; once a section has ended a
    // new one may start (writers begin a fresh section after raw opcodes).
    if (m_decompressor || m_compression_marker != 0)
        return WT_Result_Corrupt_Stream;
    m_compression_marker = number;
    // Whatever was read ahead behind the marker is compressed input.
    if (m_read_ahead_head < m_read_ahead_end)
    {
        push_back_raw(m_read_ahead.data() + m_read_ahead_head,
                      m_read_ahead_end - m_read_ahead_head);
        m_read_ahead_end = m_read_ahead_head;
    }
    return WT_Result_Success;
}

WT_Result WT_File::read_decoded(std::size_t wanted, std::size_t& delivered, void* buffer)
{
    delivered = 0;
    if (m_compression_marker != 0 && !m_decompressor)
    {
        m_decompressor = wt_make_decompressor(*this, m_compression_marker);
        if (!m_decompressor)
            return WT_Result_Not_Available;
        WT_Result started = m_decompressor->start();
        if (started != WT_Result_Success)
        {
            m_decompressor.reset();
            return started;
        }
    }
    if (!m_decompressor)
        return read_raw(wanted, delivered, buffer);

    WT_Result result = m_decompressor->decompress(wanted, delivered, buffer);
    if (result != WT_Result_Compressed_Data_End)
        return result;

    // The section ends with "}"; reading goes on uncompressed.
    std::uint8_t brace = 0;
    std::size_t got = 0;
    WT_Result brace_result = read_raw(1, got, &brace);
    if (brace_result != WT_Result_Success || got != 1)
        return brace_result != WT_Result_Success ? brace_result : WT_Result_Waiting_For_Data;
    if (brace != '}')
        return WT_Result_Corrupt_Stream;
    m_decompressor.reset();
    m_compression_marker = 0;
    return WT_Result_Success;
}

WT_Result WT_File::fill_read_ahead(std::size_t missing)
{
    if (m_read_ahead_head >= Compact_Threshold || m_read_ahead_head == m_read_ahead_end)
    {
        // Keep the last consumed byte so that put_back never has to shift.
        std::size_t const drop = m_read_ahead_head > 0 ? m_read_ahead_head - 1 : 0;
        if (drop > 0)
            std::memmove(m_read_ahead.data(), m_read_ahead.data() + drop, m_read_ahead_end - drop);
        m_read_ahead_head -= drop;
        m_read_ahead_end -= drop;
    }
    std::size_t total = 0;
    for (;;)
    {
        bool const decoding = m_decompressor || m_compression_marker != 0;
        // Input is read in chunks, decoded or raw: a decompressor never delivers
        // past the end of its section, and raw bytes read ahead of a marker go
        // back when the marker is recorded.
        std::size_t const ask = std::max(missing - total, Read_Chunk);
        if (m_read_ahead.size() < m_read_ahead_end + ask)
            m_read_ahead.resize(std::max(m_read_ahead_end + ask, 2 * m_read_ahead.size()));
        std::size_t got = 0;
        WT_Result result = read_decoded(ask, got, m_read_ahead.data() + m_read_ahead_end);
        if (got > ask)
            got = 0;
        m_read_ahead_end += got;
        total += got;
        if (total >= missing)
            return WT_Result_Success;
        if (result != WT_Result_Success)
            return total > 0 && result != WT_Result_Corrupt_Stream ? WT_Result_Waiting_For_Data
                                                                   : result;
        // A compressed section that just ended leaves the rest to the raw stream.
        bool const section_ended = decoding && !m_decompressor && m_compression_marker == 0;
        if (!section_ended)
            return WT_Result_Waiting_For_Data;
    }
}

WT_Result WT_File::discard_pending_skip()
{
    while (m_pending_skip > 0)
    {
        std::size_t available = m_read_ahead_end - m_read_ahead_head;
        if (available == 0)
        {
            WT_Result result = fill_read_ahead(1);
            available = m_read_ahead_end - m_read_ahead_head;
            if (available == 0)
                return result == WT_Result_Success ? WT_Result_Waiting_For_Data : result;
        }
        std::size_t const n = std::size_t(std::min<std::uint64_t>(available, m_pending_skip));
        m_read_ahead_head += n;
        m_pending_skip -= n;
        m_logical_position += n;
    }
    return WT_Result_Success;
}

WT_Result WT_File::read(std::size_t count, void* buffer)
{
    WT_CHECK(discard_pending_skip());
    std::size_t const available = m_read_ahead_end - m_read_ahead_head;
    if (available < count)
        WT_CHECK(fill_read_ahead(count - available));
    if (count > 0)
        std::memcpy(buffer, m_read_ahead.data() + m_read_ahead_head, count);
    m_read_ahead_head += count;
    m_logical_position += count;
    return WT_Result_Success;
}

void WT_File::put_back(std::uint8_t byte)
{
    if (m_read_ahead_head > 0)
        m_read_ahead[--m_read_ahead_head] = byte;
    else
    {
        if (m_read_ahead_end == m_read_ahead.size())
            m_read_ahead.resize(m_read_ahead.size() + 64);
        std::memmove(m_read_ahead.data() + 1, m_read_ahead.data(), m_read_ahead_end);
        m_read_ahead[0] = byte;
        ++m_read_ahead_end;
    }
    if (m_logical_position > 0)
        --m_logical_position;
}

// ---------------------------------------------------------------- coordinates

WT_Logical_Point WT_File::update_current_point(const WT_Logical_Point& point)
{
    // Differences wrap modulo 2^32 exactly as de_relativize unwraps them.
    WT_Logical_Point delta(
        std::int32_t(std::uint32_t(point.m_x) - std::uint32_t(m_current_point.m_x)),
        std::int32_t(std::uint32_t(point.m_y) - std::uint32_t(m_current_point.m_y)));
    m_current_point = point;
    return delta;
}

WT_Logical_Point WT_File::de_relativize(const WT_Logical_Point& delta)
{
    m_current_point = WT_Logical_Point(
        std::int32_t(std::uint32_t(m_current_point.m_x) + std::uint32_t(delta.m_x)),
        std::int32_t(std::uint32_t(m_current_point.m_y) + std::uint32_t(delta.m_y)));
    return m_current_point;
}

// ---------------------------------------------------------------- delayed drawables

WT_Result WT_File::merge_or_delay_drawable(WT_Drawable& drawable)
{
    if (!m_heuristics.m_allow_drawable_merging)
        return drawable.dump(*this);
    if (m_delayed_drawable && m_delayed_drawable->object_id() == drawable.object_id() &&
        m_delayed_drawable->merge(drawable))
        return WT_Result_Success;
    WT_CHECK(dump_delayed_drawable());
    return drawable.delay(*this);
}

WT_Result WT_File::dump_delayed_drawable()
{
    if (!m_delayed_drawable || m_dumping_delayed_drawable)
        return WT_Result_Success;
    m_dumping_delayed_drawable = true;
    WT_Result result = m_delayed_drawable->dump(*this);
    m_dumping_delayed_drawable = false;
    m_delayed_drawable.reset();
    return result;
}

void WT_File::set_delayed_drawable(std::unique_ptr<WT_Drawable> drawable)
{
    m_delayed_drawable = std::move(drawable);
}

// ---------------------------------------------------------------- block modes

namespace
{
// The stream endings a block directory may stand before, ASCII and binary in
// pairs of equal length.
struct Trailer_Ending
{
    const char* ascii;
    const char* binary;
};
const Trailer_Ending Trailer_Endings[] = {
    {")\r\n(EndOfDWF)\r\n", "}\r\n(EndOfDWF)\r\n"},
    {")\r\r\n(EndOfDWF)\r\r\n", "}\r\r\n(EndOfDWF)\r\r\n"},
    {")(EndOfDWF)\r\n", "}(EndOfDWF)\r\n"},
};
// Bounds the retries of a read that waits for data while a block mode opens.
constexpr int Max_Waits = 1 << 16;
} // namespace

WT_Result WT_File::seek_to(unsigned long position)
{
    WT_CHECK(m_stream_end_seek(*this));
    unsigned long end = 0;
    WT_CHECK(m_stream_tell(*this, end));
    long const distance = long(position) - long(end);
    long moved = 0;
    WT_Result result = m_stream_seek(*this, distance, moved);
    if (result != WT_Result_Success || moved != distance)
        return WT_Result_Open_Failed;
    return WT_Result_Success;
}

void WT_File::drop_read_ahead()
{
    m_read_ahead_head = 0;
    m_read_ahead_end = 0;
    m_raw_pushback.clear();
    m_pending_skip = 0;
    m_read = Read_State();
    m_skip = Skip_State();
    m_opcode.reset();
    m_nesting_depth = 0;
}

WT_Result WT_File::read_raw_exactly(std::size_t count, void* buffer)
{
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    for (int waits = 0; done < count && waits < Max_Waits;)
    {
        std::size_t got = 0;
        WT_Result result = m_stream_read(*this, count - done, got, out + done);
        if (got > count - done)
            return WT_Result_Stream_Failure;
        done += got;
        if (got == 0)
        {
            if (result != WT_Result_Success)
                return WT_Result_Open_Failed;
            ++waits;
        }
    }
    return done == count ? WT_Result_Success : WT_Result_Open_Failed;
}

WT_Result WT_File::locate_trailer(bool& binary, unsigned long& ending_length)
{
    unsigned long remembered = 0;
    if (m_stream_tell(*this, remembered) != WT_Result_Success)
        return WT_Result_Open_Failed;
    WT_Result found = WT_Result_Open_Failed;
    for (const Trailer_Ending& ending : Trailer_Endings)
    {
        std::size_t const length = std::strlen(ending.ascii);
        if (m_stream_end_seek(*this) != WT_Result_Success)
            return WT_Result_Open_Failed;
        long moved = 0;
        if (m_stream_seek(*this, -long(length), moved) != WT_Result_Success ||
            moved != -long(length))
            continue; // a stream shorter than this ending
        std::string tail(length, '\0');
        if (read_raw_exactly(length, &tail[0]) != WT_Result_Success)
            return WT_Result_Open_Failed;
        if (tail == ending.ascii || tail == ending.binary)
        {
            binary = tail == ending.binary;
            ending_length = (unsigned long)length;
            found = WT_Result_Success;
            break;
        }
    }
    if (seek_to(remembered) != WT_Result_Success)
        return WT_Result_Open_Failed;
    return found;
}

WT_Result WT_File::read_one_object()
{
    for (int waits = 0; waits < Max_Waits; ++waits)
    {
        WT_Result result = m_current_object && !m_current_object->materialized()
                               ? WT_Result_Success
                               : get_next_object();
        if (result == WT_Result_Waiting_For_Data)
            continue;
        WT_CHECK(result);
        result = m_current_object->materialize(m_opcode, *this);
        if (result != WT_Result_Waiting_For_Data)
            return result;
    }
    return WT_Result_Open_Failed;
}

WT_Result WT_File::read_directory_offset(unsigned long& offset)
{
    bool binary = false;
    unsigned long ending = 0;
    WT_CHECK(locate_trailer(binary, ending));
    m_heuristics.m_allow_binary_data = binary;

    // The directory's offset stands just before the ending.
    unsigned long const field = binary ? 4 : 11;
    WT_CHECK(m_stream_end_seek(*this));
    unsigned long end = 0;
    WT_CHECK(m_stream_tell(*this, end));
    if (end < ending + field)
        return WT_Result_Open_Failed;
    WT_CHECK(seek_to(end - ending - field));
    std::uint8_t digits[11] = {};
    WT_CHECK(read_raw_exactly(field, digits));
    offset = 0;
    if (binary)
        offset = digits[0] | (unsigned long)(digits[1]) << 8 | (unsigned long)(digits[2]) << 16 |
                 (unsigned long)(digits[3]) << 24;
    else
    {
        for (std::uint8_t d : digits)
        {
            if (d < '0' || d > '9')
                return WT_Result_Open_Failed;
            offset = offset * 10 + (d - '0');
        }
    }
    // A directory stands after the header and before the ending.
    if (offset < 12 || offset >= end - ending)
        return WT_Result_Open_Failed;
    return WT_Result_Success;
}

WT_Result WT_File::open_block_read()
{
    // The header tells the stream's version; only 0.55 to 5.99 carry a directory.
    if (!m_current_object || m_current_object->object_id() != WT_Object::DWF_Header_ID)
        WT_CHECK(read_one_object());
    if (!m_current_object || m_current_object->object_id() != WT_Object::DWF_Header_ID)
        return WT_Result_Open_Failed;
    if (stream_version() < 55 || stream_version() >= 600)
        return WT_Result_Open_Failed;

    unsigned long offset = 0;
    WT_CHECK(read_directory_offset(offset));
    WT_CHECK(seek_to(offset));
    m_current_object.reset();
    drop_read_ahead();
    m_logical_position = offset;
    WT_Result result = read_one_object();
    if (result != WT_Result_Success)
        return result == WT_Result_Waiting_For_Data ? WT_Result_Open_Failed : result;
    if (m_current_object->object_id() != WT_Object::Directory_ID)
        return WT_Result_Corrupt_Stream;
    *m_directory = static_cast<WT_Directory&>(*m_current_object);
    m_current_object.reset();

    // Leave the stream at the end of the data, where the directory begins.
    drop_read_ahead();
    m_logical_position = offset;
    return seek_to(offset);
}

WT_Result WT_File::open_block_append()
{
    // Read the whole stream so that the renditions, the definitions and the
    // directory are what a writer continuing it must know.
    for (;;)
    {
        WT_Result result = read_one_object();
        if (result == WT_Result_Success)
            result = m_current_object->process(*this);
        if (result == WT_Result_End_Of_Stream)
            break;
        if (result != WT_Result_Success)
            return result == WT_Result_End_Of_Input ? WT_Result_Open_Failed : result;
    }
    m_current_object.reset();
    if (stream_version() < 55 || stream_version() >= 600)
        return WT_Result_Open_Failed;
    // New objects overwrite the old directory and trailer; the directory
    // written at close lists the old blocks and the new ones. The offset the
    // trailer names must be the one of the directory just read.
    unsigned long end_of_data = 0;
    WT_CHECK(read_directory_offset(end_of_data));
    if (end_of_data != m_directory->file_offset())
        return WT_Result_Open_Failed;
    drop_read_ahead();
    WT_CHECK(seek_to(end_of_data));
    unsigned long position = 0;
    WT_CHECK(m_stream_tell(*this, position));
    return position == end_of_data ? WT_Result_Success : WT_Result_Not_Available;
}

WT_Result WT_File::rewrite_block_references()
{
    // Each reference goes back to where it stands, now with its block size;
    // every changing number has a fixed width, so the length stays the same.
    for (auto& entry : m_directory->entries())
    {
        WT_CHECK(seek_to(entry->file_offset()));
        WT_CHECK(entry->serialize(*this, false, true));
    }
    return m_stream_end_seek(*this);
}
