// The readers that decode a picture whole in memory (FLIC, PICT) take
// pictures up to the size a texture may have (2^26 pixels), and say that
// the size is why a larger one gives no rows.
#include "imaging/codecs/tests/FlicTestFiles.h"
#include "imaging/codecs/tests/PictTestFiles.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

TEST(WholePictureReaders, PicturesUpToTheTextureLimitAreReadAndLargerOnesSayTheirSize)
{
    // A black FLIC and an empty PICT frame, each of 5,793 x 5,793 pixels
    // (over 2^25) and of 8,193 x 8,192 (over 2^26).
    struct Case
    {
        int width, height;
        bool read;
    };
    for (const Case size : {Case{5793, 5793, true}, Case{8193, 8192, false}})
    {
        SCOPED_TRACE(size.width);
        OpenedFlic flic = openFlic(flicAnimation(size.width, size.height, {flicFrame({flicChunk(13, {})})}));
        ASSERT_TRUE(flic.frame);
        const std::unique_ptr<RowIteratorInterface> flicRows(flic.frame->newRowIterator());
        EXPECT_EQ(flicRows != nullptr, size.read);
        if (!size.read)
        {
            EXPECT_STREQ(flic.frame->rowRefusal(), "The FLIC header's size is beyond what the reader decodes");
        }

        const MemoryFile pict(PictBuilder(2, {0, 0, size.height, size.width}).finish());
        const PictFormatCodec codec;
        std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(pict.specifier()));
        ASSERT_TRUE(reader);
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        ASSERT_TRUE(frame);
        const std::unique_ptr<RowIteratorInterface> pictRows(frame->newRowIterator());
        EXPECT_EQ(pictRows != nullptr, size.read);
        if (size.read)
            EXPECT_EQ(frame->rowRefusal(), nullptr);
        else
            EXPECT_STREQ(frame->rowRefusal(), "The PICT picture's size is beyond what the reader decodes");
    }
}
