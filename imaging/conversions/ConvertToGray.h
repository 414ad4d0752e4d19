#pragma once
// RGB, palette or bitonal rows to gray levels.
// - RGB: the gray level of each colour; the output is opaque.
// - Palette: a table of the entries' gray levels; the output's alpha at a
//   level is that of the (last) entry with that level.
// - Bitonal: ink (1) becomes 0, paper (0) becomes 255, and the alphas of
//   levels 0 and 255 are those of ink and paper.
#include "imaging/conversions/ConversionFilter.h"

#include <array>

namespace Omvi
{

class ConvertToGray : public ConversionFilter
{
public:
    // `sourceColorSpace` is 1, 2 or 4 and must be the input's.
    ConvertToGray(RowProviderInterface* input, std::int32_t sourceColorSpace);

    // Kind 6 stays; others become kind 6: the colour's gray level (added in
    // the order green, blue, red), the table entry, or 0 for ink and 255 for
    // paper.
    void convertPixel(ImagePixel& pixel) override;

protected:
    void convertRow(const std::uint8_t* in, std::uint8_t* out) override;

private:
    std::int32_t source_;
    std::array<std::uint8_t, 256> levels_{};
};

} // namespace Omvi
