#include "dwf/w2dtk/transform.h"

#include <cmath>

namespace
{
constexpr std::int64_t Max = 2147483647;
constexpr std::int64_t Min = -Max - 1;

std::int64_t truncate(double value, bool& clamped)
{
    if (std::isnan(value))
    {
        clamped = true;
        return 0;
    }
    if (value >= double(Max) + 1.0 || value < double(Min))
    {
        clamped = true;
        return value > 0 ? Max : Min;
    }
    return std::int64_t(value); // toward zero
}

std::int32_t clamp32(std::int64_t value, bool& clamped)
{
    if (value > Max || value < Min)
    {
        clamped = true;
        return std::int32_t(value > Max ? Max : Min);
    }
    return std::int32_t(value);
}
} // namespace

WT_Result wt_transform_point(const WT_Logical_Point& point, const WT_Transform& transform,
                             WT_Logical_Point& result, bool* clamped)
{
    bool over = false;
    std::int64_t const x =
        truncate(double(point.m_x) * transform.m_x_scale + double(transform.m_translate_x), over);
    std::int64_t const y =
        truncate(double(point.m_y) * transform.m_y_scale + double(transform.m_translate_y), over);
    switch (transform.m_rotation)
    {
    case 0:
        result = WT_Logical_Point(clamp32(x, over), clamp32(y, over));
        break;
    case 90:
        result = WT_Logical_Point(clamp32(Max - y, over), clamp32(x, over));
        break;
    case 180:
        result = WT_Logical_Point(clamp32(Max - x, over), clamp32(Max - y, over));
        break;
    case 270:
        result = WT_Logical_Point(clamp32(y, over), clamp32(Max - x, over));
        break;
    default:
        return WT_Result_Not_Available;
    }
    if (clamped)
        *clamped = over;
    return WT_Result_Success;
}
