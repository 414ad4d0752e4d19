// A model published into a package file: checked with independent tools and
// read back through our own readers; failures leave the target as it was.
#include "PackageTestSupport.h"

#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Property.h"
#include "dwf/publisher/Texture.h"
#include "dwf/publisher/impl/PackagePublisher.h"
#include "dwf/w3dtk/stream/stream_reader.h"
#include "dwfcore/TempFileRegistry.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

using namespace DWFToolkit;
using namespace PublisherTest;

namespace
{

std::string decimal(DWFSegment::tKey key)
{
    return std::to_string(key);
}

std::string const kThumbnail = "thumbnail bytes \xff\xd8\xff\xe0 of the part";
std::string const kTexture = "texture bytes \xff\xd8\xff\xe0 of the wood";

std::unique_ptr<DWFPackagePublisher> makePublisher(const std::string& target,
                                                   const std::string& password)
{
    return std::make_unique<DWFPackagePublisher>(
        DWFCore::DWFFile(target.c_str()), DWFCore::DWFString(password.c_str()), u"Morvalex Inc.",
        u"Morvalex Tallowmere", u"9.0", u"Morvalex Inc.", u"1.0");
}

//
// The model the part publisher builds, by hand: an unnamed root with a
// thumbnail, the part's geometry in an include segment with a texture,
// included into the root under the title, and a named child with properties
// holding a named and an unnamed instance of the same geometry.
//
struct HandBuiltModel
{
    DWFModel& model;
    DWFSegment::tKey root = 0, part = 0, child = 0, copy = 0, plain = 0;

