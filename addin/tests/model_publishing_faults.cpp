// The part and assembly publishers when things go wrong: a package that
// cannot be written, a title the host cannot give, a document without a
// picture, textures that cannot be found, converted or read. Nothing
// reports success it did not have, no package is half written, and nothing
// is left in the temporary folder.
#include "addin/PublishLog.h"
#include "addin/publishers/DWF3DPublisher.h"
#include "addin/publishers/TextureImageNames.h"
#include "addin/tests/ModelPackage.h"
#include "addin/tests/PublishHarness.h"
#include "host/Session.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "platform/kernel/HostSettings.h"

#include <gtest/gtest.h>

using namespace publish_test;

namespace
{
const std::u16string kToolboxIni =
    u"" QUILLCAST_SOURCE_DIR "/examples/host-data/toolbox/toolbox.ini";

std::vector<std::u16string> Messages()
{
    std::vector<std::u16string> texts;
    for (const auto& box : platform::ui().messageBoxes())
        texts.push_back(box.text);
    return texts;
}

std::u16string Message(const std::string& where)
{
    return u"An error occurred while publishing the file. The error occurred in " +
           platform::path::fromNative(where) + u".";
}

class ModelPublishingFaults : public PublishFixture
{
protected:
    void SetUp() override
    {
        PublishFixture::SetUp();
        publish_log::Reset();
        platform::seedToolboxIniFile(platform::processRegistry(), kToolboxIni);
    }
    void TearDown() override
    {
        publish_log::Reset();
        PublishFixture::TearDown();
    }

    static std::unique_ptr<host::memory::Application> SamplePart()
    {
        return host::loadHostDocument(u"" QUILLCAST_SOURCE_DIR "/examples/sample-part.xml");
    }

    // Publishes the application's first document as a part (or assembly)
    // into `target`; answers PublishDoc's result.
    int PublishPart(host::memory::Application& application, const std::string& target,
                    bool assembly = false, bool* written = nullptr)
    {
        PublishOptions options;
        options.openAfterPublish = 0;
        host::Document* document = application.documents().front();
        const std::u16string path = platform::path::fromNative(target);
        int result = 0;
        if (assembly)
        {
            CAssemblyDocumentPublisher publisher(document, path, &options);
            result = publisher.PublishDoc();
            if (written)
                *written = publisher.IsWritten();
        }
        else
        {
            CPartDocumentPublisher publisher(document, path, &options);
            result = publisher.PublishDoc();
            if (written)
                *written = publisher.IsWritten();
        }
        return result;
    }
};
} // namespace

TEST_F(ModelPublishingFaults, APackageThatCannotBeWrittenFailsOnceAndKeepsTheTarget)
{
    // The target is a folder: the finished package cannot take its place.
    const std::string target = Target("folder.dwf");
    ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
    std::ofstream(target + "/inside") << "kept";
    for (const bool assembly : {false, true})
    {
        SCOPED_TRACE(assembly ? "assembly" : "part");
        platform::ui().reset();
        auto application =
            assembly ? host::loadHostDocument(u"" QUILLCAST_SOURCE_DIR "/examples/sample-assembly.xml")
                     : SamplePart();
        bool written = true;
        EXPECT_LT(PublishPart(*application, target, assembly, &written), 0);
        EXPECT_FALSE(written);
        EXPECT_EQ(Messages(), std::vector<std::u16string>{Message(
                                  assembly ? "CAssemblyDocumentPublisher::PublishDoc"
                                           : "CPartDocumentPublisher::PublishDoc")});
        EXPECT_EQ(FilesIn(target), std::vector<std::string>{"inside"});
        EXPECT_EQ(FilesIn(packages_), std::vector<std::string>{"folder.dwf"});
        ExpectNoTemporaryFiles();
    }
}

TEST_F(ModelPublishingFaults, ATitleTheHostCannotGiveLeavesNoPackage)
{
    auto application = SamplePart();
    application->hostSession().failAlways("Document::title");
    EXPECT_LT(PublishPart(*application, Target()), 0);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{Message("CDWFxPartWriter::Write")});
    EXPECT_TRUE(FilesIn(packages_).empty());
    ExpectNoTemporaryFiles();
}

TEST_F(ModelPublishingFaults, ADocumentWithoutAPictureIsPublishedWithoutAThumbnail)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    auto application = SamplePart();
    application->documents().front()->picture.clear();
    bool written = false;
    EXPECT_EQ(PublishPart(*application, Target(), false, &written), 0);
    EXPECT_TRUE(written);
    EXPECT_EQ(Messages(), std::vector<std::u16string>{});
    ASSERT_EQ(publish_log::Notes().size(), 1u);
    EXPECT_NE(publish_log::Notes()[0].find(u"no thumbnail"), std::u16string::npos);
    ExpectNoTemporaryFiles();
    const auto package = model_package::ReadModelPackage(Target(), "", root_ + "/read");
    EXPECT_TRUE(package.withRole("thumbnail").empty());
    EXPECT_EQ(package.shells, 3);
}

