#include "dwf/w2dtk/fill_pattern.h"

#include "dwf/w2dtk/file.h"

namespace
{
const char* const Names[WT_Fill_Pattern::Count] = {
    "",           "Solid",       "Checkerboard", "Crosshatch",    "Diamonds",     "Horizontal Bars",
    "Slant Left", "Slant Right", "Square Dots",  "Vertical Bars", "User Defined",
};

enum Stage
{
    Name = 0,
    Peek = 1,
    Next_Option = 2,
    Option_Value = 3,
    Close = 4,
};
} // namespace

int WT_Fill_Pattern_Optioncode::option_id_from_optioncode() const
{
    return type() == Extended_ASCII && is("(FillPatternScale") ? Scale_Option : Unknown_Option;
}

void WT_Fill_Pattern::set_pattern_scale(double scale)
{
    m_scale.set(scale);
    m_presence |= Scale_Bit;
}

const char* WT_Fill_Pattern::name(std::int32_t pattern)
{
    return pattern >= 0 && pattern < Count ? Names[pattern] : nullptr;
}

std::int32_t WT_Fill_Pattern::lookup(const std::string& text)
{
    for (std::int32_t i = 0; i < Count; ++i)
        if (text == Names[i])
            return i;
    return Solid;
}

WT_Result WT_Fill_Pattern::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    auto fail = [this](WT_Result result)
    {
        if (result != WT_Result_Waiting_For_Data && result != WT_Result_End_Of_Input)
            m_stage = Name;
        return result;
    };
    for (;;)
    {
        WT_Result result = WT_Result_Success;
        switch (m_stage)
        {
        case Name:
        {
            std::string text;
            result = file.read_ascii_string(65536, text);
            if (result != WT_Result_Success)
                return fail(result);
            m_pattern = lookup(text);
            m_stage = Peek;
            break;
        }
        case Peek:
        {
            result = file.skip_whitespace();
            std::uint8_t c = 0;
            if (result == WT_Result_Success)
                result = file.read_byte(c);
            if (result != WT_Result_Success)
                return fail(result);
            file.put_back(c);
            m_stage = c == ')' ? Close : Next_Option;
            break;
        }
        case Next_Option:
            result = m_optioncode.get_opcode(file, true);
            if (result != WT_Result_Success)
                return fail(result);
            if (m_optioncode.type() == WT_Opcode::Close_Paren)
                m_stage = Close;
            else if (m_optioncode.option_id_from_optioncode() ==
                     WT_Fill_Pattern_Optioncode::Scale_Option)
                m_stage = Option_Value;
            else
                return fail(WT_Result_Not_Available);
            break;
        case Option_Value:
            result = m_scale.materialize_option(m_optioncode, file);
            if (result != WT_Result_Success)
                return fail(result);
            m_presence |= Scale_Bit;
            m_stage = Next_Option;
            break;
        default:
            result = opcode.skip_operand(file);
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Name;
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_Fill_Pattern::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Fill_Pattern::serialize(WT_File& file)
{
    const char* const text = name(m_pattern);
    if (!text)
        return WT_Result_Usage_Error;
    WT_CHECK(file.dump_delayed_drawable());
    WT_Attribute_Set& current_set = file.rendition();
    current_set.mark_changed(WT_Attribute_Set::Fill_Pattern_Bit);
    WT_Fill_Pattern& current = current_set.fill_pattern();

    bool scale_differs = false;
    if (has_scale())
    {
        current.m_presence |= Scale_Bit;
        scale_differs = current.m_scale.value() != m_scale.value();
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(FillPattern "));
    WT_CHECK(file.write_quoted_string(text));
    if (scale_differs)
    {
        WT_CHECK(file.write(" "));
        WT_CHECK(m_scale.serialize_option(file));
    }
    current = *this;
    return file.write(")");
}

WT_Result WT_Fill_Pattern::sync(WT_File& file)
{
    file.rendition().mark_changed(WT_Attribute_Set::Fill_Pattern_Bit);
    if (*this == file.rendition().fill_pattern())
        return WT_Result_Success;
    return serialize(file);
}

bool WT_Fill_Pattern::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != Fill_Pattern_ID)
        return false;
    auto const& pattern = static_cast<const WT_Fill_Pattern&>(other);
    return m_presence == pattern.m_presence && m_scale.value() == pattern.m_scale.value() &&
           m_pattern == pattern.m_pattern;
}

WT_Result WT_Fill_Pattern::default_process(WT_File& file)
{
    WT_Attribute_Set& current_set = file.rendition();
    current_set.mark_changed(WT_Attribute_Set::Fill_Pattern_Bit);
    WT_Fill_Pattern& current = current_set.fill_pattern();
    current.m_pattern = m_pattern;
    if (has_scale())
    {
        current.m_scale = m_scale;
        current.m_presence |= Scale_Bit;
    }
    return WT_Result_Success;
}