    explicit HandBuiltModel(DWFModel& target) : model(target)
    {
        model.open(0, 1, nullptr, true, true);
        auto* thumbnail = new DWFImage(u"image/jpeg", DWFImage::eThumbnail, 24, 64, 48);
        thumbnail->setInputStream(bytesStream(kThumbnail), true);
        model.addResource(thumbnail);

        DWFSegment rootSegment = model.openSegment();
        rootSegment.open();
        DWFIncludeSegment partSegment = model.openIncludeSegment();
        partSegment.open(u"");
        auto* texture = new DWFTexture(u"wood", u"image/jpeg", 24, 256, 128);
        texture->setInputStream(bytesStream(kTexture), true);
        model.addResource(texture);
        partSegment.addProperty(DWFProperty(u"Material", u"Oak", u"Physical"));
        partSegment.close();
        rootSegment.include(partSegment, u"Bracket");

        DWFSegment childSegment = rootSegment.openSegment();
        childSegment.open(u"Child", true);
        childSegment.addProperty(DWFProperty(u"Mass", u"1.5", u"Physical"));
        DWFSegment copySegment = childSegment.openSegment();
        copySegment.open();
        copySegment.include(partSegment, u"copy");
        copySegment.close();
        DWFSegment plainSegment = childSegment.openSegment();
        plainSegment.open();
        plainSegment.include(partSegment);
        plainSegment.close();
        childSegment.close();
        rootSegment.close();
        model.addProperty(new DWFProperty(u"Author", u"Quill", u"Summary"), true);
        model.close();

        root = rootSegment.key();
        part = partSegment.key();
        child = childSegment.key();
        copy = copySegment.key();
        plain = plainSegment.key();
    }
};

// What a W3D stream says about its segments, read through W3DStreamReader.
struct StreamSegments
{
    TK_Status status = TK_Error;
    // The stream index of each tagged segment, by its path ("" when unnamed, in order).
    std::multimap<std::string, int> indexByPath;
    // The index of the segment each include record stands in, by included path.
    std::multimap<std::string, int> includerByPath;
    std::vector<std::string> images;
};

StreamSegments readSegments(DWFCore::DWFInputStream& stream)
{
    StreamSegments seen;
    BStreamFileToolkit toolkit;
    W3DStreamReader reader(toolkit, &stream, 97);
    struct Open
    {
        std::string path;
        int index;
    };
    std::vector<Open> open;
    int tags = 0;
    reader.setObserver(
        [&](BBaseOpcodeHandler& handler)
        {
            if (auto* segment = dynamic_cast<TK_Open_Segment*>(&handler))
                open.push_back({segment->GetSegment(), -1});
            else if (handler.Opcode() == ')' && !open.empty())
            {
                if (open.back().index >= 0)
                    seen.indexByPath.emplace(open.back().path, open.back().index);
                open.pop_back();
            }
            else if (handler.Opcode() == 'q')
            {
                // The n-th tag of a stream stands for index n.
                if (!open.empty())
                    open.back().index = tags;
                ++tags;
            }
            else if (auto* include = dynamic_cast<TK_Referenced_Segment*>(&handler))
            {
                if (handler.Opcode() == '<' && !open.empty())
                    seen.includerByPath.emplace(include->GetSegment(), open.back().index);
            }
            else if (auto* image = dynamic_cast<W3D_Image*>(&handler))
                seen.images.push_back(image->GetName());
        });
    seen.status = reader.read();
    return seen;
}

class PackagePublishOnce : public TempFolderTest
{
protected:
    TargetFolder targets;
};

class PackagePublish : public PackagePublishOnce, public ::testing::WithParamInterface<std::string>
{
};

INSTANTIATE_TEST_SUITE_P(Passwords, PackagePublish, ::testing::Values("", "Secret-7 pw"),
                         [](const ::testing::TestParamInfo<std::string>& info)
                         { return info.param.empty() ? "Plain" : "Encrypted"; });

TEST_P(PackagePublish, AHandBuiltModelBecomesAPackageThatToolsAndReadersAccept)
{
    std::string const password = GetParam();
    std::string const target = targets / "part.dwf";
    DWFModel model(u"Bracket", u"Provider", u"source-id");
    HandBuiltModel const built(model);
    auto publisher = makePublisher(target, password);
    model.publish(*publisher);
    publisher->writePackage();
    std::string const w3d = [&]
    {
        Bytes const bytes = readAll(model.getInputStream());
        return std::string(bytes.begin(), bytes.end());
    }();

    std::string const bytes = readFile(target);
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 12), "(DWF V06.01)");
    EXPECT_EQ(targets.names(), std::vector<std::string>{"part.dwf"});

    // The entries the writer made, in the order it must have made them.
    DWFSection& section = *publisher->packageWriter().manifest()->getContentSections().at(0);
    auto entry = [&](const char16_t* role)
    {
        DWFResource* resource = onlyResource(section, role);
        return resource ? utf8(resource->zipPath()) : std::string("<missing>");
    };
    std::vector<std::string> const expected{
        "75E513A9-6C41-4C91-BAA6-81E593FAAC10.TYPEINFO", "manifest.xml",
        utf8(section.name()) + "\\descriptor.xml",       entry(DWFResource::kRoleThumbnail),
        entry(DWFResource::kRole3DStreamingGraphics),    entry(DWFResource::kRoleTexture),
        entry(DWFResource::kRoleObjectDefinition)};

    if (haveTool("python3"))
    {
        std::vector<std::string> const names = zipfileEntries(target, password, targets.path);
        EXPECT_EQ(names, expected);
        // The type entry is empty; the others hold the model's bytes.
        std::map<std::size_t, std::string> const contents{
            {0, ""}, {3, kThumbnail}, {4, w3d}, {5, kTexture}};
        std::size_t xml = 0;
        for (std::size_t i = 0; i < names.size(); ++i)
        {
            std::string const file = targets / std::to_string(i);
            std::string const content = readFile(file);
            auto const known = contents.find(i);
            if (known != contents.end())
            {
                EXPECT_EQ(content, known->second) << names[i];
            }
            if (content.rfind("<", 0) == 0)
            {
                ++xml;
                if (haveTool("xmllint"))
                {
                    std::string output;
                    EXPECT_EQ(runCapturing("xmllint --noout " + quoted(file), output), 0)
                        << names[i] << ": " << output;
                }
            }
            ::unlink(file.c_str());
        }
        EXPECT_EQ(xml, 3u) << "manifest, descriptor and object definition";
        if (!haveTool("xmllint"))
            std::fprintf(stderr, "xmllint is not installed: XML entries not checked\n");
    }
    else
        std::fprintf(stderr, "python3 is not installed: entries not checked with zipfile\n");

    if (haveTool("7z"))
    {
        std::string output;
        EXPECT_EQ(runCapturing("7z t -p" + quoted(password) + " " + quoted(target), output), 0)
            << output;
        if (!password.empty())
        {
            EXPECT_NE(runCapturing("7z t -pWRONG " + quoted(target), output), 0)
                << "the entries are encrypted";
        }
    }
    else
        std::fprintf(stderr, "7z is not installed: archive not tested with it\n");

    // Our own readers, with the password.
    ReadBack read(target, password);
    EXPECT_EQ(utf8(read.manifest.findProperty(u"SourceProductName")->value()),
              "Morvalex Tallowmere");
    EXPECT_EQ(utf8(read.manifest.findProperty(u"DWFProductVersion")->value()), "1.0");
    ASSERT_EQ(read.manifest.getContentSections().size(), 1u);
    auto* space = dynamic_cast<DWFEModelSection*>(read.manifest.getContentSections()[0]);
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(utf8(space->title()), "Bracket");
    EXPECT_EQ(utf8(space->source().provider()), "Provider");
    EXPECT_EQ(utf8(space->source().objectID()), "source-id");
    ASSERT_NE(space->units(), nullptr);
    EXPECT_EQ(utf8(space->units()->type()), "cm");
    EXPECT_EQ(propertyValue(*space, u"Author", u"Summary"), "Quill");

    auto* graphics = dynamic_cast<DWFGraphicResource*>(
        onlyResource(*space, DWFResource::kRole3DStreamingGraphics));
    ASSERT_NE(graphics, nullptr);
    EXPECT_EQ(utf8(graphics->title()), "Bracket");
    EXPECT_EQ(utf8(graphics->mime()), "application/x-w3d");
    EXPECT_EQ(propertyValue(*graphics, u"_UseDefaultLighting", u"hidden"), "1");
    EXPECT_EQ(propertyValue(*graphics, u"_PolygonHandedness", u"hidden"), "left");
    EXPECT_EQ(propertyValue(*graphics, u"_UseSilhouetteEdges", u"hidden"), "1");
    EXPECT_EQ(std::vector<double>(graphics->extents(), graphics->extents() + 4),
              std::vector<double>(4, 0.0));
    EXPECT_EQ(graphics->transform()[0], 1.0);

    auto* thumbnail =
        dynamic_cast<DWFImageResource*>(onlyResource(*space, DWFResource::kRoleThumbnail));
    auto* texture =
        dynamic_cast<DWFImageResource*>(onlyResource(*space, DWFResource::kRoleTexture));
    ASSERT_NE(thumbnail, nullptr);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(utf8(thumbnail->title()), "");
    EXPECT_EQ(utf8(texture->title()), "wood");
    EXPECT_EQ(utf8(texture->mime()), "image/jpeg");
    EXPECT_EQ(int(texture->colorDepth()), 24);
    EXPECT_EQ(std::vector<double>(texture->extents(), texture->extents() + 4),
              (std::vector<double>{0, 0, 256, 128}));
    EXPECT_EQ(thumbnail->extents()[2], 64.0);
    EXPECT_EQ(utf8(texture->parentObjectID()), utf8(graphics->objectID()));
    EXPECT_FALSE(graphics->objectID().chars() == 0);

    // The W3D resource, back through the stream reader.
    std::unique_ptr<DWFCore::DWFInputStream> stream(read.reader.getInputStream(
        DWFCore::DWFString(entry(DWFResource::kRole3DStreamingGraphics).c_str()), false));
    ASSERT_NE(stream, nullptr);
    StreamSegments const segments = readSegments(*stream);
    EXPECT_EQ(segments.status, TK_Ended);
    EXPECT_EQ(segments.images, std::vector<std::string>{"wood"});
    std::string const library = "?Include Library/" + decimal(built.part);
    ASSERT_EQ(segments.indexByPath.count(library), 1u);
    ASSERT_EQ(segments.indexByPath.count(decimal(built.child)), 1u);
    int const partIndex = segments.indexByPath.find(library)->second;
    int const childIndex = segments.indexByPath.find(decimal(built.child))->second;
    // The root is the first unnamed segment; the two instances include the part.
    std::vector<int> includers;
    for (auto [from, to] = segments.includerByPath.equal_range(library); from != to; ++from)
        includers.push_back(from->second);
    ASSERT_EQ(includers.size(), 3u);
    int const rootIndex = includers[0];
    int const copyIndex = includers[1];
    int const plainIndex = includers[2];

    // The object definition names every published object; its instances
    // carry the W3D indices.
    std::unique_ptr<DWFObjectDefinition> definition(space->getObjectDefinition());
    ASSERT_NE(definition, nullptr);
    auto object = [&](DWFSegment::tKey key)
    { return definition->findObject(DWFCore::DWFString(decimal(key).c_str())); };
    ASSERT_NE(object(built.root), nullptr);
    ASSERT_NE(object(built.part), nullptr);
    ASSERT_NE(object(built.child), nullptr);
    EXPECT_EQ(definition->getObjects().size(), 3u);
    EXPECT_EQ(propertyValue(*object(built.root), u"_name", u"hidden"), "Bracket");
    EXPECT_EQ(propertyValue(*object(built.child), u"_name", u"hidden"), "Child");
    EXPECT_EQ(propertyValue(*object(built.part), u"_name", u"hidden"), "");
    EXPECT_EQ(propertyValue(*object(built.part), u"Material", u"Physical"), "Oak");

    std::map<std::string, DWFDefinedObjectInstance*> byNodes;
    for (const auto& [id, instance] : definition->getInstances())
        byNodes[utf8(instance->nodes())] = instance.get();
    auto instanceAt = [&](int index) -> DWFDefinedObjectInstance&
    {
        auto found = byNodes.find(std::to_string(index));
        if (found == byNodes.end())
            throw std::runtime_error("no instance for index " + std::to_string(index));
        return *found->second;
    };
    EXPECT_EQ(byNodes.size(), 4u) << "root, child and two includes; the part has none";
    EXPECT_EQ(byNodes.count(std::to_string(partIndex)), 0u);
    EXPECT_EQ(utf8(instanceAt(rootIndex).objectReference()), decimal(built.root));
    EXPECT_EQ(utf8(instanceAt(childIndex).objectReference()), decimal(built.child));
    EXPECT_EQ(utf8(instanceAt(copyIndex).objectReference()), decimal(built.part));
    EXPECT_EQ(utf8(instanceAt(plainIndex).objectReference()), decimal(built.part));
    EXPECT_EQ(propertyValue(instanceAt(rootIndex), u"Material", u"Physical"), "Oak");
    EXPECT_EQ(propertyValue(instanceAt(childIndex), u"Mass", u"Physical"), "1.5");
    EXPECT_EQ(propertyValue(instanceAt(copyIndex), u"_name", u"hidden"), "copy");
    EXPECT_EQ(instanceAt(plainIndex).findProperty(u"_name", u"hidden"), nullptr);
    EXPECT_EQ(instanceAt(rootIndex).getChildReferences(),
              DWFDefinedObject::tReferences{instanceAt(childIndex).id()});
    EXPECT_EQ(
        instanceAt(childIndex).getChildReferences(),
        (DWFDefinedObject::tReferences{instanceAt(copyIndex).id(), instanceAt(plainIndex).id()}));
}

