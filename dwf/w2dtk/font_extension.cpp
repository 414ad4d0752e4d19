#include "dwf/w2dtk/font_extension.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Font_Extension::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(FontExtension "));
    WT_CHECK(m_first.serialize(file, true));
    WT_CHECK(file.write(" "));
    WT_CHECK(m_second.serialize(file, true));
    return file.write(")");
}

WT_Result WT_Font_Extension::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    for (;;)
    {
        switch (m_stage)
        {
        case 0:
            WT_CHECK(file.skip_whitespace());
            m_stage = 1;
            break;
        case 1:
            WT_CHECK(m_first.materialize(file));
            m_stage = 2;
            break;
        case 2:
            WT_CHECK(file.skip_whitespace());
            m_stage = 3;
            break;
        case 3:
            WT_CHECK(m_second.materialize(file));
            m_stage = 4;
            break;
        default:
            WT_CHECK(opcode.skip_operand(file));
            m_stage = 0;
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_Font_Extension::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    // Passing over the operand (rather than leaving it in the stream) keeps
    // the reader in step when nobody reads this object.
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Font_Extension::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Font_Extension_Bit);
    if (*this == current.font_extension())
        return WT_Result_Success;
    current.font_extension() = *this;
    return serialize(file);
}

bool WT_Font_Extension::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != Font_Extension_ID)
        return false;
    auto const& o = static_cast<const WT_Font_Extension&>(other);
    return m_first == o.m_first && m_second == o.m_second;
}

WT_Result WT_Font_Extension::default_process(WT_File& file)
{
    file.rendition().font_extension() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Font_Extension_Bit);
    return WT_Result_Success;
}
