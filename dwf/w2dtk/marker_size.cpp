#include "dwf/w2dtk/marker_size.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Marker_Size::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    if (file.binary_output())
    {
        WT_CHECK(file.write_byte('s'));
        return file.write_s32(m_size);
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("S "));
    return file.write_ascii(m_size);
}

WT_Result WT_Marker_Size::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    if (opcode.first_byte() == 's')
        WT_CHECK(file.read_s32(m_size));
    else if (opcode.first_byte() == 'S')
        WT_CHECK(file.read_ascii(m_size));
    else
        return WT_Result_Foreign_Opcode;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Marker_Size::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Marker_Size_Bit);
    if (*this == current.marker_size())
        return WT_Result_Success;
    current.marker_size() = *this;
    return serialize(file);
}

bool WT_Marker_Size::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Marker_Size_ID &&
           static_cast<const WT_Marker_Size&>(other).m_size == m_size;
}

WT_Result WT_Marker_Size::default_process(WT_File& file)
{
    file.rendition().marker_size() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Marker_Size_Bit);
    return WT_Result_Success;
}
