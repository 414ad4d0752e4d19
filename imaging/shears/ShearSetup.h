#pragma once
// What the horizontal and vertical shears share as they are made: their
// input connected and measured, and the pixel they fill uncovered places
// with, converted through their chain into row bytes.
#include "imaging/geometry/PixelRect.h"

#include <cstdint>

namespace Omvi
{

class ImageFilter;
class RowProviderInterface;
struct ImagePixel;

// Connects `input` to `shear` for gray levels (a plain 8-bit model as it is)
// or, when `rgb`, 32-bit RGB colours, and answers the connected input's
// size. ImageFilterException code 2 (message `className`) for a factor that
// is not a number, code 1 for an input it cannot take, code 5 for an input
// without columns.
PixelPair connectShearInput(ImageFilter& shear, RowProviderInterface* input, double factor, bool rgb,
                            const char* className);

// `pixel`, given in the model of the chain's source, converted in place
// through `shear`'s chain: it must come out gray (kind 6), or RGB (kind 8)
// when `rgb`, else code 2 with `className`. Answers it as row bytes: the
// level, or the colour's four bytes as one word.
std::uint32_t shearFillWord(ImageFilter& shear, ImagePixel& pixel, bool rgb, const char* className);

} // namespace Omvi
