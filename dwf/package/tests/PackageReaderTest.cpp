#include "dwf/package/Bookmark.h"
#include "dwf/package/Dependency.h"
#include "dwf/package/FontResource.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Interface.h"
#include "dwf/package/ObjectDefinition.h"
#include "dwf/package/ObjectDefinitionResource.h"
#include "dwf/package/Paper.h"
#include "dwf/package/Property.h"
#include "dwf/package/Resource.h"
#include "dwf/package/Source.h"
#include "dwf/package/Units.h"
#include "dwf/package/reader/EModelSectionDescriptorReader.h"
#include "dwf/package/reader/EPlotSectionDescriptorReader.h"
#include "dwf/package/reader/GlobalSectionDescriptorReader.h"
#include "dwf/package/reader/ManifestReader.h"
#include "dwf/package/reader/ZipPackageReader.h"
#include "dwf/package/utility/ResourceContainer.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/zip/Writer.h"

#include "ReaderTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace DWFToolkit;
using DWFCore::DWFString;
using PackageTest::Attributes;
using PackageTest::parse;
using PackageTest::StringOutputStream;
using PackageTest::utf8;

namespace
{

constexpr unsigned kEPlotDescriptor = DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEPlot;
constexpr unsigned kEModelDescriptor =
    DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEModel;

// Writes a document whose root is prefix:name with `attributes`, filled by `body`.
template <class Body>
std::string document(const DWFString& prefix, const DWFString& name,
                     std::initializer_list<std::pair<const char16_t*, const char16_t*>> attributes,
                     Body body)
{
    DWFCore::DWFUUID uuid;
    StringOutputStream out;
    DWFXMLSerializer serializer(uuid);
    serializer.attach(out);
    serializer.startElement(name, prefix);
    for (const auto& attribute : attributes)
    {
        serializer.addAttribute(attribute.first, attribute.second);
    }
    body(serializer);
    serializer.endElement();
    serializer.detach();
    return out.text;
}

// The attributes a resource writes in descriptor form, without its properties.
std::string attributesOf(DWFResource& resource, unsigned flags)
{
    DWFCore::DWFUUID uuid;
    StringOutputStream out;
    DWFXMLSerializer serializer(uuid);
    serializer.attach(out);
    serializer.startElement(u"x");
    resource.serializeXML(serializer, flags | DWFXMLSerializable::eElementOpen);
    serializer.endElement();
    serializer.detach();
    return out.text;
}

std::string describe(const DWFProperty& property)
{
    return utf8(property.name()) + "|" + utf8(property.value()) + "|" + utf8(property.category()) +
           "|" + utf8(property.type()) + "|" + utf8(property.units());
}

std::vector<std::string> propertiesOf(DWFPropertyContainer& container)
{
    std::vector<std::string> out;
    std::unique_ptr<DWFCore::DWFIterator<DWFProperty*>> it(container.getProperties());
    for (; it && it->valid(); it->next())
    {
        out.push_back(describe(*it->get()));
    }
    return out;
}

// Keeps everything the ePlot reader provides, in order.
class EPlotCollector : public DWFEPlotSectionDescriptorReader
{
public:
    using DWFEPlotSectionDescriptorReader::DWFEPlotSectionDescriptorReader;

    DWFString provideName(const DWFString& name) override
    {
        log.push_back("name=" + utf8(name));
        return name;
    }
    DWFString provideObjectID(const DWFString& id) override
    {
        log.push_back("objectId=" + utf8(id));
        return id;
    }
    double provideVersion(double version) override
    {
        log.push_back("version=" + std::to_string(version));
        return version;
    }
    double providePlotOrder(double order) override
    {
        log.push_back("plotOrder=" + std::to_string(order));
        return order;
    }
    std::uint32_t provideColor(std::uint32_t color) override
    {
        log.push_back("color=" + std::to_string(color));
        return color;
    }
    DWFPaper* providePaper(DWFPaper* paper) override
    {
        log.push_back("paper");
        papers.emplace_back(paper);
        return paper;
    }
    DWFProperty* provideProperty(DWFProperty* property) override
    {
        log.push_back("property");
        properties.emplace_back(property);
        return property;
    }
    DWFResource* provideResource(DWFResource* resource) override
    {
        return keep("resource", resource);
    }
    DWFFontResource* provideFontResource(DWFFontResource* resource) override
    {
        return keep("font", resource);
    }
    DWFGraphicResource* provideGraphicResource(DWFGraphicResource* resource) override
    {
        return keep("graphic", resource);
    }
    DWFImageResource* provideImageResource(DWFImageResource* resource) override
    {
        return keep("image", resource);
    }

    template <class T> T* keep(const char* kind, T* resource)
    {
        log.push_back(kind);
        resources.emplace_back(resource);
        return resource;
    }

