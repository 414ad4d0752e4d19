#pragma once
// A text template with numbered inserts, as the codecs show property values
// ("%1!d! x %2!d!" with 640 and 480 gives "640 x 480"). Insert n is written
// "%n", optionally followed by a printf conversion between two exclamation
// marks ("%2!d!"); without one it takes a text ("%s"). Values are formatted
// in the C locale, and a conversion that does not fit the value (a text
// conversion for a number, a length modifier, "%n") is refused rather than
// handed to printf.
#include "imaging/StringBuffer.h"

#include <cstddef>
#include <optional>
#include <string>

namespace Omvi
{

class FormatString
{
public:
    FormatString();
    virtual ~FormatString();

    // Takes a copy of a single-byte text (encodings 0 and 4) up to its NUL
    // as the template; an empty text leaves no template, other encodings
    // change nothing. Answers whether a template is held.
    bool setTemplate(const StringBuffer& text);
    // The template with its NUL, encoding 4; false without a template.
    bool getText(StringBuffer& out) const;

    // Copies insert n as it stands in the template ("%2" or "%2!d!") into
    // `out` (cleared first) when it fits with its NUL; false when n is 0, the
    // insert is missing or unterminated, or `out` is too small. "%1" does not
    // match the start of "%10".
    bool findPlaceholder(int n, char* out, std::size_t outSize) const;
    // The printf format of insert n ("%s" without a conversion, else "%"
    // followed by the conversion) into `out`; false as above.
    bool placeholderFormat(int n, char* out, std::size_t outSize) const;
    // Replaces the first occurrence of `find` by `with`; false for a null
    // argument, no template or no occurrence.
    bool replace(const char* find, const char* with);

    // Replace insert n by `text` unchanged, or by the value formatted with the
    // insert's conversion. False (the template unchanged) when the insert is
    // missing or its conversion does not suit the value.
    bool setPlaceholderText(int n, const char* text);
    bool formatInteger(int n, unsigned value);
    bool formatDouble(int n, double value);
    bool formatText(int n, const StringBuffer& value);

private:
    // The insert as it stands in the template, and where.
    struct Placeholder
    {
        std::size_t position;
        std::string text;
        std::string conversion;  // between the exclamation marks; empty for "%s"
    };
    std::optional<Placeholder> placeholder(int n) const;
    bool replacePlaceholder(int n, const std::string& value);

    std::optional<std::string> template_;
};

} // namespace Omvi
