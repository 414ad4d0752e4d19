#pragma once
// 8-bit indices into a table of up to 256 RgbColors.
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbModel.h"

#include <array>
#include <cstdint>

namespace Omvi
{

class RgbPaletteModel : public RgbModel
{
public:
    static constexpr std::int32_t kMaxEntries = 256;
    // The second entry of a palette built from fewer than two colours.
    static constexpr RgbColor kFillerEntry = RgbColor(0xFF808080u);

    // `count` zeroed entries: above 256 becomes 256 (bits used 8), below 2
    // becomes 2 (bits used 2).
    explicit RgbPaletteModel(std::int32_t count);
    // The first `count` of `colors` (capped at 256, bits used 8). With fewer
    // than two colours the palette has two entries: the colour given (or 0
    // when none is), then kFillerEntry, and bits used 2.
    RgbPaletteModel(std::int32_t count, const RgbColor* colors);
    // As above, keeping the bits used given (as file frames and clones do);
    // the count is capped at 2 to the power of the bits used, itself capped
    // at 8 bits.
    RgbPaletteModel(std::int32_t bitsUsed, std::int32_t count, const RgbColor* colors);
    RgbPaletteModel(const RgbPaletteModel& other) = default;

    std::int32_t pixelKind() const override;
    std::unique_ptr<DataModel> clone() const override;
    // The other model is a palette with the same bits used, the same entry
    // count and every entry equal in its red, green and blue bytes (alpha is
    // not compared).
    bool operator==(const DataModel& other) const override;

    // To RGB and gray (ConvertPaletteTo).
    bool canConvertTo(const DataModel& target) const override;
    RowProviderInterface* convertTo(const DataModel& target, RowProviderInterface* input) const override;
    // From gray and bitonal (ConvertToPalette).
    bool canConvertFrom(const DataModel& source) const override;
    RowProviderInterface* convertFrom(const DataModel& source, RowProviderInterface* input) const override;

    virtual std::int32_t numEntries() const;
    // Replaces entries first..first+count-1. Throws RgbPaletteModelException
    // "Attempt to set invalid palette entries" when they do not all lie below
    // 2 to the power of the bits used (at most 256). The entry count stays.
    virtual void setEntries(std::int32_t first, std::int32_t count, const RgbColor* colors);
    // Copies entries first..first+count-1 out. Throws RgbPaletteModelException
    // "Attempt to get invalid palette entries" when they do not all lie below
    // the entry count.
    virtual void getEntries(std::int32_t first, std::int32_t count, RgbColor* out) const;

    // Entry `index` (0-255) of the table, whether or not it is counted.
    RgbColor entry(std::uint8_t index) const { return entries_[index]; }
    // Whether every counted entry is fully opaque.
    bool isOpaque() const;

private:
    void assign(std::int32_t count, const RgbColor* colors, std::int32_t capacity);
    // How many entries the bits used may address: 2 to the power of the bits
    // used, kept within 2-256.
    std::int32_t addressableEntries() const;

    std::int32_t count_ = 2;
    std::array<RgbColor, kMaxEntries> entries_{};
};

} // namespace Omvi