    std::vector<std::string> log;
    std::vector<std::unique_ptr<DWFPaper>> papers;
    std::vector<std::unique_ptr<DWFProperty>> properties;
    std::vector<std::unique_ptr<DWFResource>> resources;
};

// A section descriptor with one of each thing an ePlot page carries.
struct EPlotFixture
{
    EPlotFixture()
    {
        const double clip[4] = {1.5, 2.5, 30.25, 40.125};
        paper.reset(new DWFPaper(297, 210, DWFPaper::eMillimeters, 0x00102030, clip, true));
        pageProperties.addProperty(new DWFProperty(u"Author", u"A & B <c>", u"Doc", u"text"), true);
        pageProperties.addProperty(new DWFProperty(u"Sheet", u"1"), true);

        auto* plain = new DWFResource(u"Plain", DWFResource::kRoleMetadata, u"text/plain");
        plain->addProperty(new DWFProperty(u"Kind", u"plain"), true);
        resources.addResource(plain, true);

        auto* graphic = new DWFGraphicResource(u"Sheet 1", DWFResource::kRole2DStreamingGraphics,
                                               u"application/x-w2d", u"me", u"drawing",
                                               u"2026-01-01", u"2026-01-02");
        const double transform[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 10, 20, 0, 1};
        const double extents[4] = {0, 0, 100.5, 200.25};
        graphic->setGraphicAttributes(transform, extents, clip, false, 7, 300,
                                      DWFGraphicResource::eAlwaysDifferent);
        graphic->addProperty(new DWFProperty(u"Layer", u"0", u"Graphics"), true);
        resources.addResource(graphic, true);

        auto* image = new DWFImageResource(u"Thumb", DWFResource::kRoleThumbnail, u"image/png");
        const double original[4] = {0, 0, 64, 48};
        image->setImageAttributes(24, true, true, 150, original);
        resources.addResource(image, true);

        auto* font = new DWFFontResource(3, DWFFontResource::eEditable, DWFFontResource::eSymbol,
                                         u"Canon", u"Logfont");
        resources.addResource(font, true);

        text = document(
            u"ePlot:", u"Page",
            {{u"xmlns:ePlot", u"DWF-ePlot:1.2"},
             {u"version", u"1.2"},
             {u"name", u"Sheet One"},
             {u"objectId", u"OBJ-1"},
             {u"plotOrder", u"3"},
             {u"color", u"10 20 300"}},
            [&](DWFXMLSerializer& serializer)
            {
                paper->serializeXML(serializer, kEPlotDescriptor);
                pageProperties.getSerializable().serializeXML(serializer, kEPlotDescriptor);
                resources.getResourceSerializable().serializeXML(serializer, kEPlotDescriptor);
            });
    }

    std::unique_ptr<DWFPaper> paper;
    DWFPropertyContainer pageProperties;
    DWFResourceContainer resources;
    std::string text;
};

} // namespace

TEST(DWFEPlotSectionDescriptorReader, ReadsBackEverythingAPageDescriptorCarries)
{
    EPlotFixture fixture;
    EPlotCollector reader;
    parse(fixture.text, reader);

    const std::vector<std::string> expected = {
        "version=1.200000", "name=Sheet One", "objectId=OBJ-1", "plotOrder=3.000000",
        // 300 keeps its low eight bits (44).
        "color=" + std::to_string((10u << 16) | (20u << 8) | 44u), "paper", "property", "property",
        // Role order of the resource container: 2d streaming graphics, font, metadata, thumbnail.
        "graphic", "font", "resource", "image"};
    EXPECT_EQ(reader.log, expected);
    EXPECT_EQ(reader.depth(), 0u);

    ASSERT_EQ(reader.papers.size(), 1u);
    EXPECT_EQ(PackageTest::serialize(*reader.papers[0], kEPlotDescriptor),
              PackageTest::serialize(*fixture.paper, kEPlotDescriptor));
    EXPECT_EQ(reader.papers[0]->units(), DWFPaper::eMillimeters);

    ASSERT_EQ(reader.properties.size(), 2u);
    std::vector<std::string> read;
    for (const auto& property : reader.properties)
    {
        read.push_back(describe(*property));
    }
    EXPECT_EQ(read, propertiesOf(fixture.pageProperties));

    // Each resource reads back with the same attributes and its own properties,
    // which were not provided on their own.
    ASSERT_EQ(reader.resources.size(), 4u);
    for (const auto& resource : reader.resources)
    {
        DWFResource* original = fixture.resources.findResourceByHREF(resource->href());
        ASSERT_NE(original, nullptr) << utf8(resource->href());
        EXPECT_EQ(attributesOf(*resource, kEPlotDescriptor),
                  attributesOf(*original, kEPlotDescriptor));
        EXPECT_EQ(propertiesOf(*resource), propertiesOf(*original));
    }
}

TEST(DWFEPlotSectionDescriptorReader, MaskRootAndPrefixRules)
{
    EPlotFixture fixture;
    {
        // objectId alone does not open the root's attributes.
        EPlotCollector reader(nullptr, DWFEPlotSectionDescriptorReader::eProvideObjectID);
        parse(fixture.text, reader);
        EXPECT_TRUE(reader.log.empty());
    }
    {
        EPlotCollector reader(nullptr, DWFEPlotSectionDescriptorReader::eProvideName |
                                           DWFEPlotSectionDescriptorReader::eProvideObjectID |
                                           DWFEPlotSectionDescriptorReader::eProvideResources |
                                           DWFEPlotSectionDescriptorReader::eProvideImageResource);
        parse(fixture.text, reader);
        EXPECT_EQ(reader.log,
                  (std::vector<std::string>{"name=Sheet One", "objectId=OBJ-1", "image"}));
    }
    {
        // Another root: its attributes, nothing below it.
        std::string space = fixture.text;
        space.replace(space.find("ePlot:Page"), 10, "eModel:Spc");
        space.replace(space.rfind("ePlot:Page"), 10, "eModel:Spc");
        EPlotCollector reader;
        parse(space, reader);
        EXPECT_EQ(reader.log.size(), 5u);
        EXPECT_TRUE(reader.papers.empty() && reader.resources.empty());
    }
    {
        EPlotCollector reader;
        parse("<Page><dwf:Paper width=\"1\"/><ePlot:Paper width=\"2\"/><eModel:Paper width=\"3\"/>"
              "<Paper width=\"4\"/></Page>",
              reader);
        ASSERT_EQ(reader.papers.size(), 3u);
        EXPECT_EQ(reader.papers[2]->width(), 4);
    }
}

