// The reader of the host's material library: the sample library, the
// values of one material, sparse and hostile entries, and loading.
#include "addin/publishers/MaterialDatabaseReader.h"
#include "dwfcore/RegularFile.h"
#include "platform/kernel/Path.h"

#include "PublishHarness.h"
#include "TempFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
const std::u16string kInstallFolder =
    platform::path::fromNative(std::string(QUILLCAST_SOURCE_DIR) + "/examples/host-data");

// The library as the publisher finds it: the install folder followed by
// the library's place below it.
std::u16string SampleLibrary()
{
    return kInstallFolder + MaterialDatabaseReader::kLibraryPath;
}

std::string ReadAll(const std::u16string& path)
{
    std::ifstream in(platform::path::toNative(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A library of the given materials in one classification.
std::string Library(const std::string& materials)
{
    return "<?xml version='1.0'?>\n<mstns:materials xmlns:mstns='urn:m'>\n<classification>\n" +
           materials + "</classification>\n</mstns:materials>\n";
}

MaterialDatabaseReader Loaded(const std::string& xml)
{
    MaterialDatabaseReader reader;
    reader.LoadXml(xml);
    EXPECT_TRUE(reader.IsLoaded()) << xml;
    return reader;
}

const char kTextured[] =
    "<material><swatchcolor RGB='255'><v a='10' b='11' c='12' d='13' e='14' f='15'/>"
    "</swatchcolor><shaders><s name='x'/><t file='tex\\a.jpg' other='1'/></shaders>"
    "<xhatch angle='45.7' scale='3'/></material>\n";
} // namespace

TEST(MaterialDatabaseReader, TheSampleLibraryReachesItsTextures)
{
    MaterialDatabaseReader reader;
    reader.Load(SampleLibrary());
    ASSERT_TRUE(reader.IsLoaded()) << platform::path::toNative(SampleLibrary());
    EXPECT_EQ(reader.MaterialCount(), 3) << "counted across both classifications";

    reader.ReadMaterials(0);
    const auto& steel = reader.CurrentMaterial();
    EXPECT_EQ(steel.red, 200);
    EXPECT_EQ(steel.green, 200);
    EXPECT_EQ(steel.blue, 200);
    EXPECT_TRUE(steel.textureFileName.empty());
    EXPECT_EQ(steel.crossHatchScale, 1);

    // Material 2 of the sample part (index 1).
    reader.ReadMaterials(1);
    const auto aluminium = reader.CurrentMaterial();
    EXPECT_EQ(aluminium.red, 214);
    EXPECT_EQ(aluminium.blue, 214);
    EXPECT_EQ(aluminium.textureFileName, u"metal\\brushed.jpg");
    EXPECT_EQ(aluminium.crossHatchAngle, 0);
    EXPECT_EQ(aluminium.crossHatchScale, 2);
    // ambient, specular, shininess, transparency, diffuse, emission.
    const float swatch[6] = {100, 70, 60, 0, 90, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(aluminium.swatch[i], swatch[i]) << i;

    reader.ReadMaterials(2);
    const auto oak = reader.CurrentMaterial();
    EXPECT_EQ(oak.red, 153);
    EXPECT_EQ(oak.green, 76);
    EXPECT_EQ(oak.blue, 51);
    EXPECT_EQ(oak.textureFileName, u"wood\\oak.jpg");
    EXPECT_EQ(oak.crossHatchAngle, 1);
    EXPECT_EQ(oak.crossHatchScale, 3);

    // Each texture is a JPEG in the install folder's data folder.
    for (const auto& name : {aluminium.textureFileName, oak.textureFileName})
    {
        const std::string image = ReadAll(kInstallFolder + u"\\data\\" + name);
        ASSERT_GT(image.size(), 4u) << platform::path::toNative(name);
        EXPECT_EQ(image.substr(0, 3), "\xFF\xD8\xFF");
        EXPECT_EQ(image.substr(image.size() - 2), "\xFF\xD9");
    }
}

TEST(MaterialDatabaseReader, TheSampleTexturesDecode)
{
    if (!publish_test::HaveTool("djpeg"))
        GTEST_SKIP() << "djpeg is not installed";
    for (const char* image : {"metal/brushed.jpg", "wood/oak.jpg"})
    {
        const std::string path =
            platform::path::toNative(kInstallFolder) + "/data/" + std::string(image);
        std::string header;
        EXPECT_EQ(publish_test::RunCommand("djpeg -pnm " + publish_test::Quoted(path) +
                                               " | head -c 2",
                                           &header),
                  0);
        EXPECT_EQ(header, "P6") << image;
    }
}

TEST(MaterialDatabaseReader, OneMaterialsValues)
{
    // RGB holds red in its low byte; attributes are taken by position.
    auto reader = Loaded(Library(kTextured));
    reader.ReadMaterials(0);
    const auto& material = reader.CurrentMaterial();
    EXPECT_EQ(material.red, 255);
    EXPECT_EQ(material.green, 0);
    EXPECT_EQ(material.blue, 0);
    const float swatch[6] = {10, 12, 13, 14, 11, 15};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(material.swatch[i], swatch[i]) << i;
    EXPECT_EQ(material.textureFileName, u"tex\\a.jpg") << "the last child's first attribute";
    EXPECT_EQ(material.crossHatchAngle, 45.0f) << "only the integer part is read";
    EXPECT_EQ(material.crossHatchScale, 3.0f);

    auto blue = Loaded(Library("<material><swatchcolor RGB='16711680'/></material>"));
    blue.ReadMaterials(0);
    EXPECT_EQ(blue.CurrentMaterial().red, 0);
    EXPECT_EQ(blue.CurrentMaterial().blue, 255);
    EXPECT_EQ(blue.CurrentMaterial().swatch[0], 0) << "a swatch without values";
}

TEST(MaterialDatabaseReader, OutsideTheLibraryTheMaterialStays)
{
    auto reader = Loaded(Library(std::string(kTextured) + "</classification><classification>" +
                                 "<material><xhatch angle='7'/></material>"));
    EXPECT_EQ(reader.MaterialCount(), 2);
    reader.ReadMaterials(0);
    for (int index : {2, 3, -1, 1 << 30})
    {
        reader.ReadMaterials(index);
        EXPECT_EQ(reader.CurrentMaterial().textureFileName, u"tex\\a.jpg") << index;
    }
    // Reading the next material clears everything of the previous one.
    reader.ReadMaterials(1);
    EXPECT_TRUE(reader.CurrentMaterial().textureFileName.empty());
    EXPECT_EQ(reader.CurrentMaterial().red, 0);
    EXPECT_EQ(reader.CurrentMaterial().crossHatchAngle, 7);
    EXPECT_EQ(reader.CurrentMaterial().crossHatchScale, 0);
}

TEST(MaterialDatabaseReader, MissingValuesReadAsZeroAndReadingGoesOn)
{
    // Three of six swatch values: the rest are 0 and the texture and the
    // cross-hatch after them are still read.
    auto sparse = Loaded(Library(
        "<material><swatchcolor RGB='65280'><v a='1' b='2' c='3'/></swatchcolor>"
        "<shaders><t file='a.jpg'/></shaders><xhatch angle='5' scale='2'/></material>"));
    sparse.ReadMaterials(0);
    const auto& material = sparse.CurrentMaterial();
    EXPECT_EQ(material.green, 255);
    const float swatch[6] = {1, 3, 0, 0, 2, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(material.swatch[i], swatch[i]) << i;
    EXPECT_EQ(material.textureFileName, u"a.jpg");
    EXPECT_EQ(material.crossHatchScale, 2);

    // A last shader without attributes names no texture; the cross-hatch
    // is still read. Neither RGB nor the hatch values need be there.
    auto bare = Loaded(Library("<material><swatchcolor/><shaders><t file='a.jpg'/><u/>"
                               "</shaders><xhatch/></material>"
                               "<material><shaders/><xhatch scale='4'/></material>"));
    bare.ReadMaterials(0);
    EXPECT_TRUE(bare.CurrentMaterial().textureFileName.empty());
    EXPECT_EQ(bare.CurrentMaterial().red, 0);
    EXPECT_EQ(bare.CurrentMaterial().crossHatchAngle, 0);
    bare.ReadMaterials(1);
    EXPECT_TRUE(bare.CurrentMaterial().textureFileName.empty()) << "shaders without children";
    EXPECT_EQ(bare.CurrentMaterial().crossHatchScale, 4);

    // Elements other than the named ones, and blanks and comments between
    // them, are not taken for the swatch's values or the last shader.
    auto spaced = Loaded(Library("<material>\n <swatchcolor RGB='1'>\n  <!-- c -->\n"
                                 "  <v a='9'/>\n </swatchcolor>\n <shaders>\n  <t file='b.jpg'/>\n"
                                 "  <!-- trailing -->\n </shaders>\n</material>"));
    spaced.ReadMaterials(0);
    EXPECT_EQ(spaced.CurrentMaterial().swatch[0], 9);
    EXPECT_EQ(spaced.CurrentMaterial().textureFileName, u"b.jpg");
}

TEST(MaterialDatabaseReader, OnlyTheLiteralSelectionCounts)
{
    const auto count = [](const std::string& xml)
    {
        MaterialDatabaseReader reader;
        reader.LoadXml(xml);
        return reader.MaterialCount();
    };
    EXPECT_EQ(count("<materials><classification><material/></classification></materials>"), 0);
    EXPECT_EQ(count("<m:materials xmlns:m='urn:m'><classification><material/>"
                    "</classification></m:materials>"),
              0)
        << "the prefix must be mstns";
    EXPECT_EQ(count("<mstns:materials xmlns:mstns='urn:m' xmlns='urn:d'><classification>"
                    "<material/></classification><material/></mstns:materials>"),
              1)
        << "a default namespace changes nothing; materials outside a classification do not count";
    EXPECT_EQ(count("<mstns:materials xmlns:mstns='urn:m'><mstns:classification><material/>"
                    "</mstns:classification></mstns:materials>"),
              0);
}

TEST(MaterialDatabaseReader, IntegersAreReadAsTheCLibraryReadsThem)
{
    using R = MaterialDatabaseReader;
    EXPECT_EQ(R::GetIntAttribute(u"255"), 255);
    EXPECT_EQ(R::GetIntAttribute(u"  \t-42abc"), -42);
    EXPECT_EQ(R::GetIntAttribute(u"+7"), 7);
    EXPECT_EQ(R::GetIntAttribute(u"abc"), 0);
    EXPECT_EQ(R::GetIntAttribute(u""), 0);
    EXPECT_EQ(R::GetIntAttribute(u"- 5"), 0);
    EXPECT_EQ(R::GetIntAttribute(std::nullopt), 0);
    EXPECT_EQ(R::GetIntAttribute(u"4294967295"), -1) << "cut to 32 bits";
    EXPECT_EQ(R::GetIntAttribute(u"99999999999999999999999"), -1) << "saturated, then cut";
    EXPECT_EQ(R::GetIntAttribute(u"-99999999999999999999999"), 0);
    EXPECT_EQ(R::GetIntAttribute(u"\u0661\u0662"), 0) << "only ASCII digits count";
    EXPECT_EQ(R::GetIntValue(u"0.5"), 0.0f);
    EXPECT_EQ(R::GetIntValue(u"45.7"), 45.0f);
    EXPECT_EQ(R::GetIntValue(u"-3e2"), -3.0f);
    EXPECT_EQ(R::GetIntValue(std::nullopt), 0.0f);
    EXPECT_EQ(R::GetText(std::nullopt), u"");
    EXPECT_EQ(R::GetText(std::u16string(u"x")), u"x");
}

TEST(MaterialDatabaseReader, LoadingFindsNothingWhereThereIsNoLibrary)
{
    MaterialDatabaseReader reader;
    reader.Load(u"");
    EXPECT_FALSE(reader.IsLoaded());
    reader.Load(u"/nonexistent/quillcast/materials.sldmat");
    EXPECT_FALSE(reader.IsLoaded());
    reader.ReadMaterials(0);
    EXPECT_EQ(reader.MaterialCount(), 0);
    EXPECT_TRUE(reader.SelectNodes(MaterialDatabaseReader::kMaterialsPath).empty());
    EXPECT_EQ(reader.CurrentMaterial().red, 0);

    addin_test::TempFile broken(Library(kTextured).substr(0, 80));
    reader.Load(platform::path::fromNative(broken.path()));
    EXPECT_FALSE(reader.IsLoaded());
    // A failed load drops the library that was loaded before.
    reader.Load(SampleLibrary());
    ASSERT_TRUE(reader.IsLoaded());
    reader.Load(platform::path::fromNative(broken.path()));
    EXPECT_FALSE(reader.IsLoaded());
    reader.LoadXml("not xml");
    EXPECT_FALSE(reader.IsLoaded());
}

TEST(MaterialDatabaseReader, ALibraryThatIsThereButCannotBeReadSaysWhy)
{
    addin_test::TempFile library(Library(kTextured));
    const std::string base = library.path();
    MaterialDatabaseReader reader;
    const auto loadError = [&](const std::string& path)
    {
        reader.Load(platform::path::fromNative(path));
        EXPECT_FALSE(reader.IsLoaded()) << path;
        return reader.LoadError();
    };

    // Nothing there: no reason to give.
    EXPECT_EQ(loadError(base + ".absent"), 0);
    EXPECT_FALSE(reader.Malformed());
    EXPECT_EQ(loadError(base + "/below-a-file"), 0);
    EXPECT_FALSE(reader.Malformed());
    // A file read whole that is not XML: no system reason, but malformed.
    addin_test::TempFile broken(Library(kTextured).substr(0, 80));
    EXPECT_EQ(loadError(broken.path()), 0);
    EXPECT_TRUE(reader.Malformed());

    // Something there that cannot be read.
    const std::string link = base + ".link";
    ASSERT_EQ(::symlink((base + ".absent").c_str(), link.c_str()), 0);
    EXPECT_EQ(loadError(link), ENOENT) << "a link to nothing";
    ::unlink(link.c_str());

    const std::string socketPath = base + ".sock";
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(server, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(loadError(socketPath), ENXIO) << "a socket";
    ::close(server);
    ::unlink(socketPath.c_str());

    const std::string fifo = base + ".fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(loadError(fifo), DWFCore::kNotRegularFile);
    ::unlink(fifo.c_str());
    EXPECT_EQ(loadError(platform::path::toNative(
                  platform::path::cutLastComponent(platform::path::fromNative(base)))),
              EISDIR);

    // Past the size the library may have: refused unread.
    ASSERT_EQ(::truncate(base.c_str(), platform::xml::Document::kMaxBytes + 1), 0);
    EXPECT_EQ(loadError(base), EFBIG);

    if (::geteuid() != 0)
    {
        std::ofstream(base, std::ios::binary | std::ios::trunc) << Library(kTextured);
        ASSERT_EQ(::chmod(base.c_str(), 0), 0);
        EXPECT_EQ(loadError(base), EACCES);
    }
    // A library read after a failure has no reason left.
    reader.Load(SampleLibrary());
    EXPECT_TRUE(reader.IsLoaded());
    EXPECT_EQ(reader.LoadError(), 0);
    EXPECT_FALSE(reader.Malformed());
}

TEST(MaterialDatabaseReader, ALibraryIsParsedOncePerPath)
{
    addin_test::TempFile file(Library(kTextured));
    const std::u16string path = platform::path::fromNative(file.path());
    MaterialDatabaseReader reader;
    reader.Load(path);
    ASSERT_EQ(reader.MaterialCount(), 1);

    // Rewritten on disk, the same path keeps what was parsed...
    std::ofstream(file.path(), std::ios::binary | std::ios::trunc)
        << Library(std::string(kTextured) + kTextured);
    reader.Load(path);
    EXPECT_EQ(reader.MaterialCount(), 1);
    // ... copies share it ...
    MaterialDatabaseReader copy = reader;
    copy.ReadMaterials(0);
    EXPECT_EQ(copy.CurrentMaterial().textureFileName, u"tex\\a.jpg");
    EXPECT_TRUE(reader.CurrentMaterial().textureFileName.empty()) << "each has its own record";
    // ... and another path is parsed anew.
    reader.Load(SampleLibrary());
    EXPECT_EQ(reader.MaterialCount(), 3);
    reader.Load(path);
    EXPECT_EQ(reader.MaterialCount(), 2);
    EXPECT_EQ(copy.MaterialCount(), 1);
}

TEST(MaterialDatabaseReader, HostileLibrariesGiveNothingOrTheirOwnText)
{
    // An entity that names a file is not fetched into a texture name.
    addin_test::TempFile secret("secret.jpg");
    auto external = Loaded(
        "<!DOCTYPE mstns:materials [<!ENTITY x SYSTEM 'file://" + secret.path() + "'>]>" +
        Library("<material><shaders><t file='a.jpg'>&x;</t></shaders></material>")
            .substr(std::string("<?xml version='1.0'?>\n").size()));
    external.ReadMaterials(0);
    EXPECT_EQ(external.CurrentMaterial().textureFileName, u"a.jpg");

    // Attribute defaults of a DTD are not applied.
    auto defaults = Loaded("<!DOCTYPE mstns:materials [<!ATTLIST t file CDATA 'dtd.jpg'>]>" +
                           Library("<material><shaders><t/></shaders></material>")
                               .substr(std::string("<?xml version='1.0'?>\n").size()));
    defaults.ReadMaterials(0);
    EXPECT_TRUE(defaults.CurrentMaterial().textureFileName.empty());
}

TEST(MaterialDatabaseReader, TruncatedAndMutatedLibrariesNeverCrash)
{
    const std::string whole = ReadAll(SampleLibrary());
    ASSERT_GT(whole.size(), 1000u);
    int loaded = 0;
    for (std::size_t length = 0; length < whole.size(); length += 3)
    {
        MaterialDatabaseReader reader;
        reader.LoadXml(std::string_view(whole).substr(0, length));
        loaded += reader.IsLoaded();
        for (int i = -1; i <= 3; ++i)
            reader.ReadMaterials(i);
    }
    EXPECT_EQ(loaded, 0) << "a cut library is not well-formed";

    const char replacements[] = {'<', '>', '\'', '"', '/', '&', '\0', '\xff', ' ', '9', 'x'};
    int survived = 0;
    for (std::size_t i = 0, n = 0; i < whole.size(); i += 5, ++n)
    {
        std::string mutated = whole;
        mutated[i] = replacements[n % sizeof replacements];
        MaterialDatabaseReader reader;
        reader.LoadXml(mutated);
        survived += reader.IsLoaded();
        const int count = reader.MaterialCount();
        EXPECT_LE(count, 3);
        for (int k = 0; k < count; ++k)
        {
            reader.ReadMaterials(k);
            EXPECT_LE(reader.CurrentMaterial().red, 255.0f);
        }
    }
    EXPECT_GT(survived, 0);
}
