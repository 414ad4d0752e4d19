// Where notes land: each line of a text is placed from the text's own
// anchor by its justification and its line number, in the text's frame
// turned by its angle; a line's width is its runs as wide as the font sets
// them and its symbols at what they draw. Runs of characters between
// symbols are texts of their own, each where the symbol before it ends.
// Expected positions below are worked out by hand from S·h = 100 (or 300)
// units and the anchor (1000, 2000), in a font no installed font answers to
// unless said otherwise, so that every character is placed by the estimate:
// a character advances 70 units, lines lie a pitch of 5/3·h apart, the
// symbol STRAIGHT reaches from 0.1 h to 1.1 h, and a gap of one h lies
// between a symbol and the characters on either side.
#include "TextLayoutCheck.h"
#include "SheetReadBack.h"
#include "addin/PublishLog.h"
#include "addin/publishers/DrawingWriter.h"
#include "addin/tests/MessageCauses.h"
#include "host/Annotation.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/Loader.h"
#include "host/View.h"
#include "addin/publishers/DWF2DGrWriter.h"
#include "host/memory/Annotation.h"
#include "host/memory/Application.h"
#include "host/memory/View.h"
#include "platform/kernel/HostSettings.h"
#include "platform/kernel/Path.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

using addin_test::Causes;
using sheet_test::Item;
using sheet_test::Sheet;
using P = WT_Logical_Point;
namespace mem = host::memory;

