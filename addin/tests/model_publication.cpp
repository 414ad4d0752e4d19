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
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
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
    // Every set, object and instance the object definition names is in it.
    EXPECT_EQ(package.unresolved, std::vector<std::string>{});
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
    // Publishes a sample document, or the document at an absolute path;
    // the run must end with `status`, and says nothing unless `said` takes
    // what it says.
    ModelPackage Publish(const std::string& document, const std::string& password, int status = 0,
                         std::string* said = nullptr)
    {
        const std::string path = document[0] == '/' ? document : kExamples + document;
        const std::string name = path.substr(path.rfind('/') + 1);
        const std::string target = Target(name + (password.empty() ? "" : "-locked") + ".dwf");
        std::string errors;
        std::string arguments = "publish " + Quoted(path) + " -o " + Quoted(target) + " --quiet";
        if (!password.empty())
            arguments += " --password " + Quoted(password);
        EXPECT_EQ(Quillcast(arguments, errors), status) << errors;
        if (said)
            *said = errors;
        else
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

    std::string WriteDocument(const std::string& name, const std::string& text) const
    {
        const std::string path = root_ + "/" + name;
        std::ofstream(path) << text;
        return path;
    }

    int reads_ = 0;
};

std::string Numbers(std::initializer_list<double> values)
{
    std::string text;
    char buffer[32];
    for (double value : values)
    {
        std::snprintf(buffer, sizeof buffer, "%.17g", value);
        text += (text.empty() ? "" : " ") + std::string(buffer);
    }
    return text;
}

// A <body> of one face: the 8 corners of the box from the origin to
// (a, b, c), as its bottom and top, two triangles each.
std::string BoxBody(double a, double b, double c)
{
    std::string triangles;
    for (double z : {0.0, c})
        triangles += Numbers({0, 0, z, a, 0, z, a, b, z, 0, 0, z, a, b, z, 0, b, z}) + "\n";
    std::string normals;
    for (int vertex = 0; vertex < 12; ++vertex)
        normals += vertex < 6 ? "0 0 -1 " : "0 0 1 ";
    return "<body><face triangles=\"4\"><triangles>" + triangles + "</triangles><normals>" +
           normals + "</normals></face></body>";
}

const std::string kDocumentHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<host-document version=\"1\">\n";
const std::string kPreview = " picture=\"" QUILLCAST_SOURCE_DIR "/examples/sample-preview.png\"";

// An active assembly "<name>.ASM" whose one top component <name> holds
// `components`, followed by `part`, the part document they show.
std::string AssemblyDocument(const std::string& name, const std::string& components,
                             const std::string& part = "<document type=\"1\" title=\"pin.PRT\"/>")
{
    return kDocumentHead + "<document type=\"2\" title=\"" + name + ".ASM\"" + kPreview +
           " active=\"1\">\n<configuration name=\"Default\" current=\"1\"/>\n"
           "<components><component name=\"" +
           name + "\">\n" + components + "</component></components>\n</document>\n" + part +
           "\n</host-document>\n";
}

// A component of the assembly showing pin.PRT in place, with `bodies`.
std::string PinComponent(const std::string& name, const std::string& attributes,
                         const std::string& bodies)
{
    return "<component name=\"" + name + "\" document=\"pin.PRT\" " + attributes +
           " transform=\"1 0 0 0 1 0 0 0 1 0 0 0 1\">" + bodies + "</component>\n";
}

struct Box
{
    std::array<double, 3> low{HUGE_VAL, HUGE_VAL, HUGE_VAL};
    std::array<double, 3> high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    void add(const std::array<double, 3>& p)
    {
        for (std::size_t k = 0; k < 3; ++k)
            low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
    }
};

