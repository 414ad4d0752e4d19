#include "dwf/w2dtk/embedded_font.h"

#include "dwf/w2dtk/block_fields.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/raster_payload.h"

WT_Result WT_Embedded_Font::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    if ((m_request & 0xFF) == 0 || m_first_code < 1 || m_first_code > 4 || m_second_code < 1 ||
        m_second_code > 3)
        return WT_Result_Not_Available;
    std::uint64_t const frame =
        Binary_Overhead + m_first_name.size() + m_second_name.size() + m_data.size();
    if (frame > WT_File::Max_Operand_Bytes)
        return WT_Result_Not_Available;
    if (file.binary_output())
    {
        WT_CHECK(file.write("{"));
        WT_CHECK(file.write_u32(std::uint32_t(frame)));
        WT_CHECK(file.write_u16(318));
        WT_CHECK(file.write_u32(m_request));
        WT_CHECK(file.write_byte(m_first_code));
        WT_CHECK(file.write_byte(m_second_code));
        for (const Bytes* bytes : {&m_first_name, &m_second_name, &m_data})
        {
            WT_CHECK(file.write_u32(std::uint32_t(bytes->size())));
            WT_CHECK(file.write(bytes->size(), bytes->data()));
        }
        return file.write("}");
    }
    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write("(Embedded_Font "));
    WT_CHECK(file.write_ascii(m_request));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(std::uint16_t(m_first_code)));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(std::uint16_t(m_second_code)));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(std::uint32_t(m_first_name.size())));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write(m_first_name.size(), m_first_name.data()));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(std::uint32_t(m_second_name.size())));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write(m_second_name.size(), m_second_name.data()));
    WT_CHECK(file.write(" ("));
    WT_CHECK(file.write_ascii(std::uint32_t(m_data.size())));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_hex(m_data.size(), m_data.data()));
    return file.write("))");
}

WT_Result WT_Embedded_Font::take_length(const WT_Opcode& opcode, std::int64_t length,
                                        std::uint32_t& out)
{
    if (length < 0 || std::uint64_t(length) > WT_File::Max_Operand_Bytes)
        return WT_Result_Corrupt_Stream;
    if (opcode.type() == WT_Opcode::Extended_Binary)
    {
        if (std::uint64_t(length) > m_frame_left)
            return WT_Result_Inconsistent_Operand;
        m_frame_left -= std::uint64_t(length);
    }
    out = std::uint32_t(length);
    return WT_Result_Success;
}

WT_Result WT_Embedded_Font::materialize(const WT_Opcode& opcode, WT_File& file)
{
    return wt_restart_on_failure(read_body(opcode, file), m_stage);
}

WT_Result WT_Embedded_Font::read_body(const WT_Opcode& opcode, WT_File& file)
{
    bool const binary = opcode.type() == WT_Opcode::Extended_Binary;
    if (!binary && opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    // Stages: 0 request, 1 first code, 2 second code, then for each of the two
    // names and the data a length stage and a bytes stage (3 to 8; the data's
    // ASCII form is opened by "("), 9 the close.
    Bytes* const areas[] = {&m_first_name, &m_second_name, &m_data};
    for (;;)
    {
        switch (m_stage)
        {
        case 0:
            if (binary)
            {
                if (opcode.binary_size() < Binary_Overhead)
                    return WT_Result_Inconsistent_Operand;
                m_frame_left = opcode.binary_size() - Binary_Overhead;
                WT_CHECK(file.read_u32(m_request));
            }
            else
            {
                std::int32_t request = 0;
                WT_CHECK(file.read_ascii(request));
                m_request = std::uint32_t(request);
            }
            m_stage = 1;
            break;
        case 1:
        case 2:
        {
            std::uint8_t& code = m_stage == 1 ? m_first_code : m_second_code;
            if (binary)
                WT_CHECK(file.read_byte(code));
            else
            {
                std::uint16_t value = 0;
                WT_CHECK(file.read_ascii(value));
                if (value > 255)
                    return WT_Result_Corrupt_Stream;
                code = std::uint8_t(value);
            }
            ++m_stage;
            break;
        }
        case 3:
        case 5:
        case 7:
        {
            if (!binary && m_stage == 7)
            {
                // The data stands in parentheses of its own.
                std::uint8_t open = 0;
                WT_CHECK(file.skip_whitespace());
                WT_CHECK(file.read_byte(open));
                if (open != '(')
                    return WT_Result_Corrupt_Stream;
                ++file.nesting_depth();
                m_stage = 70;
                break;
            }
            std::int64_t length = 0;
            if (binary)
            {
                std::uint32_t value = 0;
                WT_CHECK(file.read_u32(value));
                length = value;
            }
            else
            {
                std::int32_t value = 0;
                WT_CHECK(file.read_ascii(value));
                length = value;
            }
            WT_CHECK(take_length(opcode, length, m_length));
            areas[(m_stage - 3) / 2]->clear();
            // In ASCII one blank separates a name's length from its raw bytes.
            m_stage = binary ? m_stage + 1 : m_stage * 10 + 1;
            break;
        }
        case 31:
        case 51:
        {
            std::uint8_t blank = 0;
            WT_CHECK(file.read_byte(blank));
            if (blank != ' ')
                return WT_Result_Corrupt_Stream;
            m_stage = m_stage / 10 + 1;
            break;
        }
        case 70:
        {
            std::int32_t value = 0;
            WT_CHECK(file.read_ascii(value));
            WT_CHECK(take_length(opcode, value, m_length));
            m_data.clear();
            m_stage = 8;
            break;
        }
        case 4:
        case 6:
        case 8:
        {
            Bytes& area = *areas[(m_stage - 4) / 2];
            if (binary || m_stage != 8)
                WT_CHECK(wt_read_raster_bytes(file, m_length, area));
            else
                WT_CHECK(wt_read_raster_hex(file, m_length, area));
            m_stage = m_stage == 8 ? 9 : m_stage + 1;
            break;
        }
        default:
            if (binary)
            {
                if (m_frame_left != 0)
                    return WT_Result_Inconsistent_Operand;
                WT_CHECK(wt_read_closing_brace(file));
            }
            else
                WT_CHECK(opcode.skip_operand(file));
            m_stage = 0;
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_Embedded_Font::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    // The raw name bytes may hold anything, so an ASCII operand is read.
    if (opcode.type() == WT_Opcode::Extended_Binary && m_stage == 0)
        return opcode.skip_operand(file);
    return materialize(opcode, file);
}
