#include "dwf/w2dtk/directory.h"

#include "dwf/w2dtk/file.h"

namespace
{
// Frame bytes of a binary directory besides its entries: number, count,
// offset and "}".
constexpr std::uint32_t Binary_Overhead = 11;

WT_Result tell(WT_File& file, unsigned long& position)
{
    WT_File::Stream_Tell_Action action = file.stream_tell_action();
    if (!action)
        return WT_Result_Stream_Failure;
    return action(file, position);
}
} // namespace

WT_Directory::WT_Directory(const WT_Directory& other) : WT_Object(other)
{
    *this = other;
}

WT_Directory& WT_Directory::operator=(const WT_Directory& other)
{
    if (this == &other)
        return *this;
    m_entries.remove_all();
    for (const auto& entry : other.m_entries)
        m_entries.add_tail(std::make_unique<WT_Block_Ref>(*entry));
    m_file_offset = other.m_file_offset;
    m_stage = 0;
    m_count = 0;
    m_read = 0;
    m_entry.reset();
    return *this;
}

WT_Result WT_Directory::add(const WT_Block_Ref& reference)
{
    m_entries.add_tail(std::make_unique<WT_Block_Ref>(reference));
    return WT_Result_Success;
}

WT_Result WT_Directory::serialize(WT_File& file)
{
    if (file.target_version() >= 600)
        return WT_Result_Usage_Error;
    WT_CHECK(file.dump_delayed_drawable());
    WT_File::WT_File_Heuristics& choices = file.heuristics();
    bool const compress = choices.m_allow_data_compression;
    choices.m_allow_data_compression = false;
    bool const binary = file.binary_output();

    auto body = [&]() -> WT_Result
    {
        unsigned long position = 0;
        if (binary)
        {
            WT_CHECK(file.write("{"));
            WT_CHECK(tell(file, position));
            if (position < 1)
                return WT_Result_Stream_Failure;
            m_file_offset = std::uint32_t(position - 1);
            std::uint64_t size = Binary_Overhead;
            for (const auto& entry : m_entries)
                size += entry->entry_size();
            if (size > 0xFFFFFFFFu)
                return WT_Result_Not_Available;
            WT_CHECK(file.write_u32(std::uint32_t(size)));
            WT_CHECK(file.write_u16(352));
            WT_CHECK(file.write_u32(std::uint32_t(m_entries.count())));
        }
        else
        {
            WT_CHECK(file.write_tab_level());
            WT_CHECK(tell(file, position));
            unsigned long const back = 2 + unsigned(file.tab_level());
            if (position < back)
                return WT_Result_Stream_Failure;
            m_file_offset = std::uint32_t(position - back);
            WT_CHECK(file.write("(Directory "));
            WT_CHECK(file.write_padded_ascii(std::int32_t(m_entries.count())));
            WT_CHECK(file.write(" "));
        }
        // The last block ends where the directory starts.
        if (WT_Block_Ref* tail = m_entries.tail())
            tail->set_block_size(m_file_offset - tail->file_offset());
        bool first = true;
        for (const auto& entry : m_entries)
        {
            if (!binary && !first)
                WT_CHECK(file.write(" "));
            first = false;
            WT_CHECK(entry->serialize(file, true, false));
        }
        if (binary)
        {
            WT_CHECK(file.write_u32(m_file_offset));
            return file.write("}");
        }
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_padded_ascii(m_file_offset));
        return file.write(")");
    };
    WT_Result const result = body();
    choices.m_allow_data_compression = compress;
    return result;
}

WT_Result WT_Directory::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_Result const result = read_body(opcode, file);
    if (result != WT_Result_Success && result != WT_Result_Waiting_For_Data)
    {
        m_stage = 0;
        m_entry.reset();
    }
    return result;
}

WT_Result WT_Directory::read_body(const WT_Opcode& opcode, WT_File& file)
{
    bool const binary = opcode.type() == WT_Opcode::Extended_Binary;
    if (!binary && opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    enum
    {
        Count,
        Entry_Token,
        Entry,
        Offset,
        Close,
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Count:
            if (binary)
            {
                if (opcode.binary_size() < Binary_Overhead)
                    return WT_Result_Inconsistent_Operand;
                std::uint32_t count = 0;
                WT_CHECK(file.read_u32(count));
                m_frame_left = opcode.binary_size() - Binary_Overhead;
                if (count > Max_Entries)
                    return WT_Result_Corrupt_Stream;
                m_count = std::int32_t(count);
            }
            else
            {
                WT_CHECK(file.read_ascii(m_count));
                if (m_count < 0 || std::uint32_t(m_count) > Max_Entries)
                    return WT_Result_Corrupt_Stream;
            }
            m_entries.remove_all();
            m_read = 0;
            m_stage = m_count > 0 ? Entry_Token : Offset;
            break;
        case Entry_Token:
        {
            WT_CHECK(m_scratch.get_opcode(file));
            if (binary)
            {
                if (m_scratch.type() != WT_Opcode::Extended_Binary)
                    return WT_Result_Corrupt_Stream;
                std::uint16_t const number = m_scratch.binary_number();
                if (number < WT_Block_Ref::Graphics_Hdr || number > WT_Block_Ref::BlockRef)
                    return WT_Result_Corrupt_Stream;
                m_entry = std::make_unique<WT_Block_Ref>(number);
                // Entries must fit the directory's own frame.
                if (m_entry->entry_size() > m_frame_left)
                    return WT_Result_Inconsistent_Operand;
                m_frame_left -= m_entry->entry_size();
            }
            else
            {
                if (m_scratch.type() != WT_Opcode::Extended_ASCII || !m_scratch.is("(BlockRef"))
                    return WT_Result_Corrupt_Stream;
                m_entry = std::make_unique<WT_Block_Ref>();
            }
            m_stage = Entry;
            break;
        }
        case Entry:
            WT_CHECK(m_entry->materialize(m_scratch, file, true));
            m_entries.add_tail(std::move(m_entry));
            m_stage = ++m_read < m_count ? Entry_Token : Offset;
            break;
        case Offset:
            if (binary)
            {
                if (m_frame_left != 0)
                    return WT_Result_Inconsistent_Operand;
                WT_CHECK(file.read_u32(m_file_offset));
            }
            else
                WT_CHECK(file.read_ascii(m_file_offset));
            m_stage = Close;
            break;
        default:
            WT_CHECK(wt_close_extended_operand(opcode, file));
            m_stage = Count;
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_Directory::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    // A binary frame is passed by its size; ASCII entries may hold raw
    // password bytes, so they are read.
    if (opcode.type() == WT_Opcode::Extended_Binary && m_stage == 0)
        return opcode.skip_operand(file);
    return materialize(opcode, file);
}

WT_Result WT_Directory::default_process(WT_File& file)
{
    file.directory() = *this;
    return WT_Result_Success;
}
