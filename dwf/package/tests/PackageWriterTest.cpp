// The package writer: complete packages checked with independent tools and
// read back, the entry order and naming rules, and failures that must leave
// the target alone.

// First: it defines function-like macros named like the extension's version
// operations, which the extension's header must survive.
#include <sys/sysmacros.h>

#include "TestSupport.h"

#include "dwf/package/BytesInputStream.h"
#include "dwf/package/CustomSection.h"
#include "dwf/package/DefinedObject.h"
#include "dwf/package/EModelSection.h"
#include "dwf/package/EPlotSection.h"
#include "dwf/package/GlobalSection.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Interface.h"
#include "dwf/package/Manifest.h"
#include "dwf/package/ObjectDefinition.h"
#include "dwf/package/ObjectDefinitionResource.h"
#include "dwf/package/Property.h"
#include "dwf/package/reader/ZipPackageReader.h"
#include "dwf/package/writer/PackageWriter.h"
#include "dwf/package/writer/extensions/6.01/PackageVersionExtension.h"
#include "dwfcore/Exception.h"
#include "dwfcore/File.h"
#include "dwfcore/FileInputStream.h"
#include "dwfcore/StreamFileDescriptor.h"
#include "dwfcore/zip/Format.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace DWFToolkit;
using PackageTest::serialize;
using PackageTest::utf8;
namespace fs = std::filesystem;

