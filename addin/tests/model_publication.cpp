// Parts and assemblies published end to end by the quillcast program, with
// and without a password, each package read back by the independent tools
// and by our own readers; and an assembly published in-process, where the
// host's call log shows every component state put back.
#include "addin/tests/ModelPackage.h"
#include "addin/tests/QuillcastHarness.h"
#include "addin/tests/TextureTestSupport.h"
#include "host/memory/Geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

using namespace publish_test;
using model_package::ModelPackage;
using model_package::ReadModelPackage;
using model_package::Resource;

namespace
{
const std::string kExamples = QUILLCAST_SOURCE_DIR "/examples/";

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// What every model package holds, whatever the document: the 06.01 header
// with the type-information entry first, one W3D stream, a thumbnail, an
// object definition, each texture image once, and the stream's image and
// texture records naming exactly those images.
void ExpectWholeModelPackage(const ModelPackage& package)
{
    EXPECT_EQ(package.header, "(DWF V06.01)");
    ASSERT_FALSE(package.entries.empty());
    EXPECT_TRUE(Contains(package.entries.front(), ".TYPEINFO")) << package.entries.front();
    EXPECT_EQ(package.withRole("3d streaming graphics").size(), 1u);
    EXPECT_EQ(package.withRole("object definition").size(), 1u);
    const auto thumbnails = package.withRole("thumbnail");
    ASSERT_EQ(thumbnails.size(), 1u);
    EXPECT_EQ(thumbnails[0].mime, "image/jpeg");

    std::set<std::string> titles;
    for (const Resource& texture : package.withRole("texture"))
        EXPECT_TRUE(titles.insert(texture.title).second) << "stored twice: " << texture.title;
    EXPECT_EQ(std::set<std::string>(package.images.begin(), package.images.end()), titles);
    EXPECT_EQ(package.images.size(), titles.size());
    for (const std::string& image : package.textureImages)
        EXPECT_EQ(titles.count(image), 1u) << image;
    const std::set<std::string> names(package.textureNames.begin(), package.textureNames.end());
    for (const std::string& channel : package.namedChannels)
        EXPECT_EQ(names.count(channel), 1u) << channel;
}

// The texture resource whose title holds `part`.
std::optional<Resource> TextureWith(const ModelPackage& package, const std::string& part)
{
    for (const Resource& texture : package.withRole("texture"))
        if (Contains(texture.title, part))
            return texture;
    return std::nullopt;
}

class ModelPublication : public QuillcastProgram
{
protected:
    ModelPackage Publish(const std::string& document, const std::string& password)
    {
        const std::string target = Target(document + (password.empty() ? "" : "-locked") + ".dwf");
        std::string errors;
        std::string arguments = "publish " + Quoted(kExamples + document) + " -o " +
                                Quoted(target) + " --quiet";
        if (!password.empty())
            arguments += " --password " + Quoted(password);
        EXPECT_EQ(Quillcast(arguments, errors), 0) << errors;
        EXPECT_EQ(errors, "");
        ExpectNoTemporaryFiles();
        // Encrypted: a wrong password reads nothing.
        if (!password.empty() && HaveTool("7z"))
        {
            EXPECT_NE(RunCommand("7z t -pWRONG " + Quoted(target) + " >/dev/null 2>&1"), 0);
        }
        return ReadModelPackage(target, password, root_ + "/read-" + std::to_string(++reads_));
    }

    // Publishes `document` without and with a password; each package must
    // be whole, and `check` looks at the rest.
    void PublishBothWays(const std::string& document,
                         const std::function<void(const ModelPackage&)>& check)
    {
        for (const std::string password : {"", "s3cret pass"})
        {
            SCOPED_TRACE("password '" + password + "'");
            const ModelPackage package = Publish(document, password);
            ExpectWholeModelPackage(package);
            check(package);
        }
    }

    int reads_ = 0;
};
} // namespace

