#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/transform.h"

#include <cstdint>

// Largest logical coordinate; rotations mirror coordinates against it.
constexpr std::int64_t WT_Max_Coordinate = 2147483647;

// A logical point from two signed 16-bit values (the 16-bit relative forms).
inline WT_Logical_Point wt_point_from_16(std::int16_t x, std::int16_t y)
{
    return WT_Logical_Point(std::int32_t(x), std::int32_t(y));
}

// Saturates a 64-bit or floating value into the 32-bit coordinate range;
// clamped is set when the value did not fit.
std::int32_t wt_clamp_coordinate(std::int64_t value, bool& clamped);
std::int32_t wt_clamp_coordinate(double value, bool& clamped);

// Applies the file's output transform: scale and translation (truncated
// towards zero), then the rotation by 0, 90, 180 or 270 degrees, mirroring
// against WT_Max_Coordinate. Coordinates that leave the 32-bit range are
// saturated and the function returns false. A rotation other than the four
// right angles throws WT_Result_Not_Available.
bool wt_transform_point(WT_Logical_Point& point, const WT_Transform& transform);

// The transformed copy of point (saturating, as above).
WT_Logical_Point transform_point(const WT_Logical_Point& point, const WT_Transform& transform);