namespace
{

constexpr unsigned kDescriptor = DWFXMLSerializable::eDescriptor;

// A fresh folder, removed with everything in it.
class Folder
{
public:
    Folder()
    {
        char pattern[] = "/tmp/dwfpackage-writer-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~Folder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(path))
        {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    fs::path path;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Varied, partly compressible bytes.
std::string someBytes(std::size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < count; ++i)
    {
        state = state * 1103515245u + 12345u;
        bytes[i] = (i % 7 == 0) ? char(state >> 24) : char('a' + (i / 64) % 26);
    }
    return bytes;
}

DWFCore::DWFInputStream* memoryStream(const std::string& bytes)
{
    return new DWFBytesInputStream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

DWFCore::DWFInputStream* fileStream(const std::string& path)
{
    auto* descriptor = new DWFCore::DWFStreamFileDescriptor(DWFCore::DWFFile(path.c_str()), u"rb");
    descriptor->open();
    auto* stream = new DWFCore::DWFFileInputStream();
    stream->attach(descriptor, true);
    return stream;
}

bool haveTool(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

//
// Lists and extracts a package with python3's zipfile (CRCs checked on the way):
// returns the entry names in archive order; entry i is written to `out`/i.
//
bool pythonEntries(const std::string& package, const std::string& password, const Folder& out,
                   std::vector<std::string>& names)
{
    const std::string script = out / "inspect.py";
    writeFile(script, "import sys, zipfile\n"
                      "z = zipfile.ZipFile(sys.argv[1])\n"
                      "pwd = sys.argv[2].encode() if len(sys.argv) > 3 else None\n"
                      "for i, info in enumerate(z.infolist()):\n"
                      "    open(sys.argv[-1] + '/' + str(i), 'wb').write(z.read(info, pwd))\n"
                      "    print(info.filename)\n");
    std::string command = "python3 " + script + " '" + package + "' ";
    if (!password.empty())
    {
        command += "'" + password + "' ";
    }
    command += "'" + out.path.string() + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
    {
        return false;
    }
    std::string text;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    {
        text.append(buffer, got);
    }
    if (::pclose(pipe) != 0)
    {
        ADD_FAILURE() << "python3 zipfile rejected the package: " << text;
        return false;
    }
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
    {
        names.push_back(line);
    }
    return true;
}

bool xmllintAccepts(const std::string& path)
{
    return std::system(("xmllint --noout '" + path + "' 2>/dev/null").c_str()) == 0;
}

// Container ids are assigned when first written, so they differ between a written
// object and its read-back copy; everything else must be the same.
std::string withoutContainerIDs(const std::string& text)
{
    std::string result;
    const std::string marker = "Properties id=\"";
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(marker, from)) != std::string::npos;)
    {
        const std::size_t valueEnd = text.find('"', at + marker.size());
        result.append(text, from, at - from).append("Properties");
        from = valueEnd + 1;
    }
    return result.append(text, from, std::string::npos);
}

// The expected entries of a content section in write order.
std::vector<std::string> sectionEntries(DWFSection& section)
{
    std::vector<std::string> names{utf8(section.name()) + "\\descriptor.xml"};
    auto add = [&](const char16_t* role)
    {
        std::unique_ptr<DWFResourceContainer::ResourceIterator> it(
            section.findResourcesByRole(role));
        for (; it->valid(); it->next())
        {
            names.push_back(utf8(it->get()->zipPath()));
        }
    };
    for (const char16_t* role :
         {DWFResource::kRoleThumbnail, DWFResource::kRoleFont,
          DWFResource::kRole2DStreamingGraphics, DWFResource::kRole3DStreamingGraphics,
          DWFResource::kRoleTexture, DWFResource::kRoleObjectDefinition})
    {
        add(role);
    }
    return names;
}

struct Sheet
{
    DWFEPlotSection* section;
    std::string graphic;
    std::string thumbnail;
};

// A drawing package of `count` sheets as the drawing publisher builds it.
std::vector<Sheet> addSheets(DWFPackageWriter& writer, const Folder& folder, int count)
{
    std::vector<Sheet> sheets;
    for (int i = 1; i <= count; ++i)
    {
        const double clip[4] = {1, 1, 209, 296};
        DWFPaper paper(210, 297, DWFPaper::eMillimeters, i == 2 ? 0x00FFFFFF : 0x00FFFFF0, clip);
        const std::u16string title = u"Sheet " + std::u16string(1, char16_t(u'0' + i));
        auto* section = new DWFEPlotSection(
            title.c_str(), (u"sheet-object-" + std::u16string(1, char16_t(u'0' + i))).c_str(), 0,
            DWFSource(u"C:\\Drawings\\bracket.slddrw", u"Quillcast", u"doc-1"),
            i == 3 ? 0x00000000 : 0x00FFFFFF, &paper);
        Sheet sheet{section, someBytes(100000 + i * 1000, i), someBytes(3000 + i, 100 + i)};

        const std::string w2d = folder / ("sheet" + std::to_string(i) + ".w2d");
        writeFile(w2d, sheet.graphic);
        auto* graphic = new DWFGraphicResource(title.c_str(), DWFResource::kRole2DStreamingGraphics,
                                               u"application/x-w2d", u"Quillcast", u"", u"", u"");
        const double extents[4] = {0, 0, 8400, 5940};
        graphic->setGraphicAttributes(nullptr, extents, clip, true, 0, 0,
                                      DWFGraphicResource::teOrientation(0));
        graphic->setInputStream(fileStream(w2d));
        section->addResource(graphic, true);

        auto* thumbnail =
            new DWFImageResource(u"Thumbnail", DWFResource::kRoleThumbnail, u"image/png");
        thumbnail->setImageAttributes(24);
        thumbnail->setInputStream(memoryStream(sheet.thumbnail));
        section->addResource(thumbnail, true, true, true, graphic);

        auto* definition = new DWFObjectDefinitionResource(u"PageObjectDefinition");
        auto* object = new DWFDefinedObject(u"view-" + std::u16string(1, char16_t(u'0' + i)));
        object->addProperty(new DWFProperty(u"Scale", u"1:2", u"View", u"", u""), true);
        definition->addObject(object, 1);
        section->addResource(definition, true);

        section->addProperty(new DWFProperty(u"Sheet Size", u"A4", u"Sheet", u"", u""), true);
        section->addProperty(new DWFProperty(u"Title", title.c_str(), u"", u"", u""), true);
        writer.addSection(section);
        // The publisher sets one package property per sheet; earlier values are replaced.
        writer.getManifestProperties()->addProperty(
            new DWFProperty(u"Package Property Name", title.c_str(), u"", u"", u""), true);
        sheets.push_back(sheet);
    }
    return sheets;
}

// Reads the package at `path` back through the package reader.
struct ReadPackage
{
    ReadPackage(const std::string& path, const std::string& password)
        : reader(DWFCore::DWFString(path.c_str()), DWFCore::DWFString(password.c_str())),
          manifest(u"", &reader)
    {
        std::unique_ptr<DWFCore::DWFInputStream> stream(
            reader.getInputStream(u"manifest.xml", false));
        DWFParseXMLDocument(*stream, manifest);
        for (DWFSection* section : manifest.getContentSections())
        {
            section->readDescriptor();
        }
    }

    DWFZipPackageReader reader;
    DWFManifest manifest;
};

// The written and the read-back section have the same manifest entry and descriptor.
void expectSameSection(DWFSection& written, DWFSection& read)
{
    EXPECT_EQ(read.type(), written.type());
    EXPECT_EQ(read.title(), written.title());
    EXPECT_EQ(utf8(read.source().href()), utf8(written.source().href()));
    EXPECT_EQ(withoutContainerIDs(serialize(read, kDescriptor)),
              withoutContainerIDs(serialize(written, kDescriptor)));
}

class RecordingExtension : public DWFPackageVersionExtension
{
public:
    unsigned short major() const override { return 7; }
    unsigned short minor() const override { return 2; }
    bool addSection(DWFSection*, DWFInterface*) override { return acceptSections; }
    bool addGlobalSection(DWFGlobalSection*) override { return acceptSections; }
    bool write(const DWFCore::DWFString&, const DWFCore::DWFString&, const DWFCore::DWFString&,
               const DWFCore::DWFString&, const DWFCore::DWFString&, int) override
    {
        return acceptWrite;
    }
    void prewriteManifest(DWFPackageWriter&, DWFPackageFileDescriptor&, DWFXMLSerializer&,
                          const DWFCore::DWFString&) override
    {
        calls += "pre ";
    }
    void postwriteManifest(DWFPackageWriter&, DWFPackageFileDescriptor&, DWFXMLSerializer&,
                           const DWFCore::DWFString&) override
    {
        calls += "post-manifest ";
    }
    void postwrite(DWFPackageWriter&, DWFPackageFileDescriptor&, DWFXMLSerializer&,
                   const DWFCore::DWFString&) override
    {
        calls += "post";
    }

    bool acceptSections = true;
    bool acceptWrite = true;
    std::string calls;
};

// Gives some bytes, then fails as a broken disk or network would.
class FailingInputStream : public DWFCore::DWFInputStream
{
public:
    size_t available() const override { return 1 << 20; }
    size_t read(void* buffer, size_t bytes) override
    {
        if (_given > 40000)
        {
            DWFCORE_THROW(DWFIOException, u"Device went away", "FailingInputStream::read");
        }
        std::memset(buffer, 'x', bytes);
        _given += bytes;
        return bytes;
    }
    long seek(int, long) override { return 0; }

private:
    std::size_t _given = 0;
};

// Claims bytes forever and delivers none.
class StuckInputStream : public DWFCore::DWFInputStream
{
public:
    size_t available() const override { return 100; }
    size_t read(void*, size_t) override { return 0; }
    long seek(int, long) override { return 0; }
};

// Gives ten bytes; on its first read, removes the unfinished packages
// (".qc-...") in `folder`, as another program could.
class RemovingInputStream : public DWFCore::DWFInputStream
{
public:
    explicit RemovingInputStream(fs::path folder) : _folder(std::move(folder)) {}
    size_t available() const override { return _left; }
    size_t read(void* buffer, size_t bytes) override
    {
        for (const auto& entry : fs::directory_iterator(_folder))
        {
            if (entry.path().filename().string().rfind(".qc-", 0) == 0)
            {
                fs::remove(entry.path());
            }
        }
        const size_t given = std::min(bytes, _left);
        std::memset(buffer, 'x', given);
        _left -= given;
        return given;
    }
    long seek(int, long) override { return 0; }

private:
    fs::path _folder;
    size_t _left = 10;
};

DWFResource* resourceWith(const char16_t* role, DWFCore::DWFInputStream* stream,
                          const char16_t* mime = u"application/octet-stream")
{
    auto* resource = new DWFResource(u"", role, mime);
    resource->setInputStream(stream);
    return resource;
}

} // namespace

TEST(DWFPackageWriter, ThreeSheetDrawingPackagePassesIndependentToolsAndReadsBack)
{
    Folder folder;
    const std::string target = folder / "drawing.dwf";
    DWFPackageWriter writer(DWFCore::DWFFile(target.c_str()));
    std::vector<Sheet> sheets = addSheets(writer, folder, 3);
    writer.write(u"Vendor", u"CAD", u"2005", u"Quillcast", u"1.0", 9);

    const std::string bytes = readFile(target);
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 12), "(DWF V06.00)");
    EXPECT_EQ(folder.names(),
              (std::vector<std::string>{"drawing.dwf", "sheet1.w2d", "sheet2.w2d", "sheet3.w2d"}));

