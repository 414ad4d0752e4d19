#include "dwf/w2dtk/code_page.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Code_Page::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(CodePage "));
    WT_CHECK(file.write_ascii(m_page));
    return file.write(")");
}

WT_Result WT_Code_Page::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    if (m_stage == 0)
    {
        WT_CHECK(file.read_ascii(m_page));
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Code_Page::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Code_Page::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Code_Page_Bit);
    if (*this == current.code_page())
        return WT_Result_Success;
    current.code_page() = *this;
    return serialize(file);
}

bool WT_Code_Page::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Code_Page_ID &&
           static_cast<const WT_Code_Page&>(other).m_page == m_page;
}

WT_Result WT_Code_Page::default_process(WT_File& file)
{
    file.rendition().code_page() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Code_Page_Bit);
    return WT_Result_Success;
}
