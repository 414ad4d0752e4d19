#include "dwf/w2dtk/guid_list.h"

#include "dwf/w2dtk/file.h"

WT_Guid_List::WT_Guid_List(const WT_Guid_List& other) : WT_Object(other)
{
    *this = other;
}

WT_Guid_List& WT_Guid_List::operator=(const WT_Guid_List& other)
{
    if (this != &other)
    {
        m_items.remove_all();
        for (const auto& guid : other.m_items)
            add(*guid);
        m_stage = 0;
    }
    return *this;
}

bool WT_Guid_List::operator==(const WT_Guid_List& other) const
{
    if (count() != other.count())
        return false;
    auto theirs = other.m_items.begin();
    for (const auto& guid : m_items)
        if (!(*guid == **theirs++))
            return false;
    return true;
}

WT_Result WT_Guid_List::write_list(WT_File& file) const
{
    if (count() > Max_Count)
        return WT_Result_Not_Available;
    std::uint32_t const n = std::uint32_t(count());
    if (file.binary_output())
    {
        WT_CHECK(file.write("{"));
        WT_CHECK(file.write_u32(n * 24 + 7));
        WT_CHECK(file.write_u16(360));
        WT_CHECK(file.write_u32(n));
        for (const auto& guid : m_items)
            WT_CHECK(guid->write_field(file));
        return file.write("}");
    }
    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write("(GuidList "));
    WT_CHECK(file.write_ascii(std::int32_t(n)));
    WT_CHECK(file.write(" "));
    for (const auto& guid : m_items)
    {
        WT_CHECK(guid->write_field(file));
        WT_CHECK(file.write(" "));
    }
    return file.write(")");
}

WT_Result WT_Guid_List::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    return write_list(file);
}

WT_Result WT_Guid_List::materialize(const WT_Opcode& opcode, WT_File& file)
{
    return wt_restart_on_failure(read_body(opcode, file), m_stage);
}

WT_Result WT_Guid_List::read_body(const WT_Opcode& opcode, WT_File& file)
{
    bool const binary = opcode.type() == WT_Opcode::Extended_Binary;
    if (!binary && opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    enum
    {
        Count,
        Token,
        Guid,
        Close,
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Count:
            if (binary)
            {
                WT_CHECK(file.read_u32(m_count));
                if (m_count > Max_Count || opcode.binary_size() != m_count * 24 + 7)
                    return WT_Result_Inconsistent_Operand;
            }
            else
            {
                std::int32_t count = 0;
                WT_CHECK(file.read_ascii(count));
                if (count < 0 || std::uint32_t(count) > Max_Count)
                    return WT_Result_Corrupt_Stream;
                m_count = std::uint32_t(count);
            }
            m_items.remove_all();
            m_stage = m_count > 0 ? Token : Close;
            break;
        case Token:
        {
            WT_CHECK(m_scratch.get_opcode(file));
            bool const fits =
                binary ? m_scratch.type() == WT_Opcode::Extended_Binary &&
                             m_scratch.binary_number() == 330
                       : m_scratch.type() == WT_Opcode::Extended_ASCII && m_scratch.is("(Guid");
            if (!fits)
                return WT_Result_Corrupt_Stream;
            m_guid = WT_Guid();
            m_stage = Guid;
            break;
        }
        case Guid:
            WT_CHECK(m_guid.materialize(m_scratch, file));
            add(m_guid);
            m_stage = count() < m_count ? Token : Close;
            break;
        default:
            WT_CHECK(wt_close_extended_operand(opcode, file));
            m_stage = Count;
            set_materialized();
            return WT_Result_Success;
        }
    }
}
