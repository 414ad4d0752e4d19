#pragma once
// Numbers in text the same way whatever the process's locale is: every
// formatting and parsing of the codecs (side-car files, value templates)
// runs in the C locale, so a file written under a locale with a decimal
// comma still reads back everywhere.
#include <cstdarg>
#include <optional>
#include <string>

namespace Omvi::CLocaleNumbers
{

// printf-style formatting in the C locale; the whole result, however long.
// Empty when the format is refused by the C library.
std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatList(const char* format, std::va_list arguments);

// A decimal number at the start of `text` as strtod reads it in the C locale
// (leading blanks skipped); `end` (when given) receives the position after
// it. Nothing when no number starts there.
std::optional<double> parseDouble(const char* text, const char** end = nullptr);
// A decimal integer as strtol reads it; nothing when none starts there or it
// does not fit a long.
std::optional<long> parseLong(const char* text, const char** end = nullptr);

} // namespace Omvi::CLocaleNumbers