    std::vector<std::string> expected{"manifest.xml"};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_DOUBLE_EQ(sheets[i].section->plotOrder(), i + 1.0);
        for (const std::string& name : sectionEntries(*sheets[i].section))
        {
            expected.push_back(name);
        }
    }
    if (!haveTool("python3"))
    {
        GTEST_SKIP() << "python3 is not installed";
    }
    Folder extracted;
    std::vector<std::string> names;
    ASSERT_TRUE(pythonEntries(target, "", extracted, names));
    EXPECT_EQ(names, expected);
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        if (names[i].size() > 4 && names[i].substr(names[i].size() - 4) == ".xml")
        {
            if (haveTool("xmllint"))
            {
                EXPECT_TRUE(xmllintAccepts(extracted / std::to_string(i))) << names[i];
            }
        }
    }
    for (int s = 0; s < 3; ++s)
    {
        // Entries of sheet s start after the manifest and four entries per earlier sheet.
        const std::size_t first = 1 + 4 * s;
        EXPECT_EQ(readFile(extracted / std::to_string(first + 1)), sheets[s].thumbnail);
        EXPECT_EQ(readFile(extracted / std::to_string(first + 2)), sheets[s].graphic);
    }

    ReadPackage read(target, "");
    ASSERT_EQ(read.manifest.getContentSections().size(), 3u);
    EXPECT_EQ(read.manifest.objectID(), writer.manifest()->objectID());
    EXPECT_EQ(utf8(read.manifest.findProperty(u"Package Property Name")->value()), "Sheet 3");
    EXPECT_EQ(utf8(read.manifest.findProperty(u"DWFToolkitVersion")->value()), "7.0.1.155");
    EXPECT_EQ(utf8(read.manifest.findProperty(u"SourceProductName")->value()), "CAD");
    EXPECT_EQ(read.manifest.getInterfaces().size(), 1u);
    for (int s = 0; s < 3; ++s)
    {
        DWFSection* section = read.manifest.getContentSections()[s];
        expectSameSection(*sheets[s].section, *section);
        auto& page = dynamic_cast<DWFEPlotSection&>(*section);
        EXPECT_EQ(page.color(), sheets[s].section->color());
        EXPECT_EQ(page.paper()->color(), sheets[s].section->paper()->color());
        std::unique_ptr<DWFObjectDefinition> definition(section->getObjectDefinition());
        const std::u16string id = u"view-" + std::u16string(1, char16_t(u'1' + s));
        ASSERT_NE(definition->findObject(id.c_str()), nullptr);
        EXPECT_NE(definition->findObject(id.c_str())->findProperty(u"Scale", u"View"), nullptr);
        // The resources' bytes come back through the package reader too.
        std::unique_ptr<DWFResourceContainer::ResourceIterator> graphics(
            section->findResourcesByRole(DWFResource::kRole2DStreamingGraphics));
        std::unique_ptr<DWFCore::DWFInputStream> stream(graphics->get()->getInputStream());
        std::string back(stream->available(), '\0');
        back.resize(stream->read(&back[0], back.size()));
        EXPECT_EQ(back, sheets[s].graphic);
    }
}

