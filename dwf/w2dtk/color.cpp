#include "dwf/w2dtk/color.h"

#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Color::WT_Color(int index, const WT_Color_Map& map)
{
    set(index, map);
}

void WT_Color::set(int index, const WT_Color_Map& map)
{
    if (index < 0 || index >= map.size())
        throw WT_Result_Usage_Error;
    m_index = index;
    m_rgba = map.map(index);
}

void WT_Color::set(WT_RGBA32 rgba, WT_Color_Map_Mode mode)
{
    m_rgba = rgba;
    m_index = -1;
    m_mapping = mode;
}

int WT_Color::map_to_index(WT_RGBA32 rgba, WT_Color_Map_Mode mode, const WT_Color_Map& map)
{
    // Six levels per component; the position within a 6 × 6 × 6 cube.
    auto level = [](int component) { return (component * 3) >> 7; };
    int const cube = level(rgba.blue()) + 6 * level(rgba.green()) + 36 * level(rgba.red());
    bool const cube_matches = cube < map.size() && map.map(cube) == rgba;
    switch (mode)
    {
    case Exact_Match_At_Cube:
        return cube_matches ? cube : -1;
    case Cube_Position:
        return cube;
    case Exact_Match_Anywhere:
    {
        if (cube_matches)
            return cube;
        int const nearest = map.nearest_index(rgba);
        return nearest >= 0 && map.map(nearest) == rgba ? nearest : -1;
    }
    case Nearest_Match:
        return cube_matches ? cube : map.nearest_index(rgba);
    default:
        return -1;
    }
}

WT_Result WT_Color::materialize(const WT_Opcode& opcode, WT_File& file)
{
    switch (opcode.type())
    {
    case WT_Opcode::Single_Byte:
    {
        std::int32_t index = 0;
        switch (opcode.first_byte())
        {
        case 0x03:
            WT_CHECK(file.read_rgba(m_rgba));
            m_index = -1;
            set_materialized();
            return WT_Result_Success;
        case 'C':
            WT_CHECK(file.read_ascii(index));
            break;
        case 'c':
        {
            std::uint8_t byte = 0;
            WT_CHECK(file.read_byte(byte));
            index = byte;
            break;
        }
        default:
            return WT_Result_Foreign_Opcode;
        }
        if (index < 0)
            return WT_Result_Corrupt_Stream;
        WT_Color_Map const& map = file.rendition().color_map();
        file.rendition().mark_changed(WT_Attribute_Set::Color_Map_Bit);
        m_index = index;
        m_rgba = index < map.size() ? map.map(index) : WT_RGBA32(0u);
        set_materialized();
        return WT_Result_Success;
    }
    case WT_Opcode::Extended_ASCII:
        if (m_stage == 0)
        {
            WT_CHECK(file.read_ascii(m_rgba, true));
            m_index = -1;
            m_stage = 1;
        }
        WT_CHECK(opcode.skip_operand(file));
        m_stage = 0;
        set_materialized();
        return WT_Result_Success;
    default:
        return WT_Result_Foreign_Opcode;
    }
}

WT_Result WT_Color::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));

    int index = m_index;
    if (m_mapping != No_Mapping && m_index == -1 && file.heuristics().m_allow_indexed_colors)
    {
        file.desired_rendition().mark_changed(WT_Attribute_Set::Color_Map_Bit);
        WT_Color_Map const map = file.desired_rendition().color_map();
        index = map_to_index(m_rgba, m_mapping, map);
    }

    if (index != -1)
    {
        // The map the index refers to must be in the stream first.
        WT_CHECK(file.desired_rendition().sync(file, WT_Attribute_Set::Color_Map_Bit));
        if (file.binary_output() && index >= 0 && index <= 255)
        {
            WT_CHECK(file.write_byte('c'));
            return file.write_byte(std::uint8_t(index));
        }
        // One byte cannot carry larger indices; the ASCII form is valid in
        // binary streams too.
        WT_CHECK(file.write_tab_level());
        WT_CHECK(file.write("C "));
        return file.write_ascii(std::int32_t(index));
    }

    if (file.binary_output())
    {
        WT_CHECK(file.write_byte(0x03));
        return file.write_rgba(m_rgba);
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(Color "));
    WT_CHECK(file.write_ascii_rgba(m_rgba));
    return file.write(")");
}

WT_Result WT_Color::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_changed(WT_Attribute_Set::Color_Bit);
    if (*this == current.color())
        return WT_Result_Success;
    current.color() = *this;
    return serialize(file);
}

bool WT_Color::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != Color_ID)
        return false;
    auto const& color = static_cast<const WT_Color&>(other);
    return m_rgba == color.m_rgba && m_index == color.m_index;
}

WT_Result WT_Color::default_process(WT_File& file)
{
    file.rendition().color() = *this;
    file.rendition().mark_changed(WT_Attribute_Set::Color_Bit);
    return WT_Result_Success;
}
