#pragma once

#include "dwf/w2dtk/result.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Codes a bitonal raster (1 bit per pixel, most significant bit first, each row
// starting on a fresh byte, 0 for the first colour) as group 3X rows: each row
// is two 0 bits followed by alternating runs (first colour first) written with
// the modified Huffman codes, code bits packed from the least significant bit
// of each output byte upward, rows not padded.
//
// Fails with WT_Result_Usage_Error when the source holds fewer than
// rows × ceil(columns / 8) bytes and WT_Result_Out_Of_Memory when the output
// cannot grow.
WT_Result wt_encode_group3x(std::uint32_t rows, std::uint32_t columns, const std::uint8_t* source,
                            std::size_t source_size, std::vector<std::uint8_t>& coded);