namespace
{
constexpr double kThirtyDegrees = 0.5235987755982988;
const std::u16string kUnmeasured = u"Quillcast Unmeasured";

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
                  double height = 0.01, const std::u16string& font = kUnmeasured)
    {
        auto* data = app.make<mem::DisplayData>();
        mem::DisplayText t;
        t.height = height;
        t.position = {0.1, 0.2, 0.0};
        t.justification = justification;
        t.angle = angle;
        t.text = text;
        t.font = font;
        data->texts.push_back(t);
        sheet_test::Capture capture;
        CDWF2DGrWriter writer(sheet, &app);
        EXPECT_EQ(writer.GenerateDisplayData(capture.file(), data), WT_Result_Success);
        EXPECT_TRUE(platform::ui().messageBoxes().empty());
        return capture.Finish();
    }

    // The same on a sheet written as plain ASCII, as the publisher writes
    // it: one text carries 65,536 ASCII characters or 16,384 UTF-16 code
    // units. Messages are left to the test.
    Sheet WrittenInAscii(const std::u16string& text, int justification,
                         const std::u16string& font = kUnmeasured)
    {
        auto* data = app.make<mem::DisplayData>();
        mem::DisplayText t;
        t.height = 0.01;
        t.position = {0.1, 0.2, 0.0};
        t.justification = justification;
        t.text = text;
        t.font = font;
        data->texts.push_back(t);
        sheet_test::Capture capture;
        capture.file().set_allow_binary_data(false);
        CDWF2DGrWriter writer(sheet, &app);
        EXPECT_EQ(writer.GenerateDisplayData(capture.file(), data), WT_Result_Success);
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
    // "AB": 140 units wide. Offsets in the text's frame (along, up):
    //   0 and any other: (0, -h)       1: (0, h/2)
    //   2, 3: (-70, -h/2)              5: (-140, -h)
    // turned by 30°: (a·cos − u·sin, a·sin + u·cos), then truncated.
    // For example code 2: (-70, -50) becomes (-35.6, -78.3).
    const Expected cases[] = {
        {0, {P(1000, 1900)}, {P(1050, 1913)}}, {1, {P(1000, 2050)}, {P(975, 2043)}},
        {2, {P(930, 1950)}, {P(964, 1921)}},   {3, {P(930, 1950)}, {P(964, 1921)}},
        {5, {P(860, 1900)}, {P(928, 1843)}},   {4, {P(1000, 1900)}, {P(1050, 1913)}},
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
    // Lines "AB", "C<GTOL-STRAIGHT>DE" and "F": 140, 520 and 70 units wide
    // (the middle one: "C" to 70, a gap to 170, the symbol to 280, a gap to
    // 380, "DE" to 520); line k also moves down by k·166.67 in the text's
    // frame. The
    // middle line is written as two runs, "C" and "DE". No line inherits
    // another's shift.
    const Expected cases[] = {
        {0,
         {P(1000, 1900), P(1000, 1733), P(1380, 1733), P(1000, 1566)},
         {P(1050, 1913), P(1133, 1769), P(1462, 1959), P(1216, 1624)}},
        {1,
         {P(1000, 2050), P(1000, 1883), P(1380, 1883), P(1000, 1716)},
         {P(975, 2043), P(1058, 1898), P(1387, 2088), P(1141, 1754)}},
        {2,
         {P(930, 1950), P(740, 1783), P(1120, 1783), P(965, 1616)},
         {P(964, 1921), P(883, 1682), P(1212, 1872), P(1161, 1650)}},
        {3,
         {P(930, 1950), P(740, 1783), P(1120, 1783), P(965, 1616)},
         {P(964, 1921), P(883, 1682), P(1212, 1872), P(1161, 1650)}},
        {5,
         {P(860, 1900), P(480, 1733), P(860, 1733), P(930, 1566)},
         {P(928, 1843), P(683, 1509), P(1012, 1699), P(1156, 1589)}},
    };
    const std::u16string note = u"AB\nC<GTOL-STRAIGHT>DE\nF";
    for (const Expected& c : cases)
    {
        SCOPED_TRACE(c.code);
        const Sheet level = Written(note, c.code, 0.0);
        EXPECT_EQ(TextPositions(level), c.level);
        ASSERT_EQ(level.Count(WT_Object::Text_ID), 4u);
        EXPECT_EQ(level.Of(WT_Object::Text_ID)[1].text, u"C");
        EXPECT_EQ(level.Of(WT_Object::Text_ID)[2].text, u"DE");
        const Sheet turned = Written(note, c.code, kThirtyDegrees);
        EXPECT_EQ(TextPositions(turned), c.turned);
        EXPECT_EQ(turned.Of(WT_Object::Text_ID)[0].fontRotation, 5461);
        // Right-justified lines end at the anchor, centred ones centre on
        // it, the others begin there; nothing lies on a character.
        for (const double angle : {0.0, kThirtyDegrees})
        {
            const text_check::Note written{P(1000, 2000), angle, c.code, 100.0, kUnmeasured};
            const text_check::Laid laid = text_check::LayOut(angle == 0.0 ? level : turned,
                                                             written);
            ASSERT_EQ(laid.symbols.size(), 1u);
            text_check::ExpectLinesMeetTheAnchor(laid, written, "three lines");
            text_check::ExpectNoSymbolOnACharacter(laid, "three lines");
        }
    }
}

TEST_F(TextPlacement, SymbolsSitWhereTheirCodesStandAtAnyTextHeight)
{
    // STRAIGHT is a line from (0.1, 0.5) to (1.1, 0.5) text heights; its
    // insertion point lies 0.7·S·h per character and a gap of S·h after the
    // run's start.
    {
        // S·h = 100: "AB" and the gap put it at 1000 + 240; the line hangs
        // at 1900.
        const Sheet small = Written(u"AB<GTOL-STRAIGHT>", 0, 0.0, 0.01);
        const auto lines = small.Of(WT_Object::Polyline_ID);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].points, (std::vector<P>{P(1250, 1950), P(1350, 1950)}));
        EXPECT_EQ(small.Of(WT_Object::Text_ID)[0].text, u"AB");
    }
    {
        // S·h = 300: at 1000 + 420 + 300 on the line hung at 1700. "C"
        // follows the symbol's right edge (330) and a gap (300), at
        // 1720 + 630 = 2350; the second symbol 210 and a gap further on, at
        // 2860.
        const Sheet large = Written(u"AB<GTOL-STRAIGHT>C<GTOL-STRAIGHT>", 0, 0.0, 0.03);
        const auto lines = large.Of(WT_Object::Polyline_ID);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].points, (std::vector<P>{P(1750, 1850), P(2050, 1850)}));
        EXPECT_EQ(lines[1].points, (std::vector<P>{P(2890, 1850), P(3190, 1850)}));
        EXPECT_EQ(TextPositions(large), (std::vector<P>{P(1000, 1700), P(2350, 1700)}));
        EXPECT_EQ(large.Of(WT_Object::Text_ID)[1].text, u"C");
    }
    {
        // S·h = 300 at 30°: the line is written at (1150, 1740) and the
        // insertion point lies 720 along the baseline, at (1773, 2100); the
        // symbol's (30, 150) and (330, 150) turn to (-49.0, 144.9) and
        // (210.8, 294.9).
        const Sheet turned = Written(u"AB<GTOL-STRAIGHT>", 0, kThirtyDegrees, 0.03);
        EXPECT_EQ(TextPositions(turned), std::vector<P>{P(1150, 1740)});
        const auto lines = turned.Of(WT_Object::Polyline_ID);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].points, (std::vector<P>{P(1723, 2244), P(1983, 2394)}));
    }
}

