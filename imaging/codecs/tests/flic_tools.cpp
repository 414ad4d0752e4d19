// The FLIC reader against independent decoders: the animations of the
// python generator (every chunk kind the format's first frame can hold) and
// those our tests build decode to what PIL decodes (and ffmpeg, where
// installed), palettes expanded, pixel for pixel.
#include "imaging/codecs/tests/FlicTestFiles.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

#include <dirent.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{

TestImage ourRgb(const std::string& path)
{
    int probe = -1;
    const TestImage rgb = firstFrameRgb<FlicFormatCodec>(path, &probe);
    EXPECT_EQ(probe, ImageFormatCodec::kRecognised) << path;
    return rgb;
}

TestImage pilRgb(const std::string& python, const std::string& path)
{
    return fromPnm(
        runCapture(python +
                   " -c \"import sys; from PIL import Image; "
                   "Image.open(sys.argv[1]).convert('RGB').save(sys.stdout.buffer, 'PPM')\" " +
                   quoted(path)));
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str()))
    {
        while (const dirent* entry = ::readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name.size() > 4 &&
                (name.substr(name.size() - 4) == ".flc" || name.substr(name.size() - 4) == ".fli"))
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(FlicTools, GeneratedAnimationsDecodeAsPilDoes)
{
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    ScratchFolder folder;
    const std::string generator = std::string(QUILLCAST_TEST_DATA) + "/flic_generator.py";
    ASSERT_EQ(
        runCommand(python + " " + quoted(generator) + " " + quoted(folder.path()) + " >/dev/null"),
        0);
    const std::vector<std::string> names = filesIn(folder.path());
    ASSERT_GE(names.size(), 8u);
    const bool ffmpeg = haveTool("ffmpeg");
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        const std::string path = folder.file(name);
        const TestImage ours = ourRgb(path);
        const TestImage theirs = pilRgb(python, path);
        ASSERT_GT(theirs.width, 0);
        EXPECT_EQ(ours, theirs) << firstDifference(ours, theirs);
        if (ffmpeg)
        {
            const TestImage other = fromPnm(runCapture("ffmpeg -v quiet -i " + quoted(path) +
                                                       " -frames:v 1 -f image2pipe -vcodec ppm -"));
            EXPECT_EQ(ours, other) << "ffmpeg: " << firstDifference(ours, other);
        }
    }
}

TEST(FlicTools, AnimationsOfOurTestsDecodeAsPilDoes)
{
    OMVI_REQUIRE_PYTHON_MODULE("PIL", python);
    ScratchFolder folder;
    const TestImage indices = flicIndices(50, 13, 21);
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"ours_brun.flc",
         flicAnimation(50, 13,
                       {flicFrame({flicColours({{0, flicPalette(5), 0}}), flicByteRun(indices)})})},
        {"ours_literal.fli", flicAnimation(50, 13,
                                           {flicFrame({flicColours({{0, flicPalette(6), 0}}, 4),
                                                       flicChunk(16, indices.pixels)})},
                                           -1, 0xAF11)},
    };
    for (const auto& [name, bytes] : files)
    {
        SCOPED_TRACE(name);
        const std::string path = folder.file(name);
        ASSERT_TRUE(writeFileBytes(path, bytes));
        const TestImage ours = ourRgb(path);
        const TestImage theirs = pilRgb(python, path);
        ASSERT_GT(theirs.width, 0);
        EXPECT_EQ(ours, theirs) << firstDifference(ours, theirs);
    }
}
