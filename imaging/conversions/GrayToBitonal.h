#pragma once
// Gray rows to bitonal: levels below 128 are ink (1), the others paper (0);
// the alphas of ink and paper are those of levels 0 and 255.
#include "imaging/conversions/ConversionFilter.h"

namespace Omvi
{

class GrayToBitonal : public ConversionFilter
{
public:
    explicit GrayToBitonal(RowProviderInterface* input);

    // Kind 6 becomes kind 5: 1 for a level below 128.
    void convertPixel(ImagePixel& pixel) override;

protected:
    void convertRow(const std::uint8_t* in, std::uint8_t* out) override;
};

} // namespace Omvi
