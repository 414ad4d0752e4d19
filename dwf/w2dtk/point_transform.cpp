#include "dwf/w2dtk/point_transform.h"

#include "dwf/w2dtk/result.h"

#include <cmath>
#include <limits>

std::int32_t wt_clamp_coordinate(std::int64_t value, bool& clamped)
{
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    if (value < lo || value > hi)
    {
        clamped = true;
        return std::int32_t(value < lo ? lo : hi);
    }
    return std::int32_t(value);
}

std::int32_t wt_clamp_coordinate(double value, bool& clamped)
{
    if (std::isnan(value))
    {
        clamped = true;
        return 0;
    }
    double const t = std::trunc(value);
    if (t < -2147483648.0 || t > 2147483647.0)
    {
        clamped = true;
        return t < 0 ? std::numeric_limits<std::int32_t>::min()
                     : std::numeric_limits<std::int32_t>::max();
    }
    return std::int32_t(t);
}

bool wt_transform_point(WT_Logical_Point& point, const WT_Transform& t)
{
    bool clamped = false;
    std::int64_t const x = wt_clamp_coordinate(point.m_x * t.m_x_scale + t.m_translate_x, clamped);
    std::int64_t const y = wt_clamp_coordinate(point.m_y * t.m_y_scale + t.m_translate_y, clamped);
    switch (t.m_rotation)
    {
    case 0:
        point = WT_Logical_Point(std::int32_t(x), std::int32_t(y));
        break;
    case 90:
        point =
            WT_Logical_Point(wt_clamp_coordinate(WT_Max_Coordinate - y, clamped), std::int32_t(x));
        break;
    case 180:
        point = WT_Logical_Point(wt_clamp_coordinate(WT_Max_Coordinate - x, clamped),
                                 wt_clamp_coordinate(WT_Max_Coordinate - y, clamped));
        break;
    case 270:
        point =
            WT_Logical_Point(std::int32_t(y), wt_clamp_coordinate(WT_Max_Coordinate - x, clamped));
        break;
    default:
        throw WT_Result_Not_Available;
    }
    return !clamped;
}

WT_Logical_Point transform_point(const WT_Logical_Point& point, const WT_Transform& transform)
{
    WT_Logical_Point result = point;
    wt_transform_point(result, transform);
    return result;
}