TEST(DWFEPlotSectionDescriptorReader, ProvideFilterSeesEveryValueFirst)
{
    EPlotFixture fixture;
    EPlotCollector filter;
    EPlotCollector reader;
    reader.setProvideFilter(&filter);
    parse(fixture.text, reader);
    EXPECT_EQ(filter.log, reader.log);
    // The filter kept the objects it returned; the reader got the same pointers.
    ASSERT_EQ(reader.papers.size(), 1u);
    EXPECT_EQ(reader.papers[0].get(), filter.papers[0].get());
    for (auto& paper : filter.papers)
    {
        paper.release();
    }
    for (auto& property : filter.properties)
    {
        property.release();
    }
    for (auto& resource : filter.resources)
    {
        resource.release();
    }
}

namespace
{

class EModelCollector : public DWFEModelSectionDescriptorReader
{
public:
    DWFString provideName(const DWFString& name) override
    {
        name_ = utf8(name);
        return name;
    }
    double providePlotOrder(double order) override
    {
        plotOrder = order;
        return order;
    }
    DWFUnits* provideUnits(DWFUnits* units) override
    {
        this->units.emplace_back(units);
        return units;
    }
    DWFGraphicResource* provideGraphicResource(DWFGraphicResource* resource) override
    {
        graphics.emplace_back(resource);
        return resource;
    }

    std::string name_;
    double plotOrder = 0;
    std::vector<std::unique_ptr<DWFUnits>> units;
    std::vector<std::unique_ptr<DWFGraphicResource>> graphics;
};

} // namespace

TEST(DWFEModelSectionDescriptorReader, ReadsBackUnitsAndResources)
{
    DWFUnits units(DWFUnits::eFeet);
    DWFResourceContainer resources;
    auto* model = new DWFGraphicResource(u"Model", DWFResource::kRole3DStreamingGraphics,
                                         u"application/x-w3dstream");
    model->addProperty(new DWFProperty(u"Material", u"Steel"), true);
    resources.addResource(model, true);
    // Dropped by the base provide operation; ASan's leak check sees that it is freed.
    resources.addResource(new DWFImageResource(u"T", DWFResource::kRoleTexture, u"image/jpeg"),
                          true);
    const std::string text = document(
        u"eModel:", u"Space", {{u"version", u"1.0"}, {u"name", u"Part"}, {u"plotOrder", u"0.5"}},
        [&](DWFXMLSerializer& serializer)
        {
            units.serializeXML(serializer, kEModelDescriptor);
            resources.getResourceSerializable().serializeXML(serializer, kEModelDescriptor);
        });
    EModelCollector reader;
    parse(text, reader);
    EXPECT_EQ(reader.name_, "Part");
    EXPECT_EQ(reader.plotOrder, 0.5);
    ASSERT_EQ(reader.units.size(), 1u);
    EXPECT_EQ(utf8(reader.units[0]->type()), "ft");
    ASSERT_EQ(reader.graphics.size(), 1u);
    EXPECT_EQ(attributesOf(*reader.graphics[0], kEModelDescriptor),
              attributesOf(*model, kEModelDescriptor));
    EXPECT_EQ(propertiesOf(*reader.graphics[0]), propertiesOf(*model));
}

namespace
{

class GlobalCollector : public DWFGlobalSectionDescriptorReader
{
public:
    DWFBookmark* provideBookmark(DWFBookmark* root) override
    {
        roots.emplace_back(root);
        return root;
    }
    std::vector<std::unique_ptr<DWFBookmark>> roots;
};

// "name(child child ...)" for a bookmark tree, iteratively deep enough for the tests.
std::string shape(const DWFBookmark& bookmark)
{
    std::string out = utf8(bookmark.name());
    if (!bookmark.getChildBookmarks().empty())
    {
        out += "(";
        for (const DWFBookmark* child : bookmark.getChildBookmarks())
        {
            out += shape(*child) + " ";
        }
        out += ")";
    }
    return out;
}

std::size_t treeDepth(const DWFBookmark& root)
{
    std::size_t depth = 0;
    for (const DWFBookmark* at = &root; at; ++depth)
    {
        at = at->getChildBookmarks().empty() ? nullptr : at->getChildBookmarks().front();
    }
    return depth;
}

DWFBookmark* bookmark(const char* name)
{
    auto* made = new DWFBookmark;
    made->parseAttributeList(Attributes{"name", name, "href", "#"});
    return made;
}

} // namespace

