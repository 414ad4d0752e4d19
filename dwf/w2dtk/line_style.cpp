#include "dwf/w2dtk/line_style.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/line_weight.h"

#include <cstring>
#include <string>

namespace
{
const char* const Join_Words[WT_Line_Style_Option_Word::Word_Count] = {"miter", "bevel", "round",
                                                                       "diamond"};
const char* const Cap_Words[WT_Line_Style_Option_Word::Word_Count] = {"butt", "square", "round",
                                                                      "diamond"};

const char* option_name(WT_Line_Style_Option_Word::Kind kind)
{
    switch (kind)
    {
    case WT_Line_Style_Option_Word::Line_Join:
        return "(LineJoin ";
    case WT_Line_Style_Option_Word::Dash_Start_Cap:
        return "(DashStartCap ";
    case WT_Line_Style_Option_Word::Dash_End_Cap:
        return "(DashEndCap ";
    case WT_Line_Style_Option_Word::Line_Start_Cap:
        return "(LineStartCap ";
    default:
        return "(LineEndCap ";
    }
}

// Writing order of the options, as presence bits.
const std::uint16_t Option_Order[] = {
    WT_Line_Style::Adapt_Patterns_Bit, WT_Line_Style::Pattern_Scale_Bit,
    WT_Line_Style::Line_Join_Bit,      WT_Line_Style::Dash_Start_Cap_Bit,
    WT_Line_Style::Dash_End_Cap_Bit,   WT_Line_Style::Line_Start_Cap_Bit,
    WT_Line_Style::Line_End_Cap_Bit,   WT_Line_Style::Miter_Angle_Bit,
    WT_Line_Style::Miter_Length_Bit,
};

constexpr std::uint16_t Pattern_Bits =
    WT_Line_Style::Adapt_Patterns_Bit | WT_Line_Style::Pattern_Scale_Bit;

enum Stage
{
    Start = 0,
    Next_Option = 1,
    Option_Value = 2,
    Skip_Option = 3,
    Close = 4,
};
} // namespace

// ---------------------------------------------------------------- options

