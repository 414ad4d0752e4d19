#include "dwf/w2dtk/projection.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <string>

namespace
{
const char* const Rule_Words[] = {"normal", "stretch", "chop"};
}

WT_Result WT_Projection::serialize(WT_File& file)
{
    if (m_rule < Normal || m_rule > Chop)
        return WT_Result_Not_Available;
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write("(Projection "));
    WT_CHECK(file.write_quoted_string(Rule_Words[m_rule]));
    return file.write(")");
}

WT_Result WT_Projection::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Single_Byte)
    {
        std::uint16_t rule = 0;
        WT_CHECK(file.read_u16(rule));
        m_rule = rule;
        set_materialized();
        return WT_Result_Success;
    }
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    if (m_stage == 0)
    {
        std::string word;
        WT_CHECK(file.read_ascii_string(65536, word));
        int rule = -1;
        for (int i = 0; i < 3; ++i)
            if (word == Rule_Words[i])
                rule = i;
        if (rule < 0)
            return WT_Result_Corrupt_Stream;
        m_rule = rule;
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Projection::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() == WT_Opcode::Single_Byte)
    {
        file.skip(2);
        return WT_Result_Success;
    }
    return opcode.skip_operand(file);
}

WT_Result WT_Projection::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Projection_Bit);
    if (*this == current.projection())
        return WT_Result_Success;
    current.projection() = *this;
    return serialize(file);
}

bool WT_Projection::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Projection_ID &&
           static_cast<const WT_Projection&>(other).m_rule == m_rule;
}