TEST_F(TextPlacement, RunsAroundTwoSymbolsKeepClearOfThemAtTwoHeights)
{
    // Two symbols of different shapes between three runs, justified every
    // way, level and turned, at two text heights, measured in both fonts and
    // estimated: the runs come out in order, and no symbol lies on a run's
    // extent.
    const std::u16string note = u"FLATNESS <GTOL-FLAT> 0.05 <GTOL-MMC> A";
    for (const std::u16string& font : {kUnmeasured, std::u16string(u"Arial"),
                                       std::u16string(u"Times New Roman")})
    for (const double height : {0.01, 0.037})
        for (const int code : {0, 1, 2, 5})
            for (const double angle : {0.0, kThirtyDegrees, -0.7853981633974483})
            {
                const std::string what = std::string(font.begin(), font.end()) + ", h " +
                                         std::to_string(height) + ", code " +
                                         std::to_string(code) + ", angle " +
                                         std::to_string(angle);
                const Sheet written = Written(note, code, angle, height, font);
                std::u16string collected;
                for (const Item& text : written.Of(WT_Object::Text_ID))
                    if (text.fontHeight == static_cast<std::int32_t>(10000.0 * height * 1.3))
                        collected += text.text;
                EXPECT_EQ(collected, u"FLATNESS  0.05  A") << what;
                const text_check::Note placed{P(1000, 2000), angle, code, 10000.0 * height,
                                              font};
                const text_check::Laid laid = text_check::LayOut(written, placed);
                EXPECT_EQ(laid.runs.size(), 3u) << what;
                EXPECT_GE(laid.symbols.size(), 5u) << what; // four lines and a circle
                text_check::ExpectNoSymbolOnACharacter(laid, what);
                text_check::ExpectLinesMeetTheAnchor(laid, placed, what);
            }
}

TEST_F(TextPlacement, ARightJustifiedLineEndsAtItsAnchorWithAnArcMarkLast)
{
    // The arc mark reaches from 0.1 h to 2.3 h of its insertion point (at
    // S·h = 100: 10 to 229, as 2.3 · 100 truncates to 229). Ending a
    // right-justified line, its right end is the line's end, so it lands on
    // the anchor (1000, 2000) along the baseline whatever comes before it;
    // counted to its fifth point only (170) it would run 59 units past.
    for (const std::u16string& note : {std::u16string(u"<GTOL-ARC>"),
                                       std::u16string(u"R 0.2 <GTOL-ARC>")})
        for (const double angle : {0.0, kThirtyDegrees})
        {
            const std::string what = std::string(note.begin(), note.end()) + " at " +
                                     std::to_string(angle);
            const Sheet written = Written(note, 5, angle);
            const auto marks = written.Of(WT_Object::Polygon_ID);
            ASSERT_EQ(marks.size(), 1u) << what;
            const text_check::Note placed{P(1000, 2000), angle, 5, 100.0};
            const text_check::Laid laid = text_check::LayOut(written, placed);
            ASSERT_EQ(laid.symbols.size(), 1u) << what;
            // Within the few units that truncating the turned points costs
            // (the line start, the insertion point, each point of the mark).
            EXPECT_NEAR(laid.symbols[0].to, 0.0, 3.0) << what;
            EXPECT_NEAR(laid.symbols[0].to - laid.symbols[0].from, 219.0, 3.0) << what;
            if (angle == 0.0)
            {
                EXPECT_EQ(marks[0].points[6], P(1000, 1900)) << what;
            }
        }
}