TEST(DWFGlobalSectionDescriptorReader, BookmarkTreeReadsBackWithItsNesting)
{
    DWFBookmark root;
    DWFBookmark* a = bookmark("a");
    DWFBookmark* b = bookmark("b");
    a->addChildBookmark(bookmark("a1"));
    a->addChildBookmark(bookmark("a2"));
    a->getChildBookmarks()[0]->addChildBookmark(bookmark("a11"));
    root.addChildBookmark(a);
    // A sibling after one that had children of its own.
    root.addChildBookmark(b);
    b->addChildBookmark(bookmark("b1"));
    const unsigned flags = kEPlotDescriptor | DWFXMLSerializable::eGlobal;
    const std::string text =
        document(u"ePlot:", u"Global", {{u"name", u"G"}},
                 [&](DWFXMLSerializer& serializer) { root.serializeXML(serializer, flags); });

    GlobalCollector reader;
    parse(text, reader);
    ASSERT_EQ(reader.roots.size(), 1u);
    EXPECT_EQ(shape(*reader.roots[0]), shape(root));
    EXPECT_EQ(shape(root), "(a(a1(a11 ) a2 ) b(b1 ) )");
    EXPECT_EQ(PackageTest::serialize(*reader.roots[0], flags), PackageTest::serialize(root, flags));
}

TEST(DWFGlobalSectionDescriptorReader, MisplacedAndOverDeepBookmarksAreLeftOut)
{
    GlobalCollector reader;
    // b sits under an element that is no bookmark: it has no enclosing bookmark,
    // and neither has its own child. c follows at the right place.
    parse("<Global><Bookmark><Bookmark name=\"a\"/><Other><Bookmark name=\"b\"><Bookmark "
          "name=\"b1\"/></Bookmark></Other><Bookmark name=\"c\"/></Bookmark>"
          "<Bookmark><Bookmark name=\"second\"/></Bookmark></Global>",
          reader);
    ASSERT_EQ(reader.roots.size(), 2u);
    EXPECT_EQ(shape(*reader.roots[0]), "(a c )");
    EXPECT_EQ(shape(*reader.roots[1]), "(second )");

    const int levels = 20000;
    std::string deep = "<Global>";
    for (int i = 0; i < levels; ++i)
    {
        deep += "<Bookmark name=\"n\">";
    }
    for (int i = 0; i < levels; ++i)
    {
        deep += "</Bookmark>";
    }
    deep += "</Global>";
    GlobalCollector deepReader;
    parse(deep, deepReader);
    ASSERT_EQ(deepReader.roots.size(), 1u);
    EXPECT_EQ(treeDepth(*deepReader.roots[0]), DWFSectionDescriptorReader::kMaximumNesting);
    EXPECT_EQ(deepReader.depth(), 0u);
}

namespace
{

// Stands in for the section model: sections are opaque to the manifest reader.
struct FakeSection
{
    std::string name, type, title;
    std::unique_ptr<DWFSource> source;
    std::vector<std::unique_ptr<DWFResource>> resources;
};

class FakeFactory : public DWFSectionFactory
{
public:
    using DWFSectionFactory::DWFSectionFactory;
    DWFSection* build(const DWFString& type, const DWFString& name, const DWFString& title,
                      DWFPackageReader*) override
    {
        auto* fake = new FakeSection;
        fake->type = "plain " + utf8(type);
        fake->name = utf8(name);
        fake->title = utf8(title);
        return reinterpret_cast<DWFSection*>(fake);
    }
    DWFSection* build(const DWFString& name, const DWFString& title,
                      DWFPackageReader* reader) override
    {
        DWFSection* section = build(type(), name, title, reader);
        reinterpret_cast<FakeSection*>(section)->type = utf8(type());
        return section;
    }
};

// A package whose section builder knows one section type, and makes others plain.
class FakePackage : public PackageTest::MemoryPackageReader
{
public:
    FakePackage() : plain(u"")
    {
        getSectionBuilder().addFactory(new FakeFactory(u"com.example.ePlot"));
        getSectionBuilder().setPlainFactory(&plain);
    }
    FakeFactory plain;
};

class ManifestCollector : public DWFManifestReader
{
public:
    using DWFManifestReader::DWFManifestReader;
    ~ManifestCollector() override { _discardCurrent(); }

    double provideVersion(double version) override
    {
        log.push_back("version=" + std::to_string(version));
        return version;
    }
    DWFString provideObjectID(const DWFString& id) override
    {
        log.push_back("objectId=" + utf8(id));
        return id;
    }
    DWFDependency* provideDependency(DWFDependency* dependency) override
    {
        log.push_back("dependency");
        delete dependency;
        return nullptr;
    }
    DWFInterface* provideInterface(DWFInterface* interface) override
    {
        log.push_back("interface " + utf8(interface->name()));
        interfaces.emplace_back(interface);
        return interface;
    }
    DWFProperty* provideProperty(DWFProperty* property) override
    {
        log.push_back("property " + describe(*property));
        delete property;
        return nullptr;
    }
    DWFSection* provideSection(DWFSection* section) override
    {
        FakeSection* fake = reinterpret_cast<FakeSection*>(section);
        log.push_back("section " + fake->name);
        sections.emplace_back(fake);
        return section;
    }

