#include "imaging/OMVIException.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace Omvi;

namespace
{
// Throws as the library does: a heap object typed as the base pointer.
[[noreturn]] void raise(OMVIException* error)
{
    throw error;
}

OwnedException catchIt(OMVIException* error)
{
    try
    {
        raise(error);
    }
    catch (OMVIException* caught)
    {
        return OwnedException(caught);
    }
    return nullptr;
}
} // namespace

TEST(OMVIException, TheCatcherReadsMessageAndCodeThroughTheBase)
{
    struct Case
    {
        OMVIException* error;
        std::int32_t code;
        const char* message;
    };
    const Case cases[] = {
        {new ImageFilterException("No valid inputs", 1), 1, "No valid inputs"},
        {new ImageConstructionException("Image::Image", 3), 3, "Image::Image"},
        {new ImageException("TiledImage::paste", 1), 1, "TiledImage::paste"},
        {new ImageContextException("Out of bounds request", 2), 2, "Out of bounds request"},
        {new FileDescriptorException("FileReadDescriptor::FileReadDescriptor", 7), 7,
         "FileReadDescriptor::FileReadDescriptor"},
        {new OMVISettingsException("Must be called before loading any images", 0), 0,
         "Must be called before loading any images"},
        {new SystemException("Invalid Page Volume", 2), 2, "Invalid Page Volume"},
        {new FileIOException("Unable to create temporary file", 9), 9, "Unable to create temporary file"},
        {new RgbPaletteModelException("Attempt to set invalid palette entries", 0), 0,
         "Attempt to set invalid palette entries"},
        {new TemporaryFilePagingSystemException("Unable to create file.", 0), 0, "Unable to create file."},
        {new FormatCodecException("Corrupt image file", 8), 8, "Corrupt image file"},
    };
    for (const Case& c : cases)
    {
        OwnedException caught = catchIt(c.error);
        ASSERT_TRUE(caught);
        EXPECT_EQ(caught->code(), c.code) << c.message;
        EXPECT_EQ(caught->getMessage().text(), c.message);
        EXPECT_EQ(caught->getMessage().size(), static_cast<std::int32_t>(std::strlen(c.message) + 1))
            << "messages keep their NUL";
        EXPECT_EQ(caught->getMessage().encoding(), 0u);
    }
}

TEST(OMVIException, TheBaseCarriesNoCodeAndCopiesItsMessage)
{
    AsciiStringBuffer text("first");
    OMVIException error(text);
    text.assign("second");
    EXPECT_EQ(error.getMessage().text(), "first");
    EXPECT_EQ(error.code(), OMVIException::kNoCode);
    EXPECT_TRUE(OMVIException().getMessage().isEmpty());
}

TEST(OMVIException, SubclassesCanBeCaughtByTheirOwnType)
{
    try
    {
        throw new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume);
    }
    catch (SystemException* caught)
    {
        std::unique_ptr<SystemException> owned(caught);
        EXPECT_EQ(owned->code(), 2);
    }
    const TemporaryFilePagingSystemException paging("Unable to create file: x\n", 1, 13);
    EXPECT_EQ(paging.code(), TemporaryFilePagingSystemException::kAccessDenied);
    EXPECT_EQ(paging.detail(), 13);
}
