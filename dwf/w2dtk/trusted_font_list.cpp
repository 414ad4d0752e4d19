#include "dwf/w2dtk/trusted_font_list.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <string>

WT_Trusted_Font_List::WT_Trusted_Font_List(const WT_Trusted_Font_List& other) : WT_Object(other)
{
    *this = other;
}

WT_Trusted_Font_List& WT_Trusted_Font_List::operator=(const WT_Trusted_Font_List& other)
{
    if (this != &other)
    {
        m_items.remove_all();
        for (const auto& item : other.m_items)
            add(item->name());
        m_stage = 0;
    }
    return *this;
}

void WT_Trusted_Font_List::add(const WT_String& name)
{
    m_items.add_tail(std::make_unique<WT_Trusted_Font_Item>(name, std::int32_t(count())));
}

WT_Result WT_Trusted_Font_List::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(TrustedFontList "));
    bool first = true;
    for (const auto& item : m_items)
    {
        if (!first)
            WT_CHECK(file.write(" "));
        first = false;
        WT_CHECK(file.write_quoted_string(item->name().ascii(), true));
        WT_CHECK(file.write(" "));
    }
    return file.write(")");
}

WT_Result WT_Trusted_Font_List::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    if (m_stage == 0)
    {
        m_items.remove_all();
        m_stage = 1;
    }
    for (;;)
    {
        if (m_stage == 1)
        {
            // A ")" where a name could start ends the list, so a list written
            // without names reads back empty.
            WT_CHECK(file.skip_whitespace());
            std::uint8_t c = 0;
            WT_CHECK(file.read_byte(c));
            if (c == ')')
            {
                --file.nesting_depth();
                m_stage = 0;
                set_materialized();
                return WT_Result_Success;
            }
            file.put_back(c);
            m_stage = 2;
        }
        std::string name;
        WT_Result r = file.read_ascii_string(Max_Name, name);
        if (r != WT_Result_Success)
        {
            if (r != WT_Result_Waiting_For_Data)
                m_stage = 0;
            return r;
        }
        WT_String text;
        text.set_from_stream_bytes(name.size(), name.data());
        add(text);
        m_stage = 1;
    }
}

WT_Result WT_Trusted_Font_List::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}
