#pragma once
// The PNG codec's properties that travel by property type (transparency,
// density, background colour, compression level), the element classes of
// its set-valued properties, the base of its chunk properties and the
// codec's property set. Names and descriptions are codec texts
// (PngStrings.h); properties are found by name, so every name differs.
#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/properties/FormatCodecTransparency.h"
#include "imaging/codecs/properties/PropertySetProperties.h"
#include "imaging/codecs/properties/ValueProperties.h"

#include <cstdint>

#include <png.h>

namespace Omvi
{

// PNG colour types as libpng numbers them; kNoColorType before a writer
// frame knows its data model.
enum PngColorType : std::int32_t
{
    kNoColorType = -1,
    kPngGray = PNG_COLOR_TYPE_GRAY,
    kPngRgb = PNG_COLOR_TYPE_RGB,
    kPngPalette = PNG_COLOR_TYPE_PALETTE,
    kPngGrayAlpha = PNG_COLOR_TYPE_GRAY_ALPHA,
    kPngRgbAlpha = PNG_COLOR_TYPE_RGB_ALPHA
};

class PngPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    PngPropertySetIterator() = default;
    PngPropertySetIterator(const PngPropertySetIterator& other) = default;
};

// The ancillary chunks that are not written by property type: gamma,
// scale, page offset, sRGB intent, histogram, grey significant bits and the
// ten text keywords.
class PngCustomProperty
{
public:
    enum Kind : std::int32_t
    {
        kGamma = 0,
        kScale = 1,
        kPageOffset = 2,
        kSrgb = 3,
        kHistogram = 4,
        kGraySignificantBits = 5,
        kFirstText = 6,  // texts of keywords 1-9, then keyword 0 (kind 15)
        kKindCount = 16
    };

    virtual ~PngCustomProperty();
    std::int32_t customKind() const { return customKind_; }
    // Whether the chunk is set before the palette.
    virtual bool isBeforePalette() const { return beforePalette_; }
    // Sets the chunk on libpng's write structures; false when the value
    // cannot be stored. Runs inside a libpng step (PngErrorGuard.h): it keeps
    // no object with a destructor alive across a libpng call.
    virtual bool write(png_structp png, png_infop info) const = 0;

protected:
    PngCustomProperty(std::int32_t kind, bool beforePalette) : customKind_(kind), beforePalette_(beforePalette) {}

private:
    std::int32_t customKind_;
    bool beforePalette_;
};

// An integer element of a set-valued property.
class PngIntegerProperty : public FormatCodecIntProperty
{
public:
    PngIntegerProperty(std::int32_t nameId, std::int32_t descriptionId, std::int32_t minimum, std::int32_t maximum,
                       std::int32_t value);
    FormatCodecPropertyInterface* clone() const override;
};

// A floating-point element of a set-valued property.
class PngDoubleProperty : public FormatCodecDoubleProperty
{
public:
    PngDoubleProperty(std::int32_t nameId, std::int32_t descriptionId, double minimum, double maximum, double value);
    FormatCodecPropertyInterface* clone() const override;
};

// A named choice without a value (value type 1).
class PngVoidProperty : public FormatCodecPropertyInterface
{
public:
    static constexpr std::int32_t kVoidValue = 1;
    PngVoidProperty(std::int32_t nameId, std::int32_t descriptionId);
    FormatCodecPropertyInterface* clone() const override;
};

// A named choice among PngVoidProperty elements: choice i is element i.
class PngEnumProperty : public FormatCodecExclusivePropertySetInterface
{
public:
    struct Choice
    {
        std::int32_t nameId;
        std::int32_t descriptionId;
    };
    PngEnumProperty(std::int32_t nameId, std::int32_t descriptionId, const Choice* choices, std::int32_t count,
                    std::int32_t selected);
    FormatCodecPropertyInterface* clone() const override;
};

// Transparency of the tRNS chunk (or of an alpha channel). Tables and keys
// hold values as the reader delivers pixels: a grey table is indexed by the
// delivered 8-bit grey value (for a bitonal image by its bit, 1 = ink), a
// palette table by index, and an RGB key holds 8-bit red, green, blue.
class PngTransparency : public FormatCodecTransparency
{
public:
    // The default layout of a colour type: grey a grey table, RGB colour
    // keys (none yet), palette a palette table, every entry opaque (255);
    // the others an alpha channel.
    explicit PngTransparency(std::int32_t colorType);
    FormatCodecPropertyInterface* clone() const override;
};

// pHYs: pixels per unit along x and y; unit 0 none (aspect ratio only), 1 per
// centimetre, 2 per inch. 1.0 x 1.0 per centimetre by default.
class PngDensity : public FormatCodecDensity
{
public:
    PngDensity();
    PngDensity(double x, double y, std::int32_t unit);
    FormatCodecPropertyInterface* clone() const override;
    std::int32_t codecSpecificValue() const override { return 0; }
};

// bKGD: the suggested background. Its code tells the colour's form: grey
// below 2 bits (5), grey (6), palette index (7), RGB (8). Grey forms hold the
// intensity in red, green and blue; the palette form holds the index in
// red.
class PngBackground : public FormatCodecColorProperty
{
public:
    enum Form : std::int32_t
    {
        kLowDepthGray = 5,
        kGray = 6,
        kPaletteIndex = 7,
        kRgb = 8
    };
    // The form a colour type (and bit depth) takes.
    static std::int32_t formOf(std::int32_t colorType, std::int32_t bitDepth);

    PngBackground(RgbColor color, std::int32_t form);
    FormatCodecPropertyInterface* clone() const override;
};

// One zlib level offered by PngCompression.
class PngCompressionType : public FormatCodecPropertyInterface
{
public:
    // Levels 0, 1, 3, 6 and 9 have their own names; any other takes the
    // name of 6.
    explicit PngCompressionType(std::int32_t level);
    FormatCodecPropertyInterface* clone() const override;
    std::int32_t level() const { return level_; }

private:
    std::int32_t level_;
};

// The zlib level of the image data: one of five PngCompressionType
// elements, level 6 by default.
class PngCompression : public FormatCodecExclusivePropertySetInterface
{
public:
    static constexpr std::int32_t kDefaultLevel = 6;
    // Selects the element of `level` (level 6 when none has it).
    explicit PngCompression(std::int32_t level = kDefaultLevel);
    FormatCodecPropertyInterface* clone() const override;
    // The selected element's level; 6 when the selection is not a level.
    std::int32_t level() const;
};

} // namespace Omvi
