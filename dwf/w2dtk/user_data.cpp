#include "dwf/w2dtk/user_data.h"

#include "dwf/w2dtk/block_fields.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/raster_payload.h"

#include <cstring>
#include <string>

namespace
{
// Everything of the binary frame besides description and data: number, data
// size and "}".
constexpr std::uint64_t Frame_Overhead = 2 + 4 + 1;
} // namespace

std::uint64_t wt_quoted_length(const char* text)
{
    std::uint64_t length = 2;
    for (const char* p = text; *p; ++p)
        length += (*p == '\\' || *p == '\'') ? 2 : 1;
    return length;
}

WT_Result WT_User_Data::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    using Set = WT_Attribute_Set;
    WT_CHECK(file.desired_rendition().sync(
        file, Set::Visibility_Bit | Set::URL_Bit | Set::Layer_Bit | Set::Viewport_Bit |
                  Set::Block_Ref_Bit | Set::Pen_Pattern_Bit | Set::Object_Node_Bit));
    const char* description = m_description.ascii();
    if (m_data.size() > WT_File::Max_Operand_Bytes)
        return WT_Result_Not_Available;
    std::uint32_t const size = std::uint32_t(m_data.size());
    if (file.binary_output())
    {
        std::uint64_t const frame = Frame_Overhead + wt_quoted_length(description) + size;
        if (frame > 0xFFFFFFFFu)
            return WT_Result_Not_Available;
        WT_CHECK(file.write("{"));
        WT_CHECK(file.write_u32(std::uint32_t(frame)));
        WT_CHECK(file.write_u16(354));
        WT_CHECK(file.write_quoted_string(description, true));
        WT_CHECK(file.write_u32(size));
        WT_CHECK(file.write(m_data.size(), m_data.data()));
        return file.write("}");
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(UserData "));
    WT_CHECK(file.write_quoted_string(description, true));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(std::int32_t(size)));
    WT_CHECK(file.write(" "));
    if (size != 0)
        WT_CHECK(file.write_hex(m_data.size(), m_data.data()));
    return file.write(" )");
}

WT_Result WT_User_Data::materialize(const WT_Opcode& opcode, WT_File& file)
{
    return wt_restart_on_failure(read_body(opcode, file), m_stage);
}

WT_Result WT_User_Data::read_body(const WT_Opcode& opcode, WT_File& file)
{
    bool const binary = opcode.type() == WT_Opcode::Extended_Binary;
    if (!binary && opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    switch (m_stage)
    {
    case 0:
        m_operand_start = file.logical_position();
        m_stage = 1;
        // fall through
    case 1:
    {
        std::string text;
        WT_CHECK(file.read_ascii_string(WT_String::Max_ASCII_Token, text));
        m_description.set_from_stream_bytes(text.size(), text.data());
        m_stage = 2;
    }
        // fall through
    case 2:
        WT_CHECK(wt_read_payload_size(opcode, file, m_operand_start, m_size));
        m_data.clear();
        m_stage = 3;
        // fall through
    case 3:
        WT_CHECK(wt_read_payload(opcode, file, m_size, m_data));
        m_stage = 4;
        // fall through
    default:
        WT_CHECK(wt_close_extended_operand(opcode, file));
    }
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_User_Data::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Extended_Binary && m_stage == 0)
        return opcode.skip_operand(file);
    if (opcode.type() == WT_Opcode::Extended_ASCII && m_stage == 0)
        return opcode.skip_operand(file);
    return materialize(opcode, file);
}
