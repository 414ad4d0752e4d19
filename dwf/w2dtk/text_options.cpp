#include "dwf/w2dtk/text_options.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/text_metrics.h"

namespace
{
bool waiting(WT_Result result)
{
    return result == WT_Result_Waiting_For_Data || result == WT_Result_End_Of_Input;
}

class Unavailable_Metrics : public WT_Text_Metrics
{
public:
    bool measure(const WT_Text_Font_Description&, const std::u16string&, WT_Text_Extent&) override
    {
        return false;
    }
};
} // namespace

WT_Text_Metrics& WT_Text_Metrics::unavailable()
{
    static Unavailable_Metrics none;
    return none;
}

// ---------------------------------------------------------------- scoring

void WT_Text_Option_Scoring::set(std::vector<std::uint16_t> indices)
{
    if (indices.size() > Max_Count)
        throw WT_Result_Usage_Error;
    m_indices = std::move(indices);
}

WT_Result WT_Text_Option_Scoring::materialize_option(const WT_Opcode& opcode, WT_File& file)
{
    enum
    {
        Start = 0,
        Binary_Entries = 1,
        Ascii_Open = 10,
        Ascii_Count = 11,
        Ascii_Entry = 12,
        Ascii_Separator = 13,
        Ascii_Close = 14,
    };
    auto fail = [this](WT_Result result)
    {
        if (!waiting(result))
        {
            m_stage = Start;
            m_reading.clear();
        }
        return result;
    };
    bool const binary = opcode.type() == WT_Opcode::Single_Byte;
    if (m_stage == Start)
        m_stage = binary ? Start : Ascii_Open;
    for (;;)
    {
        WT_Result result = WT_Result_Success;
        switch (m_stage)
        {
        case Start:
        {
            long stored = 0;
            result = file.read_count(stored);
            if (result != WT_Result_Success)
                return fail(result);
            if (stored - 1 > long(Max_Count))
                return fail(WT_Result_Corrupt_Stream);
            m_expected = stored - 1;
            m_reading.clear();
            m_stage = Binary_Entries;
            break;
        }
        case Binary_Entries:
            // One entry at a time, so memory follows the bytes that arrive.
            while (long(m_reading.size()) < m_expected)
            {
                long stored = 0;
                result = file.read_count(stored);
                if (result != WT_Result_Success)
                    return fail(result);
                if (stored - 1 > 65535)
                    return fail(WT_Result_Corrupt_Stream);
                m_reading.push_back(std::uint16_t(stored - 1));
            }
            m_indices.swap(m_reading);
            m_reading.clear();
            m_stage = Start;
            return WT_Result_Success;
        case Ascii_Open:
        {
            std::uint8_t c = 0;
            result = file.skip_whitespace();
            if (result == WT_Result_Success)
                result = file.read_byte(c);
            if (result != WT_Result_Success)
                return fail(result);
            if (c != '(')
                return fail(WT_Result_Corrupt_Stream);
            // The inner list's ")" is then matched when the option is skipped.
            ++file.nesting_depth();
            m_reading.clear();
            m_stage = Ascii_Count;
            break;
        }
        case Ascii_Count:
        {
            std::uint16_t count = 0;
            result = file.read_ascii(count);
            if (result != WT_Result_Success)
                return fail(result);
            m_expected = count;
            m_stage = m_expected > 0 ? Ascii_Entry : Ascii_Close;
            break;
        }
        case Ascii_Entry:
        {
            std::uint16_t index = 0;
            result = file.read_ascii(index);
            if (result != WT_Result_Success)
                return fail(result);
            m_reading.push_back(index);
            m_stage = long(m_reading.size()) < m_expected ? Ascii_Separator : Ascii_Close;
            break;
        }
        case Ascii_Separator:
        {
            std::uint8_t c = 0;
            result = file.read_byte(c);
            if (result != WT_Result_Success)
                return fail(result);
            if (c != ',')
                return fail(WT_Result_Corrupt_Stream);
            m_stage = Ascii_Entry;
            break;
        }
        default:
            result = opcode.skip_operand(file);
            if (result != WT_Result_Success)
                return fail(result);
            m_indices.swap(m_reading);
            m_reading.clear();
            m_stage = Start;
            return WT_Result_Success;
        }
    }
}

WT_Result WT_Text_Option_Scoring::serialize_option(WT_File& file)
{
    if (file.binary_output())
    {
        WT_CHECK(file.write_count(long(m_indices.size()) + 1));
        for (std::uint16_t index : m_indices)
            WT_CHECK(file.write_count(long(index) + 1));
        return WT_Result_Success;
    }
    if (m_indices.empty())
        return WT_Result_Success;
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write(m_ascii_name));
    WT_CHECK(file.write(" ("));
    WT_CHECK(file.write_ascii(std::uint32_t(m_indices.size())));
    WT_CHECK(file.write(" "));
    for (std::size_t i = 0; i < m_indices.size(); ++i)
    {
        if (i > 0)
            WT_CHECK(file.write(","));
        WT_CHECK(file.write_ascii(m_indices[i]));
    }
    return file.write("))");
}

// ---------------------------------------------------------------- bounds

WT_Result WT_Text_Option_Bounds::materialize_option(const WT_Opcode& opcode, WT_File& file)
{
    while (m_stage < 4)
    {
        WT_Result result = file.read_ascii(m_reading[std::size_t(m_stage)]);
        if (result != WT_Result_Success)
        {
            if (!waiting(result))
                m_stage = 0;
            return result;
        }
        ++m_stage;
    }
    WT_Result result = opcode.skip_operand(file);
    if (result != WT_Result_Success)
    {
        if (!waiting(result))
            m_stage = 0;
        return result;
    }
    m_bounds = m_reading;
    m_stage = 0;
    return WT_Result_Success;
}

WT_Result WT_Text_Option_Bounds::serialize_option(WT_File& file)
{
    if (!m_bounds)
        return WT_Result_Success;
    WT_CHECK(file.write(" (Bounds "));
    WT_CHECK(file.write_ascii(m_bounds->size(), m_bounds->data()));
    return file.write(")");
}

int WT_Text_Optioncode::option_id_from_optioncode() const
{
    if (type() != Extended_ASCII)
        return Unknown_Option;
    if (is("(Overscore"))
        return Overscore_Option;
    if (is("(Underscore"))
        return Underscore_Option;
    if (is("(Bounds"))
        return Bounds_Option;
    // Written from version 6.00 on; read back so that no positions are lost.
    if (is("(CharPos"))
        return Char_Pos_Option;
    return Unknown_Option;
}