// The W3D bytes of the model pass through a stream that fails part-way: it
// throws, or with `interrupt` the process gets SIGTERM there.
class BrokenStreamModel : public DWFModel
{
public:
    explicit BrokenStreamModel(std::size_t failAfter, bool interrupt = false)
        : DWFModel(u"Broken", u"", u""), _failAfter(failAfter), _interrupt(interrupt)
    {
    }

    DWFCore::DWFInputStream* getInputStream() override
    {
        return new Breaking(DWFModel::getInputStream(), _failAfter, _interrupt);
    }

private:
    class Breaking : public DWFCore::DWFInputStream
    {
    public:
        Breaking(DWFCore::DWFInputStream* source, std::size_t failAfter, bool interrupt)
            : _source(source), _left(failAfter), _interrupt(interrupt)
        {
        }
        size_t available() const override { return _source->available(); }
        size_t read(void* buffer, size_t bytes) override
        {
            if (_left == 0)
            {
                if (_interrupt)
                    ::raise(SIGTERM);
                DWFCORE_THROW(DWFIOException, u"The W3D file went away", "Breaking::read");
            }
            size_t const got = _source->read(buffer, std::min(bytes, _left));
            _left -= got;
            return got;
        }
        long seek(int origin, long offset) override { return _source->seek(origin, offset); }

