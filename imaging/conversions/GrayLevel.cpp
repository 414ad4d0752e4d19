#include "imaging/conversions/GrayLevel.h"

namespace Omvi
{

GrayLevel::Tables::Tables()
{
    for (int v = 0; v < 256; ++v)
    {
        red[v] = 0.299 * v;
        green[v] = 0.587 * v;
        blue[v] = 0.114 * v;
    }
}

const GrayLevel::Tables& GrayLevel::tables()
{
    static const Tables instance;
    return instance;
}

std::uint8_t GrayLevel::ofColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    const Tables& t = tables();
    return static_cast<std::uint8_t>(t.green[green] + t.red[red] + t.blue[blue] + 0.5);
}

std::uint8_t GrayLevel::ofPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    const Tables& t = tables();
    return static_cast<std::uint8_t>(t.green[green] + t.blue[blue] + t.red[red] + 0.5);
}

void GrayLevel::ofRow(const std::uint8_t* rgba, std::uint8_t* gray, std::int32_t width)
{
    const Tables& t = tables();
    for (std::int32_t i = 0; i < width; ++i, rgba += 4)
        gray[i] = static_cast<std::uint8_t>(t.green[rgba[1]] + t.red[rgba[0]] + t.blue[rgba[2]] + 0.5);
}

} // namespace Omvi
