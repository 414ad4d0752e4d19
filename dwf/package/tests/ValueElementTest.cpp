#include "dwf/package/Bookmark.h"
#include "dwf/package/FontResource.h"
#include "dwf/package/GraphicResource.h"
#include "dwf/package/ImageResource.h"
#include "dwf/package/Interface.h"
#include "dwf/package/Paper.h"
#include "dwf/package/Property.h"
#include "dwf/package/Source.h"
#include "dwf/package/Units.h"
#include "dwf/package/XMLElementBuilder.h"
#include "dwf/package/utility/PropertyContainer.h"
#include "dwf/package/utility/ResourceContainer.h"
#include "dwfcore/Exception.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

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

constexpr unsigned kEPlot = DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEPlot;
constexpr unsigned kEModel = DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEModel;
constexpr unsigned kManifest = DWFXMLSerializable::eManifest;

TEST(DWFPaper, WritesUnitsSizeColourAndClipWithOmissions)
{
    const double clip[4] = {0.5, 0.25, 210, 297.125};
    DWFPaper a4(210, 297, DWFPaper::eMillimeters, 0x00102030, clip, true);
    EXPECT_EQ(serialize(a4, kEPlot),
              "<ePlot:Paper units=\"mm\" width=\"210\" height=\"297\" color=\"16 32 48\" "
              "clip=\"0.5 0.25 210 297.125\"/>");

    // White and a zero clip are left out; any unit but millimetres is inches.
    DWFPaper letter(8.5, 11, DWFPaper::eInches, 0x00FFFFFF);
    EXPECT_EQ(serialize(letter, 0), "<Paper units=\"in\" width=\"8.5\" height=\"11\"/>");
    // A paper made for reading starts white, so a white page reads back white.
    DWFPaper reading;
    EXPECT_EQ(serialize(reading, kEModel), "<eModel:Paper units=\"in\" width=\"0\" height=\"0\"/>");
    ParsedElements white(serialize(letter, kEPlot));
    DWFXMLElementBuilder builder;
    std::unique_ptr<DWFPaper> back(builder.buildPaper(white.attributes(0)));
    EXPECT_EQ(back->color(), 0x00FFFFFFu);
    DWFPaper tenth(0.1, 1e-3, DWFPaper::teUnits(7), 0xFF00FF00);
    EXPECT_EQ(serialize(tenth, kEPlot), "<ePlot:Paper units=\"in\" width=\"0.10000000000000001\" "
                                        "height=\"0.001\" color=\"0 255 0\"/>");
}

TEST(DWFPaper, ReadsWhatItWritesAndIgnoresWhatItCannotUse)
{
    const double clip[4] = {1, 2, 3, 4};
    DWFPaper original(420.5, 297, DWFPaper::eMillimeters, 0x00A0B0C0, clip, true);
    const std::string written = serialize(original, kEPlot);
    ParsedElements parsed(written);
    DWFXMLElementBuilder builder;
    std::unique_ptr<DWFPaper> back(builder.buildPaper(parsed.attributes(0)));
    EXPECT_EQ(serialize(*back, kEPlot), written);
    EXPECT_FALSE(back->show()); // never written, so not read either

    DWFPaper paper;
    paper.parseAttributeList(Attributes{"ePlot:units", "Millimetres", "show", "yes", "color",
                                        "256 -1 7", "width", "1,5", "clip", "9"});
    EXPECT_EQ(paper.units(), DWFPaper::eMillimeters);
    EXPECT_TRUE(paper.show());
    EXPECT_EQ(paper.color(), 0x0000FF07u); // each component keeps its low eight bits
    EXPECT_DOUBLE_EQ(paper.width(), 1.5);
    EXPECT_EQ(paper.clip()[0], 9);
    EXPECT_EQ(paper.clip()[1], 0);
    paper.parseAttributeList(Attributes{"units", "cm", "color", "1 2"});
    EXPECT_EQ(paper.units(), DWFPaper::eMillimeters); // "cm" leaves the units alone
    EXPECT_EQ(paper.color(), 0x00010207u);            // a missing component is kept
    paper.parseAttributeList(Attributes{"units", "inches"});
    EXPECT_EQ(paper.units(), DWFPaper::eInches);
    EXPECT_THROW(paper.parseAttributeList(nullptr), DWFCore::DWFInvalidArgumentException);

    DWFPaper copy(paper);
    EXPECT_EQ(serialize(copy, kEPlot), serialize(paper, kEPlot));
}

