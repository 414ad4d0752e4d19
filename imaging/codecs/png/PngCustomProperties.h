#pragma once
// The PNG chunk properties that are written by their own kind rather than by
// property type: gAMA, sCAL, oFFs, sRGB, hIST, sBIT (grey) and the text
// chunks of ten keywords.
#include "imaging/codecs/png/PngProperties.h"

#include <string>
#include <vector>

namespace Omvi
{

// gAMA: the file gamma (0.45455 by default).
class PngGamma : public FormatCodecDoubleProperty, public PngCustomProperty
{
public:
    static constexpr double kDefault = 0.45455;
    explicit PngGamma(double gamma = kDefault);
    FormatCodecPropertyInterface* clone() const override;
    // Gammas outside what the chunk can hold (about 0.00016 to 6250) are
    // not written.
    bool write(png_structp png, png_infop info) const override;
};

// sCAL: the physical width and height of a pixel and their unit (0 none,
// 1 metre, 2 radian). Elements: width, height, unit.
class PngScale : public FormatCodecInclusivePropertySetInterface, public PngCustomProperty
{
public:
    enum Unit : std::int32_t
    {
        kUnknownUnit = 0,
        kMetre = 1,
        kRadian = 2
    };
    PngScale(double width = 1.0, double height = 1.0, std::int32_t unit = kUnknownUnit);
    FormatCodecPropertyInterface* clone() const override;

    double width() const;
    double height() const;
    std::int32_t unit() const;
    // Written for units 1 and 2 only: the chunk has no unitless form.
    bool write(png_structp png, png_infop info) const override;
};

// oFFs: the image's position on the page, x and y 0 to 2^31 - 1, in pixels
// (unit 0) or micrometres (unit 1). Elements: x, y, unit.
class PngPageOffset : public FormatCodecInclusivePropertySetInterface, public PngCustomProperty
{
public:
    enum Unit : std::int32_t
    {
        kPixel = 0,
        kMicrometre = 1
    };
    PngPageOffset(std::int32_t x = 0, std::int32_t y = 0, std::int32_t unit = kPixel);
    FormatCodecPropertyInterface* clone() const override;

    std::int32_t x() const;
    std::int32_t y() const;
    std::int32_t unit() const;
    bool write(png_structp png, png_infop info) const override;
};

// sRGB: the rendering intent 0-3, one of four choices (the selected index).
class PngSRGB : public FormatCodecExclusivePropertySetInterface, public PngCustomProperty
{
public:
    explicit PngSRGB(std::int32_t intent = 0);
    FormatCodecPropertyInterface* clone() const override;
    std::int32_t intent() const { return selectedIndex(); }
    // With the matching gAMA and cHRM chunks.
    bool write(png_structp png, png_infop info) const override;
};

// hIST: how often each palette entry is used.
class PngHistogram : public FormatCodecPropertyInterface, public PngCustomProperty
{
public:
    PngHistogram();
    explicit PngHistogram(std::vector<std::uint16_t> frequencies);
    FormatCodecPropertyInterface* clone() const override;

    const std::vector<std::uint16_t>& frequencies() const { return frequencies_; }
    void setFrequencies(std::vector<std::uint16_t> frequencies) { frequencies_ = std::move(frequencies); }
    // Written only when it holds one frequency per palette entry.
    bool write(png_structp png, png_infop info) const override;

private:
    std::vector<std::uint16_t> frequencies_;
};

// sBIT of a grey image: the significant bits of a grey sample, 0-16 (8 by
// default).
class PngGraySignificantBits : public FormatCodecIntProperty, public PngCustomProperty
{
public:
    explicit PngGraySignificantBits(std::int32_t bits = 8);
    FormatCodecPropertyInterface* clone() const override;
    // Values 2 and 4 are not written, nor values the image's bit depth
    // cannot carry.
    bool write(png_structp png, png_infop info) const override;
};

// A text chunk under one of ten keywords (index 0-9: "Title", "Author",
// "Description", "Copyright", "Creation Time", "Software", "Disclaimer",
// "Warning", "Source", "Comment").
class PngText : public FormatCodecStringProperty, public PngCustomProperty
{
public:
    static constexpr std::int32_t kKeywordCount = 10;
    static constexpr std::int32_t kEmptyTextLimit = 4096;

    // An empty text (length bound 4096).
    explicit PngText(std::int32_t keywordIndex);
    // A text of the keyword; its bound is its length + 1.
    PngText(std::int32_t keywordIndex, const StringBuffer& text);
    FormatCodecPropertyInterface* clone() const override;

    std::int32_t keywordIndex() const { return keywordIndex_; }
    static const char* keyword(std::int32_t keywordIndex);
    // The index of a keyword (compared byte for byte); 0 for any other.
    static std::int32_t keywordIndexOf(const char* keyword);
    // The custom kind of a keyword index, and back.
    static std::int32_t kindOfKeyword(std::int32_t keywordIndex);
    static std::int32_t keywordOfKind(std::int32_t kind);

    // A zTXt chunk of single-byte text that is not empty; other texts are
    // not written.
    bool write(png_structp png, png_infop info) const override;

private:
    std::int32_t keywordIndex_;
    // The text as libpng takes it (NUL-terminated), made just before the
    // chunk is set.
    mutable std::string chunkText_;
};

} // namespace Omvi
