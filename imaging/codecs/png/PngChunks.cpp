#include "imaging/codecs/png/PngChunks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <vector>

namespace Omvi
{
namespace
{

constexpr double kLargestChunkValue = 2147483647.0;

// A file sample as the reader delivers it: 8 bits, 16-bit samples by their
// high byte, 1-, 2- and 4-bit grey stretched to 0-255.
std::uint32_t deliveredSample(std::uint32_t sample, std::int32_t bitDepth)
{
    if (bitDepth == 16)
        return sample >> 8;
    if (bitDepth < 8)
    {
        const std::uint32_t largest = (1u << bitDepth) - 1;
        return std::min(sample, largest) * 255 / largest;
    }
    return std::min<std::uint32_t>(sample, 255);
}

// A sample of 0-255 in a smaller depth (rounded).
std::uint32_t storedSample(std::uint32_t level, std::int32_t bitDepth)
{
    if (bitDepth >= 8)
        return level;
    const std::uint32_t largest = (1u << bitDepth) - 1;
    return (level * largest + 127) / 255;
}

std::unique_ptr<PngTransparency> readTransparency(png_structp png, png_infop info, std::int32_t colorType,
                                                  std::int32_t bitDepth)
{
    if (colorType == kPngRgbAlpha)
        return std::make_unique<PngTransparency>(colorType);
    if (png_get_valid(png, info, PNG_INFO_tRNS) == 0)
        return nullptr;
    png_bytep alphas = nullptr;
    int count = 0;
    png_color_16p key = nullptr;
    png_get_tRNS(png, info, &alphas, &count, &key);
    auto transparency = std::make_unique<PngTransparency>(colorType);
    std::array<std::uint8_t, FormatCodecTransparency::kTableSize> table;
    table.fill(255);
    switch (colorType)
    {
    case kPngGray:
        if (key != nullptr && key->gray < (1u << bitDepth))
        {
            // A bitonal image delivers 1 for PNG's black.
            const std::uint32_t index = bitDepth == 1 ? 1u - key->gray : deliveredSample(key->gray, bitDepth);
            table[index] = 0;
        }
        transparency->setAlphaTable(FormatCodecTransparency::kGrayAlpha, table.data());
        break;
    case kPngRgb:
        if (key != nullptr)
        {
            const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(deliveredSample(key->red, bitDepth)),
                                         static_cast<std::uint8_t>(deliveredSample(key->green, bitDepth)),
                                         static_cast<std::uint8_t>(deliveredSample(key->blue, bitDepth))};
            transparency->setRgbKeys(1, rgb);
        }
        break;
    case kPngPalette:
        if (alphas != nullptr)
            std::copy(alphas, alphas + std::clamp(count, 0, FormatCodecTransparency::kTableSize), table.begin());
        transparency->setAlphaTable(FormatCodecTransparency::kPaletteAlpha, table.data());
        break;
    default:
        return nullptr;
    }
    return transparency;
}

std::unique_ptr<PngBackground> readBackground(png_structp png, png_infop info, std::int32_t colorType,
                                              std::int32_t bitDepth)
{
    png_color_16p background = nullptr;
    if (png_get_bKGD(png, info, &background) == 0 || background == nullptr)
        return nullptr;
    const std::int32_t form = PngBackground::formOf(colorType, bitDepth);
    RgbColor color;
    switch (form)
    {
    case PngBackground::kPaletteIndex:
        color = RgbColor(background->index, 0, 0, 255);
        break;
    case PngBackground::kRgb:
        color = RgbColor(static_cast<std::uint8_t>(deliveredSample(background->red, bitDepth)),
                         static_cast<std::uint8_t>(deliveredSample(background->green, bitDepth)),
                         static_cast<std::uint8_t>(deliveredSample(background->blue, bitDepth)), 255);
        break;
    default:
    {
        const auto level = static_cast<std::uint8_t>(deliveredSample(background->gray, bitDepth));
        color = RgbColor(level, level, level, 255);
        break;
    }
    }
    return std::make_unique<PngBackground>(color, form);
}

void readTexts(png_structp png, png_infop info, PngPropertySetIterator& properties)
{
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(png, info, &texts, &count);
    for (int i = 0; i < count && texts != nullptr; ++i)
    {
        const png_text& text = texts[i];
        if (text.compression != PNG_TEXT_COMPRESSION_NONE && text.compression != PNG_TEXT_COMPRESSION_zTXt)
            continue;
        const char* bytes = text.text != nullptr ? text.text : "";
        const std::size_t length = std::strlen(bytes);
        if (length + 1 > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            continue;
        const StringBuffer value(static_cast<std::int32_t>(length + 1), bytes, StringBuffer::kSingleByte);
        const PngText property(PngText::keywordIndexOf(text.key), value);
        properties.append(&property);
    }
}

// tRNS in the image's own terms: the first transparent entry of a grey
// table as a grey value of the bit depth (a bitonal image's ink bit is PNG's
// black), the first RGB key, or the palette alphas up to the last one that
// is not opaque.
void writeTransparencyChunk(png_structp png, png_infop info, const PngImageLayout& layout,
                            const PngTransparency& transparency)
{
    std::array<std::uint8_t, FormatCodecTransparency::kTableSize> table;
    png_color_16 key{};
    switch (layout.colorType)
    {
    case kPngGray:
    {
        const bool table8 = transparency.kind() == FormatCodecTransparency::kGrayAlpha ||
                            (layout.bitDepth == 1 && transparency.kind() == FormatCodecTransparency::kPaletteAlpha);
        if (!table8 || !transparency.getAlphaTable(table.data()))
            return;
        const auto* first = std::find(table.begin(), table.end(), 0);
        if (first == table.end())
            return;
        const auto index = static_cast<std::uint32_t>(first - table.begin());
        if (layout.bitonal)
        {
            if (index > 1)
                return;
            key.gray = static_cast<png_uint_16>(1 - index);
        }
        else
        {
            if (index >= (1u << std::min(layout.bitDepth, 8)))
                return;
            key.gray = static_cast<png_uint_16>(index);
        }
        png_set_tRNS(png, info, nullptr, 1, &key);
        return;
    }
    case kPngRgb:
    {
        if (transparency.kind() != FormatCodecTransparency::kColorKeys || transparency.entryCount() < 1)
            return;
        std::uint8_t rgb[3] = {0, 0, 0};
        std::uint32_t word = 0;
        if (transparency.keyWidth() == 24)
            transparency.getRgbKeys(rgb, 1);
        else if (transparency.keyWidth() == 32 && transparency.getWordKeys(&word, 1))
        {
            const RgbColor color(word);
            rgb[0] = color.red();
            rgb[1] = color.green();
            rgb[2] = color.blue();
        }
        else
            return;
        key.red = rgb[0];
        key.green = rgb[1];
        key.blue = rgb[2];
        png_set_tRNS(png, info, nullptr, 1, &key);
        return;
    }
    case kPngPalette:
    {
        if (transparency.kind() != FormatCodecTransparency::kPaletteAlpha || !transparency.getAlphaTable(table.data()))
            return;
        int count = std::clamp(layout.paletteCount, 0, FormatCodecTransparency::kTableSize);
        while (count > 0 && table[static_cast<std::size_t>(count - 1)] == 255)
            --count;
        if (count > 0)
            png_set_tRNS(png, info, table.data(), count, nullptr);
        return;
    }
    default:
        return;
    }
}

// bKGD when the colour's form fits the image: a grey intensity in the bit
// depth, an RGB colour, or a palette index within the palette.
void writeBackgroundChunk(png_structp png, png_infop info, const PngImageLayout& layout,
                          const PngBackground& background)
{
    const RgbColor color = background.getColor();
    png_color_16 value{};
    switch (layout.colorType)
    {
    case kPngGray:
        if (background.code() != PngBackground::kLowDepthGray && background.code() != PngBackground::kGray)
            return;
        value.gray = static_cast<png_uint_16>(storedSample(color.red(), layout.bitDepth));
        break;
    case kPngRgb:
    case kPngRgbAlpha:
        if (background.code() != PngBackground::kRgb)
            return;
        value.red = color.red();
        value.green = color.green();
        value.blue = color.blue();
        break;
    case kPngPalette:
        if (background.code() != PngBackground::kPaletteIndex || color.red() >= layout.paletteCount)
            return;
        value.index = color.red();
        break;
    default:
        return;
    }
    png_set_bKGD(png, info, &value);
}

} // namespace

void readPngProperties(png_structp png, png_infop info, PngPropertySetIterator& properties,
                       std::unique_ptr<PngHistogram>& histogram)
{
    const std::int32_t colorType = png_get_color_type(png, info);
    const std::int32_t bitDepth = png_get_bit_depth(png, info);

    if (auto transparency = readTransparency(png, info, colorType, bitDepth))
        properties.append(transparency.get());

    double gamma = 0;
    if (png_get_gAMA(png, info, &gamma) != 0)
    {
        const PngGamma property(gamma);
        properties.append(&property);
    }

    png_uint_32 x = 0;
    png_uint_32 y = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &x, &y, &unit) != 0 && x > 0 && y > 0)
    {
        const PngDensity density = unit == PNG_RESOLUTION_METER
                                       ? PngDensity(x * 0.01, y * 0.01, FormatCodecDensity::kPerCentimetre)
                                       : PngDensity(x, y, FormatCodecDensity::kNoUnit);
        properties.append(&density);
    }

    if (auto background = readBackground(png, info, colorType, bitDepth))
        properties.append(background.get());

    int intent = 0;
    if (png_get_sRGB(png, info, &intent) != 0)
    {
        const PngSRGB property(intent);
        properties.append(&property);
    }

    int scaleUnit = 0;
    double width = 0;
    double height = 0;
    if (png_get_sCAL(png, info, &scaleUnit, &width, &height) != 0)
    {
        const PngScale property(width, height, scaleUnit);
        properties.append(&property);
    }

    png_int_32 offsetX = 0;
    png_int_32 offsetY = 0;
    int offsetUnit = 0;
    if (png_get_oFFs(png, info, &offsetX, &offsetY, &offsetUnit) != 0)
    {
        const PngPageOffset property(offsetX, offsetY,
                                     offsetUnit == PNG_OFFSET_MICROMETER ? PngPageOffset::kMicrometre
                                                                         : PngPageOffset::kPixel);
        properties.append(&property);
    }

    if (colorType == kPngGray || colorType == kPngGrayAlpha)
    {
        png_color_8p significant = nullptr;
        if (png_get_sBIT(png, info, &significant) != 0 && significant != nullptr)
        {
            const PngGraySignificantBits property(significant->gray);
            properties.append(&property);
        }
        else if (bitDepth < 8)
        {
            const PngGraySignificantBits property(bitDepth);
            properties.append(&property);
        }
    }

    readTexts(png, info, properties);

    png_uint_16p frequencies = nullptr;
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_hIST(png, info, &frequencies) != 0 && frequencies != nullptr &&
        png_get_PLTE(png, info, &palette, &entries) != 0 && entries > 0)
        histogram = std::make_unique<PngHistogram>(std::vector<std::uint16_t>(frequencies, frequencies + entries));
}

