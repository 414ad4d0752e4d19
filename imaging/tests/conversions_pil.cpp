// RGB to gray against an independent implementation: python3 PIL's
// convert('L') of the same random image, within one level.
#include "RowSources.h"
#include "ToolCheck.h"

#include "imaging/conversions/RgbToGray.h"
#include "imaging/models/RgbModel.h"
#include "imaging/platform/ScratchFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

using namespace Omvi;

TEST(ConversionsAgainstPil, RgbToGrayAgreesWithPilWithinOneLevel)
{
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    const int width = 317;
    const int height = 123;
    std::mt19937 random(20240611);
    std::vector<OmviTest::Row> rows;
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
    {
        OmviTest::Row row;
        for (int x = 0; x < width; ++x)
        {
            const std::uint32_t v = random();
            const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                         static_cast<std::uint8_t>(v >> 16)};
            row.insert(row.end(), {rgb[0], rgb[1], rgb[2], static_cast<std::uint8_t>(v >> 24)});
            ppm.append(reinterpret_cast<const char*>(rgb), 3);
        }
        rows.push_back(row);
    }

    const std::string image = makeScratchFileSpecifier("pilrgb").nativePath();
    const std::string gray = makeScratchFileSpecifier("pilgray").nativePath();
    ASSERT_FALSE(image.empty());
    ASSERT_FALSE(gray.empty());
    std::ofstream(image, std::ios::binary) << ppm;
    const std::string command = python + " -c \"import sys; from PIL import Image; "
                                         "open(sys.argv[2], 'wb').write(Image.open(sys.argv[1]).convert('L').tobytes())\" '" +
                                image + "' '" + gray + "'";
    const int status = OmviTest::runCommand(command);
    std::ifstream in(gray, std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(image.c_str());
    std::remove(gray.c_str());
    ASSERT_EQ(status, 0) << command;
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(width * height));

    RgbToGray filter(new OmviTest::MemoryRows(RgbModel(), width, rows));
    const std::vector<OmviTest::Row> ours = OmviTest::pullAll(filter);
    int worst = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const int theirs = static_cast<unsigned char>(expected[static_cast<std::size_t>(y * width + x)]);
            const int mine = ours[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            worst = std::max(worst, std::abs(theirs - mine));
        }
    EXPECT_LE(worst, 1);
}
