#include "dwf/w2dtk/line_weight.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Line_Weight::materialize(const WT_Opcode& opcode, WT_File& file)
{
    switch (opcode.type())
    {
    case WT_Opcode::Single_Byte:
        if (opcode.first_byte() != 0x17)
            return WT_Result_Foreign_Opcode;
        WT_CHECK(file.read_s32(m_weight));
        break;
    case WT_Opcode::Extended_ASCII:
        if (m_stage == 0)
        {
            WT_CHECK(file.read_ascii(m_weight));
            m_stage = 1;
        }
        WT_CHECK(opcode.skip_operand(file));
        m_stage = 0;
        break;
    default:
        return WT_Result_Foreign_Opcode;
    }
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Line_Weight::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    switch (opcode.type())
    {
    case WT_Opcode::Single_Byte:
        if (opcode.first_byte() != 0x17)
            return WT_Result_Foreign_Opcode;
        file.skip(4);
        return WT_Result_Success;
    case WT_Opcode::Extended_ASCII:
        return opcode.skip_operand(file);
    default:
        return WT_Result_Foreign_Opcode;
    }
}

WT_Result WT_Line_Weight::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    // The single-byte form exists from version 0.37 on.
    if (file.binary_output() && file.target_version() >= 37)
    {
        WT_CHECK(file.write_byte(0x17));
        return file.write_s32(m_weight);
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(LineWeight "));
    WT_CHECK(file.write_ascii(m_weight));
    return file.write(")");
}

WT_Result WT_Line_Weight::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Line_Weight_Bit);
    if (*this == current.line_weight())
        return WT_Result_Success;
    current.line_weight() = *this;
    return serialize(file);
}

bool WT_Line_Weight::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Line_Weight_ID &&
           static_cast<const WT_Line_Weight&>(other).m_weight == m_weight;
}

WT_Result WT_Line_Weight::default_process(WT_File& file)
{
    file.rendition().line_weight() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Line_Weight_Bit);
    return WT_Result_Success;
}
