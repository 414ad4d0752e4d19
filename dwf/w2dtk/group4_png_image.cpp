#include "dwf/w2dtk/group4_png_image.h"

#include "dwf/w2dtk/block_fields.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/raster_payload.h"

#include <algorithm>
#include <string>

namespace
{
constexpr std::uint32_t Sync_Mask = WT_Attribute_Set::Visibility_Bit | WT_Attribute_Set::URL_Bit |
                                    WT_Attribute_Set::Layer_Bit | WT_Attribute_Set::Viewport_Bit |
                                    WT_Attribute_Set::Block_Ref_Bit |
                                    WT_Attribute_Set::Object_Node_Bit;

enum Stage
{
    Start = 0,
    // binary
    Binary_Map = 1,
    Binary_Size = 2,
    Binary_Data = 3,
    Binary_Close = 4,
    // ASCII
    Format_Name = 10,
    Identifier = 11,
    Columns = 12,
    Comma = 13,
    Rows = 14,
    Min_Corner = 15,
    Max_Corner = 16,
    Map_Bytes = 17,
    Map_Opcode = 18,
    Map_Operand = 19,
    Data_Open_Space = 20,
    Data_Open = 21,
    Data_Size = 22,
    Data = 23,
    Close = 24,
};
} // namespace

WT_Group4_PNG_Image::WT_Group4_PNG_Image(std::uint16_t rows, std::uint16_t columns,
                                         WT_Image_Format format, std::int32_t identifier,
                                         const WT_Color_Map* color_map, std::uint32_t data_size,
                                         const std::uint8_t* data,
                                         const WT_Logical_Point& min_corner,
                                         const WT_Logical_Point& max_corner, bool copy)
    : m_rows(rows), m_columns(columns), m_format(format), m_identifier(identifier),
      m_data_size(data_size), m_min_corner(min_corner), m_max_corner(max_corner)
{
    wt_hold_raster({m_owned_color_map, m_color_map, m_owned_data, m_data}, color_map, data_size,
                   data, copy);
}

const char* WT_Group4_PNG_Image::format_name(int format)
{
    switch (format)
    {
    case Group4:
        return "Group4";
    case PNG:
        return "PNG";
    case Group4X_Mapped:
        return "group 4X";
    default:
        return nullptr;
    }
}

WT_Result WT_Group4_PNG_Image::serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    std::uint32_t map_bytes = 0;
    if (!format_name(m_format))
        return WT_Result_Not_Available;
    if (m_format == Group4X_Mapped)
    {
        if (!m_color_map)
            return WT_Result_Write_Failed;
        // Binary operands count 1 to 256 entries; the ASCII form announces the
        // map's size as a 16-bit number.
        if (m_color_map->size() < 1 ||
            (file.binary_output() && !m_color_map->fits_binary_operand()) ||
            4 * std::uint32_t(m_color_map->size()) + 1 > 65535)
            return WT_Result_Usage_Error;
        map_bytes = 4 * std::uint32_t(m_color_map->size()) + 1;
    }
    if (!m_data && m_data_size > 0)
        return WT_Result_Usage_Error;
    if (std::uint64_t(m_data_size) + map_bytes + WT_Raster_Frame_Overhead > 0xFFFFFFFFull)
        return WT_Result_Usage_Error;

    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.desired_rendition().sync(file, Sync_Mask));

    WT_CHECK(wt_transform_corners_for_output(file, m_min_corner, m_max_corner, m_transformed));

    if (!file.binary_output())
    {
        WT_CHECK(file.write_continuation_line());
        WT_CHECK(file.write("(Group4PNGImage "));
        WT_CHECK(file.write_quoted_string(format_name(m_format)));
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(m_identifier));
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(m_columns));
        WT_CHECK(file.write(","));
        WT_CHECK(file.write_ascii(m_rows));
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(m_min_corner));
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(m_max_corner));
        if (map_bytes != 0)
        {
            WT_CHECK(file.write(" "));
            WT_CHECK(file.write_ascii(map_bytes));
            WT_CHECK(file.write(" "));
            WT_Color_Map map(*m_color_map);
            WT_CHECK(map.serialize(file));
        }
        WT_CHECK(file.write(" ("));
        WT_CHECK(file.write_ascii(m_data_size));
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_hex(m_data_size, m_data));
        return file.write("))");
    }

    WT_CHECK(wt_write_raster_frame_head(
        file, m_data_size + map_bytes + WT_Raster_Frame_Overhead, std::uint16_t(m_format),
        {m_columns, m_rows, m_min_corner, m_max_corner, std::uint32_t(m_identifier)}));
    if (map_bytes != 0)
        WT_CHECK(m_color_map->serialize_binary_operand(file));
    WT_CHECK(file.write_u32(m_data_size));
    WT_CHECK(file.write(m_data_size, m_data));
    return file.write("}");
}

