#pragma once
// 8-bit gray levels, with one alpha byte per level (all 255 when built).
#include "imaging/models/RgbModel.h"

#include <array>
#include <cstdint>

namespace Omvi
{

class RgbGrayModel : public RgbModel
{
public:
    RgbGrayModel();
    RgbGrayModel(const RgbGrayModel& other) = default;

    std::int32_t pixelKind() const override;
    std::unique_ptr<DataModel> clone() const override;

    // To RGB, palette and bitonal (ConvertGrayTo).
    bool canConvertTo(const DataModel& target) const override;
    RowProviderInterface* convertTo(const DataModel& target, RowProviderInterface* input) const override;
    // From RGB, palette and bitonal (ConvertToGray).
    bool canConvertFrom(const DataModel& source) const override;
    RowProviderInterface* convertFrom(const DataModel& source, RowProviderInterface* input) const override;

    std::uint8_t alpha(std::uint8_t level) const { return alphas_[level]; }
    void setAlpha(std::uint8_t level, std::uint8_t value) { alphas_[level] = value; }
    // Whether every level is fully opaque.
    bool isOpaque() const;

protected:
    RgbGrayModel(std::int32_t colorSpace, std::int32_t dataType, std::int32_t bitsUsed);

private:
    std::array<std::uint8_t, 256> alphas_;
};

} // namespace Omvi