// The box of every named segment (by the name of the object it shows) in
// the model's coordinates: the points of every shell below it, each carried
// through the modelling matrix of its own segment and of every segment
// around it, innermost first. A matrix applies to its whole segment
// wherever it stands in it, and a point p (a row) goes to p M: the images of
// the axes in the first three rows, the translation in the fourth. A matrix
// with any other last column is not a placement.
void WorldBoxes(const ModelPackage& package, const geometry_test::Node& node,
                std::vector<std::vector<float>> matrices, std::vector<std::string> names,
                std::map<std::string, Box>& boxes)
{
    for (const geometry_test::Item& matrix : node.all('%'))
    {
        EXPECT_EQ((std::vector<float>{matrix.f[3], matrix.f[7], matrix.f[11], matrix.f[15]}),
                  (std::vector<float>{0, 0, 0, 1}))
            << node.name;
        matrices.push_back(matrix.f);
    }
    if (const auto named = package.segmentNames.find(node.name);
        named != package.segmentNames.end())
        names.push_back(named->second);
    for (const geometry_test::Item& shell : node.all('S'))
        for (std::size_t at = 0; at + 3 <= shell.f.size(); at += 3)
        {
            std::array<double, 3> p{shell.f[at], shell.f[at + 1], shell.f[at + 2]};
            for (auto m = matrices.rbegin(); m != matrices.rend(); ++m)
            {
                const std::vector<float>& M = *m;
                p = {p[0] * M[0] + p[1] * M[4] + p[2] * M[8] + M[12],
                     p[0] * M[1] + p[1] * M[5] + p[2] * M[9] + M[13],
                     p[0] * M[2] + p[1] * M[6] + p[2] * M[10] + M[14]};
            }
            for (const std::string& name : names)
                boxes[name].add(p);
        }
    for (const geometry_test::Node& child : node.children)
        WorldBoxes(package, child, matrices, names, boxes);
}
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

TEST_F(ModelPublication, ScaledComponentsUnderATurnedParentFillTheHostsBoxes)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    // Three gears of the part's box a x b x c in a subassembly turned by 30
    // degrees about z and moved by P; each gear lies d along the
    // subassembly's x axis at its own scale. The host's numbers place each
    // relative to the top assembly: the turn's axis images, P + d (cos, sin,
    // 0), the scale.
    const double a = 0.04, b = 0.02, c = 0.01;
    const double cosine = std::sqrt(3.0) / 2, sine = 0.5;
    const double P[3] = {0.1, 0.2, 0.3};
    struct Gear
    {
        std::string name;
        double scale, d;
        Box expected;
    };
    std::vector<Gear> gears = {
        {"gear-half", 0.5, 0.0, {}}, {"gear-whole", 1.0, 0.05, {}}, {"gear-large", 2.5, 0.12, {}}};
    std::string components;
    for (Gear& gear : gears)
    {
        const double s = gear.scale;
        const double t[3] = {P[0] + gear.d * cosine, P[1] + gear.d * sine, P[2]};
        // By hand: x' = t0 + s (x cos - y sin), y' = t1 + s (x sin + y cos),
        // z' = t2 + s z, over 0 <= x <= a, 0 <= y <= b, 0 <= z <= c.
        gear.expected.low = {t[0] - s * b * sine, t[1], t[2]};
        gear.expected.high = {t[0] + s * a * cosine, t[1] + s * (a * sine + b * cosine),
                              t[2] + s * c};
        components +=
            "<component name=\"" + gear.name + "\" document=\"gear.PRT\" box=\"" +
            Numbers({gear.expected.low[0], gear.expected.low[1], gear.expected.low[2],
                     gear.expected.high[0], gear.expected.high[1], gear.expected.high[2]}) +
            "\" transform=\"" +
            Numbers({cosine, sine, 0, -sine, cosine, 0, 0, 0, 1, t[0], t[1], t[2], s}) + "\">" +
            BoxBody(a, b, c) + "</component>\n";
    }
    const std::string document = WriteDocument(
        "gears.xml",
        AssemblyDocument("gears", "<component name=\"turned\">\n" + components + "</component>",
                         "<document type=\"1\" title=\"gear.PRT\">" + BoxBody(a, b, c) +
                             "</document>"));

    const ModelPackage package = Publish(document, "");
    ExpectWholeModelPackage(package);
    EXPECT_EQ(package.matrices, 3);
    std::map<std::string, Box> boxes;
    WorldBoxes(package, package.tree, {}, {}, boxes);
    for (const Gear& gear : gears)
    {
        SCOPED_TRACE(gear.name);
        ASSERT_EQ(boxes.count(gear.name), 1u);
        for (std::size_t k = 0; k < 3; ++k)
        {
            EXPECT_NEAR(boxes[gear.name].low[k], gear.expected.low[k], 1e-6) << k;
            EXPECT_NEAR(boxes[gear.name].high[k], gear.expected.high[k], 1e-6) << k;
        }
    }
}