TEST(DWFPackageWriter, EncryptedModelPackageCarriesTheTypeEntry)
{
    Folder folder;
    const std::string target = folder / "model.dwf";
    const std::string password = "PASSWORD";
    DWFPackageWriter writer(DWFCore::DWFFile(target.c_str()), u"PASSWORD",
                            new DWFPackageVersionTypeInfoExtension(DWFEModelSection::kInterfaceID));
    DWFUnits units(DWFUnits::eMillimeters);
    auto* model =
        new DWFEModelSection(u"Bracket", u"", 5, DWFSource(u"bracket.sldprt", u"", u""), &units);
    const std::string w3d = someBytes(200000, 7);
    const std::string texture = someBytes(5000, 8);
    model->addResource(resourceWith(DWFResource::kRole3DStreamingGraphics, memoryStream(w3d),
                                    u"application/x-w3d"),
                       true);
    model->addResource(
        resourceWith(DWFResource::kRoleTexture, memoryStream(texture), u"image/jpeg"), true);
    model->addResource(
        resourceWith(DWFResource::kRoleThumbnail, memoryStream("thumb"), u"image/png"), true);
    writer.addSection(model);
    writer.write(u"", u"", u"", u"", u"", 9);

    const std::string bytes = readFile(target);
    EXPECT_EQ(bytes.substr(0, 12), "(DWF V06.01)");
    DWFPackageVersionTypeInfoExtension typeInfo(u"t");
    EXPECT_EQ(typeInfo.major(), 6);
    EXPECT_EQ(typeInfo.minor(), 1);
    std::vector<std::string> expected{"75E513A9-6C41-4C91-BAA6-81E593FAAC10.TYPEINFO",
                                      "manifest.xml"};
    for (const std::string& name : sectionEntries(*model))
    {
        expected.push_back(name);
    }
    if (haveTool("python3"))
    {
        Folder extracted;
        std::vector<std::string> names;
        ASSERT_TRUE(pythonEntries(target, password, extracted, names));
        EXPECT_EQ(names, expected);
        EXPECT_EQ(readFile(extracted / "0"), "");
        EXPECT_EQ(readFile(extracted / "3"), "thumb");
        EXPECT_EQ(readFile(extracted / "4"), w3d);
        EXPECT_EQ(readFile(extracted / "5"), texture);
        if (haveTool("xmllint"))
        {
            EXPECT_TRUE(xmllintAccepts(extracted / "1"));
            EXPECT_TRUE(xmllintAccepts(extracted / "2"));
        }
    }
    if (haveTool("7z"))
    {
        EXPECT_EQ(std::system(("7z t -p" + password + " '" + target + "' >/dev/null 2>&1").c_str()),
                  0);
        EXPECT_NE(std::system(("7z t -pWRONG '" + target + "' >/dev/null 2>&1").c_str()), 0);
    }

    ReadPackage read(target, password);
    ASSERT_EQ(read.manifest.getContentSections().size(), 1u);
    DWFSection* back = read.manifest.getContentSections()[0];
    expectSameSection(*model, *back);
    EXPECT_DOUBLE_EQ(back->plotOrder(), 1.0); // renumbered by the writer
    EXPECT_EQ(utf8(dynamic_cast<DWFEModelSection&>(*back).units()->type()), "mm");
    EXPECT_THROW(ReadPackage(target, "WRONG"), DWFCore::DWFIOException);

    // Without a document type the extension stops the write, and nothing is left behind.
    const std::string untyped = folder / "untyped.dwf";
    DWFPackageWriter failing(DWFCore::DWFFile(untyped.c_str()), u"",
                             new DWFPackageVersionTypeInfoExtension(u""));
    failing.addSection(new DWFEModelSection(u"m", u"", 1, DWFSource()));
    EXPECT_THROW(failing.write(), DWFCore::DWFInvalidTypeException);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"model.dwf"});
}

