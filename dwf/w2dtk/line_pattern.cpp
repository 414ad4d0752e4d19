#include "dwf/w2dtk/line_pattern.h"

#include "dwf/w2dtk/dash_pattern.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <string>

namespace
{
struct Pattern_Names
{
    const char* primary;
    const char* alternate;
};

const Pattern_Names Names[WT_Line_Pattern::Count] = {
    {"", ""},
    {"Solid", "----"},
    {"Dashed", "- -"},
    {"Dotted", "...."},
    {"Dash_Dot", "-.-."},
    {"Short_Dash", "- - "},
    {"Medium_Dash", "Medium_Dash"},
    {"Long_Dash", "Long_Dash"},
    {"Short_Dash_X2", "..."},
    {"Medium_Dash_X2", "Medium_Dash_X2"},
    {"Long_Dash_X2", "-- --"},
    {"Medium_Long_Dash", "Medium_Long_Dash"},
    {"Medium_Dash_Short_Dash_Short_Dash", "-..."},
    {"Long_Dash_Short_Dash", "Long_Dash_Short_Dash"},
    {"Long_Dash_Dot_Dot", "-..-.."},
    {"Long_Dash_Dot", "-.."},
    {"Medium_Dash_Dot_Short_Dash_Dot", "center"},
    {"Sparse_Dot", "phantom"},
    {"ISO_Dash", "__ __"},
    {"ISO_Dash_Space", "__    __"},
    {"ISO_Long_Dash_Dot", "____ . ____"},
    {"ISO_Long_Dash_Double_Dot", "____ .. ____"},
    {"ISO_Long_Dash_Triple_Dot", "____ ... ____"},
    {"ISO_Dot", ". . . . . . ."},
    {"ISO_Long_Dash_Short_Dash", "____ __ ____"},
    {"ISO_Long_Dash_Double_Short_Dash", "____ __ __ ____"},
    {"ISO_Dash_Dot", "__ . __"},
    {"ISO_Double_Dash_Dot", "__ __ . __ __"},
    {"ISO_Dash_Double_Dot", "__ . . __ . ."},
    {"ISO_Double_Dash_Double_Dot", "__ __ . . __ __"},
    {"ISO_Dash_Triple_Dot", "__ . . . __ . . ."},
    {"ISO_Double_Dash_Triple_Dot", "__ __ . . . __ __"},
};

bool has_name(std::int32_t pattern)
{
    return pattern >= 0 && pattern < WT_Line_Pattern::Count;
}
} // namespace

const char* WT_Line_Pattern::name(std::int32_t pattern)
{
    return has_name(pattern) ? Names[pattern].primary : nullptr;
}

std::int32_t WT_Line_Pattern::lookup(const std::string& text)
{
    for (std::int32_t i = 0; i < Count; ++i)
        if (text == Names[i].primary || text == Names[i].alternate)
            return i;
    return Solid;
}

WT_Result WT_Line_Pattern::materialize(const WT_Opcode& opcode, WT_File& file)
{
    switch (opcode.type())
    {
    case WT_Opcode::Single_Byte:
    {
        if (opcode.first_byte() != 0xCC)
            return WT_Result_Corrupt_Stream;
        long count = 0;
        WT_CHECK(file.read_count(count));
        // The count form reaches 65,791; only 32 patterns have a name.
        if (!has_name(std::int32_t(count)))
            return WT_Result_Corrupt_Stream;
        m_pattern = std::int32_t(count);
        break;
    }
    case WT_Opcode::Extended_ASCII:
        if (m_stage == 0)
        {
            std::string text;
            WT_CHECK(file.read_ascii_string(65536, text));
            m_pattern = lookup(text);
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

WT_Result WT_Line_Pattern::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    switch (opcode.type())
    {
    case WT_Opcode::Single_Byte:
        return materialize(opcode, file);
    case WT_Opcode::Extended_ASCII:
        return opcode.skip_operand(file);
    default:
        return WT_Result_Foreign_Opcode;
    }
}

WT_Result WT_Line_Pattern::serialize(WT_File& file)
{
    if (!has_name(m_pattern))
        return WT_Result_Usage_Error;
    WT_CHECK(begin_serialize(file));
    // A patterned line takes its caps and joins from the line style.
    if (m_pattern > Solid)
        WT_CHECK(file.desired_rendition().sync(file, WT_Attribute_Set::Line_Style_Bit));
    // The count form cannot carry 0 (a zero byte announces the long form); the
    // extended form is valid in binary streams too.
    if (file.binary_output() && WT_File::count_is_encodable(m_pattern))
    {
        WT_CHECK(file.write_byte(0xCC));
        return file.write_count(m_pattern);
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(LinePattern "));
    WT_CHECK(file.write_quoted_string(Names[m_pattern].primary));
    return file.write(")");
}

WT_Result WT_Line_Pattern::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Line_Pattern_Bit);
    if (*this == current.line_pattern())
        return WT_Result_Success;
    current.line_pattern() = *this;
    return serialize(file);
}

bool WT_Line_Pattern::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Line_Pattern_ID &&
           static_cast<const WT_Line_Pattern&>(other).m_pattern == m_pattern;
}

WT_Result WT_Line_Pattern::default_process(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.dash_pattern() = WT_Dash_Pattern::no_pattern();
    current.mark_changed(WT_Attribute_Set::Dash_Pattern_Bit);
    current.line_pattern() = *this;
    current.mark_changed(WT_Attribute_Set::Line_Pattern_Bit);
    return WT_Result_Success;
}
