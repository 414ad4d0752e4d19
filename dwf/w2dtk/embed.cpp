#include "dwf/w2dtk/embed.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <string>

namespace
{
// A text field: quoted 8-bit text (escaped, so that apostrophes and
// backslashes survive), a 16-bit string, or '' when empty; then a blank.
WT_Result write_text_field(WT_File& file, const WT_String& text)
{
    if (text.empty())
        return file.write("'' ");
    if (text.is_ascii())
        WT_CHECK(file.write_quoted_string(text.ascii(), true));
    else
        WT_CHECK(text.serialize(file));
    return file.write(" ");
}

WT_String part(const std::u16string& text, std::size_t from, std::size_t to)
{
    if (from >= text.size() || to <= from)
        return WT_String();
    std::u16string const piece = text.substr(from, to - from);
    return WT_String(piece.size(), piece.data());
}
} // namespace

WT_Result WT_Embed::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(Embed '"));
    if (!m_type.empty())
        WT_CHECK(m_type.serialize(file));
    WT_CHECK(file.write("/"));
    if (!m_subtype.empty())
        WT_CHECK(m_subtype.serialize(file));
    WT_CHECK(file.write(";"));
    if (!m_options.empty())
        WT_CHECK(m_options.serialize(file));
    WT_CHECK(file.write("' "));
    WT_CHECK(write_text_field(file, m_description));
    WT_CHECK(write_text_field(file, m_request));
    if (m_source.empty())
        WT_CHECK(file.write("''"));
    else
        WT_CHECK(write_text_field(file, m_source));
    return file.write(")");
}

WT_Result WT_Embed::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    WT_String* const fields[] = {nullptr, &m_description, &m_request, &m_source};
    while (m_stage < 4)
    {
        WT_Result r = file.skip_whitespace();
        if (r == WT_Result_Success)
            r = m_reading.materialize(file);
        if (r != WT_Result_Success)
        {
            if (r != WT_Result_Waiting_For_Data)
                m_stage = 0;
            return r;
        }
        if (m_stage == 0)
        {
            // type/subtype;options, any part may be missing.
            std::u16string const mime(m_reading.unicode(), m_reading.length());
            std::size_t const slash = mime.find(u'/');
            std::size_t const semicolon = mime.find(u';');
            std::size_t const type_end = std::min(slash, semicolon);
            m_type = part(mime, 0, std::min(type_end, mime.size()));
            m_subtype = slash == std::u16string::npos
                            ? WT_String()
                            : part(mime, slash + 1, std::min(semicolon, mime.size()));
            m_options = semicolon == std::u16string::npos ? WT_String()
                                                          : part(mime, semicolon + 1, mime.size());
            // Each part set draws a serial number; the embed keeps the last.
            file.next_object_serial();
            file.next_object_serial();
            m_serial = file.next_object_serial();
        }
        else
            *fields[m_stage] = m_reading;
        m_reading = WT_String();
        ++m_stage;
    }
    WT_Result r = opcode.skip_operand(file);
    if (r != WT_Result_Waiting_For_Data)
        m_stage = 0;
    WT_CHECK(r);
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Embed::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}