TEST(DWFPackageWriter, FailedWritesLeaveThePreviousPackageAndNoTemporaryFile)
{
    Folder folder;
    const std::string target = folder / "package.dwf";
    writeFile(target, "the previous package");
    const std::vector<std::string> before{"package.dwf"};

    // A resource stream that breaks halfway.
    {
        DWFPackageWriter writer(DWFCore::DWFFile(target.c_str()));
        auto* section = new DWFEPlotSection(u"s", u"", 1, DWFSource());
        section->addResource(
            resourceWith(DWFResource::kRole2DStreamingGraphics, new FailingInputStream), true);
        writer.addSection(section);
        EXPECT_THROW(writer.write(), DWFCore::DWFIOException);
        EXPECT_EQ(readFile(target), "the previous package");
        EXPECT_EQ(folder.names(), before);
    }
    // A resource without data: no entry is begun.
    {
        DWFPackageWriter writer(DWFCore::DWFFile(target.c_str()));
        auto* section = new DWFEPlotSection(u"s", u"", 1, DWFSource());
        section->addResource(new DWFResource(u"", DWFResource::kRoleThumbnail, u"image/png"), true);
        writer.addSection(section);
        try
        {
            writer.write();
            FAIL() << "a resource without stream was written";
        }
        catch (const DWFCore::DWFUnexpectedException& e)
        {
            EXPECT_EQ(utf8(e.message()), "Error acquiring resource streams");
        }
        EXPECT_EQ(readFile(target), "the previous package");
        EXPECT_EQ(folder.names(), before);
    }
    // A manifest without interface fails once the manifest entry is begun.
    {
        DWFPackageWriter writer(DWFCore::DWFFile(target.c_str()));
        EXPECT_THROW(writer.write(), DWFCore::DWFNullPointerException);
        writer.getManifestProperties();
        EXPECT_THROW(writer.write(), DWFCore::DWFDoesNotExistException);
        EXPECT_EQ(readFile(target), "the previous package");
        EXPECT_EQ(folder.names(), before);
    }
    // A folder that does not exist.
    {
        DWFPackageWriter writer(DWFCore::DWFFile((folder / "missing/p.dwf").c_str()));
        writer.addSection(new DWFEPlotSection(u"s", u"", 1, DWFSource()));
        EXPECT_THROW(writer.write(), DWFCore::DWFIOException);
    }
    // Entries that would share a name are refused before anything is created.
    {
        const std::string fresh = folder / "fresh.dwf";
        DWFPackageWriter writer(DWFCore::DWFFile(fresh.c_str()));
        for (int i = 0; i < 2; ++i)
        {
            writer.addSection(
                new DWFCustomSection(u"vendor.kind", u"same", u"", u"", 1, 1, DWFSource(), {0, 1}));
        }
        EXPECT_THROW(writer.write(), DWFCore::DWFUnexpectedException);
        EXPECT_EQ(folder.names(), before);

        DWFPackageWriter shared(DWFCore::DWFFile(fresh.c_str()));
        DWFResource common(u"", DWFResource::kRoleFont, u"application/x-font");
        for (int i = 0; i < 2; ++i)
        {
            auto* section = new DWFEPlotSection(u"s", u"", 1, DWFSource());
            section->addResource(&common, false);
            shared.addSection(section);
        }
        EXPECT_THROW(shared.write(), DWFCore::DWFUnexpectedException);
        EXPECT_EQ(folder.names(), before);
    }
}

