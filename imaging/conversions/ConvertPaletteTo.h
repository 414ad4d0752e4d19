#pragma once
// Palette rows to RGB or gray through the palette's entries.
// - RGB: the entries themselves; the output uses 24 bits when every entry is
//   opaque, else 32.
// - Gray: the gray level of each entry; the output's alpha at a level is that
//   of the (last) entry with that level.
#include "imaging/conversions/ConversionFilter.h"
#include "imaging/models/RgbColor.h"

#include <array>

namespace Omvi
{

class ConvertPaletteTo : public ConversionFilter
{
public:
    // `target` is 1 or 3; the input's model must be a palette.
    ConvertPaletteTo(RowProviderInterface* input, std::int32_t target);

    // Kind 7 becomes kind 8 (the entry) or 6 (the entry's gray level).
    void convertPixel(ImagePixel& pixel) override;

protected:
    void convertRow(const std::uint8_t* in, std::uint8_t* out) override;

private:
    std::int32_t target_;
    std::array<RgbColor, 256> colors_{};
    std::array<std::uint32_t, 256> words_{};
    std::array<std::uint8_t, 256> levels_{};
};

} // namespace Omvi
