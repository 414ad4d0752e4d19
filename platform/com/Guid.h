#pragma once
// Class, interface and application identifiers in their registry text form.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform
{

struct Guid
{
    std::array<std::uint8_t, 16> bytes{};

    // Accepts "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with or without the
    // braces, hexadecimal digits in either case.
    static std::optional<Guid> parse(std::u16string_view text);
    // Upper case with braces, the form the registry scripts use.
    std::u16string toString() const;

    friend bool operator==(const Guid& a, const Guid& b) { return a.bytes == b.bytes; }
    friend bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }
    friend bool operator<(const Guid& a, const Guid& b) { return a.bytes < b.bytes; }
};

// For constants written in code; a malformed literal is a programming error
// and yields the all-zero identifier.
Guid guid(std::u16string_view text);

} // namespace platform
