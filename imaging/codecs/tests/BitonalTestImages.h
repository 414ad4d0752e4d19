#pragma once
// Bilevel images for the tests of the bilevel coder and the codecs built on
// it: rows packed eight pixels a byte, first pixel in the most significant
// bit, 1 black, bits past the width clear.
#include "imaging/codecs/cals/CcittDiagnostics.h"

#include <cstdint>
#include <string>
#include <vector>

namespace OmviTest
{

struct BitonalImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;

    int rowBytes() const { return (width + 7) / 8; }
    std::uint8_t* row(int r) { return bits.data() + static_cast<std::size_t>(r) * rowBytes(); }
    const std::uint8_t* row(int r) const { return bits.data() + static_cast<std::size_t>(r) * rowBytes(); }
    bool pixel(int x, int y) const { return (row(y)[x / 8] >> (7 - x % 8)) & 1; }
    void set(int x, int y, bool black)
    {
        const auto mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
        if (black)
            row(y)[x / 8] |= mask;
        else
            row(y)[x / 8] &= static_cast<std::uint8_t>(~mask);
    }
    bool operator==(const BitonalImage& other) const
    {
        return width == other.width && height == other.height && bits == other.bits;
    }
    bool operator!=(const BitonalImage& other) const { return !(*this == other); }
    // Clears the bits past the width (decoders leave them clear).
    void clearPadding()
    {
        if (width % 8 == 0)
            return;
        for (int r = 0; r < height; ++r)
            row(r)[rowBytes() - 1] &= static_cast<std::uint8_t>(0xFF << (8 - width % 8));
    }
};

inline BitonalImage blankBitonal(int width, int height)
{
    return BitonalImage{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>((width + 7) / 8) * height)};
}

// Something like a page of text and drawing: rows of small glyph-like
// blocks, rules, a frame, diagonal strokes and a few large black areas.
inline BitonalImage textLikeBitonal(int width, int height, unsigned seed = 3)
{
    BitonalImage image = blankBitonal(width, height);
    std::uint32_t state = seed * 2654435761u + 7;
    auto random = [&state](int modulus) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % static_cast<std::uint32_t>(modulus));
    };
    for (int y = 0; y < height; ++y)
    {
        const int line = y % 24;
        for (int x = 0; x < width; ++x)
        {
            bool black = false;
            if (x < 2 || y < 2 || x >= width - 2 || y >= height - 2)
                black = true;  // frame
            else if (line >= 4 && line < 16 && (x / 9) % 7 != 6)
                black = ((x * 7 + y * 3 + (x / 9) * 11) % 13) < 5;  // glyphs
            else if (line == 20 && (x / 200) % 2 == 0)
                black = true;  // rules
            if ((x + y) % 97 == 0 || (x - y + 10000) % 151 < 2)
                black = true;  // strokes
            if (x > width / 2 && x < width / 2 + width / 8 && y > height / 3 && y < height / 3 + height / 10)
                black = true;  // a filled area
            if (black)
                image.set(x, y, true);
        }
        if (random(5) == 0)
            image.set(random(width), y, true);
    }
    return image;
}

// Pixels in a checkerboard of `cell`-pixel squares: with cell 1 every pixel
// changes colour, the worst case of every coding.
inline BitonalImage checkerBitonal(int width, int height, int cell = 1)
{
    BitonalImage image = blankBitonal(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (((x / cell) + (y / cell)) % 2 == 1)
                image.set(x, y, true);
    return image;
}

inline BitonalImage noiseBitonal(int width, int height, unsigned seed = 11, int blackPercent = 50)
{
    BitonalImage image = blankBitonal(width, height);
    std::uint32_t state = seed * 2246822519u + 3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            state = state * 1664525u + 1013904223u;
            if (static_cast<int>((state >> 16) % 100) < blackPercent)
                image.set(x, y, true);
        }
    return image;
}

// Diagnostics of the bilevel decoder gathered while an object lives (the
// sink is process-wide, so the tests take it one at a time).
class CapturedDiagnostics
{
public:
    CapturedDiagnostics() : previous_(Omvi::setCcittDiagnosticSink(&collect)) { text().clear(); }
    ~CapturedDiagnostics() { Omvi::setCcittDiagnosticSink(previous_); }
    CapturedDiagnostics(const CapturedDiagnostics&) = delete;
    CapturedDiagnostics& operator=(const CapturedDiagnostics&) = delete;

    static std::string& text()
    {
        static std::string collected;
        return collected;
    }
    bool contains(const std::string& part) const { return text().find(part) != std::string::npos; }

private:
    static void collect(const char* message) { text() += message; }
    Omvi::CcittDiagnosticSink previous_;
};

} // namespace OmviTest
