#pragma once
// Palette, gray or bitonal rows to 32-bit RGB (32 bits used) through a table
// of 256 colours: the palette's entries; for gray, level g with its alpha;
// for bitonal, white paper (bit 0) and black ink (bit 1) with their alphas.
#include "imaging/conversions/ConversionFilter.h"
#include "imaging/models/RgbColor.h"

#include <array>

namespace Omvi
{

class ConvertToRgb : public ConversionFilter
{
public:
    // `sourceColorSpace` is 2, 3 or 4 and must be the input's.
    ConvertToRgb(RowProviderInterface* input, std::int32_t sourceColorSpace);

    // Any kind but 8 becomes kind 8 with the table entry of its low byte.
    void convertPixel(ImagePixel& pixel) override;

protected:
    void convertRow(const std::uint8_t* in, std::uint8_t* out) override;

private:
    std::int32_t source_;
    std::array<RgbColor, 256> colors_{};
    std::array<std::uint32_t, 256> words_{};
};

} // namespace Omvi
