#pragma once
// What the descriptor tests share: a session with the portable-map test
// codec registered, a scratch folder for their files, and maps whose pixels
// tell where they are.
#include "PnmTestCodec.h"
#include "PortableMaps.h"
#include "RowSources.h"
#include "TiledImageFixtures.h"

#include "imaging/FileSpecifier.h"

#include <string>

namespace OmviTest
{

class DescriptorTest : public TiledImageTest
{
protected:
    void SetUp() override
    {
        start().registerCodec(&codec);
        ASSERT_TRUE(folder.valid());
    }

    // Writes `bytes` to a file of the scratch folder; its specifier.
    Omvi::FileSpecifier file(const std::string& name, const Bytes& bytes)
    {
        EXPECT_TRUE(writeBytes(folder.file(name), bytes));
        return specifier(name);
    }
    Omvi::FileSpecifier specifier(const std::string& name) const
    {
        return Omvi::FileSpecifier(Omvi::AsciiStringBuffer(folder.file(name)), Omvi::FileSpecifier::kFile);
    }

    PnmTestCodec codec;
    ScratchFolder folder;
};

// Pixel samples of a map of `kind` ('5' gray, '6' RGB) whose sample c at
// (x, y) is a function of its place; P4 maps get a pattern of bits.
inline Bytes mapPixels(char kind, int width, int height, int seed = 0)
{
    Bytes pixels;
    if (kind == '4')
    {
        for (int y = 0; y < height; ++y)
            for (int b = 0; b < (width + 7) / 8; ++b)
            {
                auto bits = static_cast<std::uint8_t>((y * 37 + b * 11 + seed) * 0x2D);
                if (b == width / 8 && width % 8 != 0)
                    bits = static_cast<std::uint8_t>(bits & (0xFF << (8 - width % 8))); // no bits past the row
                pixels.push_back(bits);
            }
        return pixels;
    }
    const int channels = kind == '6' ? 3 : 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels.push_back(static_cast<std::uint8_t>(x * 7 + y * 13 + c * 50 + seed));
    return pixels;
}

// The rows a reader hands out for a map: gray as bytes, RGB as red, green,
// blue, 255; P4 as packed bits.
inline std::vector<Row> deliveredRows(char kind, int width, int height, const Bytes& pixels)
{
    std::vector<Row> rows;
    const std::size_t stored = kind == '4' ? static_cast<std::size_t>(width + 7) / 8
                                           : static_cast<std::size_t>(width) * (kind == '6' ? 3 : 1);
    for (int y = 0; y < height; ++y)
    {
        const auto* line = pixels.data() + stored * static_cast<std::size_t>(y);
        Row row;
        if (kind == '6')
            for (int x = 0; x < width; ++x)
                row.insert(row.end(), {line[3 * x], line[3 * x + 1], line[3 * x + 2], 255});
        else
            row.assign(line, line + stored);
        rows.push_back(row);
    }
    return rows;
}

} // namespace OmviTest
