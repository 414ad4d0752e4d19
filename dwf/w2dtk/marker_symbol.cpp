#include "dwf/w2dtk/marker_symbol.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Marker_Symbol::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_continuation_line());
    WT_CHECK(file.write("G "));
    return file.write_ascii(m_symbol);
}

WT_Result WT_Marker_Symbol::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte || opcode.first_byte() != 'G')
        return WT_Result_Foreign_Opcode;
    WT_CHECK(file.read_ascii(m_symbol));
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Marker_Symbol::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Marker_Symbol_Bit);
    if (*this == current.marker_symbol())
        return WT_Result_Success;
    current.marker_symbol() = *this;
    return serialize(file);
}

bool WT_Marker_Symbol::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Marker_Symbol_ID &&
           static_cast<const WT_Marker_Symbol&>(other).m_symbol == m_symbol;
}

WT_Result WT_Marker_Symbol::default_process(WT_File& file)
{
    file.rendition().marker_symbol() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Marker_Symbol_Bit);
    return WT_Result_Success;
}