TEST_F(TextPlacement, CodesThatNameNoSymbolStayAndCount)
{
    // "<MMC>" names no symbol: it is shown and its five characters count,
    // for the width (6 characters, 420, a gap to 520, then the symbol to
    // 630) and for the symbol after it. Centred: the line starts 315 back.
    const Sheet sheet = Written(u"A<MMC><GTOL-STRAIGHT>", 2, 0.0);
    ASSERT_EQ(sheet.Count(WT_Object::Text_ID), 1u);
    EXPECT_EQ(sheet.Of(WT_Object::Text_ID)[0].text, u"A<MMC>");
    EXPECT_EQ(sheet.Of(WT_Object::Text_ID)[0].points[0], P(685, 1950));
    const auto lines = sheet.Of(WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points[0], P(685 + 520 + 10, 2000));
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

// Every display-data list of a view that can hold notes.
std::vector<host::DisplayData*> NotesOf(host::View* view)
{
    std::vector<host::DisplayData*> lists;
    const auto of = [&](host::Annotation* note)
    {
        if (note && note->displayData())
            lists.push_back(note->displayData());
    };
    for (host::Annotation* note = view->firstAnnotation(); note; note = note->next())
        of(note);
    for (host::MultiJogLeader* leader = view->firstMultiJogLeader(); leader;
         leader = leader->next())
        lists.push_back(leader->displayData());
    for (host::CentreMark* mark = view->firstCentreMark(); mark; mark = mark->next())
        of(mark->annotation());
    for (host::BlockInstance* block = view->firstBlockInstance(); block; block = block->next())
        of(block->annotation());
    for (host::QuadrantItem* item = view->firstQuadrantItem(); item; item = item->next())
        of(item->annotation());
    if (view->bomTable())
        lists.push_back(view->bomTable()->displayData());
    return lists;
}

TEST_F(TextPlacement, TheSampleDrawingsNotesMeetTheirAnchorsAndKeepSymbolsOffCharacters)
{
    // Each note of the bundled sample written alone, at its sheet's scale,
    // as the publisher writes it.
    auto sample =
        host::loadHostDocument(u"" QUILLCAST_SOURCE_DIR "/examples/sample-drawing.xml");
    host::Drawing* drawing = sample->activeDocument()->asDrawing();
    ASSERT_NE(drawing, nullptr);
    std::size_t notes = 0;
    std::size_t justified = 0;
    std::size_t symbols = 0;
    for (const std::u16string& name : drawing->sheetNames())
    {
        ASSERT_TRUE(drawing->activateSheet(name));
        const std::vector<double> properties = drawing->currentSheet()->properties();
        CDWFxDrawingWriter sheetWriter(drawing, u"", 1);
        sheetWriter.setPair(properties[5] * 1000, properties[6] * 1000);
        const w2dout::SheetContext context = sheetWriter.SheetContext();
        for (host::View* view = drawing->firstView(); view; view = view->next())
            for (host::DisplayData* data : NotesOf(view))
                for (int i = 0; i < data->textCount(); ++i)
                {
                    auto* alone = app.make<mem::DisplayData>();
                    mem::DisplayText t;
                    t.height = data->textHeight(i);
                    t.position = data->textPosition(i);
                    t.justification = data->textJustification(i);
                    t.angle = data->textAngle(i);
                    t.text = data->text(i);
                    t.font = data->textFont(i);
                    alone->texts.push_back(t);
                    sheet_test::Capture capture;
                    CDWF2DGrWriter writer(context, &app);
                    ASSERT_EQ(writer.GenerateDisplayData(capture.file(), alone), WT_Result_Success);
                    const Sheet written = capture.Finish();
                    const std::string what(t.text.begin(), t.text.end());
                    const text_check::Note note{
                        P(w2dout::SaturateToInt32(context.scale * t.position[0]),
                          w2dout::SaturateToInt32(context.scale * t.position[1])),
                        t.angle, t.justification, context.scale * t.height};
                    const text_check::Laid laid = text_check::LayOut(written, note);
                    text_check::ExpectNoSymbolOnACharacter(laid, what);
                    text_check::ExpectLinesMeetTheAnchor(laid, note, what);
                    ++notes;
                    justified += t.justification == 2 || t.justification == 3 ||
                                 t.justification == 5;
                    symbols += laid.symbols.size();
                }
    }
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
    // The sample's notes: centred and right-justified ones, and symbols.
    EXPECT_GE(notes, 12u);
    EXPECT_GE(justified, 3u);
    EXPECT_GE(symbols, 19u);
}

TEST_F(TextPlacement, ADimensionsTextMovesTheSameOnPaperAtAnySheetSize)
{
    // One dimension without segments whose arrow heads draw nothing, its
    // text 10 mm tall at (0.1, 0.1) m, on an A4 sheet and on a 20 m one.
    mem::View* view = app.make<mem::View>();
    view->dimensions = {1,   0,   0,                                   // count; not read, m
                        0,   0,   0, 0.02, 0, 0, 0,   0,   12,         // arrow head
                        0,   0,   0, 0.02, 0, 0, 0,   0,   12,         // arrow head
                        0.1, 0.1, 0, 0.1,  0.1, 0,                     // text positions
                        0.01};                                         // text height
    view->dimensionStrings = {u"25"};
    std::vector<double> offsets;
    for (const double larger : {297.0, 20000.0})
    {
        CDWFxDrawingWriter sheetWriter(nullptr, u"", 1);
        sheetWriter.setPair(larger / 1.41421356, larger);
        const w2dout::SheetContext context = sheetWriter.SheetContext();
        sheet_test::Capture capture;
        CDWF2DGrWriter writer(context, &app);
        ASSERT_EQ(writer.GenerateDimension(capture.file(), view, {}), WT_Result_Success);
        const Sheet written = capture.Finish();
        ASSERT_EQ(written.Count(WT_Object::Text_ID), 1u);
        const P at = written.Of(WT_Object::Text_ID)[0].points[0];
        // Back to metres on paper, left and down, within a unit's rounding.
        const double left = 0.1 - at.m_x / context.scale;
        const double down = 0.1 - at.m_y / context.scale;
        EXPECT_NEAR(left, down, 1.0 / context.scale);
        EXPECT_NEAR(left, CDWF2DGrWriter::kDimensionTextOffset * 0.01, 1.0 / context.scale);
        offsets.push_back(left);
    }
    EXPECT_NEAR(offsets[0], offsets[1], 0.002);
}

} // namespace