TEST(DWFSourceUnitsInterface, WriteTheirAttributesInOrderAndReadThemBack)
{
    DWFSource source(u"C:\\Drawings\\a.slddrw", u"", u"{id}");
    EXPECT_EQ(serialize(source, kEPlot),
              "<dwf:Source href=\"C:\\Drawings\\a.slddrw\" objectId=\"{id}\"/>");
    DWFSource full(u"h", u"Provider", u"o");
    EXPECT_EQ(serialize(full, kManifest),
              "<dwf:Source provider=\"Provider\" href=\"h\" objectId=\"o\"/>");
    DWFSource assigned;
    assigned = full;
    EXPECT_EQ(utf8(assigned.provider()), "Provider");

    DWFInterface face(u"ePlot", u"http://viewer/", u"715941D4-1AC2-4545-8185-BC40E053B551");
    const std::string interfaceXML = serialize(face, kEModel);
    EXPECT_EQ(interfaceXML, "<dwf:Interface objectId=\"715941D4-1AC2-4545-8185-BC40E053B551\" "
                            "name=\"ePlot\" href=\"http://viewer/\"/>");

    DWFUnits inches(DWFUnits::eInches);
    EXPECT_EQ(serialize(inches, kEModel), "<eModel:Units type=\"in\"/>");
    EXPECT_EQ(serialize(inches, 0), "<dwf:Units type=\"in\"/>");
    DWFUnits none(DWFUnits::teType(5));
    EXPECT_EQ(serialize(none, kEModel), "<eModel:Units/>");
    const char* words[] = {"mm", "cm", "m", "in", "ft"};
    for (int unit = 0; unit < 5; ++unit)
    {
        EXPECT_EQ(utf8(DWFUnits(DWFUnits::teType(unit)).type()), words[unit]);
    }

    DWFXMLElementBuilder builder;
    ParsedElements parsed(serialize(full, 0) + interfaceXML + serialize(inches, kEModel));
    ASSERT_EQ(parsed.size(), 3u);
    std::unique_ptr<DWFSource> sourceBack(builder.buildSource(parsed.attributes(0)));
    std::unique_ptr<DWFInterface> interfaceBack(builder.buildInterface(parsed.attributes(1)));
    std::unique_ptr<DWFUnits> unitsBack(builder.buildUnits(parsed.attributes(2)));
    EXPECT_EQ(serialize(*sourceBack, 0), serialize(full, 0));
    EXPECT_EQ(serialize(*interfaceBack, 0), interfaceXML);
    EXPECT_EQ(utf8(unitsBack->type()), "in");

    EXPECT_THROW(source.parseAttributeList(nullptr), DWFCore::DWFInvalidArgumentException);
    EXPECT_THROW(face.parseAttributeList(nullptr), DWFCore::DWFInvalidArgumentException);
    EXPECT_THROW(builder.buildSource(nullptr), DWFCore::DWFInvalidArgumentException);
    none.parseAttributeList(Attributes{"eModel:type", "ft", "type", "m"});
    EXPECT_EQ(utf8(none.type()), "ft");
}

TEST(DWFBookmark, RootWritesNestedElementsAndNothingWhenEmpty)
{
    DWFXMLElementBuilder builder;
    DWFBookmark root;
    EXPECT_EQ(serialize(root, kEPlot), "");

    DWFBookmark* sheet = builder.buildBookmark(Attributes{"name", "Sheet 1", "href", "#s1"});
    DWFBookmark* view = builder.buildBookmark(Attributes{"dwf:name", "View", "href", ""});
    DWFBookmark* second = builder.buildBookmark(Attributes{"name", "Sheet 2"});
    root.addChildBookmark(sheet);
    sheet->addChildBookmark(view);
    root.addChildBookmark(second);
    root.addChildBookmark(nullptr);
    root.addChildBookmark(view);   // already has a parent
    view->addChildBookmark(&root); // would make a cycle
    view->addChildBookmark(view);  // itself
    EXPECT_EQ(root.getChildBookmarks().size(), 2u);
    EXPECT_TRUE(view->getChildBookmarks().empty());

    const std::string written = serialize(root, kEPlot);
    EXPECT_EQ(written, "<ePlot:Bookmark><ePlot:Bookmark name=\"Sheet 1\" href=\"#s1\">"
                       "<ePlot:Bookmark name=\"View\"/></ePlot:Bookmark>"
                       "<ePlot:Bookmark name=\"Sheet 2\"/></ePlot:Bookmark>");
    EXPECT_WELL_FORMED(written);
    EXPECT_THROW(root.parseAttributeList(nullptr), DWFCore::DWFInvalidArgumentException);
}

