#pragma once

#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/result.h"

#include <cstdint>
#include <memory>
#include <vector>

class WT_File;
class WT_Opcode;

// Shared by the raster objects (images, group 4 and PNG images).

// Reads the raster bytes of an operand into data, appending in bounded chunks
// so that memory follows the bytes the stream really holds, not the size it
// announces. Resumable: call again with the same size after a result of 1.
WT_Result wt_read_raster_bytes(WT_File& file, std::uint32_t size, std::vector<std::uint8_t>& data);
// The same for the ASCII form, two hexadecimal digits per byte.
WT_Result wt_read_raster_hex(WT_File& file, std::uint32_t size, std::vector<std::uint8_t>& data);

// The byte count of a payload that fills the rest of its operand. Binary: a
// 32-bit count that must reach exactly to the frame's closing brace, counted
// from operand_start (the position just after the frame's number). ASCII: as
// wt_read_raster_size.
WT_Result wt_read_payload_size(const WT_Opcode& opcode, WT_File& file, std::uint64_t operand_start,
                               std::uint32_t& size);
// Reads the payload bytes in the operand's form (raw or hexadecimal), resumable.
WT_Result wt_read_payload(const WT_Opcode& opcode, WT_File& file, std::uint32_t size,
                          std::vector<std::uint8_t>& data);

// Reads an ASCII byte count: negative counts and counts beyond what one
// operand may hold give WT_Result_Corrupt_Stream.
WT_Result wt_read_raster_size(WT_File& file, std::uint32_t& size);

// Writes the binary corner pair relative to the file's current point, which
// moves to the maximum corner; the corners themselves are left as they are.
WT_Result wt_write_relative_corners(WT_File& file, const WT_Logical_Point& min_corner,
                                    const WT_Logical_Point& max_corner);

// Puts both corners through the file's output transform, then re-pairs the
// coordinates by the rotation so that the minimum corner stays lower-left.
// False when a coordinate had to be saturated; WT_Result_Not_Available is
// thrown for a rotation other than 0, 90, 180 or 270.
bool wt_transform_corners(WT_File& file, WT_Logical_Point& min_corner,
                          WT_Logical_Point& max_corner);

// Before writing: transforms the corners once when the file applies a
// transform (saturating), and marks them transformed.
WT_Result wt_transform_corners_for_output(WT_File& file, WT_Logical_Point& min_corner,
                                          WT_Logical_Point& max_corner, bool& transformed);
// After reading: transforms the corners when the file applies a transform; a
// coordinate that had to be saturated makes the stream corrupt.
WT_Result wt_transform_corners_after_reading(WT_File& file, WT_Logical_Point& min_corner,
                                             WT_Logical_Point& max_corner, bool& transformed);

// The colour map and raster a constructed image holds: with copy set, copies
// that the image owns; otherwise the caller's own. WT_Result_Out_Of_Memory is
// thrown when a copy cannot be made.
struct WT_Raster_Holding
{
    std::unique_ptr<WT_Color_Map>& m_owned_color_map;
    const WT_Color_Map*& m_color_map;
    std::vector<std::uint8_t>& m_owned_data;
    const std::uint8_t*& m_data;
};
void wt_hold_raster(const WT_Raster_Holding& holding, const WT_Color_Map* color_map,
                    std::uint32_t data_size, const std::uint8_t* data, bool copy);

// The fixed head of a binary raster frame: columns and rows (unsigned 16-bit),
// the two corners (read relative and made absolute through the file's current
// point) and the identifier. All or nothing, so the corners move the current
// point exactly once.
struct WT_Raster_Frame_Head
{
    std::uint16_t m_columns = 0;
    std::uint16_t m_rows = 0;
    WT_Logical_Point m_min_corner;
    WT_Logical_Point m_max_corner;
    std::uint32_t m_identifier = 0;
};
WT_Result wt_read_raster_frame_head(WT_File& file, WT_Raster_Frame_Head& head);
// Writes the opening brace, the frame size, the format number and the head.
WT_Result wt_write_raster_frame_head(WT_File& file, std::uint32_t frame_size, std::uint16_t format,
                                     const WT_Raster_Frame_Head& head);

// Everything of a binary raster frame after its size field except the raster
// bytes and the colour map: number, columns, rows, corners, identifier, data
// size and the closing brace.
constexpr std::uint32_t WT_Raster_Frame_Overhead = 31;
