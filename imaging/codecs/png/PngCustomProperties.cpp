#include "imaging/codecs/png/PngCustomProperties.h"

#include "imaging/codecs/png/PngStrings.h"

#include <cstring>
#include <limits>

namespace Omvi
{
namespace
{

using namespace PngStringId;

constexpr double kLargestDouble = std::numeric_limits<double>::max();
constexpr std::int32_t kLargestInt = std::numeric_limits<std::int32_t>::max();
// What a gAMA chunk can hold: libpng keeps gamma in 1/100000 steps and
// accepts 16 to 625000000 of them.
constexpr double kSmallestGamma = 0.00016;
constexpr double kLargestGamma = 6250.0;

constexpr PngEnumProperty::Choice kScaleUnits[] = {{kScaleUnitUnknownName, kScaleUnitUnknownDescription},
                                                   {kScaleUnitMetreName, kScaleUnitMetreDescription},
                                                   {kScaleUnitRadianName, kScaleUnitRadianDescription}};
constexpr PngEnumProperty::Choice kOffsetUnits[] = {{kOffsetUnitPixelName, kOffsetUnitPixelDescription},
                                                    {kOffsetUnitMicrometreName, kOffsetUnitMicrometreDescription}};
constexpr PngEnumProperty::Choice kIntents[] = {{kIntentPerceptualName, kIntentPerceptualDescription},
                                                {kIntentRelativeName, kIntentRelativeDescription},
                                                {kIntentSaturationName, kIntentSaturationDescription},
                                                {kIntentAbsoluteName, kIntentAbsoluteDescription}};

constexpr const char* kKeywords[PngText::kKeywordCount] = {"Title",         "Author",   "Description", "Copyright",
                                                           "Creation Time", "Software", "Disclaimer",  "Warning",
                                                           "Source",        "Comment"};

double doubleElement(const FormatCodecInclusivePropertySetInterface& set, std::int32_t index)
{
    const auto* element = dynamic_cast<const FormatCodecDoubleProperty*>(set.element(index));
    return element != nullptr ? element->value() : 0.0;
}

std::int32_t intElement(const FormatCodecInclusivePropertySetInterface& set, std::int32_t index)
{
    const auto* element = dynamic_cast<const FormatCodecIntProperty*>(set.element(index));
    return element != nullptr ? element->value() : 0;
}

std::int32_t choiceElement(const FormatCodecInclusivePropertySetInterface& set, std::int32_t index)
{
    const auto* element = dynamic_cast<const FormatCodecExclusivePropertySetInterface*>(set.element(index));
    return element != nullptr ? element->selectedIndex() : 0;
}

std::int32_t validKeyword(std::int32_t keywordIndex)
{
    return keywordIndex >= 0 && keywordIndex < PngText::kKeywordCount ? keywordIndex : 0;
}

std::int32_t textNameId(std::int32_t keywordIndex)
{
    keywordIndex = validKeyword(keywordIndex);
    return keywordIndex == 0 ? kTextTitleName : kTextAuthorName + 2 * (keywordIndex - 1);
}

} // namespace

PngGamma::PngGamma(double gamma)
    : FormatCodecDoubleProperty(kPrivate, 1e-7, kLargestDouble, kDefault), PngCustomProperty(kGamma, true)
{
    loadTexts(kGammaName, kGammaDescription);
    setValue(gamma);
}

FormatCodecPropertyInterface* PngGamma::clone() const
{
    return new PngGamma(*this);
}

bool PngGamma::write(png_structp png, png_infop info) const
{
    const double gamma = value();
    if (!(gamma >= kSmallestGamma && gamma <= kLargestGamma))
        return false;
    png_set_gAMA(png, info, gamma);
    return true;
}

PngScale::PngScale(double width, double height, std::int32_t unit)
    : FormatCodecInclusivePropertySetInterface(kPrivate, 3), PngCustomProperty(kScale, false)
{
    loadTexts(kScaleName, kScaleDescription);
    PngDoubleProperty widthElement(kScaleWidthName, kScaleWidthDescription, 1e-6, kLargestDouble, 1.0);
    widthElement.setValue(width);
    append(&widthElement);
    PngDoubleProperty heightElement(kScaleHeightName, kScaleHeightDescription, 1e-6, kLargestDouble, 1.0);
    heightElement.setValue(height);
    append(&heightElement);
    const PngEnumProperty unitElement(kScaleUnitName, kScaleUnitDescription, kScaleUnits, 3, unit);
    append(&unitElement);
}

FormatCodecPropertyInterface* PngScale::clone() const
{
    return new PngScale(*this);
}

double PngScale::width() const
{
    return doubleElement(*this, 0);
}

double PngScale::height() const
{
    return doubleElement(*this, 1);
}

std::int32_t PngScale::unit() const
{
    return choiceElement(*this, 2);
}

bool PngScale::write(png_structp png, png_infop info) const
{
    const std::int32_t scaleUnit = unit();
    if (scaleUnit != kMetre && scaleUnit != kRadian)
        return false;
    png_set_sCAL(png, info, scaleUnit, width(), height());
    return true;
}

PngPageOffset::PngPageOffset(std::int32_t x, std::int32_t y, std::int32_t unit)
    : FormatCodecInclusivePropertySetInterface(kPrivate, 3), PngCustomProperty(kPageOffset, false)
{
    loadTexts(kPageOffsetName, kPageOffsetDescription);
    PngIntegerProperty xElement(kOffsetXName, kOffsetXDescription, 0, kLargestInt, 0);
    xElement.setValue(x);
    append(&xElement);
    PngIntegerProperty yElement(kOffsetYName, kOffsetYDescription, 0, kLargestInt, 0);
    yElement.setValue(y);
    append(&yElement);
    const PngEnumProperty unitElement(kOffsetUnitName, kOffsetUnitDescription, kOffsetUnits, 2, unit);
    append(&unitElement);
}

FormatCodecPropertyInterface* PngPageOffset::clone() const
{
    return new PngPageOffset(*this);
}

std::int32_t PngPageOffset::x() const
{
    return intElement(*this, 0);
}

std::int32_t PngPageOffset::y() const
{
    return intElement(*this, 1);
}

std::int32_t PngPageOffset::unit() const
{
    return choiceElement(*this, 2);
}

bool PngPageOffset::write(png_structp png, png_infop info) const
{
    png_set_oFFs(png, info, x(), y(), unit() == kMicrometre ? PNG_OFFSET_MICROMETER : PNG_OFFSET_PIXEL);
    return true;
}

PngSRGB::PngSRGB(std::int32_t intent)
    : FormatCodecExclusivePropertySetInterface(kPrivate, 4), PngCustomProperty(kSrgb, true)
{
    loadTexts(kSrgbName, kSrgbDescription);
    for (const PngEnumProperty::Choice& choice : kIntents)
    {
        const PngVoidProperty element(choice.nameId, choice.descriptionId);
        append(&element);
    }
    select(intent);
}

FormatCodecPropertyInterface* PngSRGB::clone() const
{
    return new PngSRGB(*this);
}

bool PngSRGB::write(png_structp png, png_infop info) const
{
    png_set_sRGB_gAMA_and_cHRM(png, info, intent());
    return true;
}

PngHistogram::PngHistogram() : PngHistogram(std::vector<std::uint16_t>()) {}

PngHistogram::PngHistogram(std::vector<std::uint16_t> frequencies)
    : FormatCodecPropertyInterface(kPrivate, kNoValue),
      PngCustomProperty(kHistogram, false),
      frequencies_(std::move(frequencies))
{
    loadTexts(kHistogramName, kHistogramDescription);
}

FormatCodecPropertyInterface* PngHistogram::clone() const
{
    return new PngHistogram(*this);
}

bool PngHistogram::write(png_structp png, png_infop info) const
{
    // libpng copies one frequency per palette entry: a shorter histogram
    // would be read past its end, a longer one would not describe the
    // palette.
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_PLTE(png, info, &palette, &entries) != PNG_INFO_PLTE || entries < 1 ||
        static_cast<std::size_t>(entries) != frequencies_.size())
        return false;
    png_set_hIST(png, info, frequencies_.data());
    return true;
}

