#pragma once
// RGB rows (32 bits used) to gray levels; the output gray model is opaque.
#include "imaging/conversions/ConversionFilter.h"

namespace Omvi
{

class RgbToGray : public ConversionFilter
{
public:
    explicit RgbToGray(RowProviderInterface* input);

    // Kind 8 becomes kind 6 with the colour's gray level.
    void convertPixel(ImagePixel& pixel) override;

protected:
    void convertRow(const std::uint8_t* in, std::uint8_t* out) override;
};

} // namespace Omvi