TEST_F(ModelPublishingFaults, TexturesThatCannotBeFoundConvertedOrReadAreNoTextures)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    // Five faces, each with a colour of its own and a texture that is not
    // there in some way; a sixth with a good texture after them.
    const char* const files[] = {
        "&lt;SystemTexture&gt;",               // the prefix alone
        "&lt;SystemTexture&gt;\\missing.jpg",  // no such JPEG
        "&lt;SystemTexture&gt;\\missing.bmp",  // nothing to convert
        "/nonexistent/folder/wood.tga",        // nor here
        "&lt;SystemTexture&gt;\\..\\toolbox\\toolbox.ini", // no image at all
        "&lt;SystemTexture&gt;\\wood\\oak.jpg",
    };
    std::string xml = "<host-document><document type=\"1\" title=\"faces.PRT\">"
                      "<configuration name=\"Default\" current=\"1\"/><body>";
    for (const char* file : files)
        xml += std::string("<face triangles=\"1\"><triangles>0 0 0 1 0 0 0 1 0</triangles>"
                           "<normals>0 0 1 0 0 1 0 0 1</normals>"
                           "<texture-coordinates>0 0 1 0 0 1</texture-coordinates>"
                           "<material values=\"0.5 0.5 0.5 0 1 0.5 0 0.2 0.1\"/>"
                           "<texture configuration=\"Default\" file=\"") +
               file + "\" angle=\"0\" scale=\"1\"/></face>";
    xml += "</body></document></host-document>";
    auto application = host::parseHostDocument(xml, u"");
    ASSERT_TRUE(application);
    bool written = false;
    EXPECT_EQ(PublishPart(*application, Target(), false, &written), 0);
    EXPECT_TRUE(written);
    // Each says why in a message naming the file: the data folder itself,
    // the missing JPEG, Targa and BMP, the settings file; the run is still
    // whole. A missing file says the system's reason, whether it would be
    // converted or not.
    const std::vector<std::u16string> messages = Messages();
    ASSERT_EQ(messages.size(), 5u) << ::testing::PrintToString(messages);
    for (const std::u16string& message : messages)
        EXPECT_NE(message.find(u"TextureImageConverter::ConvertTextureImage"),
                  std::u16string::npos);
    std::vector<std::string> missing;
    for (const auto& box : platform::ui().messageBoxes())
        for (const char* file : {"missing.jpg", "missing.bmp", "wood.tga"})
            if (box.cause.find(platform::path::fromNative(file)) != std::u16string::npos &&
                box.cause.find(u": No such file or directory") != std::u16string::npos)
                missing.push_back(file);
    EXPECT_EQ(missing.size(), 3u) << ::testing::PrintToString(missing);
    for (const std::u16string& note : publish_log::Notes())
        EXPECT_EQ(note.find(u"texture"), std::u16string::npos) << platform::path::toNative(note);
    ExpectNoTemporaryFiles();

    const auto package = model_package::ReadModelPackage(Target(), "", root_ + "/read");
    EXPECT_EQ(package.shells, 6);
    // The good texture alone is in the package, named by one face; the
    // others keep their colours.
    ASSERT_EQ(package.withRole("texture").size(), 1u);
    EXPECT_EQ(package.textureNames.size(), 1u);
    EXPECT_EQ(package.images.size(), 1u);
    EXPECT_EQ(package.materialColours, 5);
}

