#pragma once
// The factories of the pixel kernels. Callers name the data type (0 = 1 bit,
// 1 = 8, 2 = 16, 3 = 32, 4 = 64 bits per pixel), a direction and, for
// transparent kernels, the key pixel; they get a new kernel, owned by them, or
// null for a data type or direction out of range (or when memory is short).
//
// Transparent kernels and their keys, by data type:
// - 1 bit: no key; 0 bits (paper) are transparent.
// - 8 bits: a key of kind 1, 6 or 7 (a raw byte, gray level or palette
//   index): pixels equal to its low byte are transparent.
// - 16 and 64 bits: a key of kind 2 or 4 (a raw sample of that size): pixels
//   equal to it are transparent.
// - 32 bits: a key of kind 3 (a raw 32-bit sample): pixels equal to it are
//   transparent; any other key (an RGB colour, or the kind-0 pixel that marks
//   "transparency from the alpha byte"): pixels whose alpha byte is 0 are.
// A key of any other kind marks nothing as transparent, and the opaque kernel
// is handed out.
#include "imaging/kernels/PixelCopier.h"
#include "imaging/kernels/RowShearer.h"
#include "imaging/kernels/RowSplitter.h"
#include "imaging/kernels/RowStitcher.h"
#include "imaging/models/ImagePixel.h"

#include <cstdint>

namespace Omvi
{

// Directions 0-3 (RowStitcher.h); the composers never ask for transparency.
RowStitcher* createRowStitcher(std::int32_t dataType, std::int32_t direction, bool transparent = false,
                               ImagePixel key = ImagePixel());
// Directions 0-1 give row splitters, 2-3 column splitters (RowSplitter.h).
RowSplitter* createRowSplitter(std::int32_t dataType, std::int32_t direction, bool transparent = false,
                               ImagePixel key = ImagePixel());
// 32-bit RGBA only; directions 0-1. The transparent form skips pixels whose
// alpha byte is 0.
RowSplitter* createBlendRowSplitter(std::int32_t direction, std::int32_t opacity, bool transparent = false,
                                    ImagePixel key = ImagePixel());
RowSplitter* createRowSplitter(std::int32_t dataType, std::int32_t direction, bool transparent, const ImagePixel* key);
PixelCopier* createPixelCopier(std::int32_t dataType, bool transparent = false, ImagePixel key = ImagePixel());
// The same, with the key optional (null: the kind-0 pixel).
PixelCopier* createPixelCopier(std::int32_t dataType, bool transparent, const ImagePixel* key);
// 32-bit RGBA only.
PixelCopier* createBlender(std::int32_t opacity, bool transparent = false, ImagePixel key = ImagePixel());
// Direction 2 takes source runs forwards, others backwards (PixelCopier.h).
PixelColumnCopier* createColumnPixelCopier(std::int32_t dataType, std::int32_t direction = 2);
// Data types 1 and 3; `widthBytes` is the row's width in bytes (4 x pixels
// for 32-bit rows). The wide kernels are chosen where the processor allows
// them and the row is wide enough to pay for them: 8 bits from 257 bytes with
// SSE2 (from 1280 unless `wide`), else with MMX (from 512 unless `wide`);
// 32 bits from 65 bytes with MMX (from 512 unless `wide`). Null for a
// negative width.
RowShearer* createRowShearer(std::int32_t dataType, std::int32_t widthBytes, bool wide);

} // namespace Omvi