TEST(DWFPackageWriter, FailuresSayWhatFailedWhereAndWhy)
{
    Folder folder;
    const std::string target = folder / "package.dwf";
    writeFile(target, "the previous package");
    const std::vector<std::string> before{"package.dwf"};
    const auto failure = [](DWFPackageWriter& writer)
    {
        try
        {
            writer.write();
        }
        catch (const DWFCore::DWFException& e)
        {
            return std::string(DWFCore::DWFString(e.type()).toUTF8()) + ": " + utf8(e.message());
        }
        return std::string("written");
    };
    struct LimitsBack
    {
        ~LimitsBack() { DWFCore::zipio::setZipLimits(DWFCore::zipio::ZipLimits()); }
    } limitsBack;

    // A folder that is a file names the package and the system's reason.
    {
        writeFile(folder / "plain", "a file");
        const std::string inside = folder / "plain/p.dwf";
        DWFPackageWriter writer(DWFCore::DWFFile(inside.c_str()));
        writer.addSection(new DWFEPlotSection(u"s", u"", 1, DWFSource()));
        EXPECT_EQ(failure(writer), "DWFIOException: Failed to create the package file beside '" +
                                       inside + "': Not a directory");
    }
    // More entries than the format counts: refused before the first byte.
    {
        DWFCore::zipio::setZipLimits({4, DWFCore::zipio::kMaxSize});
        DWFPackageWriter writer(DWFCore::DWFFile(target.c_str()));
        for (int i = 0; i < 2; ++i)
        {
            auto* section = new DWFEPlotSection(u"s", u"", 1, DWFSource());
            section->addResource(resourceWith(DWFResource::kRole2DStreamingGraphics,
                                              new DWFBytesInputStream(std::vector<unsigned char>(10, 'x'))),
                                 true);
            writer.addSection(section);
        }
        EXPECT_EQ(failure(writer), "DWFOverflowException: The package would pass the ZIP "
                                   "format's limit of 65,535 entries");
        EXPECT_EQ(readFile(target), "the previous package");
        EXPECT_EQ(folder.names(), (std::vector<std::string>{"package.dwf", "plain"}));
    }
    // Bytes past what 32-bit sizes can say stop the package as they arrive.
    {
        DWFCore::zipio::setZipLimits({DWFCore::zipio::kMaxEntries, 60000});
        DWFPackageWriter writer(DWFCore::DWFFile(target.c_str()));
        auto* section = new DWFEPlotSection(u"s", u"", 1, DWFSource());
        section->addResource(
            resourceWith(DWFResource::kRole2DStreamingGraphics, new FailingInputStream), true);
        writer.addSection(section);
        // Below the limit the stream's own failure is what the writer reports ...
        EXPECT_EQ(failure(writer), "DWFIOException: Device went away");
        // ... above it the limit, before the stream has broken.
        DWFCore::zipio::setZipLimits({DWFCore::zipio::kMaxEntries, 20000});
        DWFPackageWriter small(DWFCore::DWFFile(target.c_str()));
        auto* again = new DWFEPlotSection(u"s", u"", 1, DWFSource());
        again->addResource(
            resourceWith(DWFResource::kRole2DStreamingGraphics, new FailingInputStream), true);
        small.addSection(again);
        EXPECT_EQ(failure(small), "DWFOverflowException: The package would pass the ZIP format's "
                                  "limit of 4 GiB for an entry or the archive");
        EXPECT_EQ(readFile(target), "the previous package");
        EXPECT_EQ(folder.names(), (std::vector<std::string>{"package.dwf", "plain"}));
    }
}

