#pragma once
// A 32-bit colour as the RGB model stores it: red in the low byte, then
// green, blue, and alpha in the high byte (255 opaque, 0 transparent). In a
// row the four bytes lie in that order: red, green, blue, alpha.
#include <cstdint>
#include <cstring>

namespace Omvi
{

struct RgbColor
{
    constexpr RgbColor() = default;
    constexpr explicit RgbColor(std::uint32_t packed) : value(packed) {}
    constexpr RgbColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha)
        : value(std::uint32_t{red} | std::uint32_t{green} << 8 | std::uint32_t{blue} << 16 |
                std::uint32_t{alpha} << 24)
    {
    }

    constexpr std::uint8_t red() const { return static_cast<std::uint8_t>(value); }
    constexpr std::uint8_t green() const { return static_cast<std::uint8_t>(value >> 8); }
    constexpr std::uint8_t blue() const { return static_cast<std::uint8_t>(value >> 16); }
    constexpr std::uint8_t alpha() const { return static_cast<std::uint8_t>(value >> 24); }

    // The colour at the given position of a row of 32-bit pixels, and back.
    static RgbColor read(const std::uint8_t* pixel)
    {
        return RgbColor(pixel[0], pixel[1], pixel[2], pixel[3]);
    }
    void write(std::uint8_t* pixel) const
    {
        pixel[0] = red();
        pixel[1] = green();
        pixel[2] = blue();
        pixel[3] = alpha();
    }

    // The 32-bit word whose bytes in memory are the row bytes of this
    // colour, so that a whole pixel is stored with one copy.
    std::uint32_t rowWord() const
    {
        const std::uint8_t bytes[4] = {red(), green(), blue(), alpha()};
        std::uint32_t word;
        std::memcpy(&word, bytes, sizeof word);
        return word;
    }

    constexpr bool operator==(const RgbColor& other) const { return value == other.value; }
    constexpr bool operator!=(const RgbColor& other) const { return value != other.value; }

    std::uint32_t value = 0;
};

} // namespace Omvi
