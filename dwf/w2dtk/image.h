#pragma once

#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"

#include <cstdint>
#include <memory>
#include <vector>

// A raster placed between two corners of the drawing.
class WT_Image : public WT_Drawable
{
public:
    // The format code doubles as the number of the binary frame.
    enum WT_Image_Format
    {
        Bitonal_Mapped = 2, // 1 bit per pixel; written as group 3X
        Group3X_Mapped = 3,
        Indexed = 4, // indices into the rendition's colour map
        Mapped = 5,
        RGB = 6,
        RGBA = 7, // in memory packed WT_RGBA32 values, little-endian
        JPEG = 8,
    };

    WT_Image() = default;
    explicit WT_Image(int format) : m_format(std::uint8_t(format)) {}
    // With copy set the image keeps copies of the colour map and the data;
    // otherwise it refers to the caller's, which must outlive it.
    WT_Image(std::uint16_t rows, std::uint16_t columns, WT_Image_Format format,
             std::uint32_t identifier, const WT_Color_Map* color_map, std::uint32_t data_size,
             const std::uint8_t* data, const WT_Logical_Point& min_corner,
             const WT_Logical_Point& max_corner, bool copy);
    WT_Image(const WT_Image&) = delete;
    WT_Image& operator=(const WT_Image&) = delete;

    std::uint16_t rows() const { return m_rows; }
    std::uint16_t columns() const { return m_columns; }
    int format() const { return m_format; }
    std::uint32_t identifier() const { return m_identifier; }
    const WT_Color_Map* color_map() const { return m_color_map; }
    std::uint32_t data_size() const { return m_data_size; }
    const std::uint8_t* data() const { return m_data; }
    const WT_Logical_Point& min_corner() const { return m_min_corner; }
    const WT_Logical_Point& max_corner() const { return m_max_corner; }
    bool transformed() const { return m_transformed; }

    // Recodes a bitonal image as group 3X (the image then owns the new data);
    // other formats are left alone.
    WT_Result convert_bitonal_to_group_3x();

    WT_ID object_id() const override { return Image_ID; }
    int action_slot() const override { return 36; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    // Passes over the frame by its size, or the ASCII operand to its closing
    // parenthesis, without reading the raster.
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    void update_bounds(WT_File& file) override;

    // The ASCII word of a format, or null for codes outside 2 to 8.
    static const char* format_word(int format);

private:
    WT_Result materialize_binary(const WT_Opcode& opcode, WT_File& file);
    WT_Result materialize_ascii(const WT_Opcode& opcode, WT_File& file);
    WT_Result check_data_size(std::uint32_t size) const;
    void take_data(std::vector<std::uint8_t>&& data);
    WT_Result finish_reading(WT_File& file);

    std::uint16_t m_rows = 0;
    std::uint16_t m_columns = 0;
    std::uint8_t m_format = RGBA;
    std::uint32_t m_identifier = 0;
    const WT_Color_Map* m_color_map = nullptr;
    std::unique_ptr<WT_Color_Map> m_owned_color_map;
    std::uint32_t m_data_size = 0;
    const std::uint8_t* m_data = nullptr;
    std::vector<std::uint8_t> m_owned_data;
    WT_Logical_Point m_min_corner;
    WT_Logical_Point m_max_corner;
    bool m_transformed = false;

    // Reading state.
    int m_stage = 0;
    std::vector<std::uint8_t> m_reading;
    WT_Opcode m_map_opcode;
};
