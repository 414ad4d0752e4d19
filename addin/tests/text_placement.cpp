// Where notes land: each line of a text is placed from the text's own
// anchor by its justification and its line number, in the text's frame
// turned by its angle; symbols sit along the baseline where their codes
// stand, at a pace that grows with the text. Every expected position below
// is worked out by hand from S·h = 100 (or 300) units and the anchor
// (1000, 2000); lines lie a pitch of 5/3·h apart.
#include "SheetReadBack.h"
#include "addin/publishers/DWF2DGrWriter.h"
#include "host/memory/Annotation.h"
#include "host/memory/Application.h"
#include "platform/kernel/HostSettings.h"
#include "platform/kernel/Path.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

using sheet_test::Item;
using sheet_test::Sheet;
using P = WT_Logical_Point;
namespace mem = host::memory;

namespace
{
constexpr double kThirtyDegrees = 0.5235987755982988;

class TextPlacement : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
        platform::processRegistry().setValue(
            platform::Hive::LocalMachine, platform::kHostSetupKey, platform::kToolboxIniFileValue,
            platform::path::fromNative(std::string(QUILLCAST_SOURCE_DIR) +
                                       "/examples/host-data/toolbox/toolbox.ini"));
    }

    // Writes one text anchored at (0.1, 0.2) and reads the sheet back.
    Sheet Written(const std::u16string& text, int justification, double angle,
                  double height = 0.01)
    {
        auto* data = app.make<mem::DisplayData>();
        mem::DisplayText t;
        t.height = height;
        t.position = {0.1, 0.2, 0.0};
        t.justification = justification;
        t.angle = angle;
        t.text = text;
        t.font = u"Arial";
        data->texts.push_back(t);
        sheet_test::Capture capture;
        CDWF2DGrWriter writer(sheet, &app);
        EXPECT_EQ(writer.GenerateDisplayData(capture.file(), data), WT_Result_Success);
        EXPECT_TRUE(platform::ui().messageBoxes().empty());
        return capture.Finish();
    }

    static std::vector<P> TextPositions(const Sheet& sheet)
    {
        std::vector<P> positions;
        for (const Item& text : sheet.Of(WT_Object::Text_ID))
            positions.push_back(text.points[0]);
        return positions;
    }

    mem::Application app;
    const w2dout::SheetContext sheet{10000.0};
};

struct Expected
{
    int code;
    std::vector<P> level;  // at 0°
    std::vector<P> turned; // at 30°
};

TEST_F(TextPlacement, OneLineByJustificationAtZeroAndThirtyDegrees)
{
    // "AB": n = 2. Offsets in the text's frame (along, up):
    //   0 and any other: (0, -h)       1: (0, h/2)
    //   2, 3: (-n·h, -h/2)             5: (-2·n·h, -h)
    // turned by 30°: (a·cos − u·sin, a·sin + u·cos), then truncated.
    // For example code 2: (-200, -50) becomes (-148.2, -143.3).
    const Expected cases[] = {
        {0, {P(1000, 1900)}, {P(1050, 1913)}}, {1, {P(1000, 2050)}, {P(975, 2043)}},
        {2, {P(800, 1950)}, {P(851, 1856)}},   {3, {P(800, 1950)}, {P(851, 1856)}},
        {5, {P(600, 1900)}, {P(703, 1713)}},   {4, {P(1000, 1900)}, {P(1050, 1913)}},
    };
    for (const Expected& c : cases)
    {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(TextPositions(Written(u"AB", c.code, 0.0)), c.level);
        EXPECT_EQ(TextPositions(Written(u"AB", c.code, kThirtyDegrees)), c.turned);
    }
}

TEST_F(TextPlacement, ThreeLinesEachFromTheAnchorAtZeroAndThirtyDegrees)
{
    // Lines "AB", "CDE" (its symbol code not counted) and "F": n = 2, 3, 1;
    // line k also moves down by k·166.67 in the text's frame. No line
    // inherits another's shift: code 5 puts "F" right of "CDE".
    const Expected cases[] = {
        {0,
         {P(1000, 1900), P(1000, 1733), P(1000, 1566)},
         {P(1050, 1913), P(1133, 1769), P(1216, 1624)}},
        {1,
         {P(1000, 2050), P(1000, 1883), P(1000, 1716)},
         {P(975, 2043), P(1058, 1898), P(1141, 1754)}},
        {2,
         {P(800, 1950), P(700, 1783), P(900, 1616)},
         {P(851, 1856), P(848, 1662), P(1105, 1618)}},
        {3,
         {P(800, 1950), P(700, 1783), P(900, 1616)},
         {P(851, 1856), P(848, 1662), P(1105, 1618)}},
        {5,
         {P(600, 1900), P(400, 1733), P(800, 1566)},
         {P(703, 1713), P(613, 1469), P(1043, 1524)}},
    };
    for (const Expected& c : cases)
    {
        SCOPED_TRACE(c.code);
        const Sheet level = Written(u"AB\nC<GTOL-STRAIGHT>DE\nF", c.code, 0.0);
        EXPECT_EQ(TextPositions(level), c.level);
        ASSERT_EQ(level.Count(WT_Object::Text_ID), 3u);
        EXPECT_EQ(level.Of(WT_Object::Text_ID)[1].text, u"CDE");
        const Sheet turned = Written(u"AB\nC<GTOL-STRAIGHT>DE\nF", c.code, kThirtyDegrees);
        EXPECT_EQ(TextPositions(turned), c.turned);
        EXPECT_EQ(turned.Of(WT_Object::Text_ID)[0].fontRotation, 5461);
    }
}