    std::vector<std::string> log;
    std::vector<std::unique_ptr<DWFInterface>> interfaces;
    std::vector<std::unique_ptr<FakeSection>> sections;

protected:
    void _setSectionSource(DWFSection& section, const DWFSource& source) override
    {
        reinterpret_cast<FakeSection&>(section).source.reset(new DWFSource(source));
    }
    void _addSectionResource(DWFSection& section, DWFResource* resource) override
    {
        reinterpret_cast<FakeSection&>(section).resources.emplace_back(resource);
    }
    void _discardSection(DWFSection* section) noexcept override
    {
        delete reinterpret_cast<FakeSection*>(section);
    }
};

std::string manifestText(DWFResourceContainer& toc)
{
    DWFInterface ePlot(u"ePlot", u"http://example.invalid/ePlot", u"IFACE-1");
    DWFInterface eModel(u"eModel", u"http://example.invalid/eModel", u"IFACE-2");
    DWFPropertyContainer properties;
    properties.addProperty(new DWFProperty(u"Creator", u"Quillcast", u"Package"), true);
    DWFSource source(u"drawing.host", u"Quillcast", u"SRC-1");
    toc.setResourceContainerName(u"sec1");
    toc.addResource(new DWFResource(u"", DWFResource::kRoleDescriptor, u"text/xml"), true);
    toc.addResource(
        new DWFGraphicResource(u"S", DWFResource::kRole2DStreamingGraphics, u"application/x-w2d"),
        true);
    const unsigned manifest = DWFXMLSerializable::eManifest;
    return document(
        u"dwf:", u"Manifest",
        {{u"xmlns:dwf", u"DWF-Manifest:6.0"}, {u"version", u"6.0"}, {u"objectId", u"MANIFEST-1"}},
        [&](DWFXMLSerializer& serializer)
        {
            serializer.startElement(u"Interfaces", u"dwf:");
            ePlot.serializeXML(serializer, manifest);
            eModel.serializeXML(serializer, manifest);
            serializer.endElement();
            properties.getSerializable().serializeXML(serializer, manifest);
            serializer.startElement(u"Dependencies", u"dwf:");
            serializer.startElement(u"Dependency", u"dwf:");
            serializer.endElement();
            serializer.endElement();
            serializer.startElement(u"Sections", u"dwf:");
            serializer.startElement(u"Section", u"dwf:");
            serializer.addAttribute(u"name", u"sec1");
            serializer.addAttribute(u"type", u"com.example.ePlot");
            serializer.addAttribute(u"title", u"Sheet 1");
            source.serializeXML(serializer, manifest);
            toc.getResourceSerializable().serializeXML(serializer, manifest);
            serializer.endElement();
            serializer.endElement();
        });
}

} // namespace

TEST(DWFManifestReader, ReadsBackInterfacesPropertiesDependenciesAndSections)
{
    DWFResourceContainer toc;
    const std::string text = manifestText(toc);
    FakePackage package;
    ManifestCollector reader(&package);
    parse(text, reader);
    EXPECT_EQ(reader.log, (std::vector<std::string>{"version=6.000000", "objectId=MANIFEST-1",
                                                    "interface ePlot", "interface eModel",
                                                    "property Creator|Quillcast|Package||",
                                                    "dependency", "section sec1"}));
    ASSERT_EQ(reader.interfaces.size(), 2u);
    EXPECT_EQ(PackageTest::serialize(*reader.interfaces[1], 0),
              "<dwf:Interface objectId=\"IFACE-2\" name=\"eModel\" "
              "href=\"http://example.invalid/eModel\"/>");
    ASSERT_EQ(reader.sections.size(), 1u);
    const FakeSection& section = *reader.sections[0];
    EXPECT_EQ(section.type, "com.example.ePlot");
    EXPECT_EQ(section.title, "Sheet 1");
    ASSERT_TRUE(section.source);
    EXPECT_EQ(utf8(section.source->objectID()), "SRC-1");
    EXPECT_EQ(utf8(section.source->provider()), "Quillcast");
    ASSERT_EQ(section.resources.size(), 2u);
    for (const auto& resource : section.resources)
    {
        // Read back under the entry names the manifest gave them.
        DWFResource* original = nullptr;
        std::unique_ptr<DWFResourceContainer::ResourceKVIterator> it(toc.getResourcesByRole());
        for (; it->valid(); it->next())
        {
            const DWFString& written =
                it->value()->zipPath().chars() ? it->value()->zipPath() : it->value()->href();
            if (written == resource->href())
            {
                original = it->value();
            }
        }
        ASSERT_NE(original, nullptr);
        EXPECT_EQ(resource->role(), original->role());
        EXPECT_EQ(resource->mime(), original->mime());
    }
}

TEST(DWFManifestReader, ElementsWithoutTheirOwnerAreIgnored)
{
    const std::string misplaced =
        "<Manifest><Sections><Toc><Resource href=\"x\"/></Toc><Source href=\"s\"/>"
        "<Section name=\"n\"><Bogus><Resource href=\"deep\"/></Bogus></Section></Sections>"
        "<Properties><Property name=\"p\"><Property name=\"inner\"/></Property></Properties>"
        "<Interfaces><Property name=\"wrong list\"/></Interfaces></Manifest>";
    {
        // Sections no factory makes are skipped with all they hold.
        ManifestCollector reader;
        parse(misplaced, reader);
        EXPECT_EQ(reader.log, (std::vector<std::string>{"property p||||"}));
    }
    {
        FakePackage package;
        ManifestCollector reader(&package);
        parse(misplaced, reader);
        // Only what stands inside the section reaches it.
        ASSERT_EQ(reader.sections.size(), 1u);
        ASSERT_EQ(reader.sections[0]->resources.size(), 1u);
        EXPECT_EQ(utf8(reader.sections[0]->resources[0]->href()), "deep");
        EXPECT_FALSE(reader.sections[0]->source);
    }
    {
        // The base reader frees everything it is handed.
        DWFResourceContainer toc;
        DWFManifestReader reader;
        parse(manifestText(toc), reader);
    }
}

