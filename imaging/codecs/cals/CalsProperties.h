#pragma once
// The CALS codec's properties: the header's text records, its density and
// the writer's compatibility flag, and the codec's property set. The text
// properties are named by their record keys ("srcdocid:" ...), so they are
// found by the same names a file shows.
#include "imaging/codecs/cals/CalsHeader.h"
#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/properties/ValueProperties.h"

#include <string>

namespace Omvi
{

// The text of one header record; its name is the record's key.
class CalsStringProperty : public FormatCodecStringProperty
{
public:
    static constexpr std::int32_t kMaximumLength = 128;

    // `record` is one of the seven text records of CalsHeader.
    CalsStringProperty(int record, const std::string& text);
    FormatCodecPropertyInterface* clone() const override;

    int record() const { return record_; }
    // The text without the terminating NUL.
    std::string value() const;

private:
    int record_;
};

// The header's density: one whole number of pels per inch for both axes,
// 0-9999.
class CalsDensityProperty : public FormatCodecDensity
{
public:
    explicit CalsDensityProperty(std::int32_t density = 200);
    // As made from a header: named by the record's key.
    static CalsDensityProperty fromHeader(const CalsHeader& header);

    FormatCodecPropertyInterface* clone() const override;
    // Equal whole numbers 0-9999 only.
    bool setDensity(double x, double y) override;
    // Only per inch (2); nothing is stored.
    bool setUnit(std::int32_t unit) override;
    std::int32_t codecSpecificValue() const override { return 0; }

    std::int32_t density() const { return density_; }

private:
    std::int32_t density_;
};

// Asks the writer for files the way older readers expect them; kept and
// reported, it changes nothing in the file written.
class CalsCompatabilityProperty : public FormatCodecBooleanProperty
{
public:
    explicit CalsCompatabilityProperty(bool value = false);
    FormatCodecPropertyInterface* clone() const override;
};

class CalsPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    explicit CalsPropertySetIterator(std::int32_t capacity) : FormatCodecPropertySetIterator(capacity) {}
};

// The header's seven text properties and its density, at indexes 0-7 of a
// new set of the given capacity.
CalsPropertySetIterator* newCalsHeaderProperties(const CalsHeader& header, std::int32_t capacity);
// The header property of that name ("srcdocid:" ... "notes:", "rdensty:"),
// or null.
FormatCodecPropertyInterface* newCalsHeaderProperty(const CalsHeader& header, const StringBuffer& name);

} // namespace Omvi
