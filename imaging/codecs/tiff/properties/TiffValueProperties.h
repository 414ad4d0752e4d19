#pragma once
// The TIFF codec's plain value properties: the members of its set-valued
// properties (an integer, a text, a number, an empty member) and the text
// tags (artist, copyright, date and time, host computer, image description,
// make, model, software) with the byte-order text a frame reports.
#include "imaging/codecs/properties/ValueProperties.h"
#include "imaging/codecs/tiff/properties/TiffProperty.h"

#include <cstdint>
#include <string>

namespace Omvi
{

class TiffIntProperty : public FormatCodecIntProperty
{
public:
    TiffIntProperty(std::int32_t nameId, std::int32_t descriptionId, std::int32_t minimum, std::int32_t maximum,
                    std::int32_t value);
    FormatCodecPropertyInterface* clone() const override;
};

// A text of at most kLimit bytes, empty to start with.
class TiffStringProperty : public FormatCodecStringProperty
{
public:
    static constexpr std::int32_t kLimit = 1024;

    TiffStringProperty(std::int32_t nameId, std::int32_t descriptionId);
    FormatCodecPropertyInterface* clone() const override;
    // Texts longer than the limit are cut to it.
    bool setText(const StringBuffer& text) override;
};

// A number from 0 up, 0 to start with.
class TiffDoubleProperty : public FormatCodecDoubleProperty
{
public:
    TiffDoubleProperty(std::int32_t nameId, std::int32_t descriptionId);
    FormatCodecPropertyInterface* clone() const override;
};

// A property without a value: only its name and description.
class TiffVoidProperty : public FormatCodecPropertyInterface
{
public:
    TiffVoidProperty(std::int32_t nameId, std::int32_t descriptionId);
    FormatCodecPropertyInterface* clone() const override;
};

// A text tag of the directory (kinds 3-5 and 8-12) or the byte order of the
// file (kind 1, stored in no tag). Without a text given the property holds
// its kind's default text.
class TiffText : public FormatCodecStringProperty, public TiffProperty
{
public:
    static constexpr std::int32_t kLimit = 4096;

    // `text` may be null.
    TiffText(std::int32_t kind, const StringBuffer* text);
    FormatCodecPropertyInterface* clone() const override;
    // Texts longer than the limit are cut to it.
    bool setText(const StringBuffer& text) override;
    // The text into the kind's tag; kinds without a tag write nothing.
    bool writeTag(TIFF* tiff) const override;

    // The TIFF tag of a text kind; 0 for kinds without one.
    static std::uint32_t tagOf(std::int32_t kind);
};

// A single-byte text of at most `limit` bytes (kept with its NUL).
StringBuffer limitedText(const std::string& text, std::size_t limit);

} // namespace Omvi