TEST(DWFBookmark, VeryDeepTreesAreWrittenAndDestroyedWithoutRecursion)
{
    auto root = std::make_unique<DWFBookmark>();
    DWFBookmark* tip = root.get();
    const int depth = 200000;
    for (int i = 0; i < depth; ++i)
    {
        auto* child = new DWFBookmark();
        tip->addChildBookmark(child);
        tip = child;
    }
    const std::string written = serialize(*root, kEModel);
    std::size_t elements = 0;
    for (std::size_t at = written.find("<eModel:Bookmark"); at != std::string::npos;
         at = written.find("<eModel:Bookmark", at + 1))
    {
        ++elements;
    }
    EXPECT_EQ(elements, std::size_t(depth) + 1);
    // One empty leaf; the root and every other bookmark get an end tag.
    const std::string leaf = "<eModel:Bookmark/>";
    const std::string end = "</eModel:Bookmark>";
    EXPECT_EQ(written.find(leaf), written.rfind(leaf));
    EXPECT_EQ(written.size(), elements * std::string("<eModel:Bookmark>").size() + 1 +
                                  std::size_t(depth) * end.size());

    // Built from the bottom up, the tree is just as cheap to assemble.
    DWFBookmark* bottom = new DWFBookmark();
    for (int i = 0; i < depth; ++i)
    {
        auto* parent = new DWFBookmark();
        parent->addChildBookmark(bottom);
        bottom = parent;
    }
    delete bottom;
    root.reset();
}

TEST(DWFXMLElementBuilder, BuildsPropertiesFromAttributes)
{
    DWFXMLElementBuilder builder;
    std::unique_ptr<DWFProperty> property(
        builder.buildProperty(Attributes{"name", "n", "value", "v", "category", "c"}));
    EXPECT_EQ(utf8(property->name()), "n");
    EXPECT_EQ(utf8(property->value()), "v");
    EXPECT_EQ(utf8(property->category()), "c");
    EXPECT_EQ(property->owner(), nullptr);
}

TEST(ValueElements, HostileTextInEveryFieldStaysWellFormed)
{
    std::u16string hostile(100000, u'v');
    hostile[0] = 0x1;
    hostile[1] = 0xD800;
    hostile[2] = u'"';
    hostile[3] = u'\n';
    const DWFString text(hostile);
    DWFSource source(text, text, text);
    DWFInterface face(text, text, text);
    DWFProperty property(text, text, text, text, text);
    std::string document = serialize(source, 0) + serialize(face, 0) + serialize(property, 0);
    EXPECT_EQ(document.find('\x01'), std::string::npos);
    EXPECT_EQ(document.find('\n'), std::string::npos);
    EXPECT_WELL_FORMED(document);
}

} // namespace

namespace
{

TEST(PackageXML, EveryFormOfEveryClassPassesXmllint)
{
    PackageTest::FixedUUIDs fixed;
    const double box[4] = {0, 0, 10, 20};
    DWFPaper paper(297, 210, DWFPaper::eMillimeters, 0x00123456, box);
    DWFSource source(u"a&b.drw", u"Quillcast", u"{1}");
    DWFUnits units(DWFUnits::eMeters);
    DWFInterface face(u"eModel", u"http://x/?a=1&b=2", u"75E513A9-6C41-4C91-BAA6-81E593FAAC10");
    DWFBookmark root;
    auto* child = new DWFBookmark();
    child->parseAttributeList(Attributes{"name", "\"quoted\"", "href", "#1"});
    root.addChildBookmark(child);
    DWFPropertyContainer properties;
    properties.addProperty(new DWFProperty(u"<name>", u"'v'", u"c & d"), true);

    DWFResourceContainer resources;
    resources.setResourceContainerName(u"section");
    auto* graphic =
        new DWFGraphicResource(u"g", DWFResource::kRole3DStreamingGraphics, u"application/x-w3d");
    graphic->setGraphicAttributes(nullptr, box, box, false, 1, 2, DWFGraphicResource::eDecoupled);
    graphic->addProperty(new DWFProperty(u"p", u"q"), true);
    auto* image = new DWFImageResource(u"i", DWFResource::kRoleTexture, u"image/jpeg");
    image->setImageAttributes(24, true, true, 300, box);
    auto* font = new DWFFontResource(1, DWFFontResource::eEditable, DWFFontResource::eSymbol,
                                     u"Font", u"Log");
    resources.addResource(graphic, true);
    resources.addResource(image, true, false, false, graphic);
    resources.addResource(font, true);
    resources.addResource(new DWFResource(u"d", DWFResource::kRoleDescriptor, u"text/xml"), true);

    std::string document;
    for (unsigned flags :
         {0u, kManifest, kEPlot, kEModel, unsigned(DWFXMLSerializable::eDescriptor)})
    {
        document += serialize(paper, flags) + serialize(source, flags) + serialize(units, flags) +
                    serialize(face, flags) + serialize(root, flags) +
                    serialize(properties.getSerializable(), flags) +
                    serialize(resources.getResourceSerializable(), flags);
    }
    EXPECT_TRUE(ParsedElements(document).parsed);
    EXPECT_WELL_FORMED(document);
}

} // namespace
