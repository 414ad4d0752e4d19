#include "dwf/w2dtk/fill.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Fill::materialize(const WT_Opcode& opcode, WT_File&)
{
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    switch (opcode.first_byte())
    {
    case 'F':
        m_on = true;
        break;
    case 'f':
        m_on = false;
        break;
    default:
        return WT_Result_Foreign_Opcode;
    }
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Fill::skip_operand(const WT_Opcode&, WT_File&)
{
    // The opcode byte is the whole object.
    return WT_Result_Success;
}

WT_Result WT_Fill::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    return file.write_byte(m_on ? 'F' : 'f');
}

WT_Result WT_Fill::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Fill_Bit);
    if (*this == current.fill())
        return WT_Result_Success;
    current.fill() = *this;
    return serialize(file);
}

bool WT_Fill::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Fill_ID && static_cast<const WT_Fill&>(other).m_on == m_on;
}

WT_Result WT_Fill::default_process(WT_File& file)
{
    file.rendition().fill() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Fill_Bit);
    return WT_Result_Success;
}
