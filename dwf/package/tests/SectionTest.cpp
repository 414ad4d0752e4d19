// Sections: their two written forms, their factories, and reading a
// descriptor back into a section.

#include "ReaderTestSupport.h"
#include "TestSupport.h"

#include "dwf/package/CustomSection.h"
#include "dwf/package/EModelSection.h"
#include "dwf/package/EPlotSection.h"
#include "dwf/package/GlobalSection.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/Interface.h"
#include "dwf/package/ObjectDefinition.h"
#include "dwf/package/Property.h"
#include "dwf/package/reader/EPlotSectionDescriptorReader.h"
#include "dwfcore/Exception.h"

#include <memory>
#include <string>

using namespace DWFToolkit;
using PackageTest::Attributes;
using PackageTest::serialize;
using PackageTest::utf8;

namespace
{

constexpr unsigned kDescriptor = DWFXMLSerializable::eDescriptor;
constexpr unsigned kManifest = DWFXMLSerializable::eManifest;

const double kClip[4] = {0, 0, 0, 0};

DWFSource drawingSource()
{
    return DWFSource(u"C:\\Drawings\\plate.slddrw", u"Quillcast", u"src-1");
}

// A sheet as the drawing publisher makes it, with one property and one resource.
std::unique_ptr<DWFEPlotSection> sheet(std::uint32_t color = 0x00102030)
{
    DWFPaper paper(210, 297, DWFPaper::eMillimeters, 0x00FFFFFF, kClip, true);
    auto section =
        std::make_unique<DWFEPlotSection>(u"Sheet1", u"obj-1", 3.0, drawingSource(), color, &paper);
    section->rename(u"ID");
    section->addProperty(new DWFProperty(u"Author", u"Kim", u"Document", u"", u""), true);
    section->addResource(
        new DWFResource(u"Thumb", DWFResource::kRoleThumbnail, u"image/png", u"thumb-href"), true);
    return section;
}

// Reads `text` with the section's own reader: the section reads its descriptor through
// a descriptor resource served by `package`.
DWFResource* addDescriptor(DWFSection& section, PackageTest::MemoryPackageReader& package,
                           const std::string& text)
{
    const std::string href = utf8(section.name()) + "\\descriptor.xml";
    package.entries[href] = text;
    auto* descriptor = new DWFResource(&package);
    descriptor->parseAttributeList(
        Attributes{"role", "descriptor", "mime", "text/xml", "href", href.c_str()});
    section.addResource(descriptor, true, true, true);
    return descriptor;
}

} // namespace

TEST(DWFEPlotSection, WritesItsPageDescriptorAndManifestEntry)
{
    PackageTest::FixedUUIDs fixed;
    auto section = sheet();
    const std::string descriptor = serialize(*section, kDescriptor);
    EXPECT_EQ(descriptor,
              "<ePlot:Page xmlns:ePlot=\"DWF-ePlot:1.2\" version=\"1.2\" objectId=\"obj-1\" "
              "name=\"Sheet1\" plotOrder=\"3\" color=\"16 32 48\">"
              "<ePlot:Paper units=\"mm\" width=\"210\" height=\"297\"/>"
              "<ePlot:Properties id=\"" +
                  PackageTest::FixedUUIDs::squashed(0) +
                  "\"><ePlot:Property name=\"Author\" value=\"Kim\" category=\"Document\"/>"
                  "</ePlot:Properties>"
                  "<ePlot:Resources><ePlot:Resource role=\"thumbnail\" mime=\"image/png\" "
                  "href=\"thumb-href\" title=\"Thumb\"/></ePlot:Resources></ePlot:Page>");
    EXPECT_WELL_FORMED(descriptor);

    // The manifest entry lists every resource under an entry name that starts with the
    // section's name; the eModel bit of the flags does not change an ePlot page.
    const std::string entry = serialize(*section, kManifest);
    EXPECT_EQ(entry,
              "<dwf:Section type=\"com.morvalex.dwf.ePlot\" name=\"com.morvalex.dwf.ePlot_ID\" "
              "title=\"Sheet1\"><dwf:Source provider=\"Quillcast\" "
              "href=\"C:\\Drawings\\plate.slddrw\" objectId=\"src-1\"/><dwf:Toc>"
              "<dwf:Resource role=\"thumbnail\" mime=\"image/png\" "
              "href=\"com.morvalex.dwf.ePlot_ID\\" +
                  PackageTest::FixedUUIDs::squashed(0) + ".png\"/></dwf:Toc></dwf:Section>");
    EXPECT_EQ(serialize(*section, kDescriptor | DWFXMLSerializable::eEModel).substr(0, 11),
              "<ePlot:Page");
    EXPECT_EQ(serialize(*section, 0), "");
}