TEST(DWFPackageWriter, APackageFileRemovedWhileWrittenIsNamedInItsBytesBeforeTheWholeReason)
{
    // A folder whose name is no UTF-8 (ISO-8859-1 "é"), and one whose path
    // is too long for the message to hold it whole.
    Folder folder;
    const std::string reason = "' was removed or replaced by another file while it was written";
    for (const std::string& name :
         {std::string("plans-\xe9"), std::string(200, 'a') + "/" + std::string(200, 'b')})
    {
        const fs::path inside = folder.path / name;
        fs::create_directories(inside);
        DWFPackageWriter writer(DWFCore::DWFFile((inside / "p.dwf").c_str()));
        auto* section = new DWFEPlotSection(u"s", u"", 1, DWFSource());
        section->addResource(
            resourceWith(DWFResource::kRole2DStreamingGraphics, new RemovingInputStream(inside)),
            true);
        writer.addSection(section);
        std::string message;
        try
        {
            writer.write();
        }
        catch (const DWFCore::DWFIOException& e)
        {
            message = DWFCore::encodeNativePath(e.message());
        }
        const std::string head = "The package file '" + inside.string().substr(0, 40);
        EXPECT_EQ(message.substr(0, head.size()), head) << message;
        ASSERT_GE(message.size(), reason.size()) << message;
        EXPECT_EQ(message.substr(message.size() - reason.size()), reason) << message;
        if (name.size() < 100)
        {
            const std::string whole = "The package file '" + (inside / ".qc-").string();
            EXPECT_EQ(message.substr(0, whole.size()), whole) << message;
            EXPECT_EQ(message.size(), whole.size() + std::strlen("XXXXXX.tmp") + reason.size());
        }
        EXPECT_TRUE(fs::is_empty(inside));
    }
}

TEST(DWFPackageWriter, NamingPlotOrdersGlobalSectionsAndEntryRules)
{
    Folder folder;
    const std::string target = folder / "rules.dwf";
    auto* extension = new RecordingExtension;
    DWFPackageWriter writer(DWFCore::DWFFile(target.c_str()), u"", extension);
    EXPECT_THROW(writer.addSection(nullptr), DWFCore::DWFInvalidArgumentException);
    EXPECT_THROW(writer.addGlobalSection(nullptr), DWFCore::DWFInvalidArgumentException);

    // A vetoed section is neither named nor listed, and stays the caller's.
    extension->acceptSections = false;
    DWFEPlotSection vetoed(u"v", u"", 7, DWFSource());
    writer.addSection(&vetoed);
    EXPECT_EQ(utf8(vetoed.name()), "");
    EXPECT_EQ(vetoed.owner(), nullptr);
    extension->acceptSections = true;

    std::vector<DWFEPlotSection*> pages;
    for (int i = 0; i < 3; ++i)
    {
        pages.push_back(new DWFEPlotSection(u"p", u"", 9, DWFSource()));
        if (i == 0)
        {
            // A descriptor the section already had is replaced.
            pages[0]->addResource(
                new DWFResource(u"old", DWFResource::kRoleDescriptor, u"text/xml", u"old"), true);
        }
        writer.addSection(pages[i]);
        EXPECT_DOUBLE_EQ(pages[i]->plotOrder(), i + 1.0);
        EXPECT_EQ(utf8(pages[i]->name()).rfind("com.morvalex.dwf.ePlot_", 0), 0u);
    }
    EXPECT_NE(pages[0]->name(), pages[1]->name());
    EXPECT_NE(pages[1]->name(), pages[2]->name());
    EXPECT_EQ(pages[0]->findResourceByHREF(u"old"), nullptr);
    EXPECT_EQ(pages[0]->resourceCount(), 1u);
    pages[1]->addResource(resourceWith(u"custom role", memoryStream("")), true);
    pages[1]->addResource(resourceWith(u"another", new StuckInputStream), true);

    // At most one ePlot global section; other global types without limit.
    writer.addSection(new DWFEPlotGlobalSection(u"plot-global", u"", nullptr));
    DWFEPlotGlobalSection second(u"second", u"", nullptr);
    try
    {
        writer.addGlobalSection(&second);
        FAIL() << "a second ePlot global section was taken";
    }
    catch (const DWFCore::DWFUnexpectedException& e)
    {
        EXPECT_EQ(utf8(e.message()),
                  "Global section already exists [com.morvalex.dwf.ePlotGlobal]");
    }
    auto* other1 = new DWFGlobalSection(u"x.global", u"g1", u"", nullptr);
    auto* other2 = new DWFGlobalSection(u"x.global", u"g2", u"", nullptr);
    other2->addResource(resourceWith(DWFResource::kRoleFont, memoryStream("font")), true);
    writer.addGlobalSection(other1);
    writer.addGlobalSection(other2);

    // Custom sections: one without descriptor but with a resource, one with neither.
    auto* bare = new DWFCustomSection(u"vendor.kind", u"bare", u"", u"", 1, 5, DWFSource(), {1, 0});
    bare->addResource(resourceWith(DWFResource::kRoleMetadata, memoryStream("meta")), true);
    writer.addSection(bare);
    auto* empty =
        new DWFCustomSection(u"vendor.kind", u"kept-name", u"", u"", 1, 5, DWFSource(), {0, 0});
    writer.addSection(empty);
    EXPECT_DOUBLE_EQ(bare->plotOrder(), 5);
    EXPECT_EQ(bare->resourceCount(), 1u);
    EXPECT_EQ(utf8(empty->name()), "kept-name");

    extension->acceptWrite = false;
    writer.write();
    EXPECT_TRUE(folder.names().empty());
    extension->acceptWrite = true;
    writer.write(u"", u"Product", u"", u"", u"");
    EXPECT_EQ(extension->calls, "pre post-manifest post");
    EXPECT_EQ(readFile(target).substr(0, 12), "(DWF V07.02)");
    EXPECT_EQ(writer.manifest()->findProperty(u"SourceProductVendor"), nullptr);
    EXPECT_NE(writer.manifest()->findProperty(u"SourceProductName"), nullptr);
    EXPECT_NE(writer.manifest()->findProperty(u"DWFToolkitVersion"), nullptr);
    EXPECT_EQ(writer.manifest()->getInterfaces().size(), 1u);

    // A writer writes its package once.
    EXPECT_THROW(writer.write(), DWFCore::DWFIOException);

    if (!haveTool("python3"))
    {
        GTEST_SKIP() << "python3 is not installed";
    }
    Folder extracted;
    std::vector<std::string> names;
    ASSERT_TRUE(pythonEntries(target, "", extracted, names));
    std::vector<std::string> expected{"manifest.xml", "plot-global\\descriptor.xml",
                                      "g1\\descriptor.xml", "g2\\descriptor.xml",
                                      utf8(std::unique_ptr<DWFResourceContainer::ResourceIterator>(
                                               other2->findResourcesByRole(DWFResource::kRoleFont))
                                               ->get()
                                               ->zipPath())};
    for (DWFEPlotSection* page : pages)
    {
        expected.push_back(utf8(page->name()) + "\\descriptor.xml");
        if (page == pages[1])
        {
            // Roles outside the fixed order follow in role order; an empty stream and a
            // stream that never delivers both give empty entries.
            for (const char16_t* role : {u"another", u"custom role"})
            {
                std::unique_ptr<DWFResourceContainer::ResourceIterator> it(
                    page->findResourcesByRole(role));
                expected.push_back(utf8(it->get()->zipPath()));
            }
        }
    }
    std::unique_ptr<DWFResourceContainer::ResourceIterator> meta(
        bare->findResourcesByRole(DWFResource::kRoleMetadata));
    expected.push_back(utf8(meta->get()->zipPath()));
    EXPECT_EQ(names, expected);
    const std::string manifest = readFile(extracted / "0");
    EXPECT_NE(manifest.find("name=\"kept-name\""), std::string::npos);
}