bool pngDensityChunk(double x, double y, std::int32_t unit, png_uint_32* xOut, png_uint_32* yOut, int* unitOut)
{
    if (!(x > 0.0) || !(y > 0.0))
        return false;
    switch (unit)
    {
    case FormatCodecDensity::kPerInch:
        x *= 39.37;
        y *= 39.37;
        *unitOut = PNG_RESOLUTION_METER;
        break;
    case FormatCodecDensity::kPerCentimetre:
        x *= 100.0;
        y *= 100.0;
        *unitOut = PNG_RESOLUTION_METER;
        break;
    default:
        // An aspect ratio: whole numbers with at least four digits keep it.
        while (x < 1000.0)
            x *= 10.0;
        while (y < 1000.0)
            y *= 10.0;
        *unitOut = PNG_RESOLUTION_UNKNOWN;
        break;
    }
    // Truncated, after a nudge that keeps a product such as 37.8 x 100 from
    // landing just below the whole number it stands for.
    *xOut = static_cast<png_uint_32>(std::min(x * (1 + 1e-12), kLargestChunkValue));
    *yOut = static_cast<png_uint_32>(std::min(y * (1 + 1e-12), kLargestChunkValue));
    return *xOut > 0 && *yOut > 0;
}

void writeTypedPngProperty(png_structp png, png_infop info, const PngImageLayout& layout,
                           const FormatCodecPropertyInterface& property)
{
    if (const auto* compression = dynamic_cast<const PngCompression*>(&property))
    {
        png_set_compression_level(png, std::clamp(compression->level(), 0, 9));
    }
    else if (const auto* density = dynamic_cast<const PngDensity*>(&property))
    {
        double x = 0;
        double y = 0;
        density->getDensity(&x, &y);
        png_uint_32 xValue = 0;
        png_uint_32 yValue = 0;
        int unit = 0;
        if (pngDensityChunk(x, y, density->unit(), &xValue, &yValue, &unit))
            png_set_pHYs(png, info, xValue, yValue, unit);
    }
    else if (const auto* transparency = dynamic_cast<const PngTransparency*>(&property))
    {
        writeTransparencyChunk(png, info, layout, *transparency);
    }
    else if (const auto* background = dynamic_cast<const PngBackground*>(&property))
    {
        writeBackgroundChunk(png, info, layout, *background);
    }
}

} // namespace Omvi