TEST(DWFSectionBuilder, FactoriesByTypeAndThePlainFallback)
{
    DWFSectionBuilder builder;
    EXPECT_THROW(builder.addFactory(nullptr), DWFCore::DWFInvalidArgumentException);
    auto* first = new FakeFactory(u"t");
    EXPECT_EQ(builder.addFactory(first), nullptr);
    EXPECT_EQ(builder.addFactory(first), nullptr);
    std::unique_ptr<DWFSectionFactory> replaced(builder.addFactory(new FakeFactory(u"t")));
    EXPECT_EQ(replaced.get(), first);

    const auto build = [&](std::initializer_list<const char*> attributes)
    {
        std::unique_ptr<FakeSection> section(
            reinterpret_cast<FakeSection*>(builder.buildSection(Attributes(attributes), nullptr)));
        return section ? section->type + "/" + section->name + "/" + section->title
                       : std::string("none");
    };
    EXPECT_EQ(build({"dwf:type", "t", "name", "n", "title", "T", "name", "later"}), "t/n/T");
    // Only "dwf:" is taken off attribute names.
    EXPECT_EQ(build({"type", "t", "ePlot:name", "n"}), "t//");
    EXPECT_EQ(build({"type", "other", "name", "n"}), "none");
    FakeFactory plain(u"");
    builder.setPlainFactory(&plain);
    EXPECT_EQ(build({"type", "other", "name", "n"}), "plain other/n/");

    // A manifest reader without a package reader has a builder of its own, with no factory.
    ManifestCollector reader;
    DWFResourceContainer toc;
    parse(manifestText(toc), reader);
    EXPECT_TRUE(reader.sections.empty());
}

TEST(DWFParseXMLDocument, EndOfDocumentIsChecked)
{
    EPlotFixture fixture;
    PackageTest::expectTruncationsFail(fixture.text,
                                       [](const std::string& text)
                                       {
                                           EPlotCollector reader;
                                           parse(text, reader);
                                       });
    for (const char* unclosed : {"<Page>", "<Page><Paper/>", "<Page></Page", "<Page a=\"1"})
    {
        EPlotCollector reader;
        EXPECT_THROW(parse(unclosed, reader), DWFCore::DWFIOException) << unclosed;
    }
    // Nothing to read is no error; whitespace alone is no document.
    EPlotCollector empty;
    EXPECT_NO_THROW(parse("", empty));
    EXPECT_THROW(parse("  ", empty), DWFCore::DWFIOException);
}

TEST(DWFParseXMLDocument, ZeroBytesAndChunkBoundaries)
{
    const std::string page = "<Page name=\"p\"><Paper width=\"5\"/></Page>";
    {
        // One terminating zero byte is ignored.
        EPlotCollector reader;
        parse(page + std::string(1, '\0'), reader);
        EXPECT_EQ(reader.log.front(), "name=p");
        EPlotCollector zeroOnly;
        EXPECT_NO_THROW(parse(std::string(1, '\0'), zeroOnly));
        EPlotCollector twoZeros;
        EXPECT_THROW(parse(page + std::string(2, '\0'), twoZeros), DWFCore::DWFIOException);
    }
    {
        // A zero byte that ends a chunk in the middle of the stream is data, and bad data.
        std::string padded = "<Page name=\"p\">" + std::string(16384 - 15 - 1, ' ');
        padded += std::string(1, '\0') + "</Page>";
        ASSERT_EQ(padded[16383], '\0');
        EPlotCollector reader;
        EXPECT_THROW(parse(padded, reader), DWFCore::DWFIOException);
    }
    {
        // UTF-16 text has zero bytes at chunk ends; they must reach the parser.
        std::string utf16 = "\xFF\xFE";
        const std::string ascii =
            "<Page name=\"wide\">" + std::string(20000, ' ') + "<Paper width=\"7\"/></Page>";
        for (char c : ascii)
        {
            utf16 += c;
            utf16 += '\0';
        }
        EPlotCollector reader;
        DWFCore::DWFBufferInputStream stream(utf16.data(), utf16.size() - 1);
        // Cut inside its last character, it fails; whole (ending in a zero byte), it reads.
        EXPECT_THROW(DWFParseXMLDocument(stream, reader), DWFCore::DWFIOException);
        EPlotCollector whole;
        parse(utf16, whole);
        ASSERT_EQ(whole.papers.size(), 1u);
        EXPECT_EQ(whole.papers[0]->width(), 7);
    }
}

