#pragma once
// The typed bases of properties that hold one plain value: a boolean, an
// integer or a double within a range, or a text. A codec derives its own
// properties from them, choosing the property type and the texts; setters
// answer false for a refused value and keep the old one.
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"

namespace Omvi
{

class FormatCodecBooleanProperty : public FormatCodecPropertyInterface
{
public:
    // 11-13
    virtual bool value() const;
    virtual bool defaultValue() const;
    virtual void setValue(bool value);

protected:
    FormatCodecBooleanProperty(std::int32_t propertyType, bool value, bool defaultValue);

private:
    bool value_;
    bool default_;
};

class FormatCodecIntProperty : public FormatCodecPropertyInterface
{
public:
    // 11
    virtual std::int32_t defaultValue() const;
    // 12
    virtual std::int32_t value() const;
    // 13: false (nothing changes) below the minimum or above the maximum.
    virtual bool setValue(std::int32_t value);
    // 14
    virtual void getRange(std::int32_t* minimum, std::int32_t* maximum) const;

protected:
    // The default is the value given.
    FormatCodecIntProperty(std::int32_t propertyType, std::int32_t minimum, std::int32_t maximum,
                           std::int32_t value);

private:
    std::int32_t value_;
    std::int32_t default_;
    std::int32_t maximum_;
    std::int32_t minimum_;
};

class FormatCodecDoubleProperty : public FormatCodecPropertyInterface
{
public:
    // 11
    virtual double defaultValue() const;
    // 12: false (nothing changes) outside [minimum, maximum] (and for NaN).
    virtual bool setValue(const double& value);
    // 13
    virtual double value() const;
    // 14
    virtual void getRange(double* minimum, double* maximum) const;

protected:
    // The default is the value given.
    FormatCodecDoubleProperty(std::int32_t propertyType, double minimum, double maximum, double value);

private:
    double default_;
    double maximum_;
    double minimum_;
    double value_;
};

class FormatCodecStringProperty : public FormatCodecPropertyInterface
{
public:
    // 11 and 12
    virtual const StringBuffer& defaultText() const;
    virtual const StringBuffer& text() const;
    // 13: stores the text; true when it is not empty.
    virtual bool setText(const StringBuffer& text);
    // 14 and 15: the first code is the codec's (the longest text it stores),
    // the second 0.
    virtual std::int32_t lengthLimit() const;
    virtual std::int32_t secondTextCode() const;

protected:
    FormatCodecStringProperty(std::int32_t propertyType, const StringBuffer& defaultText,
                              const StringBuffer& text, std::int32_t lengthLimit);

private:
    StringBuffer default_;
    StringBuffer text_;
    std::int32_t lengthLimit_;
    std::int32_t secondTextCode_ = 0;
};

} // namespace Omvi
