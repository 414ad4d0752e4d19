#pragma once
// 32-bit colour pixels (RgbColor): red, green, blue and alpha bytes. With 24
// bits used the alpha byte carries no information.
#include "imaging/models/ColorModelInterface.h"
#include "imaging/models/DataModel.h"

namespace Omvi
{

class RgbModel : public DataModel, public ColorModelInterface
{
public:
    explicit RgbModel(std::int32_t bitsUsed = 32);
    RgbModel(const RgbModel& other) = default;

    // 8, whatever the bits used.
    std::int32_t pixelKind() const override;
    std::unique_ptr<DataModel> clone() const override;

    // To gray (RgbToGray) and to RGB (no filter needed).
    bool canConvertTo(const DataModel& target) const override;
    RowProviderInterface* convertTo(const DataModel& target, RowProviderInterface* input) const override;
    // From palette, gray and bitonal (ConvertToRgb) and from RGB (no filter).
    bool canConvertFrom(const DataModel& source) const override;
    RowProviderInterface* convertFrom(const DataModel& source, RowProviderInterface* input) const override;

protected:
    // For the models that derive from RGB but store other pixels.
    RgbModel(std::int32_t colorSpace, std::int32_t dataType, std::int32_t bitsUsed);
};

} // namespace Omvi