TEST(DWFEPlotSection, WhiteEmptyTitleAndNumberTexts)
{
    DWFEPlotSection white(u"", u"", 2.5, DWFSource(), 0x00FFFFFF);
    const std::string text = serialize(white, kDescriptor);
    EXPECT_EQ(text, "<ePlot:Page xmlns:ePlot=\"DWF-ePlot:1.2\" version=\"1.2\" plotOrder=\"2.5\">"
                    "<ePlot:Resources/></ePlot:Page>");
    white.setPlotOrder(1e21);
    EXPECT_NE(serialize(white, kDescriptor).find("plotOrder=\"1e+21\""), std::string::npos);

    std::unique_ptr<DWFInterface> interface(white.buildInterface());
    EXPECT_EQ(utf8(interface->name()), "ePlot");
    EXPECT_EQ(utf8(interface->objectID()), "715941D4-1AC2-4545-8185-BC40E053B551");
}

TEST(DWFEModelSection, WritesItsSpaceDescriptor)
{
    DWFUnits units(DWFUnits::eMillimeters);
    DWFEModelSection model(u"Bracket", u"not-written", 1.0, DWFSource(), &units);
    model.rename(u"M");
    const std::string text = serialize(model, kDescriptor | DWFXMLSerializable::eEPlot);
    EXPECT_EQ(text,
              "<eModel:Space xmlns:eModel=\"DWF-eModel:1.0\" version=\"1.0\" name=\"Bracket\" "
              "plotOrder=\"1\"><eModel:Units type=\"mm\"/><eModel:Resources/></eModel:Space>");
    EXPECT_WELL_FORMED(text);
    std::unique_ptr<DWFInterface> interface(model.buildInterface());
    EXPECT_EQ(utf8(interface->objectID()), "75E513A9-6C41-4C91-BAA6-81E593FAAC10");
    EXPECT_EQ(utf8(model.name()), "com.morvalex.dwf.eModel_M");
}

TEST(DWFGlobalSection, GlobalDescriptorsCarryTheSectionNameAndBookmarks)
{
    DWFEPlotGlobalSection global(u"shared", u"Shared title", nullptr);
    auto* root = new DWFBookmark;
    auto* child = new DWFBookmark;
    child->parseAttributeList(Attributes{"name", "Sheet 1", "href", "#s1"});
    root->addChildBookmark(child);
    global.provideBookmark(root);
    // A second tree replaces the first (which is freed: the sanitizer checks it).
    auto* replacement = new DWFBookmark;
    auto* other = new DWFBookmark;
    other->parseAttributeList(Attributes{"name", "Sheet 2", "href", "#s2"});
    replacement->addChildBookmark(other);
    global.provideBookmark(replacement);

    const std::string text = serialize(global, kDescriptor);
    EXPECT_EQ(text, "<ePlot:Global xmlns:ePlot=\"DWF-ePlot:0.0\" version=\"0.0\" name=\"shared\">"
                    "<ePlot:Resources/><ePlot:Bookmark><ePlot:Bookmark name=\"Sheet 2\" "
                    "href=\"#s2\"/></ePlot:Bookmark></ePlot:Global>");
    EXPECT_WELL_FORMED(text);

    DWFEModelGlobalSection models(u"models", u"", nullptr);
    EXPECT_EQ(serialize(models, kDescriptor),
              "<eModel:Global xmlns:eModel=\"DWF-eModel:0.0\" version=\"0.0\" name=\"models\">"
              "<eModel:Resources/></eModel:Global>");
    // In manifest form a global section is a plain section entry.
    EXPECT_EQ(serialize(models, kManifest),
              "<dwf:Section type=\"com.morvalex.dwf.eModelGlobal\" name=\"models\">"
              "<dwf:Source/><dwf:Toc/></dwf:Section>");
}

