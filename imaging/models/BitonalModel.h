#pragma once
// 1-bit pixels packed eight to a byte, the leftmost pixel in the most
// significant bit.
//
// Polarity: everywhere in the library, as at the codec boundary, a set bit is
// ink (black) and a clear bit is paper (white). So codec rows pass through
// unchanged, a blank (cleared) bitonal image is white, merging rows by OR
// keeps thin lines, and 0 bits are the transparent ones when bitonal rows are
// pasted over other pixels. The conversions follow it: a 1 bit becomes black
// (gray 0), a 0 bit white (gray 255), and gray levels below 128 become 1.
//
// The model keeps the gray model's alpha table, of which entries 0 and 1 are
// the alphas of a 0 (paper) and a 1 (ink) pixel.
#include "imaging/models/RgbGrayModel.h"

namespace Omvi
{

class BitonalModel : public RgbGrayModel
{
public:
    BitonalModel();
    BitonalModel(const BitonalModel& other) = default;

    std::int32_t pixelKind() const override;
    std::unique_ptr<DataModel> clone() const override;

    // To RGB, palette and gray (ConvertBitonalTo).
    bool canConvertTo(const DataModel& target) const override;
    RowProviderInterface* convertTo(const DataModel& target, RowProviderInterface* input) const override;
    // From gray only (GrayToBitonal).
    bool canConvertFrom(const DataModel& source) const override;
    RowProviderInterface* convertFrom(const DataModel& source, RowProviderInterface* input) const override;

    // The alphas of a 0 (paper) and a 1 (ink) pixel.
    std::uint8_t paperAlpha() const { return alpha(0); }
    std::uint8_t inkAlpha() const { return alpha(1); }
};

} // namespace Omvi
