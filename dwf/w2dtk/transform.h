#pragma once

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
