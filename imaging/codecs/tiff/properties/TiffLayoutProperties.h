#pragma once
// The TIFF properties with a compound value: data organisation (one strip,
// tiles, strips of some rows), density (resolution), association (subfile
// type), transparency (an alpha sample) and sample format.
#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/FormatCodecTransparency.h"
#include "imaging/codecs/tiff/properties/TiffProperty.h"

#include <cstdint>

namespace Omvi
{

// Organisation codes: 0 one strip, 1 tiles, 2 strips of a number of rows
// (the third size).
class TiffDataOrganization : public FormatCodecDataOrganization, public TiffProperty
{
public:
    enum Organisation : std::int32_t
    {
        kOneStrip = 0,
        kTiles = 1,
        kStrips = 2
    };
    // The tile granularity of a directory being written (tile sides are
    // multiples of 16), and of a directory being read (its tiles are what
    // they are: no tile size is accepted).
    static constexpr std::int32_t kWritableGranularity = 16;
    static constexpr std::int32_t kFixedGranularity = 1;

    TiffDataOrganization(std::int32_t bitsPerPixel, std::int32_t organisation, std::int32_t tileGranularity);
    FormatCodecPropertyInterface* clone() const override;

    // Codes 0-2; tiles are refused for 16 bits per pixel.
    bool setCode(std::int32_t code) override;
    // The width, a positive multiple of the granularity, becomes both tile
    // sides (the height is not used); a granularity of 1 (or less) refuses
    // every size.
    bool setTileSize(std::int32_t width, std::int32_t height) override;
    // Tiles of the given sides and strips of the given rows when nothing else
    // is set (the directory's own, or the writer's defaults).
    void setDefaults(std::int32_t tileWidth, std::int32_t tileHeight, std::int32_t rowsPerStrip);

    // RowsPerStrip (278), or TileWidth (322) and TileLength (323).
    bool writeTag(TIFF* tiff) const override;
    bool valueAsText(StringBuffer& out) const override;

private:
    std::int32_t bitsPerPixel_;
    std::int32_t granularity_;
};

// Density units: 0 none, 1 per centimetre, 2 per inch.
class TiffDensity : public FormatCodecDensity, public TiffProperty
{
public:
    TiffDensity(double x, double y, std::int32_t unit);
    FormatCodecPropertyInterface* clone() const override;
    // The ResolutionUnit value the density writes (1 none, 2 inch, 3
    // centimetre).
    std::int32_t codecSpecificValue() const override;

    // XResolution (282), YResolution (283) and ResolutionUnit (296).
    bool writeTag(TIFF* tiff) const override;
    bool valueAsText(StringBuffer& out) const override;

    // The density unit of a ResolutionUnit value.
    static std::int32_t unitOfTagValue(std::uint32_t value);
};

// Association codes: 0 reduced-resolution image, 1 page, 2 transparency
// mask, 3 the full-resolution image (NewSubfileType without those bits).
class TiffAssociation : public FormatCodecAssociation, public TiffProperty
{
public:
    enum Code : std::int32_t
    {
        kReducedResolution = 0,
        kPage = 1,
        kMask = 2,
        kPrimary = 3
    };

    explicit TiffAssociation(std::int32_t code);
    FormatCodecPropertyInterface* clone() const override;
    // NewSubfileType (254) = reduced resolution for code 0; nothing else is
    // written (false).
    bool writeTag(TIFF* tiff) const override;
    bool valueAsText(StringBuffer& out) const override;

    static std::int32_t codeOfSubfileType(std::uint32_t subfileType);
};

// An alpha sample stored beside red, green and blue.
class TiffTransparency : public FormatCodecTransparency, public TiffProperty
{
public:
    TiffTransparency();
    FormatCodecPropertyInterface* clone() const override;
    // SamplesPerPixel (277) = 4 and ExtraSamples (338) = one unassociated
    // alpha sample.
    bool writeTag(TIFF* tiff) const override;
};

// Sample formats: 0 unsigned integer, 1 signed integer, 2 floating point.
class TiffSampleFormatProperty : public FormatCodecSampleFormatProperty
{
public:
    explicit TiffSampleFormatProperty(std::int32_t sampleFormat);
    FormatCodecPropertyInterface* clone() const override;
    // SampleFormat (339).
    bool writeTag(TIFF* tiff) const;

    // The sample format of a SampleFormat value; -1 for values that make no
    // property.
    static std::int32_t formatOfTagValue(std::uint32_t value);
};

} // namespace Omvi
