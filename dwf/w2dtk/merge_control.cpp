#include "dwf/w2dtk/merge_control.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <string>

namespace
{
const char* rule_word(std::int32_t rule)
{
    switch (rule)
    {
    case WT_Merge_Control::Opaque:
        return "opaque";
    case WT_Merge_Control::Merge:
        return "merge";
    case WT_Merge_Control::Transparent:
        return "transparent";
    default:
        return nullptr;
    }
}
} // namespace

WT_Result WT_Merge_Control::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    if (m_stage == 0)
    {
        std::string word;
        WT_CHECK(file.read_ascii_string(WT_Opcode::Max_Name_Length, word));
        for (std::int32_t rule : {Opaque, Merge, Transparent})
            if (word == rule_word(rule))
                m_rule = rule;
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Merge_Control::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Merge_Control::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(LinesOverwrite "));
    if (const char* word = rule_word(m_rule))
        WT_CHECK(file.write_quoted_string(word, true));
    return file.write(")");
}

WT_Result WT_Merge_Control::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Merge_Control_Bit);
    if (*this == current.merge_control())
        return WT_Result_Success;
    current.merge_control() = *this;
    return serialize(file);
}

bool WT_Merge_Control::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Merge_Control_ID &&
           static_cast<const WT_Merge_Control&>(other).m_rule == m_rule;
}

WT_Result WT_Merge_Control::default_process(WT_File& file)
{
    file.rendition().merge_control() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Merge_Control_Bit);
    return WT_Result_Success;
}