WT_Result WT_Group4_PNG_Image::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return wt_skip_extended_operand(opcode, file);
}

WT_Result WT_Group4_PNG_Image::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_Result result;
    switch (opcode.type())
    {
    case WT_Opcode::Extended_Binary:
        result = materialize_binary(opcode, file);
        break;
    case WT_Opcode::Extended_ASCII:
        result = materialize_ascii(opcode, file);
        break;
    default:
        return WT_Result_Foreign_Opcode;
    }
    if (result != WT_Result_Success && result != WT_Result_Waiting_For_Data)
    {
        m_stage = Start;
        m_reading.clear();
        m_reading.shrink_to_fit();
    }
    return result;
}

WT_Result WT_Group4_PNG_Image::materialize_binary(const WT_Opcode& opcode, WT_File& file)
{
    for (;;)
    {
        switch (m_stage)
        {
        case Start:
        {
            if (!format_name(m_format))
                return WT_Result_Corrupt_Stream;
            if (opcode.binary_size() < WT_Raster_Frame_Overhead)
                return WT_Result_Inconsistent_Operand;
            WT_Raster_Frame_Head head;
            WT_CHECK(wt_read_raster_frame_head(file, head));
            m_columns = head.m_columns;
            m_rows = head.m_rows;
            m_min_corner = head.m_min_corner;
            m_max_corner = head.m_max_corner;
            m_identifier = std::int32_t(head.m_identifier);
            if (m_format == Group4X_Mapped)
            {
                m_owned_color_map = std::make_unique<WT_Color_Map>();
                m_owned_color_map->clear();
                m_color_map = m_owned_color_map.get();
                m_stage = Binary_Map;
            }
            else
                m_stage = Binary_Size;
            break;
        }
        case Binary_Map:
            WT_CHECK(m_owned_color_map->materialize_binary_operand(file));
            m_stage = Binary_Size;
            break;
        case Binary_Size:
        {
            std::uint32_t size = 0;
            WT_CHECK(file.read_u32(size));
            std::uint64_t const map_bytes =
                m_format == Group4X_Mapped ? 4 * std::uint64_t(m_color_map->size()) + 1 : 0;
            if (std::uint64_t(size) + map_bytes + WT_Raster_Frame_Overhead != opcode.binary_size())
                return WT_Result_Inconsistent_Operand;
            if (size > WT_File::Max_Operand_Bytes)
                return WT_Result_Corrupt_Stream;
            m_data_size = size;
            m_reading.clear();
            m_stage = Binary_Data;
            break;
        }
        case Binary_Data:
            WT_CHECK(wt_read_raster_bytes(file, m_data_size, m_reading));
            m_stage = Binary_Close;
            break;
        default:
            WT_CHECK(wt_read_closing_brace(file));
            return finish_reading(file);
        }
    }
}