TEST(DWFPackageWriter, AFileThatHoldsTheTargetsNameIsReplacedOnlyWithConsent)
{
    Folder folder;
    const std::string target = folder / "package.dwf";
    int asked = 0;
    // One sheet's package to `target`, with `consent` (when given) counted.
    const auto write = [&](std::function<bool()> consent)
    {
        DWFPackageWriter writer(DWFCore::DWFFile(target.c_str()));
        auto* section = new DWFEPlotSection(u"s", u"", 1, DWFSource());
        section->addResource(
            resourceWith(DWFResource::kRole2DStreamingGraphics,
                         new DWFBytesInputStream(std::vector<unsigned char>(10, 'x'))),
            true);
        writer.addSection(section);
        if (consent)
        {
            writer.setReplaceConsent([&asked, consent] { return ++asked, consent(); });
        }
        try
        {
            writer.write();
        }
        catch (const DWFCore::DWFIOException& e)
        {
            return utf8(e.message());
        }
        return std::string("written");
    };
    const std::string refused =
        "Failed to put the package in place of '" + target + "': File exists";

    // Nothing holds the name: nobody is asked.
    EXPECT_EQ(write([] { return false; }), "written");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(readFile(target).substr(0, 12), "(DWF V06.00)");

    // Another's file holds it: without consent it stays, and so it does on
    // a refusal; with consent it is replaced.
    writeFile(target, "another program's file");
    EXPECT_EQ(write(nullptr), refused);
    EXPECT_EQ(write([] { return false; }), refused);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readFile(target), "another program's file");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"package.dwf"});
    EXPECT_EQ(write([] { return true; }), "written");
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(readFile(target).substr(0, 12), "(DWF V06.00)");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"package.dwf"});

    // A link that leads nowhere holds it as well.
    std::remove(target.c_str());
    ASSERT_EQ(::symlink((folder / "nowhere").c_str(), target.c_str()), 0);
    EXPECT_EQ(write(nullptr), refused);
    EXPECT_TRUE(fs::is_symlink(target));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"package.dwf"});
}
