// The manifest: what it writes, how it files sections and interfaces, and
// reading its own document back.

#include "ReaderTestSupport.h"
#include "TestSupport.h"

#include "dwf/package/EModelSection.h"
#include "dwf/package/EPlotSection.h"
#include "dwf/package/GlobalSection.h"
#include "dwf/package/Interface.h"
#include "dwf/package/Manifest.h"
#include "dwf/package/Property.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <memory>
#include <string>

using namespace DWFToolkit;
using PackageTest::serialize;
using PackageTest::utf8;

namespace
{

constexpr unsigned kManifest = DWFXMLSerializable::eManifest;

DWFEPlotSection* page(const char16_t* title, const char16_t* name)
{
    auto* section = new DWFEPlotSection(title, u"", 1.0, DWFSource(u"doc", u"app", u"o"));
    section->rename(name);
    return section;
}

// Takes sections over from the manifest, as another container might.
class OtherOwner : public DWFCore::DWFOwner
{
};

} // namespace

TEST(DWFManifest, WritesInterfacesPropertiesAndSectionsInOrder)
{
    PackageTest::FixedUUIDs fixed;
    DWFManifest manifest(u"package-id");
    manifest.provideInterface(new DWFInterface(u"eModel", u"h", u"75E5"));
    manifest.provideInterface(new DWFInterface(u"ePlot", u"h", u"7159"));
    manifest.addProperty(new DWFProperty(u"b", u"2", u"", u"", u""), true);
    manifest.addProperty(new DWFProperty(u"a", u"1", u"", u"", u""), true);
    manifest.provideSection(page(u"Content", u"C"));
    manifest.provideSection(new DWFEPlotGlobalSection(u"G", u"", nullptr));

    const std::string text = serialize(manifest, kManifest);
    EXPECT_EQ(
        text,
        "<dwf:Manifest xmlns:dwf=\"DWF-Manifest:6.0\" version=\"6.0\" objectId=\"package-id\">"
        "<dwf:Interfaces><dwf:Interface objectId=\"7159\" name=\"ePlot\" href=\"h\"/>"
        "<dwf:Interface objectId=\"75E5\" name=\"eModel\" href=\"h\"/></dwf:Interfaces>"
        "<dwf:Properties><dwf:Property name=\"a\" value=\"1\"/>"
        "<dwf:Property name=\"b\" value=\"2\"/></dwf:Properties><dwf:Sections>"
        "<dwf:Section type=\"com.morvalex.dwf.ePlotGlobal\" name=\"G\"><dwf:Source/>"
        "<dwf:Toc/></dwf:Section>"
        "<dwf:Section type=\"com.morvalex.dwf.ePlot\" name=\"com.morvalex.dwf.ePlot_C\" "
        "title=\"Content\"><dwf:Source provider=\"app\" href=\"doc\" objectId=\"o\"/>"
        "<dwf:Toc/></dwf:Section></dwf:Sections></dwf:Manifest>");
    EXPECT_WELL_FORMED(text);

    // An empty manifest still writes its empty lists, once it has an interface.
    DWFManifest empty(u"");
    DWFCore::DWFUUID uuid;
    PackageTest::StringOutputStream out;
    DWFXMLSerializer serializer(uuid);
    serializer.attach(out);
    try
    {
        empty.serializeXML(serializer, kManifest);
        FAIL() << "a manifest without interface was written";
    }
    catch (const DWFCore::DWFDoesNotExistException& e)
    {
        EXPECT_EQ(utf8(e.message()), "There must be at least one document interface");
    }
    serializer.abandon();
    empty.provideInterface(new DWFInterface(u"i", u"", u"1"));
    EXPECT_EQ(serialize(empty, kManifest),
              "<dwf:Manifest xmlns:dwf=\"DWF-Manifest:6.0\" version=\"6.0\"><dwf:Interfaces>"
              "<dwf:Interface objectId=\"1\" name=\"i\"/></dwf:Interfaces><dwf:Properties/>"
              "<dwf:Sections/></dwf:Manifest>");
}

TEST(DWFManifest, FilesSectionsAndInterfacesWithoutLosingOrLeakingAny)
{
    DWFManifest manifest(u"m");
    // One interface per object id: the newcomer is freed and the held one returned.
    DWFInterface* first = manifest.provideInterface(new DWFInterface(u"a", u"", u"id"));
    EXPECT_EQ(manifest.provideInterface(new DWFInterface(u"b", u"", u"id")), first);
    EXPECT_EQ(manifest.provideInterface(first), first);
    EXPECT_EQ(manifest.provideInterface(nullptr), nullptr);
    EXPECT_EQ(manifest.getInterfaces().size(), 1u);
    EXPECT_EQ(manifest.provideSection(nullptr), nullptr);
    EXPECT_EQ(manifest.provideProperty(nullptr), nullptr);

    // Two sections of one name: the later one holds the name; deleting the earlier one
    // must not take the later one out of the index.
    DWFSection* earlier = manifest.provideSection(page(u"1", u"same"));
    DWFSection* later = manifest.provideSection(page(u"2", u"same"));
    DWFSection* model =
        manifest.provideSection(new DWFEModelSection(u"3", u"", 1.0, DWFSource(), nullptr));
    EXPECT_EQ(manifest.findSectionByName(later->name()), later);
    EXPECT_EQ(manifest.findSectionsByType(DWFEPlotSection::kType).size(), 2u);

    OtherOwner other;
    earlier->setOwner(other);
    delete earlier;
    EXPECT_EQ(manifest.findSectionByName(later->name()), later);
    EXPECT_EQ(manifest.getContentSections().size(), 2u);
    EXPECT_EQ(manifest.findSectionsByType(DWFEPlotSection::kType),
              DWFManifest::tSectionList{later});

    // A global section deleted through its new owner leaves the global list too (the
    // manifest hears of it only after the global part is already gone).
    DWFSection* global = manifest.provideSection(new DWFEModelGlobalSection(u"g", u"", nullptr));
    EXPECT_EQ(manifest.getGlobalSections().size(), 1u);
    global->setOwner(other);
    delete global;
    EXPECT_TRUE(manifest.getGlobalSections().empty());
    EXPECT_EQ(manifest.findSectionByName(u"g"), nullptr);

    // A section owned elsewhere from the start is neither owned nor deleted by it.
    OtherOwner keeper;
    std::unique_ptr<DWFEPlotSection> kept(page(u"kept", u"k"));
    kept->setOwner(keeper);
    {
        DWFManifest shortLived(u"s");
        shortLived.provideSection(kept.get());
        EXPECT_EQ(kept->owner(), &keeper);
    }
    EXPECT_EQ(utf8(kept->title()), "kept");
    EXPECT_NE(model, nullptr);
}

