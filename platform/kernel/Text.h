#pragma once
// UTF-8 <-> UTF-16 conversion and locale-free number handling for the
// platform layer, which must not depend on the core runtime.
#include <optional>
#include <string>
#include <string_view>

namespace platform
{

// Invalid input (bad lead bytes, truncated sequences, lone surrogates,
// overlong forms) becomes U+FFFD; nothing is read past the end.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// Parses a whole decimal floating-point number in the C locale: leading and
// trailing blanks are allowed, anything else makes the result empty, and so
// does a number too large for a double. One too small for a double reads as
// 0 (with its sign), as it would round.
std::optional<double> parseDouble(std::string_view text);
// Parses a whole decimal integer (optional sign) that fits in a long long.
std::optional<long long> parseInteger(std::string_view text);
// Shortest text that reads back as the same double, C locale.
std::string formatDouble(double value);

} // namespace platform