WT_Result WT_Line_Style_Option_Adapt_Patterns::materialize_option(const WT_Opcode& opcode,
                                                                  WT_File& file)
{
    if (m_stage == 0)
    {
        std::string word;
        WT_CHECK(file.read_ascii_string(WT_Opcode::Max_Name_Length, word));
        if (word == "true" || word == "TRUE" || word == "1")
            m_value = true;
        else if (word == "false" || word == "FALSE" || word == "0")
            m_value = false;
        else
            return WT_Result_Corrupt_Stream;
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Line_Style_Option_Adapt_Patterns::serialize_option(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(AdaptPatterns "));
    return file.write(m_value ? "true)" : "false)");
}

WT_Result WT_Line_Style_Option_Word::materialize_option(const WT_Opcode& opcode, WT_File& file)
{
    if (m_stage == 0)
    {
        std::string word;
        WT_CHECK(file.read_ascii_string(65536, word));
        const char* const* words = m_kind == Line_Join ? Join_Words : Cap_Words;
        int found = -1;
        for (int i = 0; i < Word_Count; ++i)
            if (word == words[i])
                found = i;
        if (found < 0)
            return WT_Result_Corrupt_Stream;
        m_value = found;
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Line_Style_Option_Word::serialize_option(WT_File& file)
{
    if (m_value < 0 || m_value >= Word_Count)
        return WT_Result_Not_Available;
    WT_CHECK(file.dump_delayed_drawable());
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write(option_name(m_kind)));
    WT_CHECK(file.write((m_kind == Line_Join ? Join_Words : Cap_Words)[m_value]));
    return file.write(")");
}

WT_Result WT_Line_Style_Option_Miter::materialize_option(const WT_Opcode& opcode, WT_File& file)
{
    if (m_stage == 0)
    {
        WT_CHECK(file.read_ascii(m_value));
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Line_Style_Option_Miter::serialize_option(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write(m_angle ? "(MiterAngle " : "(MiterLength "));
    WT_CHECK(file.write_ascii(m_value));
    return file.write(")");
}

int WT_Line_Style_Optioncode::option_id_from_optioncode() const
{
    static const char* const names[] = {
        "(AdaptPatterns", "(LinePatternScale", "(LineJoin",   "(DashStartCap", "(DashEndCap",
        "(LineStartCap",  "(LineEndCap",       "(MiterAngle", "(MiterLength",
    };
    if (type() != Extended_ASCII)
        return Unknown_Option;
    for (int i = 0; i < 9; ++i)
        if (is(names[i]))
            return i + 1;
    return Unknown_Option;
}

// ---------------------------------------------------------------- line style

void WT_Line_Style::set_adapt_patterns(bool value)
{
    m_adapt.set(value);
    m_presence |= Adapt_Patterns_Bit;
}

void WT_Line_Style::set_pattern_scale(double value)
{
    m_scale.set(value);
    m_presence |= Pattern_Scale_Bit;
}

void WT_Line_Style::set_line_join(int value)
{
    m_join.set(value);
    m_presence |= Line_Join_Bit;
}

void WT_Line_Style::set_dash_start_cap(int value)
{
    m_dash_start.set(value);
    m_presence |= Dash_Start_Cap_Bit;
}

void WT_Line_Style::set_dash_end_cap(int value)
{
    m_dash_end.set(value);
    m_presence |= Dash_End_Cap_Bit;
}

void WT_Line_Style::set_line_start_cap(int value)
{
    m_line_start.set(value);
    m_presence |= Line_Start_Cap_Bit;
}

void WT_Line_Style::set_line_end_cap(int value)
{
    m_line_end.set(value);
    m_presence |= Line_End_Cap_Bit;
}

void WT_Line_Style::set_miter_angle(std::uint16_t value)
{
    m_miter_angle.set(value);
    m_presence |= Miter_Angle_Bit;
}

void WT_Line_Style::set_miter_length(std::uint16_t value)
{
    m_miter_length.set(value);
    m_presence |= Miter_Length_Bit;
}

WT_Option& WT_Line_Style::option(std::uint16_t bit)
{
    switch (bit)
    {
    case Adapt_Patterns_Bit:
        return m_adapt;
    case Pattern_Scale_Bit:
        return m_scale;
    case Line_Join_Bit:
        return m_join;
    case Dash_Start_Cap_Bit:
        return m_dash_start;
    case Dash_End_Cap_Bit:
        return m_dash_end;
    case Line_Start_Cap_Bit:
        return m_line_start;
    case Line_End_Cap_Bit:
        return m_line_end;
    case Miter_Angle_Bit:
        return m_miter_angle;
    default:
        return m_miter_length;
    }
}

bool WT_Line_Style::same_value(const WT_Line_Style& other, std::uint16_t bit) const
{
    switch (bit)
    {
    case Adapt_Patterns_Bit:
        return m_adapt.value() == other.m_adapt.value();
    case Pattern_Scale_Bit:
        return m_scale.value() == other.m_scale.value();
    case Line_Join_Bit:
        return m_join.value() == other.m_join.value();
    case Dash_Start_Cap_Bit:
        return m_dash_start.value() == other.m_dash_start.value();
    case Dash_End_Cap_Bit:
        return m_dash_end.value() == other.m_dash_end.value();
    case Line_Start_Cap_Bit:
        return m_line_start.value() == other.m_line_start.value();
    case Line_End_Cap_Bit:
        return m_line_end.value() == other.m_line_end.value();
    case Miter_Angle_Bit:
        return m_miter_angle.value() == other.m_miter_angle.value();
    default:
        return m_miter_length.value() == other.m_miter_length.value();
    }
}

void WT_Line_Style::copy_value(const WT_Line_Style& from, std::uint16_t bit)
{
    switch (bit)
    {
    case Adapt_Patterns_Bit:
        m_adapt = from.m_adapt;
        break;
    case Pattern_Scale_Bit:
        m_scale = from.m_scale;
        break;
    case Line_Join_Bit:
        m_join = from.m_join;
        break;
    case Dash_Start_Cap_Bit:
        m_dash_start = from.m_dash_start;
        break;
    case Dash_End_Cap_Bit:
        m_dash_end = from.m_dash_end;
        break;
    case Line_Start_Cap_Bit:
        m_line_start = from.m_line_start;
        break;
    case Line_End_Cap_Bit:
        m_line_end = from.m_line_end;
        break;
    case Miter_Angle_Bit:
        m_miter_angle = from.m_miter_angle;
        break;
    default:
        m_miter_length = from.m_miter_length;
        break;
    }
}

WT_Result WT_Line_Style::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    auto fail = [this](WT_Result result)
    {
        if (result != WT_Result_Waiting_For_Data && result != WT_Result_End_Of_Input)
            m_stage = Start;
        return result;
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Start:
        case Next_Option:
        {
            WT_Result result = m_optioncode.get_opcode(file, true);
            if (result != WT_Result_Success)
                return fail(result);
            if (m_optioncode.type() == WT_Opcode::Close_Paren)
            {
                m_stage = Close;
                break;
            }
            m_option = m_optioncode.option_id_from_optioncode();
            m_stage =
                m_option == WT_Line_Style_Optioncode::Unknown_Option ? Skip_Option : Option_Value;
            break;
        }
        case Skip_Option:
        {
            // A bare word has nothing to skip; an unknown "(Name ...)" its operand.
            WT_Result result = m_optioncode.type() == WT_Opcode::Extended_ASCII
                                   ? m_optioncode.skip_operand(file)
                                   : WT_Result_Success;
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Next_Option;
            break;
        }
        case Option_Value:
        {
            // Option numbers follow the writing order.
            std::uint16_t const bit = Option_Order[m_option - 1];
            WT_Result result = option(bit).materialize_option(m_optioncode, file);
            if (result != WT_Result_Success)
                return fail(result);
            m_presence |= bit;
            m_stage = Next_Option;
            break;
        }
        default:
        {
            WT_Result result = opcode.skip_operand(file);
            if (result != WT_Result_Success)
                return fail(result);
            m_stage = Start;
            set_materialized();
            return WT_Result_Success;
        }
        }
    }
}

WT_Result WT_Line_Style::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Line_Style::serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    WT_Attribute_Set& current_set = file.rendition();
    current_set.mark_changed(WT_Attribute_Set::Line_Style_Bit);
    WT_Line_Style& current = current_set.line_style();
    WT_Attribute_Set& desired = file.desired_rendition();

    std::uint16_t taken = 0;
    for (std::uint16_t bit : Option_Order)
    {
        if (!(m_presence & bit))
            continue;
        if (!(bit & Pattern_Bits))
        {
            // Joins, caps and miters shape only lines that have a width.
            desired.mark_changed(WT_Attribute_Set::Line_Weight_Bit);
            if (desired.line_weight().weight_value() <= 0)
                continue;
        }
        current.m_presence |= bit;
        if (!same_value(current, bit))
            taken |= bit;
    }
    if (taken == 0)
        return WT_Result_Success;

    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(LineStyle"));
    for (std::uint16_t bit : Option_Order)
    {
        if (!(taken & bit))
            continue;
        WT_CHECK(file.write(" "));
        WT_CHECK(option(bit).serialize_option(file));
        current.copy_value(*this, bit);
    }
    return file.write(")");
}

WT_Result WT_Line_Style::sync(WT_File& file)
{
    file.rendition().mark_changed(WT_Attribute_Set::Line_Style_Bit);
    if (*this == file.rendition().line_style())
        return WT_Result_Success;
    return serialize(file);
}

bool WT_Line_Style::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != Line_Style_ID)
        return false;
    auto const& style = static_cast<const WT_Line_Style&>(other);
    if (m_presence != style.m_presence)
        return false;
    for (std::uint16_t bit : Option_Order)
        if (!same_value(style, bit))
            return false;
    return true;
}

WT_Result WT_Line_Style::default_process(WT_File& file)
{
    WT_Attribute_Set& current_set = file.rendition();
    current_set.mark_changed(WT_Attribute_Set::Line_Style_Bit);
    WT_Line_Style& current = current_set.line_style();
    current.m_presence |= m_presence;
    for (std::uint16_t bit : Option_Order)
        if (m_presence & bit)
            current.copy_value(*this, bit);
    return WT_Result_Success;
}