TEST(DWFManifest, ReadsBackWhatItWrote)
{
    DWFManifest written(u"package");
    written.provideInterface(DWFEPlotSection(u"", u"", 0, DWFSource()).buildInterface());
    written.addProperty(new DWFProperty(u"DWFToolkitVersion", u"7.0.1.155", u"", u"", u""), true);
    DWFEPlotSection* sheet = page(u"Sheet \"1\" <A>", u"S1");
    sheet->addResource(new DWFResource(u"", DWFResource::kRoleDescriptor, u"text/xml",
                                       u"com.morvalex.dwf.ePlot_S1\\descriptor.xml"),
                       true);
    sheet->addResource(
        new DWFResource(u"W2D", DWFResource::kRole2DStreamingGraphics, u"application/x-w2d"), true);
    written.provideSection(sheet);
    written.provideSection(new DWFEModelGlobalSection(u"global", u"", nullptr));
    written.provideSection(new DWFSection(u"vendor.kind", u"custom", u"", nullptr));
    const std::string text = serialize(written, kManifest);

    PackageTest::MemoryPackageReader package;
    DWFManifest read(u"", &package);
    PackageTest::parse(text, read);
    EXPECT_EQ(utf8(read.objectID()), "package");
    EXPECT_DOUBLE_EQ(read.version(), 6.0);
    ASSERT_EQ(read.getInterfaces().size(), 1u);
    EXPECT_EQ(utf8(read.getInterfaces().begin()->second->name()), "ePlot");
    ASSERT_NE(read.findProperty(u"DWFToolkitVersion"), nullptr);

    ASSERT_EQ(read.getContentSections().size(), 2u);
    ASSERT_EQ(read.getGlobalSections().size(), 1u);
    EXPECT_NE(dynamic_cast<DWFEModelGlobalSection*>(read.getGlobalSections()[0]), nullptr);
    auto* back = dynamic_cast<DWFEPlotSection*>(read.findSectionByName(sheet->name()));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->title(), sheet->title());
    EXPECT_EQ(utf8(back->source().provider()), "app");
    EXPECT_EQ(back->packageReader(), &package);
    EXPECT_EQ(back->resourceCount(), 2u);
    std::unique_ptr<DWFResourceContainer::ResourceIterator> graphics(
        back->findResourcesByRole(DWFResource::kRole2DStreamingGraphics));
    ASSERT_TRUE(graphics->valid());
    // The entry name written for the resource is its href when read.
    std::unique_ptr<DWFResourceContainer::ResourceIterator> original(
        sheet->findResourcesByRole(DWFResource::kRole2DStreamingGraphics));
    EXPECT_EQ(graphics->get()->href(), original->get()->zipPath());
    // A type without a kind of its own reads as a plain section of that type.
    DWFSection* custom = read.getContentSections()[1];
    EXPECT_EQ(utf8(custom->type()), "vendor.kind");
    EXPECT_EQ(dynamic_cast<DWFEPlotSection*>(custom), nullptr);

    // A Toc that repeats an href keeps one resource under it.
    DWFManifest repeated(u"", &package);
    PackageTest::parse("<dwf:Manifest><dwf:Sections><dwf:Section type=\"com.morvalex.dwf.ePlot\" "
                       "name=\"n\"><dwf:Toc><dwf:Resource role=\"thumbnail\" href=\"x\"/>"
                       "<dwf:Resource role=\"preview\" href=\"x\"/></dwf:Toc></dwf:Section>"
                       "</dwf:Sections></dwf:Manifest>",
                       repeated);
    ASSERT_EQ(repeated.getContentSections().size(), 1u);
    DWFSection* section = repeated.getContentSections()[0];
    EXPECT_EQ(section->resourceCount(), 1u);
    EXPECT_EQ(utf8(section->findResourceByHREF(u"x")->role()), "preview");

    // A section cut off by a broken document is freed with the manifest.
    DWFManifest broken(u"", &package);
    EXPECT_THROW(PackageTest::parse("<dwf:Manifest><dwf:Sections><dwf:Section type=\"t\" "
                                    "name=\"n\"><dwf:Toc><dwf:Resource href=\"x\"/>",
                                    broken),
                 DWFCore::DWFIOException);
}