TEST_F(ModelPublication, AComponentWhoseStateTheHostKeepsIsLeftOutAloneAndNamed)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    std::string leaves;
    for (const std::string name : {"first", "refused", "last"})
        leaves += PinComponent(
            name, std::string("state=\"1\"") + (name == "refused" ? " set-state-status=\"0\"" : ""),
            BoxBody(0.01, 0.01, 0.01));
    const std::string document = WriteDocument("pins.xml", AssemblyDocument("pins", leaves));

    std::string said;
    const ModelPackage package = Publish(document, "", 3, &said);
    ExpectWholeModelPackage(package);
    EXPECT_TRUE(Contains(said, "The error occurred in CDWFxAssemblyWriter::GetSubAssemblyItem.\n"
                               "quillcast:   cause: Component 'refused' is left out: the host "
                               "refused to change its state (it answered 0)\n"))
        << said;
    // Its siblings on either side are written whole.
    EXPECT_EQ(package.objects.count("first"), 1u);
    EXPECT_EQ(package.objects.count("last"), 1u);
    EXPECT_EQ(package.objects.count("refused"), 0u);
    EXPECT_EQ(package.shells, 2);
    EXPECT_EQ(package.matrices, 2);
}

TEST_F(ModelPublication, AFaceLeftOutOfAnAssemblyNamesItsComponentAndItsBody)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    // The second body of "second" has a face without normals; every body of
    // an assembly's component is written by a writer of its own.
    std::string bare = BoxBody(0.01, 0.01, 0.01);
    bare.replace(bare.find("<normals>"), bare.find("</normals>") + 10 - bare.find("<normals>"), "");
    const std::string leaves =
        PinComponent("first", "state=\"2\"",
                     BoxBody(0.01, 0.01, 0.01) + BoxBody(0.02, 0.01, 0.01)) +
        PinComponent("second", "state=\"2\"", BoxBody(0.01, 0.01, 0.01) + bare);
    const std::string document = WriteDocument("faces.xml", AssemblyDocument("faces", leaves));

    std::string said;
    const ModelPackage package = Publish(document, "", 3, &said);
    ExpectWholeModelPackage(package);
    EXPECT_TRUE(Contains(said, "quillcast:   cause: Component 'second': Face 1 of body 2 is "
                               "left out: it has no normals"))
        << said;
    EXPECT_FALSE(Contains(said, "Component 'first'")) << said;
    EXPECT_EQ(package.shells, 3);
}

TEST_F(ModelPublication, APartWithoutSummaryConfigurationOrMaterialNamesNoMissingSet)
{
    if (!HaveTool("python3") || !HaveTool("xmllint"))
        GTEST_SKIP() << "python3 and xmllint are needed";
    const std::string document = WriteDocument(
        "bare.xml", kDocumentHead + "<document type=\"1\" title=\"bare.PRT\"" + kPreview + ">" +
                        BoxBody(0.01, 0.02, 0.03) + "</document>\n</host-document>\n");
    for (const std::string password : {"", "s3cret pass"})
    {
        SCOPED_TRACE("password '" + password + "'");
        const ModelPackage package = Publish(document, password);
        ExpectWholeModelPackage(package);
        EXPECT_EQ(package.objects.count("bare.PRT"), 1u);
        EXPECT_EQ(package.properties, std::set<std::string>{});
    }
}
