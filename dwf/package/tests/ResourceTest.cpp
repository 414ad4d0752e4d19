#include "dwf/package/Resource.h"
#include "dwf/package/FontResource.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Property.h"
#include "dwf/package/XMLElementBuilder.h"
#include "dwf/package/reader/PackageReader.h"
#include "dwfcore/BufferInputStream.h"
#include "dwfcore/Exception.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

using namespace DWFToolkit;
using DWFCore::DWFString;
using PackageTest::Attributes;
using PackageTest::ParsedElements;
using PackageTest::serialize;
using PackageTest::utf8;

namespace
{

constexpr unsigned kManifest = DWFXMLSerializable::eManifest;
constexpr unsigned kEPlot = DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEPlot;
constexpr unsigned kEModel = DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEModel;

const std::string kIdentity = "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";

// A package reader over a map of href to bytes.
class MapPackageReader : public DWFPackageReader
{
public:
    DWFCore::DWFInputStream* getInputStream(const DWFString& href, bool cache) override
    {
        lastCache = cache;
        auto it = entries.find(utf8(href));
        if (it == entries.end())
        {
            return nullptr;
        }
        return new DWFCore::DWFBufferInputStream(it->second.data(), it->second.size());
    }

    std::map<std::string, std::string> entries;
    bool lastCache = false;
};

std::string readAll(DWFCore::DWFInputStream* stream)
{
    std::unique_ptr<DWFCore::DWFInputStream> owned(stream);
    std::string bytes;
    char buffer[7];
    while (owned && owned->available() > 0)
    {
        const size_t read = owned->read(buffer, sizeof buffer);
        if (read == 0)
        {
            break;
        }
        bytes.append(buffer, read);
    }
    return bytes;
}

TEST(DWFResource, ManifestEntryHasRoleMimeAndHrefOnly)
{
    DWFResource resource(u"Sheet 1", DWFResource::kRole2DStreamingGraphics, u"application/x-w2d",
                         u"sheet1.w2d");
    resource.setObjectID(u"obj");
    resource.addProperty(new DWFProperty(u"p", u"v"), true);
    EXPECT_EQ(serialize(resource, kManifest),
              "<dwf:Resource role=\"2d streaming graphics\" mime=\"application/x-w2d\" "
              "href=\"sheet1.w2d\"/>");
}

TEST(DWFResource, DescriptorEntryListsAttributesInOrderThenProperties)
{
    DWFResource resource(u"Data & notes", DWFResource::kRoleMetadata, u"text/xml", u"meta.xml");
    DWFResource parent(u"", DWFResource::kRoleThumbnail, u"image/png", u"p.png");
    parent.setObjectID(u"parent-id");
    resource.setObjectID(u"own-id");
    resource.setParentResource(&parent);
    resource.setInputStream(new DWFCore::DWFBufferInputStream("12345", 5));
    resource.addProperty(new DWFProperty(u"k", u"v"), true);
    PackageTest::FixedUUIDs fixed;
    const std::string written = serialize(resource, kEPlot);
    EXPECT_EQ(written, "<ePlot:Resource role=\"metadata\" mime=\"text/xml\" href=\"meta.xml\" "
                       "title=\"Data &amp; notes\" size=\"5\" objectId=\"own-id\" "
                       "parentObjectId=\"parent-id\"><ePlot:Properties id=\"" +
                           PackageTest::FixedUUIDs::squashed(0) +
                           "\"><ePlot:Property name=\"k\" value=\"v\"/></ePlot:Properties>"
                           "</ePlot:Resource>");
    EXPECT_WELL_FORMED(written);

    resource.setParentResource(nullptr);
    EXPECT_EQ(utf8(resource.parentObjectID()), "");
}

TEST(DWFResource, DescriptorRoleIsSilentAndObjectDefinitionsHaveNoProperties)
{
    DWFResource descriptor(u"", DWFResource::kRoleDescriptor, u"text/xml", u"d.xml");
    EXPECT_EQ(serialize(descriptor, kEPlot), "");
    EXPECT_EQ(serialize(descriptor, 0), "");
    EXPECT_EQ(serialize(descriptor, kManifest),
              "<dwf:Resource role=\"descriptor\" mime=\"text/xml\" href=\"d.xml\"/>");

    DWFResource definition(u"", DWFResource::kRoleObjectDefinition, u"text/xml", u"o.xml");
    definition.addProperty(new DWFProperty(u"hidden", u"x"), true);
    EXPECT_EQ(serialize(definition, kEModel),
              "<eModel:Resource role=\"object definition\" mime=\"text/xml\" href=\"o.xml\"/>");
}

TEST(DWFGraphicResource, DescriptorFormWritesEveryAttributeInOrder)
{
    DWFGraphicResource graphic(u"Plan", DWFResource::kRole2DStreamingGraphics, u"application/x-w2d",
                               u"Ann", u"A plan", u"2024-01-01", u"2024-01-02");
    graphic.setHREF(u"plan.w2d");
    const double transform[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 0.5, 0.25, 0, 1};
    const double extents[4] = {0, 0, 10.5, 20};
    const double clip[4] = {1, 2, 3, 4};
    graphic.setGraphicAttributes(transform, extents, clip, false, 3, 300,
                                 DWFGraphicResource::eAlwaysDifferent);
    EXPECT_EQ(serialize(graphic, kEPlot),
              "<ePlot:GraphicResource role=\"2d streaming graphics\" mime=\"application/x-w2d\" "
              "href=\"plan.w2d\" title=\"Plan\" author=\"Ann\" description=\"A plan\" "
              "creationTime=\"2024-01-01\" modificationTime=\"2024-01-02\" "
              "orientation=\"alwaysDifferent\" show=\"false\" zOrder=\"3\" clip=\"1 2 3 4\" "
              "extents=\"0 0 10.5 20\" transform=\"2 0 0 0 0 2 0 0 0 0 1 0 0.5 0.25 0 1\" "
              "effectiveResolution=\"300\"/>");

    // Defaults: no show, zOrder, clip, extents or resolution, but always a transform.
    DWFGraphicResource plain(u"", DWFResource::kRole3DStreamingGraphics, u"application/x-w3d");
    plain.setHREF(u"m.w3d");
    EXPECT_EQ(serialize(plain, kEModel),
              "<eModel:GraphicResource role=\"3d streaming graphics\" mime=\"application/x-w3d\" "
              "href=\"m.w3d\" transform=\"" +
                  kIdentity + "\"/>");
    plain.setGraphicAttributes(nullptr, nullptr, nullptr, true, 0, 0,
                               DWFGraphicResource::teOrientation(9));
    EXPECT_NE(serialize(plain, kEModel).find(" orientation=\"decoupled\" transform"),
              std::string::npos);

    // Outside the descriptor form it is a plain resource.
    EXPECT_EQ(serialize(plain, kManifest),
              "<dwf:Resource role=\"3d streaming graphics\" mime=\"application/x-w3d\" "
              "href=\"m.w3d\"/>");
}

TEST(DWFImageResource, DescriptorFormAddsImageAttributesAfterTheGraphicOnes)
{
    DWFImageResource image(u"Thumb", DWFResource::kRoleThumbnail, u"image/png");
    image.setHREF(u"t.png");
    const double original[4] = {0, 0, 640, 480};
    image.setImageAttributes(24, true, true, 150, original);
    image.addProperty(new DWFProperty(u"dpi", u"150"), true);
    PackageTest::FixedUUIDs fixed;
    EXPECT_EQ(serialize(image, kEPlot),
              "<ePlot:ImageResource role=\"thumbnail\" mime=\"image/png\" href=\"t.png\" "
              "title=\"Thumb\" transform=\"" +
                  kIdentity +
                  "\" scanned=\"true\" invertColors=\"true\" scannedResolution=\"150\" "
                  "colorDepth=\"24\" originalExtents=\"0 0 640 480\"><ePlot:Properties id=\"" +
                  PackageTest::FixedUUIDs::squashed(0) +
                  "\"><ePlot:Property name=\"dpi\" value=\"150\"/></ePlot:Properties>"
                  "</ePlot:ImageResource>");

    DWFImageResource bare(u"", DWFResource::kRolePreview, u"image/jpeg", u"", u"", u"", u"");
    bare.setHREF(u"p.jpg");
    EXPECT_EQ(serialize(bare, kEPlot),
              "<ePlot:ImageResource role=\"preview\" mime=\"image/jpeg\" href=\"p.jpg\" "
              "transform=\"" +
                  kIdentity + "\"/>");
}

TEST(DWFFontResource, WritesRequestPrivilegeAndCharacterCodeAlways)
{
    DWFFontResource font(7, DWFFontResource::tePrivilege(7), DWFFontResource::eSymbol,
                         u"Arial Bold", u"Arial");
    font.setHREF(u"f.ef_");
    EXPECT_EQ(utf8(font.role()), "font");
    EXPECT_EQ(utf8(font.mime()), "application/x-font");
    EXPECT_EQ(serialize(font, kEModel),
              "<eModel:FontResource role=\"font\" mime=\"application/x-font\" href=\"f.ef_\" "
              "request=\"7\" privilege=\"noEmbedding\" characterCode=\"symbol\" "
              "logfontName=\"Arial\" canonicalName=\"Arial Bold\"/>");

    DWFFontResource glyphs(0, DWFFontResource::eEditable, DWFFontResource::teCharacterCode(0), u"",
                           u"");
    glyphs.setHREF(u"g");
    EXPECT_NE(serialize(glyphs, kEModel)
                  .find("request=\"0\" privilege=\"editable\" characterCode=\"glyphIdx\"/>"),
              std::string::npos);
}

// Writes each kind in descriptor form, reads it back through the element
// builder and writes the result again: both texts must agree.
TEST(DWFResource, DescriptorFormsReadBackThroughTheElementBuilder)
{
    DWFXMLElementBuilder builder;

    DWFGraphicResource graphic(u"G", DWFResource::kRole2DStreamingGraphics, u"application/x-w2d",
                               u"a", u"d", u"c", u"m");
    graphic.setHREF(u"g.w2d");
    graphic.setObjectID(u"oid");
    const double transform[16] = {0.1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, -0.5};
    const double box[4] = {-1.25, 2, 1e6, 0.3};
    graphic.setGraphicAttributes(transform, box, box, false, -4, 96,
                                 DWFGraphicResource::eAlwaysInSync);
    std::string first = serialize(graphic, kEPlot);
    ParsedElements graphicXML(first);
    ASSERT_TRUE(graphicXML.parsed);
    std::unique_ptr<DWFGraphicResource> graphicBack(
        builder.buildGraphicResource(graphicXML.attributes(0), nullptr));
    EXPECT_EQ(serialize(*graphicBack, kEPlot), first);
    EXPECT_FALSE(graphicBack->show());
    EXPECT_DOUBLE_EQ(graphicBack->transform()[0], 0.1);

    DWFImageResource image(u"I", DWFResource::kRoleTexture, u"image/jpeg");
    image.setHREF(u"i.jpg");
    image.setImageAttributes(8, false, true, 72, box);
    first = serialize(image, kEModel);
    ParsedElements imageXML(first);
    std::unique_ptr<DWFImageResource> imageBack(
        builder.buildImageResource(imageXML.attributes(0), nullptr));
    EXPECT_EQ(serialize(*imageBack, kEModel), first);

    DWFFontResource font(3, DWFFontResource::eInstallable, DWFFontResource::eUnicode, u"C", u"L");
    font.setHREF(u"f");
    first = serialize(font, kEModel);
    ParsedElements fontXML(first);
    std::unique_ptr<DWFFontResource> fontBack(
        builder.buildFontResource(fontXML.attributes(0), nullptr));
    EXPECT_EQ(serialize(*fontBack, kEModel), first);

    DWFResource plain(u"T", DWFResource::kRolePreview, u"image/png", u"h.png");
    plain.setInputStream(new DWFCore::DWFBufferInputStream("abc", 3));
    first = serialize(plain, kEPlot);
    ParsedElements plainXML(first);
    std::unique_ptr<DWFResource> plainBack(builder.buildResource(plainXML.attributes(0), nullptr));
    EXPECT_EQ(serialize(*plainBack, kEPlot), first);
    EXPECT_EQ(plainBack->size(), 3);
}

TEST(DWFResource, ParsingTakesFirstOccurrencesAndSurvivesHostileValues)
{
    DWFGraphicResource graphic;
    graphic.parseAttributeList(
        Attributes{"dwf:role",       "thumbnail",
                   "role",           "font",
                   "size",           "99999999999999999999",
                   "clip",           "1 2",
                   "extents",        "",
                   "transform",      "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18",
                   "show",           "Yes",
                   "zOrder",         "-99999999999999",
                   "orientation",    "sideways",
                   "eCommon:author", "me"});
    EXPECT_EQ(utf8(graphic.role()), "thumbnail");
    EXPECT_EQ(graphic.size(), INT32_MAX);
    EXPECT_EQ(graphic.clip()[0], 1);
    EXPECT_EQ(graphic.clip()[1], 2);
    EXPECT_EQ(graphic.clip()[2], 0); // missing numbers keep their values
    EXPECT_EQ(graphic.transform()[15], 16);
    EXPECT_TRUE(graphic.show());
    EXPECT_EQ(graphic.zOrder(), INT32_MIN);
    EXPECT_EQ(graphic.orientation(), DWFGraphicResource::eNotSpecified);
    EXPECT_EQ(utf8(graphic.author()), "me");

    DWFImageResource image;
    image.parseAttributeList(Attributes{"colorDepth", "300", "scanned", "no", "invertColors", "1",
                                        "originalExtents", "5"});
    EXPECT_EQ(image.colorDepth(), 255);
    EXPECT_FALSE(image.scanned());
    EXPECT_TRUE(image.invertColors());
    EXPECT_EQ(image.originalExtents()[0], 5);

    DWFFontResource font;
    font.parseAttributeList(Attributes{"privilege", "noEmbedding", "characterCode", "glyphIdx"});
    EXPECT_EQ(font.privilege(), DWFFontResource::eNoEmbedding);
    EXPECT_EQ(font.characterCode(), DWFFontResource::eGlyphIndex);
    font.parseAttributeList(Attributes{"privilege", "previewPrint", "characterCode", "bogus"});
    EXPECT_EQ(font.privilege(), DWFFontResource::ePreviewPrint);
    EXPECT_EQ(font.characterCode(), DWFFontResource::eGlyphIndex);

    DWFResource resource;
    EXPECT_THROW(resource.parseAttributeList(nullptr), DWFCore::DWFInvalidArgumentException);
    DWFXMLElementBuilder builder;
    EXPECT_THROW(builder.buildGraphicResource(nullptr, nullptr),
                 DWFCore::DWFInvalidArgumentException); // and the half-built one is freed
}

TEST(DWFResource, StreamIsHandedOutOnceThenTheReaderServesTheHref)
{
    MapPackageReader reader;
    reader.entries["pkg\\item"] = "from the package";
    DWFResource resource(&reader);
    resource.setHREF(u"pkg\\item");
    EXPECT_EQ(readAll(resource.getInputStream(true)), "from the package");
    EXPECT_TRUE(reader.lastCache);

    resource.setInputStream(new DWFCore::DWFBufferInputStream("own bytes", 9));
    EXPECT_EQ(resource.size(), 9);
    EXPECT_EQ(readAll(resource.getInputStream()), "own bytes");
    EXPECT_EQ(readAll(resource.getInputStream()), "from the package");

    DWFResource standalone(u"", DWFResource::kRoleTexture, u"image/png");
    EXPECT_EQ(standalone.getInputStream(), nullptr);
    standalone.setInputStream(new DWFCore::DWFBufferInputStream("xyz", 3), 1000);
    EXPECT_EQ(standalone.size(), 1000);
    // Never taken: the resource deletes the stream itself (ASan checks).
}

} // namespace
