#include "dwf/w2dtk/visibility.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Visibility::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    return file.write(m_visible ? "V" : "v");
}

WT_Result WT_Visibility::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_CHECK(skip_operand(opcode, file));
    m_visible = opcode.first_byte() == 'V';
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Visibility::skip_operand(const WT_Opcode& opcode, WT_File&)
{
    // The opcode byte is the whole object.
    if (opcode.type() != WT_Opcode::Single_Byte ||
        (opcode.first_byte() != 'V' && opcode.first_byte() != 'v'))
        return WT_Result_Foreign_Opcode;
    return WT_Result_Success;
}

WT_Result WT_Visibility::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Visibility_Bit);
    if (*this == current.visibility())
        return WT_Result_Success;
    current.visibility() = *this;
    return serialize(file);
}

bool WT_Visibility::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Visibility_ID &&
           static_cast<const WT_Visibility&>(other).m_visible == m_visible;
}

WT_Result WT_Visibility::default_process(WT_File& file)
{
    file.rendition().visibility() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Visibility_Bit);
    return WT_Result_Success;
}
