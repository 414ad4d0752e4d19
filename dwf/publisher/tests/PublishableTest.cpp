// Images, textures, embedded fonts and the section base.
#include "TestSupport.h"

#include "dwf/publisher/EmbeddedFont.h"
#include "dwf/publisher/Image.h"
#include "dwf/publisher/Texture.h"
#include "dwfcore/BufferInputStream.h"

#include <gtest/gtest.h>

using namespace DWFToolkit;
using namespace PublisherTest;

namespace
{

// A stream over fixed bytes that counts how often it is deleted.
class CountedStream : public DWFCore::DWFBufferInputStream
{
public:
    CountedStream(const char* text, int& deletions)
        : DWFBufferInputStream(text, std::char_traits<char>::length(text)), _deletions(deletions)
    {
    }
    ~CountedStream() override { ++_deletions; }

private:
    int& _deletions;
};

std::string text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

TEST(Image, KeepsWhatItWasMadeWith)
{
    double const clip[4] = {1, 2, 3, 4};
    DWFImage image(u"image/png", DWFImage::eThumbnail, 24, 640.5, 480, clip);
    EXPECT_EQ(utf8(image.getMIMEType()), "image/png");
    EXPECT_EQ(image.kind(), DWFImage::eThumbnail);
    EXPECT_EQ(image.colorDepth(), 24);
    EXPECT_EQ(image.width(), 640.5);
    EXPECT_EQ(image.height(), 480);
    EXPECT_EQ(image.clip(), clip);

    DWFTexture texture(u"wood texture", u"image/jpeg", 8, 16, 32);
    EXPECT_EQ(texture.kind(), DWFImage::eTexture);
    EXPECT_EQ(utf8(texture.name()), "wood texture");
    EXPECT_EQ(texture.clip(), nullptr);
}

TEST(Image, WithoutAStreamThereIsNothingToRead)
{
    DWFImage image(u"image/png", DWFImage::eThumbnail, 24, 1, 1);
    EXPECT_DWF_THROW_FROM(image.getInputStream(), DWFNullPointerException,
                          "No stream bound to object", "DWFToolkit::DWFImage::getInputStream");
}

TEST(Image, EveryReaderGetsAStreamOfItsOwnOverTheImagesStream)
{
    int deletions = 0;
    {
        DWFImage image(u"image/jpeg", DWFImage::eTexture, 24, 1, 1);
        image.setInputStream(new CountedStream("pixels", deletions), true);
        std::unique_ptr<DWFCore::DWFInputStream> first(image.getInputStream());
        std::unique_ptr<DWFCore::DWFInputStream> second(image.getInputStream());
        EXPECT_NE(first.get(), second.get());
        char byte = 0;
        EXPECT_EQ(first->read(&byte, 1), 1u);
        EXPECT_EQ(byte, 'p');
        first.reset();
        second.reset();
        EXPECT_EQ(deletions, 0) << "the image keeps its stream";
        EXPECT_EQ(text(readAll(image.getInputStream())), "ixels");
    }
    EXPECT_EQ(deletions, 1) << "an owned stream goes with the image";
}

TEST(Image, AttachingAStreamDeletesOnlyAnOwnedPredecessor)
{
    int deletions = 0;
    CountedStream kept("kept", deletions);
    DWFImage image(u"image/jpeg", DWFImage::eTexture, 24, 1, 1);
    image.setInputStream(&kept, false);
    image.setInputStream(new CountedStream("owned", deletions), true);
    EXPECT_EQ(deletions, 0) << "a stream not owned is left alone";

    auto* owned = new CountedStream("again", deletions);
    image.setInputStream(owned, true);
    EXPECT_EQ(deletions, 1);
    image.setInputStream(owned, true); // the same stream again: nothing freed
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(text(readAll(image.getInputStream())), "again");
    image.setInputStream(nullptr, true);
    EXPECT_EQ(deletions, 2);
    EXPECT_THROW(image.getInputStream(), DWFCore::DWFNullPointerException);
}

class FontImpl : public DWFEmbeddedFontImpl
{
public:
    explicit FontImpl(int& deletions) : _deletions(deletions) {}
    ~FontImpl() override { ++_deletions; }
    int embedded = 0;
    void embed() override { ++embedded; }
    DWFCore::DWFInputStream* getInputStream() override
    {
        return new DWFCore::DWFBufferInputStream("font", 4);
    }
    const DWFCore::DWFString& getFaceName() override { return _face; }
    const DWFCore::DWFString& getLogfontName() override { return _logfont; }
    std::int32_t getRequest() override { return 12; }
    DWFFontResource::tePrivilege getPrivilege() override { return DWFFontResource::eEditable; }
    DWFFontResource::teCharacterCode getCharacterCode() override
    {
        return DWFFontResource::eSymbol;
    }

private:
    int& _deletions;
    DWFCore::DWFString _face = u"Face";
    DWFCore::DWFString _logfont = u"Logfont";
};

TEST(EmbeddedFont, ForwardsToItsImplementationAndOwnsIt)
{
    int deletions = 0;
    {
        auto* impl = new FontImpl(deletions);
        DWFEmbeddedFont font(impl);
        font.embed();
        EXPECT_EQ(impl->embedded, 1);
        EXPECT_EQ(text(readAll(font.getInputStream())), "font");
        EXPECT_EQ(utf8(font.getFaceName()), "Face");
        EXPECT_EQ(utf8(font.getLogfontName()), "Logfont");
        EXPECT_EQ(font.getRequest(), 12);
        EXPECT_EQ(font.getPrivilege(), DWFFontResource::eEditable);
        EXPECT_EQ(font.getCharacterCode(), DWFFontResource::eSymbol);
    }
    EXPECT_EQ(deletions, 1);
}

TEST(EmbeddedFont, WithoutImplementationEveryOperationNamesItself)
{
    DWFEmbeddedFont font;
    auto expectRefused = [](const std::function<void()>& call, const char* function) {
        EXPECT_DWF_THROW_FROM(call(), DWFNullPointerException, "No implementation provided",
                              function);
    };
    expectRefused([&] { font.embed(); }, "DWFToolkit::DWFEmbeddedFont::embed");
    expectRefused([&] { font.getInputStream(); }, "DWFToolkit::DWFEmbeddedFont::getInputStream");
    expectRefused([&] { font.getFaceName(); }, "DWFToolkit::DWFEmbeddedFont::getFaceName");
    expectRefused([&] { font.getLogfontName(); }, "DWFToolkit::DWFEmbeddedFont::getLogfontName");
    expectRefused([&] { font.getRequest(); }, "DWFToolkit::DWFEmbeddedFont::getRequest");
    expectRefused([&] { font.getPrivilege(); }, "DWFToolkit::DWFEmbeddedFont::getPrivilege");
    expectRefused([&] { font.getCharacterCode(); },
                  "DWFToolkit::DWFEmbeddedFont::getCharacterCode");
}

class BareSection : public DWFPublishableSection
{
public:
    DWFCore::DWFString mime = u"x";
    const DWFCore::DWFString& getMIMEType() override { return mime; }
    DWFCore::DWFInputStream* getInputStream() override { return nullptr; }
    void publish(DWFPublisher&) override {}
};

TEST(PublishableSection, RefusesFontsAndResourcesUnlessOverridden)
{
    BareSection section;
    DWFEmbeddedFont font;
    EXPECT_DWF_THROW(section.embedFont(&font), DWFNotImplementedException,
                     "Font embedding not supported by this object");
    DWFImage image(u"image/png", DWFImage::ePreview, 8, 1, 1);
    EXPECT_DWF_THROW(section.addResource(&image), DWFNotImplementedException,
                     "Additional resources are not supported by this object");
    EXPECT_DWF_THROW(section.getResources(), DWFNotImplementedException,
                     "Additional resources are not supported by this object");
}

} // namespace
