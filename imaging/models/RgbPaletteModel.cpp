#include "imaging/models/RgbPaletteModel.h"

#include "imaging/OMVIException.h"
#include "imaging/conversions/ConvertPaletteTo.h"
#include "imaging/conversions/ConvertToPalette.h"
#include "imaging/models/ConversionGraph.h"
#include "imaging/models/ImagePixel.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

namespace
{
// 2 to the power of `bits`, the bits kept within 1-8 so that the answer
// always lies within 2-256.
std::int32_t entriesAddressedBy(std::int32_t bits)
{
    return std::int32_t{1} << std::clamp(bits, 1, 8);
}
} // namespace

RgbPaletteModel::RgbPaletteModel(std::int32_t count)
    : RgbModel(kColorSpacePalette, kDataTypeEightBit, count < 2 ? 2 : 8),
      count_(std::clamp(count, 2, kMaxEntries))
{
}

RgbPaletteModel::RgbPaletteModel(std::int32_t count, const RgbColor* colors)
    : RgbModel(kColorSpacePalette, kDataTypeEightBit, count < 2 ? 2 : 8)
{
    assign(count, colors, kMaxEntries);
}

RgbPaletteModel::RgbPaletteModel(std::int32_t bitsUsed, std::int32_t count, const RgbColor* colors)
    : RgbModel(kColorSpacePalette, kDataTypeEightBit, bitsUsed)
{
    assign(count, colors, entriesAddressedBy(bitsUsed));
}

void RgbPaletteModel::assign(std::int32_t count, const RgbColor* colors, std::int32_t capacity)
{
    if (count < 2)
    {
        // One colour becomes a two-entry palette with a mid gray beside it;
        // none gives black.
        count_ = 2;
        entries_[0] = count == 1 && colors != nullptr ? colors[0] : RgbColor();
        entries_[1] = kFillerEntry;
        return;
    }
    count_ = std::min(count, capacity);
    if (colors != nullptr)
        std::copy(colors, colors + count_, entries_.begin());
}

std::int32_t RgbPaletteModel::pixelKind() const
{
    return kPixelPalette;
}

std::unique_ptr<DataModel> RgbPaletteModel::clone() const
{
    return std::make_unique<RgbPaletteModel>(*this);
}

bool RgbPaletteModel::operator==(const DataModel& other) const
{
    if (other.colorSpace() != kColorSpacePalette || other.bitsUsedPerPixel() != bitsUsedPerPixel())
        return false;
    const auto* palette = dynamic_cast<const RgbPaletteModel*>(&other);
    if (palette == nullptr || palette->count_ != count_)
        return false;
    for (std::int32_t i = 0; i < count_; ++i)
        if ((entries_[i].value & 0xFFFFFFu) != (palette->entries_[i].value & 0xFFFFFFu))
            return false;
    return true;
}

bool RgbPaletteModel::canConvertTo(const DataModel& target) const
{
    return isColorModelOf(target, {kColorSpaceRgb, kColorSpaceGray});
}

RowProviderInterface* RgbPaletteModel::convertTo(const DataModel& target, RowProviderInterface* input) const
{
    if (canConvertTo(target))
        return new ConvertPaletteTo(input, target.colorSpace());
    return input;
}

bool RgbPaletteModel::canConvertFrom(const DataModel& source) const
{
    return isColorModelOf(source, {kColorSpaceGray, kColorSpaceBitonal});
}

RowProviderInterface* RgbPaletteModel::convertFrom(const DataModel& source, RowProviderInterface* input) const
{
    if (canConvertFrom(source))
        return new ConvertToPalette(input, source.colorSpace());
    return input;
}

std::int32_t RgbPaletteModel::numEntries() const
{
    return count_;
}

std::int32_t RgbPaletteModel::addressableEntries() const
{
    return entriesAddressedBy(bitsUsedPerPixel());
}

void RgbPaletteModel::setEntries(std::int32_t first, std::int32_t count, const RgbColor* colors)
{
    if (first < 0 || count < 0 || std::int64_t{first} + count > addressableEntries() ||
        (count > 0 && colors == nullptr))
        throw static_cast<OMVIException*>(
            new RgbPaletteModelException("Attempt to set invalid palette entries", 0));
    std::copy(colors, colors + count, entries_.begin() + first);
}

void RgbPaletteModel::getEntries(std::int32_t first, std::int32_t count, RgbColor* out) const
{
    if (first < 0 || count < 0 || std::int64_t{first} + count > count_ || (count > 0 && out == nullptr))
        throw static_cast<OMVIException*>(
            new RgbPaletteModelException("Attempt to get invalid palette entries", 0));
    std::copy(entries_.begin() + first, entries_.begin() + first + count, out);
}

bool RgbPaletteModel::isOpaque() const
{
    return std::all_of(entries_.begin(), entries_.begin() + count_,
                       [](RgbColor c) { return c.alpha() == 255; });
}

} // namespace Omvi
