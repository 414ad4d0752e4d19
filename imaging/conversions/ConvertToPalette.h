#pragma once
// Gray or bitonal rows to a palette.
// - Gray: an opaque 256-entry gray ramp; the level is the index, so rows pass
//   through.
// - Bitonal: two entries, paper (white) then ink (black) with their alphas;
//   the bit is the index.
#include "imaging/conversions/ConversionFilter.h"

namespace Omvi
{

class ConvertToPalette : public ConversionFilter
{
public:
    // `sourceColorSpace` is 3 or 4 and must be the input's.
    ConvertToPalette(RowProviderInterface* input, std::int32_t sourceColorSpace);

    // Kind 7 stays; others become kind 7 with the level or the bit as index.
    void convertPixel(ImagePixel& pixel) override;

protected:
    void convertRow(const std::uint8_t* in, std::uint8_t* out) override;

private:
    std::int32_t source_;
};

} // namespace Omvi