TEST(DWFSection, FactoriesMakeTheirKindsAndManifestAttributesAreReadOnce)
{
    struct Case
    {
        std::unique_ptr<DWFSection::Factory> factory;
        const char* type;
        bool ePlot, eModel, global;
    };
    Case cases[] = {
        {std::make_unique<DWFEPlotSection::Factory>(), "com.morvalex.dwf.ePlot", true, false,
         false},
        {std::make_unique<DWFEModelSection::Factory>(), "com.morvalex.dwf.eModel", false, true,
         false},
        {std::make_unique<DWFEPlotGlobalSection::Factory>(), "com.morvalex.dwf.ePlotGlobal", false,
         false, true},
        {std::make_unique<DWFEModelGlobalSection::Factory>(), "com.morvalex.dwf.eModelGlobal",
         false, false, true},
        // The plain global factory makes a plain section of its type.
        {std::make_unique<DWFGlobalSection::Factory>(u"x.global"), "x.global", false, false, false},
    };
    for (Case& c : cases)
    {
        std::unique_ptr<DWFSection> section(c.factory->build(u"n", u"t", nullptr));
        EXPECT_EQ(utf8(section->type()), c.type);
        EXPECT_EQ(dynamic_cast<DWFEPlotSection*>(section.get()) != nullptr, c.ePlot) << c.type;
        EXPECT_EQ(dynamic_cast<DWFEModelSection*>(section.get()) != nullptr, c.eModel) << c.type;
        EXPECT_EQ(dynamic_cast<DWFGlobalSection*>(section.get()) != nullptr, c.global) << c.type;
        EXPECT_DOUBLE_EQ(section->version(), 0.0);
        EXPECT_DOUBLE_EQ(section->plotOrder(), -1.0);
        // The two-argument form always makes a plain section of the type asked for.
        std::unique_ptr<DWFSection> plain(c.factory->build(u"other.type", u"n", u"t", nullptr));
        EXPECT_EQ(utf8(plain->type()), "other.type");
        EXPECT_EQ(dynamic_cast<DWFEPlotSection*>(plain.get()), nullptr);
    }

    // A package reader's builder makes every kind, and plain sections of other types.
    DWFSectionBuilder builder;
    DWFSection::RegisterFactories(builder);
    for (const char* type :
         {"com.morvalex.dwf.ePlot", "com.morvalex.dwf.eModel", "com.morvalex.dwf.ePlotGlobal",
          "com.morvalex.dwf.eModelGlobal", "vendor.kind"})
    {
        std::unique_ptr<DWFSection> built(
            builder.buildSection(Attributes{"dwf:type", type, "name", "n", "title", "t"}, nullptr));
        ASSERT_NE(built, nullptr);
        EXPECT_EQ(utf8(built->type()), type);
        EXPECT_EQ(utf8(built->name()), "n");
        std::unique_ptr<DWFInterface> interface(built->buildInterface());
        EXPECT_EQ(interface != nullptr, std::string(type) == "com.morvalex.dwf.ePlot" ||
                                            std::string(type) == "com.morvalex.dwf.eModel");
    }

    DWFSection section(u"", u"", u"", nullptr);
    section.parseAttributeList(Attributes{"dwf:name", "first", "type", "t", "name", "second",
                                          "title", "T", "ePlot:title", "ignored"});
    EXPECT_EQ(utf8(section.name()), "first");
    EXPECT_EQ(utf8(section.type()), "t");
    EXPECT_EQ(utf8(section.title()), "T");
    EXPECT_THROW(section.parseAttributeList(nullptr), DWFCore::DWFInvalidArgumentException);
    EXPECT_EQ(section.buildInterface(), nullptr);
}

