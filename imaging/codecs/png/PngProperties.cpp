#include "imaging/codecs/png/PngProperties.h"

#include "imaging/codecs/png/PngStrings.h"

#include <array>
#include <iterator>

namespace Omvi
{
namespace
{

using namespace PngStringId;

struct LevelTexts
{
    std::int32_t level;
    std::int32_t nameId;
    std::int32_t descriptionId;
};

constexpr std::array<LevelTexts, 5> kLevels = {{{0, kCompressionLevel0Name, kCompressionLevel0Description},
                                                 {1, kCompressionLevel1Name, kCompressionLevel1Description},
                                                 {3, kCompressionLevel3Name, kCompressionLevel3Description},
                                                 {6, kCompressionLevel6Name, kCompressionLevel6Description},
                                                 {9, kCompressionLevel9Name, kCompressionLevel9Description}}};
constexpr std::size_t kDefaultLevelIndex = 3;

std::size_t levelIndex(std::int32_t level)
{
    for (std::size_t i = 0; i < kLevels.size(); ++i)
        if (kLevels[i].level == level)
            return i;
    return kDefaultLevelIndex;
}

} // namespace

PngCustomProperty::~PngCustomProperty() = default;

PngIntegerProperty::PngIntegerProperty(std::int32_t nameId, std::int32_t descriptionId, std::int32_t minimum,
                                       std::int32_t maximum, std::int32_t value)
    : FormatCodecIntProperty(kPrivate, minimum, maximum, value)
{
    loadTexts(nameId, descriptionId);
}

FormatCodecPropertyInterface* PngIntegerProperty::clone() const
{
    return new PngIntegerProperty(*this);
}

PngDoubleProperty::PngDoubleProperty(std::int32_t nameId, std::int32_t descriptionId, double minimum,
                                     double maximum, double value)
    : FormatCodecDoubleProperty(kPrivate, minimum, maximum, value)
{
    loadTexts(nameId, descriptionId);
}

FormatCodecPropertyInterface* PngDoubleProperty::clone() const
{
    return new PngDoubleProperty(*this);
}

PngVoidProperty::PngVoidProperty(std::int32_t nameId, std::int32_t descriptionId)
    : FormatCodecPropertyInterface(kPrivate, kVoidValue)
{
    loadTexts(nameId, descriptionId);
}

FormatCodecPropertyInterface* PngVoidProperty::clone() const
{
    return new PngVoidProperty(*this);
}

PngEnumProperty::PngEnumProperty(std::int32_t nameId, std::int32_t descriptionId, const Choice* choices,
                                 std::int32_t count, std::int32_t selected)
    : FormatCodecExclusivePropertySetInterface(kPrivate, count)
{
    loadTexts(nameId, descriptionId);
    for (std::int32_t i = 0; i < count; ++i)
    {
        const PngVoidProperty choice(choices[i].nameId, choices[i].descriptionId);
        append(&choice);
    }
    select(selected);
}

FormatCodecPropertyInterface* PngEnumProperty::clone() const
{
    return new PngEnumProperty(*this);
}

PngTransparency::PngTransparency(std::int32_t colorType)
{
    loadTexts(kTransparencyName, kTransparencyDescription);
    std::array<std::uint8_t, kTableSize> opaque;
    opaque.fill(255);
    switch (colorType)
    {
    case kPngGray:
        setAlphaTable(kGrayAlpha, opaque.data());
        break;
    case kPngPalette:
        setAlphaTable(kPaletteAlpha, opaque.data());
        break;
    case kPngRgb:
        setRgbKeys(0, nullptr);
        break;
    default:
        break;
    }
}

FormatCodecPropertyInterface* PngTransparency::clone() const
{
    return new PngTransparency(*this);
}

PngDensity::PngDensity() : PngDensity(1.0, 1.0, kPerCentimetre) {}

PngDensity::PngDensity(double x, double y, std::int32_t unit) : FormatCodecDensity(x, y, unit)
{
    setDefaults(1.0, 1.0, kPerCentimetre);
    loadTexts(kDensityName, kDensityDescription);
}

FormatCodecPropertyInterface* PngDensity::clone() const
{
    return new PngDensity(*this);
}

std::int32_t PngBackground::formOf(std::int32_t colorType, std::int32_t bitDepth)
{
    switch (colorType)
    {
    case kPngPalette:
        return kPaletteIndex;
    case kPngRgb:
    case kPngRgbAlpha:
        return kRgb;
    default:
        return bitDepth < 2 ? kLowDepthGray : kGray;
    }
}

PngBackground::PngBackground(RgbColor color, std::int32_t form) : FormatCodecColorProperty(color, form)
{
    loadTexts(kBackgroundName, kBackgroundDescription);
}

FormatCodecPropertyInterface* PngBackground::clone() const
{
    return new PngBackground(*this);
}

PngCompressionType::PngCompressionType(std::int32_t level)
    : FormatCodecPropertyInterface(kPrivate, kInteger), level_(level)
{
    const LevelTexts& texts = kLevels[levelIndex(level)];
    loadTexts(texts.nameId, texts.descriptionId);
}

FormatCodecPropertyInterface* PngCompressionType::clone() const
{
    return new PngCompressionType(*this);
}

PngCompression::PngCompression(std::int32_t level)
    : FormatCodecExclusivePropertySetInterface(kCompression, static_cast<std::int32_t>(kLevels.size()))
{
    loadTexts(kCompressionName, kCompressionDescription);
    for (const LevelTexts& texts : kLevels)
    {
        const PngCompressionType element(texts.level);
        append(&element);
    }
    select(static_cast<std::int32_t>(levelIndex(level)));
}

FormatCodecPropertyInterface* PngCompression::clone() const
{
    return new PngCompression(*this);
}

std::int32_t PngCompression::level() const
{
    const auto* selected = dynamic_cast<const PngCompressionType*>(element(selectedIndex()));
    return selected != nullptr ? selected->level() : kDefaultLevel;
}

} // namespace Omvi