TEST(DWFParseXMLDocument, TrickledInputReadsTheSameAndStuckStreamsEnd)
{
    EPlotFixture fixture;
    EPlotCollector whole;
    parse(fixture.text, whole);
    for (std::size_t step : {1u, 7u, 16383u})
    {
        PackageTest::TrickleInputStream stream(fixture.text, step);
        EPlotCollector reader;
        DWFParseXMLDocument(stream, reader);
        EXPECT_EQ(reader.log, whole.log) << step;
    }
    PackageTest::StuckInputStream stuck;
    EPlotCollector reader;
    EXPECT_NO_THROW(DWFParseXMLDocument(stuck, reader));
}

TEST(DWFParseXMLDocument, ErrorsNameTheParserMessageAndLine)
{
    EPlotCollector reader;
    try
    {
        parse("<Page>\n\n\n\n\n\n<Paper <</Page>", reader);
        FAIL() << "accepted";
    }
    catch (const DWFCore::DWFIOException& error)
    {
        const std::string message = DWFString(error.message()).toUTF8();
        EXPECT_NE(message.find("[line: 7]"), std::string::npos) << message;
        EXPECT_GT(message.find(" [line"), 0u);
    }
    // Bytes that are no UTF-8 are a parser error, not text.
    EPlotCollector bad;
    EXPECT_THROW(parse("<Page name=\"\xC3\x28\xFF\"/>", bad), DWFCore::DWFIOException);
}

TEST(DWFParseXMLDocument, CallbackFailuresPassThroughAndFiltersAreUnchained)
{
    class Throwing : public EPlotCollector
    {
    public:
        DWFPaper* providePaper(DWFPaper* paper) override
        {
            delete paper;
            DWFCORE_THROW(DWFIllegalStateException, u"no paper wanted", "Throwing::providePaper");
        }
    };
    Throwing reader;
    EXPECT_THROW(parse("<Page><Paper/><Resources><Resource href=\"r\">", reader),
                 DWFCore::DWFIllegalStateException);

    // A filter stream reads the document for the parser and lets go of it afterwards.
    auto* filter = new DWFCore::DWFBufferInputStream(nullptr, false);
    EPlotCollector filtered;
    filtered.setStreamFilter(filter, true);
    parse("<Page name=\"f\"/>", filtered);
    EXPECT_EQ(filtered.log, (std::vector<std::string>{"name=f"}));
    EXPECT_EQ(filter->available(), 0u);
}

TEST(PackageReaders, HostileDocumentsFailCleanly)
{
    EPlotFixture fixture;
    const auto ePlot = [](const std::string& text)
    {
        EPlotCollector reader;
        parse(text, reader);
    };
    PackageTest::expectMutationsSafe(fixture.text, ePlot, 400);

    DWFResourceContainer toc;
    const std::string manifest = manifestText(toc);
    const auto readManifest = [](const std::string& text)
    {
        FakePackage package;
        ManifestCollector reader(&package);
        parse(text, reader);
    };
    PackageTest::expectTruncationsFail(manifest, readManifest);
    PackageTest::expectMutationsSafe(manifest, readManifest, 400);

    // Huge and malformed number lists read what they can and never run past the text.
    const std::string numbers(1 << 20, '9');
    const std::string huge = "<Page color=\"" + numbers + "\"><Paper clip=\"" + numbers + " 1 " +
                             numbers + "\" color=\"1 2\" width=\"" + numbers +
                             "\"/><Resources><GraphicResource transform=\"1 2 x\" extents=\"" +
                             numbers + "\" zOrder=\"" + numbers +
                             "\"/><Resource size=\"-99999999999999\"/></Resources></Page>";
    EPlotCollector reader;
    parse(huge, reader);
    ASSERT_EQ(reader.papers.size(), 1u);
    ASSERT_EQ(reader.resources.size(), 2u);
    EXPECT_EQ(reader.resources[1]->size(), INT32_MIN);

    // Entities that expand without bound are refused by the parser.
    std::string laughs = "<!DOCTYPE Page [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i)
    {
        std::string expansion;
        for (int j = 0; j < 10; ++j)
        {
            expansion += "&l" + std::to_string(i - 1) + ";";
        }
        laughs += "<!ENTITY l" + std::to_string(i) + " \"" + expansion + "\">";
    }
    laughs += "]><Page name=\"&l9;\"/>";
    EPlotCollector laughing;
    EXPECT_THROW(parse(laughs, laughing), DWFCore::DWFIOException);

    // Deep nesting anywhere is only depth to the readers.
    std::string deep;
    for (int i = 0; i < 5000; ++i)
    {
        deep += i % 2 ? "<Resources>" : "<Properties>";
    }
    for (int i = 5000; i-- > 0;)
    {
        deep += i % 2 ? "</Resources>" : "</Properties>";
    }
    for (const char* root : {"Page", "Space", "Global", "Manifest"})
    {
        const std::string text = std::string("<") + root + ">" + deep + "</" + root + ">";
        EPlotCollector a;
        EModelCollector b;
        GlobalCollector c;
        ManifestCollector d;
        for (DWFXMLCallback* callback : std::initializer_list<DWFXMLCallback*>{&a, &b, &c, &d})
        {
            parse(text, *callback);
            EXPECT_EQ(callback->depth(), 0u);
        }
    }
}

namespace
{

// A package file written through the ZIP layer, removed when the test ends.
class PackageFile
{
public:
    PackageFile()
    {
        char pattern[] = "/tmp/dwfpackage-reader-XXXXXX";
        const int fd = mkstemp(pattern);
        EXPECT_GE(fd, 0);
        ::close(fd);
        path = pattern;
    }
    ~PackageFile() { ::unlink(path.c_str()); }

