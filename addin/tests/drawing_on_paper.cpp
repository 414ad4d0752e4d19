// What a user sees of a published drawing: every drawable of every sheet of
// the package, read back through the W2D toolkit, lies on the sheet's paper;
// for the bundled sample and for a document whose views are turned and
// scaled and whose notes are justified, turned and hold symbols.
#include "PublishHarness.h"
#include "SheetReadBack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

namespace
{
using namespace publish_test;
using sheet_test::Item;
using sheet_test::Sheet;

// The points that bound what a drawable covers: the corners of polylines
// and polygons, points along the arc of an ellipse (its tilt and sweep
// included), a text's anchor.
std::vector<std::pair<double, double>> Extent(const Item& item)
{
    std::vector<std::pair<double, double>> points;
    if (item.kind == WT_Object::Outline_Ellipse_ID || item.kind == WT_Object::Filled_Ellipse_ID)
    {
        const double kToRadians = 2 * M_PI / 65536;
        const double tilt = item.tilt * kToRadians;
        const double start = item.start * kToRadians;
        const double sweep = (static_cast<double>(item.end) - item.start) * kToRadians;
        const int steps = 720;
        for (int i = 0; i <= steps; ++i)
        {
            const double t = start + sweep * i / steps;
            const double x = item.major * std::cos(t);
            const double y = item.minor * std::sin(t);
            points.emplace_back(item.points[0].m_x + x * std::cos(tilt) - y * std::sin(tilt),
                                item.points[0].m_y + x * std::sin(tilt) + y * std::cos(tilt));
        }
        if (item.kind == WT_Object::Filled_Ellipse_ID)
            points.emplace_back(item.points[0].m_x, item.points[0].m_y);
        return points;
    }
    for (const WT_Logical_Point& p : item.points)
        points.emplace_back(p.m_x, p.m_y);
    return points;
}

std::string Describe(const Item& item)
{
    std::ostringstream text;
    text << "drawable of kind " << item.kind;
    if (!item.text.empty())
        text << " \"" << std::string(item.text.begin(), item.text.end()) << '"';
    if (!item.points.empty())
        text << " at (" << item.points[0].m_x << ", " << item.points[0].m_y << ")";
    return text.str();
}

// Every drawable of the sheet lies inside its paper: the box of the sheet's
// W2D view, which the publisher makes the paper's extent. A few W2D units
// (a tenth of a millimetre on the largest paper) are allowed for the
// view's offset from the sheet's origin and for truncation.
void ExpectAllOnPaper(const Sheet& sheet, const std::string& what)
{
    ASSERT_EQ(sheet.views.size(), 1u) << what;
    const WT_Logical_Box paper = sheet.views[0];
    const double slack = 8;
    const double left = std::min(paper.m_min.m_x, paper.m_max.m_x) - slack;
    const double right = std::max(paper.m_min.m_x, paper.m_max.m_x) + slack;
    const double bottom = std::min(paper.m_min.m_y, paper.m_max.m_y) - slack;
    const double top = std::max(paper.m_min.m_y, paper.m_max.m_y) + slack;
    std::size_t off = 0;
    for (const Item& item : sheet.items)
    {
        for (const auto& [x, y] : Extent(item))
        {
            if (x >= left && x <= right && y >= bottom && y <= top)
                continue;
            ADD_FAILURE() << what << ": " << Describe(item) << " reaches (" << x << ", " << y
                          << "), off the paper (" << left << ", " << bottom << ") - (" << right
                          << ", " << top << ")";
            ++off;
            break;
        }
        if (off > 20)
            break; // enough to see what went wrong
    }
}

class DrawingOnPaper : public PublishFixture
{
protected:
    std::vector<Sheet> Publish(host::memory::Application& application)
    {
        const PublishOutcome outcome = RunPublishCommand(application, Request());
        EXPECT_EQ(outcome.status, PublishOutcome::Status::Published);
        EXPECT_TRUE(outcome.messages.empty());
        return sheet_test::SheetsOf(Target());
    }
};

TEST_F(DrawingOnPaper, EverythingOfTheSampleDrawingIsOnItsPaper)
{
    auto application = Sample();
    const std::vector<Sheet> sheets = Publish(*application);
    ASSERT_EQ(sheets.size(), 2u);
    for (std::size_t i = 0; i < sheets.size(); ++i)
    {
        EXPECT_EQ(sheets[i].end, WT_Result_End_Of_Stream);
        ExpectAllOnPaper(sheets[i], "sheet " + std::to_string(i + 1));
    }
    // The first sheet uses every kind of drawable the publisher writes.
    for (WT_Object::WT_ID kind :
         {WT_Object::Polyline_ID, WT_Object::Polygon_ID, WT_Object::Contour_Set_ID,
          WT_Object::Outline_Ellipse_ID, WT_Object::Filled_Ellipse_ID, WT_Object::Text_ID})
        EXPECT_GT(sheets[0].Count(kind), 0u) << "kind " << kind;
    // Every text of the sample is there, each dimension's once.
    EXPECT_EQ(sheets[0].Texts(u"NOTES: ").size(), 1u);
    EXPECT_EQ(sheets[0].Texts(u"DETAIL A").size(), 1u);
    EXPECT_EQ(sheets[0].Texts(u"SCALE 2 : 1").size(), 1u);
    EXPECT_EQ(sheets[0].Texts(u"160").size(), 1u);
    EXPECT_EQ(sheets[0].Texts(u"100").size(), 1u);
    ExpectNoTemporaryFiles();
}

TEST_F(DrawingOnPaper, TurnedAndScaledViewsWithJustifiedNotesStayOnThePaper)
{
    auto application = host::loadHostDocument(u"" QUILLCAST_SOURCE_DIR
                                              "/addin/tests/data/turned-views.xml");
    const std::vector<Sheet> sheets = Publish(*application);
    ASSERT_EQ(sheets.size(), 2u);
    for (std::size_t i = 0; i < sheets.size(); ++i)
    {
        EXPECT_EQ(sheets[i].end, WT_Result_End_Of_Stream);
        ExpectAllOnPaper(sheets[i], "sheet " + std::to_string(i + 1));
    }
    // Three solid hatches on the first sheet (one with a hole, drawn as one
    // area), two on the second; symbols drawn for the codes; three-line
    // notes whole.
    EXPECT_EQ(sheets[0].Count(WT_Object::Polygon_ID) >= 3u, true);
    EXPECT_EQ(sheets[0].Count(WT_Object::Contour_Set_ID), 1u);
    std::size_t hatches = 0;
    for (const Item& polygon : sheets[1].Of(WT_Object::Polygon_ID))
        hatches += polygon.colour != WT_RGBA32(0, 0, 0, 255);
    EXPECT_EQ(hatches, 2u);
    EXPECT_EQ(sheets[0].Texts(u"1. BREAK EDGES ").size(), 1u);
    EXPECT_EQ(sheets[0].Texts(u"SECTION").size(), 1u);
    EXPECT_EQ(sheets[1].Texts(u"THREE").size(), 1u);
    EXPECT_EQ(sheets[0].Texts(u"160").size(), 1u);
}

TEST_F(DrawingOnPaper, TheExampleOfTheDocumentFormatIsOnItsPaper)
{
    std::ifstream in(std::string(QUILLCAST_SOURCE_DIR) + "/docs/host-document.md");
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const auto start = text.find("```xml\n");
    ASSERT_NE(start, std::string::npos);
    const auto end = text.find("```", start + 7);
    ASSERT_NE(end, std::string::npos);
    // Its relative names are those of a document in the examples folder.
    auto application = host::parseHostDocument(text.substr(start + 7, end - start - 7),
                                               u"" QUILLCAST_SOURCE_DIR "/examples");
    const std::vector<Sheet> sheets = Publish(*application);
    ASSERT_EQ(sheets.size(), 1u);
    ExpectAllOnPaper(sheets[0], "the example");
    EXPECT_EQ(sheets[0].Texts(u"100").size(), 1u);
    EXPECT_EQ(sheets[0].Count(WT_Object::Polygon_ID), 2u) << "two arrow heads";
}

} // namespace
