#include "imaging/filters/KeyColorMapper.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <functional>

namespace Omvi
{

namespace
{
constexpr std::uint32_t kRgbKey = 0x00000100u;         // alpha 0, green 1
constexpr std::uint32_t kOpaqueRgbKey = 0xFF000100u;   // the key made opaque
constexpr std::uint32_t kRgbReplacement = 0xFF000000u; // opaque black
} // namespace

KeyColorMapper::KeyColorMapper(RowProviderInterface* input)
{
    try
    {
        connectInput(input);
        init(this->input(0)->size());
    }
    catch (OMVIException*)
    {
        releaseInputs();
        throw;
    }
    const PixelPair size = ImageFilter::size();
    width_ = size.x;
    height_ = size.y;
    prepare(dataModel());
}

void KeyColorMapper::prepare(const DataModel& model)
{
    colorSpace_ = model.colorSpace();
    key_ = ImagePixel(model.pixelKind());
    replacement_ = ImagePixel(model.pixelKind());
    for (int i = 0; i < 256; ++i)
        indexMap_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);

    if (colorSpace_ == kColorSpaceRgb)
    {
        active_ = model.bitsUsedPerPixel() == 32;
        key_.value = kRgbKey;
        replacement_.value = kRgbReplacement;
        return;
    }

    std::function<std::uint8_t(int)> alphaOf;
    if (colorSpace_ == kColorSpaceGray)
    {
        const auto* gray = dynamic_cast<const RgbGrayModel*>(&model);
        if (gray == nullptr)
            return;
        alphaOf = [gray](int i) { return gray->alpha(static_cast<std::uint8_t>(i)); };
    }
    else if (colorSpace_ == kColorSpacePalette)
    {
        const auto* palette = dynamic_cast<const RgbPaletteModel*>(&model);
        if (palette == nullptr)
            return;
        alphaOf = [palette](int i) { return palette->entry(static_cast<std::uint8_t>(i)).alpha(); };
    }
    else
    {
        return;
    }

    int keyIndex = -1;
    int replacement = 0;
    for (int i = 0; i < 256; ++i)
    {
        if (alphaOf(i) == 0)
        {
            if (keyIndex < 0)
                keyIndex = i;
            indexMap_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(keyIndex);
        }
        else if (keyIndex < 0)
        {
            replacement = i;
        }
    }
    if (replacement == 0 && alphaOf(0) != 255)
    {
        for (int i = 1; i < 256; ++i)
            if (alphaOf(i) == 255)
            {
                replacement = i;
                break;
            }
    }
    active_ = keyIndex >= 0;
    key_.value = static_cast<std::uint64_t>(keyIndex < 0 ? 0 : keyIndex);
    replacement_.value = static_cast<std::uint64_t>(replacement);
}

void KeyColorMapper::mapRgbRow(std::uint8_t* row) const
{
    for (std::int32_t x = 0; x < width_; ++x, row += 4)
    {
        RgbColor pixel = RgbColor::read(row);
        if (pixel.alpha() == 0)
            pixel = RgbColor(kRgbKey);
        else
        {
            pixel = RgbColor(pixel.value | 0xFF000000u);
            if (pixel.value == kOpaqueRgbKey)
                pixel = RgbColor(kRgbReplacement);
        }
        pixel.write(row);
    }
}

std::int32_t KeyColorMapper::getNextRow(DataBuffer& row)
{
    if (delivered_ >= height_)
        return 0;
    requireRowBytes(row, bytesPerRow());
    input(0)->getNextRow(row);
    if (active_)
    {
        if (colorSpace_ == kColorSpaceRgb)
            mapRgbRow(row.data());
        else
        {
            std::uint8_t* bytes = row.data();
            for (std::int32_t x = 0; x < width_; ++x)
                bytes[x] = indexMap_[bytes[x]];
        }
    }
    ++delivered_;
    return height_ - delivered_;
}

void KeyColorMapper::convertSourcePixel(ImagePixel& pixel)
{
    ImageFilter::convertSourcePixel(pixel);
    if (!active_)
        return;
    if (colorSpace_ == kColorSpaceRgb)
    {
        if (pixel.kind != kPixelRgb)
            return;
        if (pixel.value <= 0xFFFFFFu)
            pixel = key_;
        else if (pixel.value == kOpaqueRgbKey)
            pixel = replacement_;
        return;
    }
    if (pixel.kind != kPixelBitonal)
        pixel.value = (pixel.value & ~std::uint64_t{0xFF}) | indexMap_[pixel.lowByte()];
}

} // namespace Omvi
