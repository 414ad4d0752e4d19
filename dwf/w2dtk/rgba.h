#pragma once

#include <cstdint>

// A packed colour: blue in bits 0-7, green 8-15, red 16-23, alpha 24-31.
struct WT_RGBA32
{
    std::uint32_t m_rgba = 0xFFFFFFFFu;

    constexpr WT_RGBA32() = default;
    constexpr explicit WT_RGBA32(std::uint32_t packed) : m_rgba(packed) {}
    constexpr WT_RGBA32(int red, int green, int blue, int alpha = 255)
        : m_rgba((std::uint32_t(alpha & 0xFF) << 24) | (std::uint32_t(red & 0xFF) << 16) |
                 (std::uint32_t(green & 0xFF) << 8) | std::uint32_t(blue & 0xFF))
    {
    }

    constexpr int red() const { return int((m_rgba >> 16) & 0xFF); }
    constexpr int green() const { return int((m_rgba >> 8) & 0xFF); }
    constexpr int blue() const { return int(m_rgba & 0xFF); }
    constexpr int alpha() const { return int(m_rgba >> 24); }

    constexpr bool operator==(WT_RGBA32 other) const { return m_rgba == other.m_rgba; }
    constexpr bool operator!=(WT_RGBA32 other) const { return m_rgba != other.m_rgba; }
};