TEST_F(TextPlacement, LongLinesAreCutInCodeUnitsCountedInCharactersAndPlacedAsWritten)
{
    // 20,000 "é" right justified: cut to 16,384 (one code unit each), the
    // line ends at the anchor by the 16,384 × 70 units it is written with.
    const Sheet cut = WrittenInAscii(std::u16string(20000, u'\u00E9'), 5);
    ASSERT_EQ(cut.Count(WT_Object::Text_ID), 1u);
    const Item written = cut.Of(WT_Object::Text_ID)[0];
    EXPECT_EQ(written.text, std::u16string(16384, u'\u00E9'));
    EXPECT_EQ(written.points[0], P(1000 - 16384 * 70, 1900));
    EXPECT_EQ(Causes(), std::vector<std::u16string>{
                            u"A text of 20000 characters was cut to its first 16384, the most one "
                            u"text of the sheet's stream can hold"});

    // 8,193 emoji are 16,386 code units: 8,192 of them are kept, never half
    // of one; the message counts characters.
    std::u16string emoji;
    for (int i = 0; i < 8193; ++i)
        emoji += u"\U0001F600";
    platform::ui().reset();
    const Sheet pairs = WrittenInAscii(emoji, 0);
    ASSERT_EQ(pairs.Count(WT_Object::Text_ID), 1u);
    EXPECT_EQ(pairs.Of(WT_Object::Text_ID)[0].text, emoji.substr(0, 16384));
    EXPECT_EQ(Causes(), std::vector<std::u16string>{
                            u"A text of 8193 characters was cut to its first 8192, the most one "
                            u"text of the sheet's stream can hold"});

    // 8,000 ASCII characters and 4,000 emoji: 16,000 code units fit whole.
    platform::ui().reset();
    const std::u16string mixed = std::u16string(8000, u'W') + emoji.substr(0, 8000);
    const Sheet whole = WrittenInAscii(mixed, 0);
    ASSERT_EQ(whole.Count(WT_Object::Text_ID), 1u);
    EXPECT_EQ(whole.Of(WT_Object::Text_ID)[0].text, mixed);
    EXPECT_TRUE(Causes().empty());

    // An ASCII beginning is kept as far as ASCII text goes (65,536), though
    // the whole text, with a character beyond ASCII at its end, would have
    // held only 16,384 code units.
    platform::ui().reset();
    const Sheet ascii = WrittenInAscii(std::u16string(69999, u'W') + u"\u00E9", 0);
    ASSERT_EQ(ascii.Count(WT_Object::Text_ID), 1u);
    EXPECT_EQ(ascii.Of(WT_Object::Text_ID)[0].text, std::u16string(65536, u'W'));
    EXPECT_EQ(Causes(), std::vector<std::u16string>{
                            u"A text of 70000 characters was cut to its first 65536, the most one "
                            u"text of the sheet's stream can hold"});
}

