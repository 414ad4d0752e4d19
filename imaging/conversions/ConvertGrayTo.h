#pragma once
// Gray rows to RGB, palette or bitonal.
// - RGB: level g becomes (g, g, g) with the level's alpha; the output uses
//   24 bits when every alpha is 255, else 32. Rows are expanded in place.
// - Palette: a 256-entry gray ramp with the levels' alphas; the level is the
//   index, so rows pass through.
// - Bitonal: levels below 128 are ink (1), the others paper (0); the alphas
//   of ink and paper are those of levels 0 and 255.
#include "imaging/conversions/ConversionFilter.h"
#include "imaging/models/RgbColor.h"

#include <array>

namespace Omvi
{

class ConvertGrayTo : public ConversionFilter
{
public:
    // `target` is 1, 2 or 4.
    ConvertGrayTo(RowProviderInterface* input, std::int32_t target);

    // Kind 6 becomes kind 8 (the ramp colour), 7 (index g) or 5 (1 for ink).
    void convertPixel(ImagePixel& pixel) override;

protected:
    void convertRow(const std::uint8_t* in, std::uint8_t* out) override;

private:
    std::int32_t target_;
    std::array<RgbColor, 256> colors_{};
    std::array<std::uint32_t, 256> words_{};
};

} // namespace Omvi
