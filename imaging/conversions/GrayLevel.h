#pragma once
// The gray level of an RGB colour: trunc(0.587*green + 0.299*red +
// 0.114*blue + 0.5) in double arithmetic, added in that order. The pixel
// conversions of ConvertToGray add in the order green, blue, red, which
// rounds differently for a few thousand colours; both orders are kept so
// that rows and single pixels agree with what the library always produced.
//
// The products come from per-channel tables of the same doubles, so the
// sums are bit-for-bit those of the formula while a row costs three loads
// and three additions per pixel.
#include <cstdint>

namespace Omvi
{

class GrayLevel
{
public:
    // Rows and most single pixels: green, red, blue.
    static std::uint8_t ofColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // ConvertToGray's single pixels: green, blue, red.
    static std::uint8_t ofPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // `width` 32-bit RGBA pixels to `width` gray bytes.
    static void ofRow(const std::uint8_t* rgba, std::uint8_t* gray, std::int32_t width);

private:
    struct Tables
    {
        Tables();
        double red[256];
        double green[256];
        double blue[256];
    };
    static const Tables& tables();
};

} // namespace Omvi
