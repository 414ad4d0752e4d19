#include "dwf/w2dtk/raster_payload.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/point_transform.h"

#include <algorithm>
#include <new>

namespace
{
// Bytes appended per step while reading a raster: large enough to keep the
// per-call cost low, small enough that a lying size costs little memory.
constexpr std::size_t Chunk = 65536;
} // namespace

WT_Result wt_read_raster_bytes(WT_File& file, std::uint32_t size, std::vector<std::uint8_t>& data)
{
    while (data.size() < size)
    {
        std::size_t const old = data.size();
        std::size_t const n = std::min<std::size_t>(Chunk, size - old);
        data.resize(old + n);
        WT_Result result = file.read(n, data.data() + old);
        if (result != WT_Result_Success)
        {
            data.resize(old);
            return result;
        }
    }
    return WT_Result_Success;
}

WT_Result wt_read_raster_hex(WT_File& file, std::uint32_t size, std::vector<std::uint8_t>& data)
{
    if (data.capacity() < size)
        data.reserve(std::min<std::size_t>(size, data.size() + Chunk));
    while (data.size() < size)
    {
        std::uint8_t byte = 0;
        WT_CHECK(file.read_hex(byte));
        data.push_back(byte);
    }
    return WT_Result_Success;
}

WT_Result wt_read_raster_size(WT_File& file, std::uint32_t& size)
{
    std::int32_t value = 0;
    WT_CHECK(file.read_ascii(value));
    if (value < 0 || std::uint64_t(value) > WT_File::Max_Operand_Bytes)
        return WT_Result_Corrupt_Stream;
    size = std::uint32_t(value);
    return WT_Result_Success;
}

WT_Result wt_write_relative_corners(WT_File& file, const WT_Logical_Point& min_corner,
                                    const WT_Logical_Point& max_corner)
{
    WT_Logical_Point const low = file.update_current_point(min_corner);
    WT_Logical_Point const high = file.update_current_point(max_corner);
    std::int32_t const values[4] = {low.m_x, low.m_y, high.m_x, high.m_y};
    return file.write(4, values);
}

WT_Result wt_read_raster_frame_head(WT_File& file, WT_Raster_Frame_Head& head)
{
    std::uint8_t bytes[24];
    WT_CHECK(file.read(sizeof bytes, bytes));
    auto u16 = [&bytes](int at) { return std::uint16_t(bytes[at] | (bytes[at + 1] << 8)); };
    auto u32 = [&bytes](int at)
    {
        return std::uint32_t(bytes[at]) | (std::uint32_t(bytes[at + 1]) << 8) |
               (std::uint32_t(bytes[at + 2]) << 16) | (std::uint32_t(bytes[at + 3]) << 24);
    };
    head.m_columns = u16(0);
    head.m_rows = u16(2);
    head.m_min_corner =
        file.de_relativize(WT_Logical_Point(std::int32_t(u32(4)), std::int32_t(u32(8))));
    head.m_max_corner =
        file.de_relativize(WT_Logical_Point(std::int32_t(u32(12)), std::int32_t(u32(16))));
    head.m_identifier = u32(20);
    return WT_Result_Success;
}

bool wt_transform_corners(WT_File& file, WT_Logical_Point& min_corner, WT_Logical_Point& max_corner)
{
    WT_Transform const& transform = file.heuristics().m_transform;
    WT_Logical_Point a = min_corner;
    WT_Logical_Point b = max_corner;
    bool fits = wt_transform_point(a, transform);
    fits = wt_transform_point(b, transform) && fits;
    switch (transform.m_rotation)
    {
    case 90:
        min_corner = WT_Logical_Point(b.m_x, a.m_y);
        max_corner = WT_Logical_Point(a.m_x, b.m_y);
        break;
    case 180:
        min_corner = b;
        max_corner = a;
        break;
    case 270:
        min_corner = WT_Logical_Point(a.m_x, b.m_y);
        max_corner = WT_Logical_Point(b.m_x, a.m_y);
        break;
    default:
        min_corner = a;
        max_corner = b;
        break;
    }
    return fits;
}

WT_Result wt_transform_corners_for_output(WT_File& file, WT_Logical_Point& min_corner,
                                          WT_Logical_Point& max_corner, bool& transformed)
{
    if (!file.heuristics().m_apply_transform || transformed)
        return WT_Result_Success;
    try
    {
        wt_transform_corners(file, min_corner, max_corner); // saturates
    }
    catch (WT_Result result)
    {
        return result;
    }
    transformed = true;
    return WT_Result_Success;
}

WT_Result wt_transform_corners_after_reading(WT_File& file, WT_Logical_Point& min_corner,
                                             WT_Logical_Point& max_corner, bool& transformed)
{
    transformed = false;
    if (!file.heuristics().m_apply_transform)
        return WT_Result_Success;
    try
    {
        if (!wt_transform_corners(file, min_corner, max_corner))
            return WT_Result_Corrupt_Stream;
    }
    catch (WT_Result result)
    {
        return result;
    }
    transformed = true;
    return WT_Result_Success;
}

void wt_hold_raster(const WT_Raster_Holding& holding, const WT_Color_Map* color_map,
                    std::uint32_t data_size, const std::uint8_t* data, bool copy)
{
    if (!copy)
    {
        holding.m_color_map = color_map;
        holding.m_data = data;
        return;
    }
    try
    {
        if (color_map)
        {
            holding.m_owned_color_map = std::make_unique<WT_Color_Map>(*color_map);
            holding.m_color_map = holding.m_owned_color_map.get();
        }
        if (data && data_size > 0)
        {
            holding.m_owned_data.assign(data, data + data_size);
            holding.m_data = holding.m_owned_data.data();
        }
    }
    catch (const std::bad_alloc&)
    {
        throw WT_Result_Out_Of_Memory;
    }
}

WT_Result wt_write_raster_frame_head(WT_File& file, std::uint32_t frame_size, std::uint16_t format,
                                     const WT_Raster_Frame_Head& head)
{
    WT_CHECK(file.write("{"));
    WT_CHECK(file.write_u32(frame_size));
    WT_CHECK(file.write_u16(format));
    WT_CHECK(file.write_u16(head.m_columns));
    WT_CHECK(file.write_u16(head.m_rows));
    WT_CHECK(wt_write_relative_corners(file, head.m_min_corner, head.m_max_corner));
    return file.write_u32(head.m_identifier);
}

WT_Result wt_read_payload_size(const WT_Opcode& opcode, WT_File& file, std::uint64_t operand_start,
                               std::uint32_t& size)
{
    if (opcode.type() != WT_Opcode::Extended_Binary)
        return wt_read_raster_size(file, size);
    WT_CHECK(file.read_u32(size));
    // The two bytes of the frame number and the closing brace are inside the
    // frame size too.
    std::uint64_t const used = file.logical_position() - operand_start + 2 + 1;
    if (opcode.binary_size() < used || opcode.binary_size() - used != size)
        return WT_Result_Inconsistent_Operand;
    return WT_Result_Success;
}

WT_Result wt_read_payload(const WT_Opcode& opcode, WT_File& file, std::uint32_t size,
                          std::vector<std::uint8_t>& data)
{
    if (opcode.type() == WT_Opcode::Extended_Binary)
        return wt_read_raster_bytes(file, size, data);
    return wt_read_raster_hex(file, size, data);
}