TEST_F(TextPlacement, TheEstimateNoteQuotesTheBeginningOfItsText)
{
    // Forty characters of the first line of the first text placed so, then
    // "…"; a pair counts as one character and is never split.
    publish_log::Reset();
    std::u16string text = u"\U0001F600";
    for (int i = 0; i < 59999; ++i)
        text.push_back(static_cast<char16_t>(u'A' + i % 26));
    WrittenInAscii(text, 0);
    ASSERT_EQ(publish_log::Notes().size(), 1u);
    const std::u16string& note = publish_log::Notes()[0];
    const std::u16string quoted =
        u"first in the text \"\U0001F600ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLM\u2026\"";
    EXPECT_NE(note.find(quoted), std::u16string::npos) << note.size();
    EXPECT_LT(note.size(), 400u);

    // A short text is quoted whole, without the mark.
    publish_log::Reset();
    WrittenInAscii(u"AB", 0, u"Quillcast Other Unmeasured");
    ASSERT_EQ(publish_log::Notes().size(), 1u);
    EXPECT_NE(publish_log::Notes()[0].find(u"first in the text \"AB\""), std::u16string::npos);
    EXPECT_EQ(w2dout::Excerpt(u"AB\nCD"), u"AB\u2026") << "one line of a message";
    publish_log::Reset();
}

TEST_F(TextPlacement, AFontNameTheStreamCannotCarryIsCutAndTheTextWritten)
{
    // 65,537 ASCII characters: the name keeps its first 65,536 and the
    // text is written in it, placed as before (no installed font answers
    // to either); the message names the text by its beginning.
    const std::u16string font(65537, u'F');
    const Sheet sheet = WrittenInAscii(u"AB\nCD", 5, font);
    EXPECT_EQ(sheet.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(sheet.Count(WT_Object::Text_ID), 2u);
    for (const Item& text : sheet.Of(WT_Object::Text_ID))
        EXPECT_EQ(text.fontName, std::string(65536, 'F'));
    EXPECT_EQ(TextPositions(sheet), (std::vector<P>{P(860, 1900), P(860, 1733)}));
    EXPECT_EQ(Causes(),
              std::vector<std::u16string>{
                  u"The font name of the text \"AB\u2026\" is 65537 characters long, more "
                  u"than the sheet's stream can carry; it was cut to its first 65536"});

    // Beyond ASCII the stream counts code units: 16,384 of them, a pair
    // kept whole or not at all.
    platform::ui().reset();
    std::u16string wide;
    for (int i = 0; i < 8193; ++i)
        wide += u"\U0001F600";
    const Sheet pairs = WrittenInAscii(u"AB", 0, wide);
    ASSERT_EQ(pairs.Count(WT_Object::Text_ID), 1u);
    EXPECT_EQ(Causes(), std::vector<std::u16string>{
                            u"The font name of the text \"AB\" is 8193 characters long, more than "
                            u"the sheet's stream can carry; it was cut to its first 8192"});
}