PngGraySignificantBits::PngGraySignificantBits(std::int32_t bits)
    : FormatCodecIntProperty(kPrivate, 0, 16, 8), PngCustomProperty(kGraySignificantBits, true)
{
    loadTexts(kGraySignificantBitsName, kGraySignificantBitsDescription);
    setValue(bits);
}

FormatCodecPropertyInterface* PngGraySignificantBits::clone() const
{
    return new PngGraySignificantBits(*this);
}

bool PngGraySignificantBits::write(png_structp png, png_infop info) const
{
    const std::int32_t bits = value();
    if (bits == 2 || bits == 4 || bits < 1 || bits > png_get_bit_depth(png, info))
        return false;
    png_color_8 significant{};
    significant.gray = static_cast<png_byte>(bits);
    png_set_sBIT(png, info, &significant);
    return true;
}

PngText::PngText(std::int32_t keywordIndex)
    : FormatCodecStringProperty(kPrivate, StringBuffer(), StringBuffer(), kEmptyTextLimit),
      PngCustomProperty(kindOfKeyword(keywordIndex), false),
      keywordIndex_(validKeyword(keywordIndex))
{
    loadTexts(textNameId(keywordIndex), textNameId(keywordIndex) + 1);
}

PngText::PngText(std::int32_t keywordIndex, const StringBuffer& text)
    : FormatCodecStringProperty(kPrivate, text, text, text.size()),
      PngCustomProperty(kindOfKeyword(keywordIndex), false),
      keywordIndex_(validKeyword(keywordIndex))
{
    loadTexts(textNameId(keywordIndex), textNameId(keywordIndex) + 1);
}

FormatCodecPropertyInterface* PngText::clone() const
{
    return new PngText(*this);
}

const char* PngText::keyword(std::int32_t keywordIndex)
{
    return keywordIndex >= 0 && keywordIndex < kKeywordCount ? kKeywords[keywordIndex] : kKeywords[0];
}

std::int32_t PngText::keywordIndexOf(const char* keyword)
{
    if (keyword != nullptr)
        for (std::int32_t i = 0; i < kKeywordCount; ++i)
            if (std::strcmp(keyword, kKeywords[i]) == 0)
                return i;
    return 0;
}

std::int32_t PngText::kindOfKeyword(std::int32_t keywordIndex)
{
    if (keywordIndex < 1 || keywordIndex >= kKeywordCount)
        return kKindCount - 1;
    return kFirstText + keywordIndex - 1;
}

std::int32_t PngText::keywordOfKind(std::int32_t kind)
{
    if (kind >= kFirstText && kind < kKindCount - 1)
        return kind - kFirstText + 1;
    return 0;
}

bool PngText::write(png_structp png, png_infop info) const
{
    const StringBuffer& value = text();
    if (value.encoding() != StringBuffer::kSingleByte || value.isEmpty())
        return false;
    chunkText_.assign(value.data(), strnlen(value.data(), static_cast<std::size_t>(value.size())));
    png_text entry{};
    entry.compression = PNG_TEXT_COMPRESSION_zTXt;
    entry.key = const_cast<char*>(keyword(keywordIndex_));
    entry.text = chunkText_.data();
    entry.text_length = chunkText_.size();
    png_set_text(png, info, &entry, 1);
    return true;
}

} // namespace Omvi
