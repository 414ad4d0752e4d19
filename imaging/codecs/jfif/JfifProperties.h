#pragma once
// The JFIF codec's properties: pixel density, quality, comment text and the
// progressive-output flag, and the codec's property set. Names and
// descriptions are codec texts (JfifStrings.h); properties are found by
// name, so the four names differ.
#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/properties/ValueProperties.h"

#include <cstdint>

namespace Omvi
{

// Marks the properties that only this codec knows (comment, progressive
// flag): the writer frame takes private properties of this family only.
class JfifProperty
{
public:
    virtual ~JfifProperty() = default;
    // Always 1.
    virtual std::int32_t jfifPropertyKind() const { return 1; }
};

// The density of the JFIF header: whole numbers 0-65535 per axis, unit 0
// (aspect ratio only), 1 per centimetre or 2 per inch.
class JfifDensity : public FormatCodecDensity
{
public:
    // 1 x 1, unit 0.
    JfifDensity();
    JfifDensity(double x, double y, std::int32_t unit);

    FormatCodecPropertyInterface* clone() const override;
    // Each value is truncated toward zero and kept modulo 65536 (70000
    // becomes 4464, -1 becomes 65535, a NaN 0); true.
    bool setDensity(double x, double y) override;
    // The stored form: each value modulo 65536.
    bool setDensity16(std::uint16_t x, std::uint16_t y);
    std::int32_t codecSpecificValue() const override { return 0; }
};

// The JPEG quality 0-100 (default 100).
class JfifCompression : public FormatCodecIntProperty
{
public:
    JfifCompression();
    FormatCodecPropertyInterface* clone() const override;
};

// The text of one comment marker.
class JfifComment : public FormatCodecStringProperty, public JfifProperty
{
public:
    // The longest comment the writer stores and the one the reader reports.
    static constexpr std::int32_t kWriterLimit = 65530;
    static constexpr std::int32_t kReaderLimit = 65500;

    JfifComment(const StringBuffer& text, std::int32_t lengthLimit);
    FormatCodecPropertyInterface* clone() const override;

    // The text's bytes without the terminating NUL that single-byte texts
    // carry: what goes into the marker.
    std::int32_t markerLength() const;
};

// Whether a progressive file is asked for. The sequential encoder is used
// whatever it says.
class JfifProgressiveOutput : public FormatCodecBooleanProperty, public JfifProperty
{
public:
    explicit JfifProgressiveOutput(bool value = false);
    FormatCodecPropertyInterface* clone() const override;
};

class JfifPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    JfifPropertySetIterator() = default;
    JfifPropertySetIterator(const JfifPropertySetIterator& other) = default;
};

} // namespace Omvi
