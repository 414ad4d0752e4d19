#pragma once
// Bitonal rows to RGB, palette or gray. Paper (bit 0) is white and ink
// (bit 1) black, each with its alpha.
// - RGB (32 bits used): each bit gives the paper or the ink colour.
// - Palette: two entries, paper then ink; the bit is the index.
// - Gray: paper 255, ink 0; the alphas of levels 255 and 0 are those of
//   paper and ink.
#include "imaging/conversions/ConversionFilter.h"
#include "imaging/models/RgbColor.h"

namespace Omvi
{

class ConvertBitonalTo : public ConversionFilter
{
public:
    // `target` is 1, 2 or 3.
    ConvertBitonalTo(RowProviderInterface* input, std::int32_t target);

    // Kind 5 becomes kind 8 (the colour), 7 (the bit as index) or 6 (0 for
    // ink, 255 for paper).
    void convertPixel(ImagePixel& pixel) override;

protected:
    void convertRow(const std::uint8_t* in, std::uint8_t* out) override;

private:
    std::int32_t target_;
    RgbColor paper_;
    RgbColor ink_;
    std::uint32_t paperWord_ = 0;
    std::uint32_t inkWord_ = 0;
};

} // namespace Omvi
