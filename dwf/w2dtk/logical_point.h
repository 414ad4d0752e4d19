#pragma once

#include <cstdint>

// Coordinates of every drawable: signed 32-bit logical units.
struct WT_Logical_Point
{
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;

    constexpr WT_Logical_Point() = default;
    constexpr WT_Logical_Point(std::int32_t x, std::int32_t y) : m_x(x), m_y(y) {}

    constexpr bool operator==(const WT_Logical_Point& o) const
    {
        return m_x == o.m_x && m_y == o.m_y;
    }
    constexpr bool operator!=(const WT_Logical_Point& o) const { return !(*this == o); }
};

struct WT_Logical_Box
{
    WT_Logical_Point m_min;
    WT_Logical_Point m_max;

    constexpr WT_Logical_Box() = default;
    constexpr WT_Logical_Box(WT_Logical_Point lo, WT_Logical_Point hi) : m_min(lo), m_max(hi) {}

    constexpr bool operator==(const WT_Logical_Box& o) const
    {
        return m_min == o.m_min && m_max == o.m_max;
    }
};