TEST_F(TextPlacement, SymbolsSitWhereTheirCodesStandAtAnyTextHeight)
{
    // STRAIGHT is a line from (0.1, 0.5) to (1.1, 0.5) text heights; its
    // insertion point lies 0.6·S·h per character after the line's start.
    {
        // S·h = 100: "AB" puts it at 1000 + 120; the line hangs at 1900.
        const Sheet small = Written(u"AB<GTOL-STRAIGHT>", 0, 0.0, 0.01);
        const auto lines = small.Of(WT_Object::Polyline_ID);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].points, (std::vector<P>{P(1130, 1950), P(1230, 1950)}));
        EXPECT_EQ(small.Of(WT_Object::Text_ID)[0].text, u"AB");
    }
    {
        // S·h = 300: at 1000 + 360 on the line hung at 1700; the second
        // symbol follows the first's extent (300) and 100 units, then 180
        // for "C": at 1360 + 400 + 180 = 1940.
        const Sheet large = Written(u"AB<GTOL-STRAIGHT>C<GTOL-STRAIGHT>", 0, 0.0, 0.03);
        const auto lines = large.Of(WT_Object::Polyline_ID);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].points, (std::vector<P>{P(1390, 1850), P(1690, 1850)}));
        EXPECT_EQ(lines[1].points, (std::vector<P>{P(1970, 1850), P(2270, 1850)}));
        EXPECT_EQ(large.Of(WT_Object::Text_ID)[0].text, u"ABC");
    }
    {
        // S·h = 300 at 30°: the line is written at (1150, 1740) and the
        // insertion point lies 360 along the baseline, at (1461, 1920); the
        // symbol's (30, 150) and (330, 150) turn to (-49.0, 144.9) and
        // (210.8, 294.9).
        const Sheet turned = Written(u"AB<GTOL-STRAIGHT>", 0, kThirtyDegrees, 0.03);
        EXPECT_EQ(TextPositions(turned), std::vector<P>{P(1150, 1740)});
        const auto lines = turned.Of(WT_Object::Polyline_ID);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].points, (std::vector<P>{P(1411, 2064), P(1671, 2214)}));
    }
}

TEST_F(TextPlacement, CodesThatNameNoSymbolStayAndCount)
{
    // "<MMC>" names no symbol: it is shown and its five characters count,
    // for the justification (n = 6) and for the symbol after it.
    const Sheet sheet = Written(u"A<MMC><GTOL-STRAIGHT>", 2, 0.0);
    ASSERT_EQ(sheet.Count(WT_Object::Text_ID), 1u);
    EXPECT_EQ(sheet.Of(WT_Object::Text_ID)[0].text, u"A<MMC>");
    EXPECT_EQ(sheet.Of(WT_Object::Text_ID)[0].points[0], P(400, 1950));
    const auto lines = sheet.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points[0], P(400 + 360 + 10, 2000));
    EXPECT_EQ(CDWF2DGrWriter::ShownText(u"<A-B>x<y>z<C-D"), u"x<y>z<C-D");
    // A ">" before the first "<" ends the search, as the host writes it.
    EXPECT_EQ(CDWF2DGrWriter::ShownText(u">a<B-C>"), u">a<B-C>");
}

TEST_F(TextPlacement, EmptyLinesKeepTheirPlace)
{
    // A blank line still takes a pitch; an empty text writes nothing.
    const Sheet sheet = Written(u"A\n\nB", 0, 0.0);
    EXPECT_EQ(TextPositions(sheet), (std::vector<P>{P(1000, 1900), P(1000, 1566)}));
    EXPECT_EQ(Written(u"", 0, 0.0).items.size(), 0u);
}

} // namespace
