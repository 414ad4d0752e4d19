#include "dwf/w2dtk/dwf_header.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/font.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_DWF_Header::serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    int const version = file.target_version();
    if (version < 0 || version > 9999)
        return WT_Result_Usage_Error;
    if (version < 42)
    {
        // Readers of such streams assume no font, so the first text must
        // name its font: the two renditions are made to differ.
        auto font = [](const char* name)
        { return WT_Font(name, false, false, false, 0, 0, 0, 1024, 0, 1024, 1024, 0, 0); };
        file.rendition().font() = font("undefined_font");
        file.desired_rendition().font() = font("courier");
        file.rendition().mark_changed(WT_Attribute_Set::Font_Bit);
        file.desired_rendition().mark_changed(WT_Attribute_Set::Font_Bit);
    }
    WT_CHECK(file.write(version >= 600 ? "(W2D V" : "(DWF V"));
    char const digits[6] = {char('0' + version / 1000),    char('0' + version / 100 % 10), '.',
                            char('0' + version / 10 % 10), char('0' + version % 10),       ')'};
    return file.write(6, digits);
}

WT_Result WT_DWF_Header::materialize(const WT_Opcode& opcode, WT_File& file)
{
    std::uint8_t d[6];
    WT_CHECK(file.read(6, d));
    auto digit = [](std::uint8_t c) { return c >= '0' && c <= '9'; };
    if (!digit(d[0]) || !digit(d[1]) || d[2] != '.' || !digit(d[3]) || !digit(d[4]) || d[5] != ')')
        return WT_Result_Not_A_W2D_Stream;
    m_major = (d[0] - '0') * 10 + (d[1] - '0');
    m_minor = (d[3] - '0') * 10 + (d[4] - '0');
    WT_Attribute_Set& rendition = file.rendition();
    rendition.set_stream_version(m_major, m_minor);
    --file.nesting_depth();
    int const version = m_major * 100 + m_minor;
    if (version < WT_Color_Map::Current_Table_Version)
    {
        rendition.color_map() = WT_Color_Map(version);
        rendition.mark_changed(WT_Attribute_Set::Color_Map_Bit);
    }
    // Streams of version 6.00 and newer must announce themselves as "(W2D V".
    if (version >= 600 && !opcode.is("(W2D V"))
        return WT_Result_Old_Header_New_Version;
    set_materialized();
    return WT_Result_Success;
}
