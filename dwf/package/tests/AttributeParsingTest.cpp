#include "dwf/package/AttributeText.h"
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

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace DWFToolkit;
using PackageTest::serialize;

namespace
{

TEST(DWFAttributeText, PrefixesBooleansIntegersAndNumberLists)
{
    EXPECT_STREQ(DWFAttributeText::SkipPrefix("dwf:name"), "name");
    EXPECT_STREQ(DWFAttributeText::SkipPrefix("eCommon:name"), "name");
    EXPECT_STREQ(DWFAttributeText::SkipPrefix("ePlot:eModel:name"), "eModel:name"); // only one
    EXPECT_STREQ(DWFAttributeText::SkipPrefix("xmlns:name"), "xmlns:name");

    for (const char* yes : {"t", "True", "1", "y", "Yes"})
    {
        EXPECT_TRUE(DWFAttributeText::ParseBoolean(yes)) << yes;
    }
    for (const char* no : {"", "false", "0", "n", " true"})
    {
        EXPECT_FALSE(DWFAttributeText::ParseBoolean(no)) << no;
    }

    EXPECT_EQ(DWFAttributeText::ParseInteger("42"), 42);
    EXPECT_EQ(DWFAttributeText::ParseInteger("-7x"), -7);
    EXPECT_EQ(DWFAttributeText::ParseInteger("junk"), 0);
    EXPECT_EQ(DWFAttributeText::ParseInteger("2147483648"), INT32_MAX);
    EXPECT_EQ(DWFAttributeText::ParseInteger("-99999999999999999999999"), INT32_MIN);

    double values[4] = {9, 9, 9, 9};
    EXPECT_EQ(DWFAttributeText::ParseDoubles("  1.5\t-2,25  1e+3 ", values, 4), 3u);
    EXPECT_EQ(values[0], 1.5);
    EXPECT_EQ(values[1], -2.25);
    EXPECT_EQ(values[2], 1000);
    EXPECT_EQ(values[3], 9); // not given: unchanged
    EXPECT_EQ(DWFAttributeText::ParseDoubles("1 2 3 4 5 6", values, 2), 2u);
    EXPECT_EQ(values[2], 1000);
    EXPECT_EQ(DWFAttributeText::ParseDoubles("", values, 4), 0u);

    long integers[3] = {5, 5, 5};
    EXPECT_EQ(DWFAttributeText::ParseIntegers("1 x2 3", integers, 3), 3u);
    EXPECT_EQ(integers[0], 1);
    EXPECT_EQ(integers[1], 0);
    EXPECT_EQ(integers[2], 3);
}

// Random attribute lists made of the names the classes know (with and
// without prefixes) and awkward values: every object is built, written and
// left without a crash, an overflow or a leak.
TEST(DWFAttributeText, RandomAttributeListsBuildWritableObjects)
{
    const std::vector<std::string> names = {"name",
                                            "value",
                                            "category",
                                            "type",
                                            "units",
                                            "role",
                                            "href",
                                            "mime",
                                            "title",
                                            "size",
                                            "objectId",
                                            "parentObjectId",
                                            "show",
                                            "zOrder",
                                            "extents",
                                            "clip",
                                            "transform",
                                            "effectiveResolution",
                                            "orientation",
                                            "author",
                                            "invertColors",
                                            "scanned",
                                            "colorDepth",
                                            "scannedResolution",
                                            "originalExtents",
                                            "request",
                                            "privilege",
                                            "characterCode",
                                            "logfontName",
                                            "canonicalName",
                                            "width",
                                            "height",
                                            "color",
                                            "provider",
                                            "unknown"};
    const std::vector<std::string> prefixes = {"", "dwf:", "eCommon:", "ePlot:", "eModel:", "x:"};
    const std::vector<std::string> values = {"",
                                             "0",
                                             "-1",
                                             "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17",
                                             "1e+308 1e+308 -1e+308 nan",
                                             "99999999999999999999999999",
                                             "1,5 2,5",
                                             "   ",
                                             "alwaysInSync",
                                             "decoupled",
                                             "noEmbedding",
                                             "glyphIdx",
                                             "mm",
                                             "in",
                                             "255 255 255",
                                             "\xC3\xA9\xE2\x82\xAC",
                                             "\xFF\xFE\xC3",
                                             std::string(5000, '9'),
                                             std::string(3000, '<')};

    std::mt19937 random(99);
    DWFXMLElementBuilder builder;
    for (int round = 0; round < 400; ++round)
    {
        std::vector<std::string> texts;
        const int count = random() % 12;
        for (int i = 0; i < count; ++i)
        {
            texts.push_back(prefixes[random() % prefixes.size()] + names[random() % names.size()]);
            texts.push_back(values[random() % values.size()]);
        }
        std::vector<const char*> list;
        for (const std::string& text : texts)
        {
            list.push_back(text.c_str());
        }
        list.push_back(nullptr);
        const char** attributes = list.data();
        const unsigned flags[] = {DWFXMLSerializable::eManifest,
                                  DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEPlot,
                                  DWFXMLSerializable::eDescriptor | DWFXMLSerializable::eEModel};
        const unsigned form = flags[round % 3];

        std::string document;
        std::unique_ptr<DWFResource> resource(builder.buildResource(attributes, nullptr));
        document += serialize(*resource, form);
        std::unique_ptr<DWFGraphicResource> graphic(
            builder.buildGraphicResource(attributes, nullptr));
        document += serialize(*graphic, form);
        std::unique_ptr<DWFImageResource> image(builder.buildImageResource(attributes, nullptr));
        document += serialize(*image, form);
        std::unique_ptr<DWFFontResource> font(builder.buildFontResource(attributes, nullptr));
        document += serialize(*font, form);
        std::unique_ptr<DWFPaper> paper(builder.buildPaper(attributes));
        document += serialize(*paper, form);
        std::unique_ptr<DWFProperty> property(builder.buildProperty(attributes));
        document += serialize(*property, form);
        std::unique_ptr<DWFSource> source(builder.buildSource(attributes));
        document += serialize(*source, form);
        std::unique_ptr<DWFUnits> units(builder.buildUnits(attributes));
        document += serialize(*units, form);
        std::unique_ptr<DWFInterface> face(builder.buildInterface(attributes));
        document += serialize(*face, form);
        std::unique_ptr<DWFBookmark> bookmark(builder.buildBookmark(attributes));
        bookmark->addChildBookmark(builder.buildBookmark(attributes));
        document += serialize(*bookmark, form);

        PackageTest::ParsedElements parsed(document);
        ASSERT_TRUE(parsed.parsed) << document.substr(0, 500);
    }
}

} // namespace
