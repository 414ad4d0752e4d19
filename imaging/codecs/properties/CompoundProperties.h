#pragma once
// The typed bases of properties whose value has several parts: density,
// data organisation, association, colour and sample format. Each fixes its
// property type and the compound value type; a codec derives its own
// classes from them (and gives them their texts).
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/models/RgbColor.h"

namespace Omvi
{

// A pixel density along x and y with its unit code (0 none, 1 per
// centimetre, 2 per inch, as the codecs use them).
class FormatCodecDensity : public FormatCodecPropertyInterface
{
public:
    enum Unit : std::int32_t
    {
        kNoUnit = 0,
        kPerCentimetre = 1,
        kPerInch = 2
    };

    // 11
    virtual void getDefault(double* x, double* y) const;
    // 12: true (codecs that store fewer values refuse what they cannot keep).
    virtual bool setDensity(double x, double y);
    // 13
    virtual void getDensity(double* x, double* y) const;
    // 14-16
    virtual std::int32_t defaultUnit() const;
    virtual std::int32_t unit() const;
    virtual bool setUnit(std::int32_t unit);
    // 17: a value each codec defines for its own density class.
    virtual std::int32_t codecSpecificValue() const = 0;

protected:
    // The values given are also the defaults.
    FormatCodecDensity(double x, double y, std::int32_t unit);
    void setDefaults(double x, double y, std::int32_t unit);

private:
    double defaultX_;
    double defaultY_;
    double x_;
    double y_;
    std::int32_t defaultUnit_;
    std::int32_t unit_;
};

// How a file arranges its pixel data: an organisation code (the codec's,
// for example one strip, tiles or strips of some rows), a tile size and a
// third size (rows per strip). Sizes that were never set report their
// defaults.
class FormatCodecDataOrganization : public FormatCodecPropertyInterface
{
public:
    // 11 and 12
    virtual std::int32_t code() const;
    virtual bool setCode(std::int32_t code);
    // 13: each falls back to its default while unset.
    virtual void getTileSize(std::int32_t* width, std::int32_t* height) const;
    // 14: false (nothing changes) unless both are at least 1.
    virtual bool setTileSize(std::int32_t width, std::int32_t height);
    // 15 and 16: the third size; set refuses values below 1.
    virtual std::int32_t thirdSize() const;
    virtual bool setThirdSize(std::int32_t size);

    std::int32_t defaultCode() const { return defaultCode_; }

protected:
    // The code given is also the default code.
    explicit FormatCodecDataOrganization(std::int32_t code);
    // Defaults take positive values only; others are ignored.
    void setDefaultTileSize(std::int32_t width, std::int32_t height);
    void setDefaultThirdSize(std::int32_t size);

private:
    std::int32_t tileWidth_ = -1;
    std::int32_t defaultTileWidth_ = -1;
    std::int32_t tileHeight_ = -1;
    std::int32_t defaultTileHeight_ = -1;
    std::int32_t thirdSize_ = -1;
    std::int32_t defaultThirdSize_ = -1;
    std::int32_t defaultCode_;
    std::int32_t code_;
};

// How an image relates to the others of its file: two codec-defined values.
class FormatCodecAssociation : public FormatCodecPropertyInterface
{
public:
    // 11-14
    virtual std::int32_t first() const;
    virtual void setFirst(std::int32_t value);
    virtual std::int32_t second() const;
    virtual void setSecond(std::int32_t value);

protected:
    FormatCodecAssociation(std::int32_t first, std::int32_t second);

private:
    std::int32_t first_;
    std::int32_t second_;
};

// A colour (background, foreground) with a codec-defined code telling what
// form it had in the file.
class FormatCodecColorProperty : public FormatCodecPropertyInterface
{
public:
    // 11-13
    virtual RgbColor getColor() const;
    virtual std::int32_t code() const;
    virtual void setColor(RgbColor color);

protected:
    FormatCodecColorProperty(RgbColor color, std::int32_t code);

private:
    RgbColor color_;
    std::int32_t code_;
};

// The numeric form of the samples (0 unsigned, 1 signed, 2 floating point)
// with a second codec-defined value.
class FormatCodecSampleFormatProperty : public FormatCodecPropertyInterface
{
public:
    std::int32_t sampleFormat() const { return sampleFormat_; }
    std::int32_t secondValue() const { return second_; }

protected:
    FormatCodecSampleFormatProperty(std::int32_t sampleFormat, std::int32_t second);

private:
    std::int32_t sampleFormat_;
    std::int32_t second_;
};

} // namespace Omvi
