#include "dwf/w2dtk/dash_pattern.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <algorithm>
#include <memory>

namespace
{
enum Stage
{
    Number = 0,
    Peek = 1,
    Value = 2,
    Separator = 3,
    Close = 4,
};
} // namespace

WT_Dash_Pattern::WT_Dash_Pattern(std::int32_t number, std::size_t count, const std::int16_t* values)
{
    set(number, count, values);
}

void WT_Dash_Pattern::set(std::int32_t number, std::size_t count, const std::int16_t* values)
{
    if (count % 2 != 0 || count > Max_Values || (count > 0 && !values))
        throw WT_Result_Usage_Error;
    m_number = number;
    m_values.assign(values, values + count);
    m_has_values = values != nullptr;
}

const WT_Dash_Pattern& WT_Dash_Pattern::no_pattern()
{
    static const WT_Dash_Pattern none;
    return none;
}

WT_Result WT_Dash_Pattern::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    auto fail = [this](WT_Result result)
    {
        m_stage = Number;
        m_read_values.clear();
        return result;
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Number:
            WT_CHECK(file.read_ascii(m_read_number));
            m_read_values.clear();
            m_stage = Peek;
            break;
        case Peek:
        {
            WT_CHECK(file.skip_whitespace());
            std::uint8_t c = 0;
            WT_CHECK(file.read_byte(c));
            file.put_back(c);
            if (c == ')')
            {
                // A use of a pattern defined earlier: the number alone.
                m_number = m_read_number;
                m_values.clear();
                m_has_values = false;
                m_stage = Close;
            }
            else
                m_stage = Value;
            break;
        }
        case Value:
        {
            std::int16_t value = 0;
            WT_Result result = file.read_ascii(value);
            if (result != WT_Result_Success && result != WT_Result_Waiting_For_Data &&
                result != WT_Result_End_Of_Input)
                return fail(result);
            WT_CHECK(result);
            if (m_read_values.size() >= Max_Values)
                return fail(WT_Result_Corrupt_Stream);
            m_read_values.push_back(value);
            m_stage = Separator;
            break;
        }
        case Separator:
        {
            std::uint8_t c = 0;
            WT_CHECK(file.read_byte(c));
            if (c == ',')
            {
                m_stage = Value;
                break;
            }
            file.put_back(c);
            // Dashes and gaps come in pairs; an odd list cannot be drawn.
            if (m_read_values.size() % 2 != 0)
                return fail(WT_Result_Corrupt_Stream);
            m_number = m_read_number;
            m_values.swap(m_read_values);
            m_read_values.clear();
            m_has_values = true;
            m_stage = Close;
            break;
        }
        default:
            WT_CHECK(opcode.skip_operand(file));
            m_stage = Number;
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_Dash_Pattern::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Dash_Pattern::write_values(WT_File& file) const
{
    WT_CHECK(file.write(" "));
    for (std::size_t i = 0; i < m_values.size(); ++i)
    {
        if (i % 6 == 0)
        {
            WT_CHECK(file.write_tab_level());
            WT_CHECK(file.write("\t"));
        }
        WT_CHECK(file.write_ascii(m_values[i]));
        if (i + 1 < m_values.size())
            WT_CHECK(file.write(","));
    }
    return WT_Result_Success;
}

WT_Result WT_Dash_Pattern::serialize(WT_File& file)
{
    WT_Dash_Pattern_List& written = file.dash_patterns();
    bool const known = written.contains(m_number);
    // A first use must define the values; only "no pattern" needs none.
    if (!known && m_number != No_Pattern && m_values.empty())
        return WT_Result_Usage_Error;

    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.desired_rendition().sync(file, WT_Attribute_Set::Line_Style_Bit));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(DashPattern "));
    WT_CHECK(file.write_ascii(m_number));
    if (!m_values.empty() && !(known && written.find(m_number) == *this))
        WT_CHECK(write_values(file));
    if (!known && !m_values.empty())
        written.add(*this);
    return file.write(")");
}

WT_Result WT_Dash_Pattern::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Dash_Pattern_Bit);
    if (*this == current.dash_pattern())
        return WT_Result_Success;
    current.dash_pattern() = *this;
    return serialize(file);
}

bool WT_Dash_Pattern::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != Dash_Pattern_ID)
        return false;
    auto const& pattern = static_cast<const WT_Dash_Pattern&>(other);
    return m_number == pattern.m_number && m_values == pattern.m_values;
}

WT_Result WT_Dash_Pattern::default_process(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    // A stream defines each pattern once and names it by number afterwards;
    // the rendition gets the values of the definition.
    WT_Dash_Pattern_List& known = file.dash_patterns();
    if (m_has_values && !known.contains(m_number))
        known.add(*this);
    if (!m_has_values && known.contains(m_number))
        current.dash_pattern() = known.find(m_number);
    else
        current.dash_pattern() = *this;
    current.mark_changed(WT_Attribute_Set::Dash_Pattern_Bit);
    return WT_Result_Success;
}

// ---------------------------------------------------------------- list

const WT_Dash_Pattern& WT_Dash_Pattern_List::find(std::int32_t number) const
{
    for (auto const& pattern : m_patterns)
        if (pattern->number() == number)
            return *pattern;
    return WT_Dash_Pattern::no_pattern();
}

bool WT_Dash_Pattern_List::contains(std::int32_t number) const
{
    return std::any_of(m_patterns.begin(), m_patterns.end(),
                       [number](auto const& pattern) { return pattern->number() == number; });
}

void WT_Dash_Pattern_List::add(const WT_Dash_Pattern& pattern)
{
    m_patterns.add_tail(std::make_unique<WT_Dash_Pattern>(pattern));
}