TEST_F(ModelPublication, TheSamplePartReadsBackWholeWithItsMaterialsTexture)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    PublishBothWays(
        "sample-part.xml",
        [](const ModelPackage& package)
        {
            // The part, included under its title; one shell per face.
            EXPECT_EQ(package.objects.count("flange.PRT"), 1u);
            EXPECT_EQ(package.shells, 3);
            // The top face's own texture, and the texture of the library
            // material the document names: each a JPEG of the host's data.
            ASSERT_EQ(package.withRole("texture").size(), 2u);
            const auto oak = TextureWith(package, "datawoodoakjpg");
            const auto brushed = TextureWith(package, "datametalbrushedjpg");
            ASSERT_TRUE(oak && brushed);
            EXPECT_EQ(oak->mime, "image/jpeg");
            EXPECT_EQ(ReadBytes(brushed->file),
                      ReadBytes(kExamples + "host-data/data/metal/brushed.jpg"));
            // The material's texture is the include segment's, named by a colour.
            EXPECT_EQ(std::count(package.namedChannels.begin(), package.namedChannels.end(),
                                 brushed->title + " texture"),
                      1);

            for (const char* property :
                 {"Summary/Title=Flange plate", "Summary/subject=Sample part",
                  "Material/Material=Brushed aluminium", "Configuration/ConfigName=Default",
                  "Mass/Mass(kg)=0.041079", "Mass/CenterMass(m)=(0.020000,0.020000,0.005000)"})
                EXPECT_EQ(package.properties.count(property), 1u) << property;
        });
}

TEST_F(ModelPublication, TheSampleAssemblyReadsBackWithItsComponentsAndConvertedTextures)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    PublishBothWays(
        "sample-assembly.xml",
        [](const ModelPackage& package)
        {
            // One named segment per component level and per written part; the
            // excluded pin-2 is left out.
            for (const char* name : {"bracket-assembly", "bracket-1", "pins", "pin-1"})
                EXPECT_EQ(package.objects.count(name), 1u) << name;
            EXPECT_EQ(package.objects.count("pin-2"), 0u);
            // Bracket: two faces, pin: one; each part placed by its matrix.
            EXPECT_EQ(package.shells, 3);
            EXPECT_EQ(package.matrices, 2);

            // The Targa and BMP textures converted to JPEG, the pin's oak
            // texture (its component's and its library material's) once.
            const auto textures = package.withRole("texture");
            ASSERT_EQ(textures.size(), 3u);
            ASSERT_TRUE(TextureWith(package, "oaktga"));
            ASSERT_TRUE(TextureWith(package, "oakbmp"));
            ASSERT_TRUE(TextureWith(package, "datawoodoakjpg"));
            for (const Resource& texture : textures)
            {
                EXPECT_EQ(texture.mime, "image/jpeg");
                if (HaveTool("identify"))
                {
                    EXPECT_EQ(texture_test::Identify(texture.file).substr(0, 10), "JPEG 32 32")
                        << texture.title;
                }
            }
            EXPECT_EQ(package.properties.count("Summary/Title=Bracket assembly"), 1u);
            EXPECT_EQ(package.properties.count("Material/Material=Oak"), 1u);
        });
}

TEST_F(ModelPublication, TheAssemblyWalkPutsEveryComponentStateBack)
{
    auto application =
        host::loadHostDocument(u"" QUILLCAST_SOURCE_DIR "/examples/sample-assembly.xml");
    ASSERT_TRUE(application);
    const PublishOutcome outcome = RunPublishCommand(*application, Request("assembly.dwf"));
    EXPECT_EQ(outcome.status, PublishOutcome::Status::Published);
    EXPECT_TRUE(outcome.messages.empty());

    // Each state change names its component; the writer's change to 3 is
    // undone before the next component is changed, and the command's own
    // walk afterwards does the same.
    std::map<std::string, int> state;
    std::string open;
    int changes = 0;
    for (const std::string& entry : application->hostSession().callLog())
    {
        if (!Contains(entry, "setState("))
            continue;
        const std::string who = entry.substr(0, entry.find("::"));
        const int value = entry[entry.find("setState(") + 9] - '0';
        if (value == 3)
        {
            EXPECT_EQ(open, "") << who << " changed while " << open << " was";
            open = who;
            ++changes;
        }
        else
        {
            EXPECT_EQ(value, 1);
            EXPECT_EQ(open, who);
            open.clear();
        }
    }
    EXPECT_EQ(open, "");
    // bracket-1 and the excluded pin-2 (both in state 1), each once by the
    // writer and once by the command.
    EXPECT_EQ(changes, 4);
    ExpectNoTemporaryFiles();
}