    // Writes `entries` (name, bytes), each encrypted when a password is given.
    void write(const std::vector<std::pair<std::string, std::string>>& entries,
               const DWFString& password)
    {
        const char header[] = "(DWF V06.00)";
        DWFCore::zipio::ZipWriter* zip =
            DWFCore::zipio::zipOpen(DWFString(path.c_str()), header, 12);
        ASSERT_NE(zip, nullptr);
        for (const auto& entry : entries)
        {
            ASSERT_EQ(DWFCore::zipio::zipOpenNewFileInZip(zip, DWFString(entry.first.c_str()),
                                                          nullptr, nullptr, 0, nullptr, 0,
                                                          DWFString(), 8, 6, password),
                      0);
            ASSERT_EQ(
                DWFCore::zipio::zipWriteInFileInZip(zip, entry.second.data(), entry.second.size()),
                0);
            ASSERT_EQ(DWFCore::zipio::zipCloseFileInZip(zip), 0);
        }
        ASSERT_EQ(DWFCore::zipio::zipClose(zip, nullptr), 0);
    }

    std::string path;
};

} // namespace

TEST(DWFZipPackageReader, WrittenPackageReadsBackWhole)
{
    // A page whose descriptor lists its sheet and its object definitions by entry name.
    DWFObjectDefinitionResource objects(u"PageObjectDefinition");
    objects.setHREF(u"sec1\\objects.xml");
    auto* part = new DWFDefinedObject(u"PART");
    part->addProperty(new DWFProperty(u"Mass", u"3"), true);
    objects.addObject(part, 1);
    objects.addInstance(part->instance(u"5"), 1);
    std::unique_ptr<DWFCore::DWFInputStream> built(objects.getInputStream());
    std::string objectDocument(built->available(), '\0');
    built->read(&objectDocument[0], objectDocument.size());

    DWFResourceContainer resources;
    resources.addResource(new DWFGraphicResource(u"Sheet", DWFResource::kRole2DStreamingGraphics,
                                                 u"application/x-w2d"),
                          true);
    std::unique_ptr<DWFResourceContainer::ResourceKVIterator> it(resources.getResourcesByRole());
    it->value()->setHREF(u"sec1\\sheet.w2d");
    const std::string sheetBytes(70000, 'w');
    const std::string descriptor =
        document(u"ePlot:", u"Page", {{u"name", u"sec1"}},
                 [&](DWFXMLSerializer& serializer)
                 {
                     serializer.startElement(u"Resources", u"ePlot:");
                     it->value()->serializeXML(serializer, kEPlotDescriptor);
                     objects.serializeXML(serializer, kEPlotDescriptor);
                     serializer.endElement();
                 });

    for (const DWFString& password : {DWFString(), DWFString(u"s3cret")})
    {
        PackageFile file;
        file.write({{"sec1\\descriptor.xml", descriptor},
                    {"sec1\\objects.xml", objectDocument},
                    {"sec1\\sheet.w2d", sheetBytes}},
                   password);

        DWFZipPackageReader package(DWFString(file.path.c_str()), password);
        std::unique_ptr<DWFCore::DWFInputStream> stream(
            package.getInputStream(u"sec1\\descriptor.xml", false));
        ASSERT_TRUE(stream);
        EPlotCollector reader(&package);
        DWFParseXMLDocument(*stream, reader);
        ASSERT_EQ(reader.resources.size(), 2u);

        // The resources fetch their own bytes from the package they were read from.
        for (const auto& resource : reader.resources)
        {
            std::unique_ptr<DWFCore::DWFInputStream> bytes(resource->getInputStream());
            ASSERT_TRUE(bytes) << utf8(resource->href());
            if (resource->role() == u"object definition")
            {
                DWFObjectDefinition definition(&package);
                DWFParseXMLDocument(*bytes, definition);
                ASSERT_NE(definition.findObject(u"PART"), nullptr);
                EXPECT_EQ(definition.findObject(u"PART")->findProperty(u"Mass")->value(), u"3");
                EXPECT_EQ(definition.getInstances().size(), 1u);
            }
            else
            {
                std::string content(bytes->available(), '\0');
                EXPECT_EQ(bytes->read(&content[0], content.size()), sheetBytes.size());
                EXPECT_EQ(content, sheetBytes);
            }
        }
        EXPECT_EQ(package.getInputStream(u"sec1\\missing.xml", false), nullptr);
        if (password.chars())
        {
            DWFZipPackageReader wrong(DWFString(file.path.c_str()), u"wrong");
            EXPECT_THROW(delete wrong.getInputStream(u"sec1\\sheet.w2d", false),
                         DWFCore::DWFIOException);
        }
        DWFZipPackageReader limited(DWFString(file.path.c_str()), password);
        limited.setMaximumEntryBytes(1000);
        EXPECT_THROW(delete limited.getInputStream(u"sec1\\sheet.w2d", false),
                     DWFCore::DWFIOException);
    }

    const std::string notAPackage = "<Page/> is no archive at all, and it is long enough to scan";
    DWFCore::DWFBufferInputStream garbage(notAPackage.data(), notAPackage.size());
    EXPECT_THROW(DWFZipPackageReader{&garbage}, DWFCore::DWFIOException);
}