TEST(DWFEPlotSection, ReadsItsDescriptorBackIntoItself)
{
    PackageTest::MemoryPackageReader package;
    auto written = sheet(0x00000000); // black must survive the trip
    auto* graphic = new DWFGraphicResource(u"Sheet", DWFResource::kRole2DStreamingGraphics,
                                           u"application/x-w2d", u"", u"", u"", u"");
    const double extents[4] = {0, 0, 100, 50};
    graphic->setGraphicAttributes(nullptr, extents, nullptr, true, 3, 300,
                                  DWFGraphicResource::teOrientation(0));
    graphic->addProperty(new DWFProperty(u"Layer", u"0", u"", u"", u""), true);
    written->addResource(graphic, true);
    const std::string text = serialize(*written, kDescriptor);

    DWFEPlotSection::Factory factory;
    std::unique_ptr<DWFSection> built(factory.build(written->name(), u"", &package));
    auto& read = dynamic_cast<DWFEPlotSection&>(*built);
    // The manifest listed the graphic in short form under the same href.
    read.addResource(new DWFResource(u"", DWFResource::kRole2DStreamingGraphics,
                                     u"application/x-w2d", graphic->href()),
                     true);
    DWFResource* descriptor = addDescriptor(read, package, text);
    EXPECT_EQ(read.readDescriptor(), descriptor);

    EXPECT_EQ(utf8(read.title()), "Sheet1");
    EXPECT_EQ(utf8(read.objectID()), "obj-1");
    EXPECT_DOUBLE_EQ(read.version(), 1.2);
    EXPECT_DOUBLE_EQ(read.plotOrder(), 3.0);
    EXPECT_EQ(read.color(), 0u);
    ASSERT_NE(read.paper(), nullptr);
    EXPECT_EQ(serialize(const_cast<DWFPaper&>(*read.paper()), kDescriptor),
              serialize(const_cast<DWFPaper&>(*written->paper()), kDescriptor));
    ASSERT_NE(read.findProperty(u"Author", u"Document"), nullptr);

    // The short entry was replaced by the full description: one resource per href.
    EXPECT_EQ(read.resourceCount(), 3u);
    auto* full = dynamic_cast<DWFGraphicResource*>(read.findResourceByHREF(graphic->href()));
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->zOrder(), 3);
    EXPECT_EQ(full->extents()[2], 100);
    EXPECT_NE(full->findProperty(u"Layer"), nullptr);

    // Fed one byte at a time the same descriptor reads the same.
    DWFEPlotSection trickled(written->name(), u"", nullptr);
    PackageTest::TrickleInputStream oneByte(text, 1);
    trickled.readDescriptor(trickled, oneByte);
    EXPECT_EQ(utf8(trickled.title()), "Sheet1");
    EXPECT_EQ(trickled.color(), 0u);
    EXPECT_DOUBLE_EQ(trickled.paper()->height(), 297);
    EXPECT_EQ(trickled.resourceCount(), 2u);
    EXPECT_NE(dynamic_cast<DWFGraphicResource*>(trickled.findResourceByHREF(graphic->href())),
              nullptr);

    // A white page (no colour written) reads back white.
    auto white = sheet(0x00FFFFFF);
    PackageTest::MemoryPackageReader package2;
    std::unique_ptr<DWFSection> builtWhite(factory.build(white->name(), u"", &package2));
    addDescriptor(*builtWhite, package2, serialize(*white, kDescriptor));
    builtWhite->readDescriptor();
    EXPECT_EQ(dynamic_cast<DWFEPlotSection&>(*builtWhite).color(), 0x00FFFFFFu);
}

