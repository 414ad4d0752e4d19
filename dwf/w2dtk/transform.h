#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/result.h"

#include <cstdint>

// The output transform a file may apply to every coordinate it writes or reads.
struct WT_Transform
{
    std::int32_t m_translate_x = 0;
    std::int32_t m_translate_y = 0;
    double m_x_scale = 1.0;
    double m_y_scale = 1.0;
    std::int32_t m_rotation = 0; // 0, 90, 180 or 270 degrees
};

// Scales, translates and rotates a point: X = trunc(x × sx + tx), Y likewise;
// 90 gives (2147483647 − Y, X), 180 (2147483647 − X, 2147483647 − Y), 270
// (Y, 2147483647 − X). Values beyond the 32-bit range are clamped, and clamped
// is set when that happened (a reader should treat it as corrupt input).
// WT_Result_Not_Available for any other rotation; nothing is thrown.
WT_Result wt_transform_point(const WT_Logical_Point& point, const WT_Transform& transform,
                             WT_Logical_Point& result, bool* clamped = nullptr);

// A point from two signed 16-bit values (sign-extended).
inline WT_Logical_Point wt_point_from_16(std::int16_t x, std::int16_t y)
{
    return WT_Logical_Point(x, y);
}