WT_Result WT_Group4_PNG_Image::materialize_ascii(const WT_Opcode& opcode, WT_File& file)
{
    if (m_stage == Start)
        m_stage = Format_Name;
    for (;;)
    {
        switch (m_stage)
        {
        case Format_Name:
        {
            std::string name;
            WT_CHECK(file.read_ascii_string(WT_Opcode::Max_Name_Length, name));
            int format = 0;
            for (int f : {Group4X_Mapped, Group4, PNG})
                if (name == format_name(f))
                    format = f;
            if (format == 0)
                return WT_Result_Inconsistent_Operand;
            m_format = format;
            m_stage = Identifier;
            break;
        }
        case Identifier:
            WT_CHECK(file.read_ascii(m_identifier));
            m_stage = Columns;
            break;
        case Columns:
            WT_CHECK(file.read_ascii(m_columns));
            m_stage = Comma;
            break;
        case Comma:
        {
            std::uint8_t comma = 0;
            WT_CHECK(file.read_byte(comma));
            if (comma != ',')
                return WT_Result_Corrupt_Stream;
            m_stage = Rows;
            break;
        }
        case Rows:
            WT_CHECK(file.read_ascii(m_rows));
            m_stage = Min_Corner;
            break;
        case Min_Corner:
            WT_CHECK(file.read_ascii(m_min_corner));
            m_stage = Max_Corner;
            break;
        case Max_Corner:
            WT_CHECK(file.read_ascii(m_max_corner));
            m_stage = m_format == Group4X_Mapped ? Map_Bytes : Data_Open_Space;
            break;
        case Map_Bytes:
            WT_CHECK(file.read_ascii(m_map_bytes));
            m_stage = m_map_bytes != 0 ? Map_Opcode : Data_Open_Space;
            break;
        case Map_Opcode:
        {
            WT_CHECK(m_map_opcode.get_opcode(file));
            bool const ascii_map =
                m_map_opcode.type() == WT_Opcode::Extended_ASCII && m_map_opcode.is("(ColorMap");
            bool const binary_map = m_map_opcode.type() == WT_Opcode::Extended_Binary &&
                                    m_map_opcode.binary_number() == 1;
            if (!ascii_map && !binary_map)
                return WT_Result_Corrupt_Stream;
            m_owned_color_map = std::make_unique<WT_Color_Map>();
            m_color_map = m_owned_color_map.get();
            m_stage = Map_Operand;
            break;
        }
        case Map_Operand:
            WT_CHECK(m_owned_color_map->materialize(m_map_opcode, file));
            // The announced byte count must describe the map that followed.
            if (4 * std::uint32_t(m_color_map->size()) + 1 != m_map_bytes)
                return WT_Result_Inconsistent_Operand;
            m_stage = Data_Open_Space;
            break;
        case Data_Open_Space:
            WT_CHECK(file.skip_whitespace());
            m_stage = Data_Open;
            break;
        case Data_Open:
        {
            std::uint8_t open = 0;
            WT_CHECK(file.read_byte(open));
            if (open != '(')
                return WT_Result_Corrupt_Stream;
            ++file.nesting_depth();
            m_stage = Data_Size;
            break;
        }
        case Data_Size:
            WT_CHECK(wt_read_raster_size(file, m_data_size));
            m_reading.clear();
            m_stage = Data;
            break;
        case Data:
            WT_CHECK(wt_read_raster_hex(file, m_data_size, m_reading));
            m_stage = Close;
            break;
        default:
            WT_CHECK(opcode.skip_operand(file));
            return finish_reading(file);
        }
    }
}

WT_Result WT_Group4_PNG_Image::finish_reading(WT_File& file)
{
    m_owned_data = std::move(m_reading);
    m_reading = std::vector<std::uint8_t>();
    m_data = m_owned_data.empty() ? nullptr : m_owned_data.data();
    m_data_size = std::uint32_t(m_owned_data.size());
    m_stage = Start;
    WT_CHECK(wt_transform_corners_after_reading(file, m_min_corner, m_max_corner, m_transformed));
    set_materialized();
    return WT_Result_Success;
}

void WT_Group4_PNG_Image::update_bounds(WT_File&)
{
    widen_bounds(m_min_corner);
    widen_bounds(m_max_corner);
}
