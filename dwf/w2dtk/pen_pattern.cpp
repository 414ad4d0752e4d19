#include "dwf/w2dtk/pen_pattern.h"

#include "dwf/w2dtk/block_fields.h"
#include "dwf/w2dtk/file.h"

WT_Pen_Pattern::WT_Pen_Pattern(const WT_Pen_Pattern& other)
    : WT_Attribute(other), m_pattern(other.m_pattern), m_percentage(other.m_percentage),
      m_map(other.m_map)
{
}

WT_Pen_Pattern& WT_Pen_Pattern::operator=(const WT_Pen_Pattern& other)
{
    if (this != &other)
    {
        WT_Attribute::operator=(other);
        m_pattern = other.m_pattern;
        m_percentage = other.m_percentage;
        m_map = other.m_map;
        m_stage = 0;
        m_reading_map.reset();
    }
    return *this;
}

bool WT_Pen_Pattern::operator==(const WT_Attribute& other_attribute) const
{
    if (other_attribute.object_id() != Pen_Pattern_ID)
        return false;
    auto const& other = static_cast<const WT_Pen_Pattern&>(other_attribute);
    if (m_pattern != other.m_pattern || m_percentage != other.m_percentage)
        return false;
    if (!m_map || !other.m_map)
        return !m_map && !other.m_map;
    return *m_map == *other.m_map;
}

WT_Result WT_Pen_Pattern::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    if (m_pattern < 1 || m_pattern > Max_Pattern)
        return WT_Result_Not_Available;
    // A map a binary operand cannot carry goes out in the ASCII form.
    if (file.binary_output() && (!m_map || m_map->fits_binary_operand()))
    {
        std::uint32_t size = screened() ? 12 : 8;
        if (m_map)
            size += 4 * std::uint32_t(m_map->size()) + 1;
        WT_CHECK(file.write("{"));
        WT_CHECK(file.write_u32(size));
        WT_CHECK(file.write_u16(356));
        WT_CHECK(file.write_u32(m_pattern));
        if (screened())
            WT_CHECK(file.write_u32(m_percentage));
        WT_CHECK(file.write(m_map ? "1" : "0"));
        if (m_map)
            WT_CHECK(m_map->serialize_binary_operand(file));
        return file.write("}");
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(PenPattern "));
    WT_CHECK(file.write_ascii(m_pattern));
    WT_CHECK(file.write(" "));
    if (screened())
    {
        WT_CHECK(file.write_ascii(m_percentage));
        WT_CHECK(file.write(" "));
    }
    WT_CHECK(file.write(m_map ? "1" : "0"));
    if (!screened())
        WT_CHECK(file.write(" "));
    if (m_map)
    {
        WT_CHECK(file.write(" "));
        WT_Color_Map map = *m_map;
        // Written as an opcode of its own, even inside a binary stream.
        bool const binary = file.binary_output();
        file.set_allow_binary_data(false);
        WT_Result const written = map.serialize(file);
        file.set_allow_binary_data(binary);
        WT_CHECK(written);
    }
    WT_CHECK(file.write(" "));
    return file.write(")");
}

WT_Result WT_Pen_Pattern::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_Result const result = read_body(opcode, file);
    if (result != WT_Result_Success && result != WT_Result_Waiting_For_Data)
    {
        m_stage = 0;
        m_reading_map.reset();
    }
    return result;
}

WT_Result WT_Pen_Pattern::read_body(const WT_Opcode& opcode, WT_File& file)
{
    bool const binary = opcode.type() == WT_Opcode::Extended_Binary;
    if (!binary && opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    enum
    {
        Pattern,
        Percentage,
        Flag,
        Map_Token,
        Map,
        Close,
    };
    for (;;)
    {
        switch (m_stage)
        {
        case Pattern:
        {
            std::uint32_t pattern = 0;
            if (binary)
                WT_CHECK(file.read_u32(pattern));
            else
            {
                std::int32_t value = 0;
                WT_CHECK(file.read_ascii(value));
                pattern = value < 0 ? 0 : std::uint32_t(value);
            }
            if (pattern < 1 || pattern > Max_Pattern)
                return WT_Result_Not_Available;
            m_pattern = pattern;
            m_percentage = 0;
            m_map.reset();
            if (binary && opcode.binary_size() < (screened() ? 12u : 8u))
                return WT_Result_Inconsistent_Operand;
            m_stage = screened() ? Percentage : Flag;
            break;
        }
        case Percentage:
            WT_CHECK(binary ? file.read_u32(m_percentage) : file.read_ascii(m_percentage));
            m_stage = Flag;
            break;
        case Flag:
        {
            bool with_map = false;
            if (binary)
            {
                std::uint8_t flag = 0;
                WT_CHECK(file.read_byte(flag));
                if (flag != '0' && flag != '1')
                    return WT_Result_Not_Available;
                with_map = flag == '1';
            }
            else
            {
                std::int32_t flag = 0;
                WT_CHECK(file.read_ascii(flag));
                if (flag != 0 && flag != 1)
                    return WT_Result_Not_Available;
                with_map = flag == 1;
            }
            if (!with_map)
            {
                if (binary && opcode.binary_size() != (screened() ? 12u : 8u))
                    return WT_Result_Inconsistent_Operand;
                m_stage = Close;
                break;
            }
            m_reading_map = std::make_unique<WT_Color_Map>();
            m_stage = binary ? Map : Map_Token;
            break;
        }
        case Map_Token:
            WT_CHECK(m_map_opcode.get_opcode(file));
            if (m_map_opcode.type() != WT_Opcode::Extended_ASCII || !m_map_opcode.is("(ColorMap"))
                return WT_Result_Corrupt_Stream;
            m_stage = Map;
            break;
        case Map:
            if (binary)
            {
                WT_CHECK(m_reading_map->materialize_binary_operand(file));
                std::uint32_t const expected =
                    (screened() ? 12u : 8u) + 4 * std::uint32_t(m_reading_map->size()) + 1;
                if (opcode.binary_size() != expected)
                    return WT_Result_Inconsistent_Operand;
            }
            else
                WT_CHECK(m_reading_map->materialize(m_map_opcode, file));
            m_map = std::move(m_reading_map);
            m_stage = Close;
            break;
        default:
            WT_CHECK(wt_close_extended_operand(opcode, file));
            m_stage = Pattern;
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_Pen_Pattern::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_Binary && opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    if (m_stage != 0)
        return materialize(opcode, file);
    return opcode.skip_operand(file);
}

WT_Result WT_Pen_Pattern::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Pen_Pattern_Bit);
    if (*this == current.pen_pattern())
        return WT_Result_Success;
    current.pen_pattern() = *this;
    return serialize(file);
}

WT_Result WT_Pen_Pattern::default_process(WT_File& file)
{
    file.rendition().pen_pattern() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Pen_Pattern_Bit);
    return WT_Result_Success;
}

WT_Result WT_Pen_Pattern::record_as_last_written(WT_File& file) const
{
    file.rendition().pen_pattern() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Pen_Pattern_Bit);
    return WT_Result_Success;
}
