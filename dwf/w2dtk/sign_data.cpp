#include "dwf/w2dtk/sign_data.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/raster_payload.h"

WT_Result WT_Sign_Data::serialize(WT_File& file)
{
    if (file.target_version() >= 600)
        return WT_Result_Usage_Error;
    WT_CHECK(begin_serialize(file));
    if (m_data.size() > WT_File::Max_Operand_Bytes)
        return WT_Result_Not_Available;
    bool const with_guids = m_guids.count() > 0;
    std::uint32_t const size = std::uint32_t(m_data.size());
    if (file.binary_output())
    {
        std::uint64_t const frame =
            8 + std::uint64_t(size) + (with_guids ? m_guids.binary_length() : 0);
        if (frame > 0xFFFFFFFFu)
            return WT_Result_Not_Available;
        WT_CHECK(file.write("{"));
        WT_CHECK(file.write_u32(std::uint32_t(frame)));
        WT_CHECK(file.write_u16(358));
        WT_CHECK(file.write(with_guids ? "1" : "0"));
        if (with_guids)
            WT_CHECK(m_guids.write_list(file));
        WT_CHECK(file.write_u32(size));
        WT_CHECK(file.write(m_data.size(), m_data.data()));
        return file.write("}");
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(SignData "));
    WT_CHECK(file.write(with_guids ? "1" : "0"));
    if (with_guids)
        WT_CHECK(m_guids.write_list(file));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(std::int32_t(size)));
    WT_CHECK(file.write(" "));
    if (size != 0)
        WT_CHECK(file.write_hex(m_data.size(), m_data.data()));
    return file.write(" )");
}

WT_Result WT_Sign_Data::materialize(const WT_Opcode& opcode, WT_File& file)
{
    return wt_restart_on_failure(read_body(opcode, file), m_stage);
}

WT_Result WT_Sign_Data::read_body(const WT_Opcode& opcode, WT_File& file)
{
    bool const binary = opcode.type() == WT_Opcode::Extended_Binary;
    if (!binary && opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    enum
    {
        Flag,
        List_Token,
        List,
        Size,
        Data,
        Close,
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Flag:
        {
            m_operand_start = file.logical_position();
            m_guids = WT_Guid_List();
            std::uint8_t flag = 0;
            WT_CHECK(binary ? file.read_byte(flag) : (file.skip_whitespace()));
            if (!binary)
                WT_CHECK(file.read_byte(flag));
            if (flag != '0' && flag != '1')
                return WT_Result_Corrupt_Stream;
            m_stage = flag == '1' ? List_Token : Size;
            break;
        }
        case List_Token:
        {
            WT_CHECK(m_scratch.get_opcode(file));
            bool const fits =
                binary ? m_scratch.type() == WT_Opcode::Extended_Binary &&
                             m_scratch.binary_number() == 360
                       : m_scratch.type() == WT_Opcode::Extended_ASCII && m_scratch.is("(GuidList");
            if (!fits)
                return WT_Result_Corrupt_Stream;
            // The list must fit inside this frame.
            if (binary && std::uint64_t(m_scratch.binary_size()) + 5 > opcode.binary_size())
                return WT_Result_Inconsistent_Operand;
            m_stage = List;
            break;
        }
        case List:
            WT_CHECK(m_guids.materialize(m_scratch, file));
            m_stage = Size;
            break;
        case Size:
            WT_CHECK(wt_read_payload_size(opcode, file, m_operand_start, m_size));
            m_data.clear();
            m_stage = Data;
            break;
        case Data:
            WT_CHECK(wt_read_payload(opcode, file, m_size, m_data));
            m_stage = Close;
            break;
        default:
            WT_CHECK(wt_close_extended_operand(opcode, file));
            m_stage = Flag;
            set_materialized();
            return WT_Result_Success;
        }
    }
}