    private:
        std::unique_ptr<DWFCore::DWFInputStream> _source;
        std::size_t _left;
        bool _interrupt;
    };

    std::size_t _failAfter;
    bool _interrupt;
};

TEST_P(PackagePublish, AResourceStreamFailingPartWayLeavesThePreviousPackageAndNothingBehind)
{
    std::string const target = targets / "part.dwf";
    writeFile(target, "the previous package");
    {
        BrokenStreamModel model(40);
        HandBuiltModel const built(model);
        auto publisher = makePublisher(target, GetParam());
        model.publish(*publisher);
        try
        {
            publisher->writePackage();
            ADD_FAILURE() << "the broken stream went unnoticed";
        }
        catch (const DWFCore::DWFIOException& e)
        {
            EXPECT_EQ(utf8(e.message()), "The W3D file went away");
        }
        EXPECT_EQ(readFile(target), "the previous package");
        EXPECT_EQ(targets.names(), std::vector<std::string>{"part.dwf"});
        EXPECT_EQ(files().size(), 1u) << "only the model's own W3D file, while it lives";
    }
    // The model took its file with it (the fixture checks $TMPDIR is empty).
    EXPECT_EQ(files(), std::vector<std::string>());
}

TEST_P(PackagePublish, AnInterruptedWriteLeavesThePreviousPackageAndNothingBehind)
{
    std::string const target = targets / "part.dwf";
    writeFile(target, "the previous package");
    std::fflush(nullptr);
    pid_t const child = ::fork();
    if (child == 0)
    {
        // As the program does: the interrupting signals remove every
        // temporary file (the model's stream, the package being written).
        std::signal(SIGTERM, SIG_DFL);
        DWFCore::DWFTempFileRegistry::removeOnSignals();
        BrokenStreamModel model(40, true);
        HandBuiltModel const built(model);
        auto publisher = makePublisher(target, GetParam());
        model.publish(*publisher);
        swallow([&] { publisher->writePackage(); });
        ::_exit(3); // never reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(readFile(target), "the previous package");
    EXPECT_EQ(targets.names(), std::vector<std::string>{"part.dwf"});
    EXPECT_EQ(files(), std::vector<std::string>());
}

TEST_P(PackagePublish, AFailedPublishWritesNoPackageAtAll)
{
    std::string const target = targets / "part.dwf";
    writeFile(target, "the previous package");
    DWFModel model(u"Part", u"", u"");
    model.open();
    model.addResource(new DWFImage(u"image/jpeg", DWFImage::eThumbnail, 24, 10, 10));
    model.close();

    auto publisher = makePublisher(target, GetParam());
    EXPECT_DWF_THROW(model.publish(*publisher), DWFNullPointerException,
                     "No stream bound to object");
    EXPECT_DWF_THROW(publisher->writePackage(), DWFUnexpectedException,
                     "The publish of a model did not finish; its section is incomplete");

    // A good model published afterwards does not make the first one whole.
    DWFModel good(u"Good", u"", u"");
    good.open();
    good.close();
    good.publish(*publisher);
    EXPECT_THROW(publisher->publish(), DWFCore::DWFUnexpectedException);
    EXPECT_EQ(readFile(target), "the previous package");
    EXPECT_EQ(targets.names(), std::vector<std::string>{"part.dwf"});
}

TEST_F(PackagePublishOnce, EveryModelBecomesASectionOfItsOwnWithOnlyItsOwnFonts)
{
    class Font : public DWFEmbeddedFontImpl
    {
    public:
        explicit Font(const char16_t* name) : _name(name) {}
        void embed() override { ++embedded; }
        DWFCore::DWFInputStream* getInputStream() override { return bytesStream("font bytes"); }
        const DWFCore::DWFString& getFaceName() override { return _name; }
        const DWFCore::DWFString& getLogfontName() override { return _name; }
        std::int32_t getRequest() override { return 7; }
        DWFFontResource::tePrivilege getPrivilege() override
        {
            return DWFFontResource::eInstallable;
        }
        DWFFontResource::teCharacterCode getCharacterCode() override
        {
            return DWFFontResource::eSymbol;
        }
        int embedded = 0;

    private:
        DWFCore::DWFString _name;
    };

    std::string const target = targets / "two.dwf";
    auto publisher = makePublisher(target, "");
    DWFModel first(u"First", u"", u"");
    first.open(1, 3);
    auto* font = new Font(u"Serif");
    first.embedFont(new DWFEmbeddedFont(font));
    first.close();
    first.publish(*publisher);
    EXPECT_EQ(font->embedded, 1);

    DWFModel second(u"Second", u"", u"");
    second.open(7, 4, nullptr, false);
    second.getSpotLightHandler(); // a light ends default lighting
    second.close();
    second.publish(*publisher);
    EXPECT_EQ(font->embedded, 1) << "the first model's font stays with its section";
    publisher->writePackage();

    ReadBack read(target, "");
    ASSERT_EQ(read.manifest.getContentSections().size(), 2u);
    DWFSection& one = *read.manifest.getContentSections()[0];
    DWFSection& two = *read.manifest.getContentSections()[1];
    EXPECT_EQ(utf8(one.title()), "First");
    EXPECT_EQ(utf8(two.title()), "Second");
    // The writer numbers the sections it is given.
    EXPECT_EQ(one.plotOrder(), 1.0);
    EXPECT_EQ(two.plotOrder(), 2.0);
    EXPECT_EQ(utf8(dynamic_cast<DWFEModelSection&>(one).units()->type()), "in");
    EXPECT_EQ(utf8(dynamic_cast<DWFEModelSection&>(two).units()->type()), "ft");

    auto* fontResource = dynamic_cast<DWFFontResource*>(onlyResource(one, DWFResource::kRoleFont));
    ASSERT_NE(fontResource, nullptr);
    EXPECT_EQ(utf8(fontResource->canonicalName()), "Serif");
    EXPECT_EQ(fontResource->request(), 7);
    EXPECT_EQ(fontResource->privilege(), DWFFontResource::eInstallable);
    EXPECT_EQ(fontResource->characterCode(), DWFFontResource::eSymbol);
    EXPECT_EQ(onlyResource(two, DWFResource::kRoleFont), nullptr);
    std::unique_ptr<DWFCore::DWFInputStream> bytes(fontResource->getInputStream());
    ASSERT_NE(bytes, nullptr);
    Bytes const fontBytes = readAll(bytes.release());
    EXPECT_EQ(std::string(fontBytes.begin(), fontBytes.end()), "font bytes");

    auto* oneGraphics = onlyResource(one, DWFResource::kRole3DStreamingGraphics);
    auto* twoGraphics = onlyResource(two, DWFResource::kRole3DStreamingGraphics);
    ASSERT_NE(oneGraphics, nullptr);
    ASSERT_NE(twoGraphics, nullptr);
    EXPECT_EQ(propertyValue(*oneGraphics, u"_PolygonHandedness", u"hidden"), "right");
    EXPECT_EQ(propertyValue(*oneGraphics, u"_UseDefaultLighting", u"hidden"), "1");
    EXPECT_EQ(propertyValue(*twoGraphics, u"_PolygonHandedness", u"hidden"), "none");
    EXPECT_EQ(propertyValue(*twoGraphics, u"_UseDefaultLighting", u"hidden"), "0");
}

} // namespace