TEST_F(ModelPublishingFaults, ATextureTakenAsItIsIsStoredAsTheKindItsContentShows)
{
    if (!HaveTool("python3") || !HaveTool("xmllint") || !HaveTool("convert"))
        GTEST_SKIP() << "python3, xmllint and ImageMagick's convert are needed";
    const std::string folder = root_ + "/textures";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string png = folder + "/grain.png";
    const std::string jpeg = folder + "/bark.jpg";
    for (const std::string& path : {png, jpeg})
        ASSERT_EQ(RunCommand("convert -seed 3 -size 40x30 plasma:fractal " + Quoted(path)), 0);
    // Each under the other's name; a PNG cut short beside them.
    ASSERT_EQ(::rename(png.c_str(), (folder + "/grain.jpg").c_str()), 0);
    ASSERT_EQ(::rename(jpeg.c_str(), (folder + "/bark.png").c_str()), 0);
    std::vector<std::uint8_t> cut = ReadBytes(folder + "/grain.jpg");
    cut.resize(cut.size() / 2);
    std::ofstream(folder + "/cut.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(cut.data()), static_cast<std::streamsize>(cut.size()));

    std::string xml = "<host-document><document type=\"1\" title=\"kinds.PRT\">"
                      "<configuration name=\"Default\" current=\"1\"/><body>";
    for (const char* file : {"grain.jpg", "bark.png", "cut.png"})
        xml += "<face triangles=\"1\"><triangles>0 0 0 1 0 0 0 1 0</triangles>"
               "<normals>0 0 1 0 0 1 0 0 1</normals>"
               "<texture-coordinates>0 0 1 0 0 1</texture-coordinates>"
               "<texture configuration=\"Default\" file=\"" +
               folder + "/" + file + "\" angle=\"0\" scale=\"1\"/></face>";
    xml += "</body></document></host-document>";
    auto application = host::parseHostDocument(xml, u"");
    ASSERT_TRUE(application);
    EXPECT_EQ(PublishPart(*application, Target()), 0);
    const std::vector<std::u16string> messages = Messages();
    ASSERT_EQ(messages.size(), 1u) << ::testing::PrintToString(messages);
    EXPECT_NE(platform::ui().messageBoxes()[0].cause.find(
                  platform::path::fromNative("Texture " + folder + "/cut.png: ")),
              std::u16string::npos);
    ExpectNoTemporaryFiles();

    const auto package = model_package::ReadModelPackage(Target(), "", root_ + "/read");
    const auto textures = package.withRole("texture");
    ASSERT_EQ(textures.size(), 2u);
    std::map<std::string, std::string> kinds; // MIME type -> entry extension
    for (const model_package::Resource& texture : textures)
    {
        SCOPED_TRACE(texture.title);
        const std::vector<std::uint8_t> bytes = ReadBytes(texture.file);
        ASSERT_GT(bytes.size(), 8u);
        const bool isPng = bytes[0] == 0x89 && bytes[1] == 'P';
        EXPECT_EQ(texture.mime, isPng ? "image/png" : "image/jpeg");
        kinds[texture.mime] = texture.href.substr(texture.href.rfind('.'));
    }
    EXPECT_EQ(kinds, (std::map<std::string, std::string>{{"image/jpeg", ".jpg"},
                                                         {"image/png", ".png"}}));
    EXPECT_EQ(package.textureNames.size(), 2u);
}

TEST(TextureImageNames, LettersAndDigitsOfThePathTheLast119)
{
    EXPECT_EQ(CDWF3DGrWriter::TextureImageName(u"C:\\tex\\my wood-1.png"), u"Ctexmywood1png");
    EXPECT_EQ(CDWF3DGrWriter::TextureImageName(u"/\u00e9t\u00e9/x.jpg"), u"txjpg");
    const std::u16string longName = std::u16string(100, u'a') + u"/" + std::u16string(100, u'b');
    const std::u16string name = CDWF3DGrWriter::TextureImageName(longName);
    EXPECT_EQ(name.size(), 119u);
    EXPECT_EQ(name, std::u16string(19, u'a') + std::u16string(100, u'b'));
}

TEST(TextureImageNames, AFileWhosePreferredNameIsTakenGetsOneOfItsOwn)
{
    TextureImageNames names;
    const auto nameOf = [&](const std::u16string& path)
    {
        if (const std::u16string* known = names.Find(path))
            return *known;
        const std::u16string name = names.Choose(path);
        names.Add(path, name);
        return name;
    };
    EXPECT_EQ(nameOf(u"/t/\u0434\u0443\u0431.jpg"), u"tjpg");
    EXPECT_EQ(nameOf(u"/t/\u0441\u043e\u0441\u043d\u0430.jpg"), u"tjpg2");
    // The first file again, spelt otherwise.
    EXPECT_EQ(nameOf(u"\\t//./\u0434\u0443\u0431.jpg"), u"tjpg");
    // A preferred name that a numbered one took is numbered in turn.
    EXPECT_EQ(nameOf(u"/tjpg2"), u"tjpg22");
    EXPECT_EQ(nameOf(u"/\u0434\u0443\u0431"), u"texture");
    EXPECT_EQ(nameOf(u"/\u0441\u043e\u0441\u043d\u0430"), u"texture2");
    const std::u16string deep = std::u16string(130, u'a') + u"/wood.jpg";
    EXPECT_EQ(nameOf(u"/A/" + deep), std::u16string(112, u'a') + u"woodjpg");
    EXPECT_EQ(nameOf(u"/B/" + deep), std::u16string(111, u'a') + u"woodjpg2");
}