TEST(DWFSection, DescriptorAndObjectDefinitionFailuresAreReported)
{
    PackageTest::MemoryPackageReader package;
    DWFEPlotSection page(u"p", u"", &package);
    try
    {
        page.readDescriptor();
        FAIL() << "no descriptor";
    }
    catch (const DWFCore::DWFDoesNotExistException& e)
    {
        EXPECT_EQ(utf8(e.message()), "This section does not have a descriptor");
    }

    DWFSection plain(u"x", u"p", u"", &package);
    EXPECT_THROW(plain.readDescriptor(), DWFCore::DWFInvalidArgumentException);

    // A descriptor resource whose bytes cannot be had: an error, not a null dereference.
    page.addResource(new DWFResource(u"", DWFResource::kRoleDescriptor, u"text/xml", u"gone"),
                     true);
    EXPECT_THROW(page.readDescriptor(), DWFCore::DWFDoesNotExistException);

    // A broken descriptor fails with the parser's message; what it held so far is freed.
    DWFEPlotSection broken(u"b", u"", &package);
    addDescriptor(broken, package,
                  "<ePlot:Page name=\"x\"><ePlot:Paper width=\"1\"/><ePlot:Resources>"
                  "<ePlot:GraphicResource href=\"g\"><ePlot:Properties>");
    EXPECT_THROW(broken.readDescriptor(), DWFCore::DWFIOException);

    DWFResource notDefinition(u"", DWFResource::kRoleThumbnail, u"image/png", u"t");
    EXPECT_THROW(std::unique_ptr<DWFObjectDefinition>(page.getObjectDefinition()),
                 DWFCore::DWFDoesNotExistException); // none in the section at all
    DWFObjectDefinitionReader reader;
    EXPECT_THROW(page.getObjectDefinition(reader, &notDefinition),
                 DWFCore::DWFTypeMismatchException);
    EXPECT_THROW(page.getObjectDefinition(reader), DWFCore::DWFDoesNotExistException);
    DWFResource noBytes(u"", DWFResource::kRoleObjectDefinition, u"text/xml", u"od");
    EXPECT_THROW(page.getObjectDefinition(reader, &noBytes), DWFCore::DWFDoesNotExistException);
}

TEST(DWFEPlotSection, HostileDescriptorsAreReadSafely)
{
    PackageTest::MemoryPackageReader package;
    DWFEPlotSection page(u"p", u"", &package);
    const std::string href = "p\\descriptor.xml";
    // A second paper replaces the first; a resource listed under the descriptor's own
    // href must not take the descriptor away while it is read.
    DWFResource* descriptor = addDescriptor(
        page, package,
        "<ePlot:Page><ePlot:Paper width=\"1\"/><ePlot:Paper width=\"2\"/><ePlot:Resources>"
        "<ePlot:Resource role=\"thumbnail\" href=\"" +
            href +
            "\"/><ePlot:Resource role=\"preview\" href=\"dup\"/>"
            "<ePlot:Resource role=\"metadata\" href=\"dup\"/></ePlot:Resources></ePlot:Page>");
    EXPECT_EQ(page.readDescriptor(), descriptor);
    EXPECT_EQ(page.findResourceByHREF(DWFCore::DWFString(href.c_str())), descriptor);
    EXPECT_DOUBLE_EQ(page.paper()->width(), 2);
    // A repeated href keeps the later resource only.
    EXPECT_EQ(utf8(page.findResourceByHREF(u"dup")->role()), "metadata");
    EXPECT_EQ(page.resourceCount(), 2u);

    PackageTest::expectMutationsSafe(
        package.entries[href],
        [&](const std::string& mutated)
        {
            DWFEPlotSection target(u"p", u"", &package);
            addDescriptor(target, package, mutated);
            target.readDescriptor();
        },
        200);
}

TEST(DWFCustomSection, CarriesItsFlags)
{
    DWFCustomSection custom(u"my.type", u"mine", u"T", u"", 1.0, 1.0, DWFSource(), {0, 1});
    EXPECT_EQ(utf8(custom.name()), "mine");
    EXPECT_EQ(custom.packedFlags().assignName, 0);
    EXPECT_EQ(custom.packedFlags().writeDescriptor, 1);
    EXPECT_EQ(serialize(custom, kDescriptor), "<dwf:Resources/>");
}
