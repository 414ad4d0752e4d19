// Text measured in the platform's fonts: the bounds of a W2D text, and a
// sheet of justified notes with symbols published and measured back from
// its W2D texts. Widths come from the Liberation fonts fontconfig gives for
// Arial and Times New Roman (pinned in PinnedFonts.h).
#include "SheetReadBack.h"
#include "TextLayoutCheck.h"
#include "addin/PublishLog.h"
#include "addin/publishers/DWF2DGrWriter.h"
#include "addin/publishers/DrawingWriter.h"
#include "addin/publishers/TextMeasure.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/text.h"
#include "dwfcore/InputStream.h"
#include "host/memory/Annotation.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/memory/View.h"
#include "platform/kernel/HostSettings.h"
#include "platform/kernel/Path.h"
#include "platform/tests/PinnedFonts.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <map>

using P = WT_Logical_Point;
namespace mem = host::memory;

namespace
{
constexpr double kThirtyDegrees = 0.5235987755982988;

TEST(TextBounds, A_Texts_Box_Is_Its_Advances_At_Its_Height_In_Either_Font_Level_Or_Turned)
{
    // The box runs from the position to (x + Σ advances · H / cell, y + H):
    // the W2D height is the font's cell. Sums of advances (font units) and
    // cells (Windows ascent + descent) read from the pinned files:
    //   Liberation Sans:  cell 1854 + 434 = 2288
    //   Liberation Serif: cell 1825 + 443 = 2268
    struct Case
    {
        const font_test::PinnedFont& font;
        const char16_t* text;
        double advances;
        double cell;
    };
    const Case cases[] = {
        {font_test::kSans, u"UNLESS OTHERWISE SPECIFIED", 32546, 2288},
        {font_test::kSans, u"Mixed case 0123456789", 22317, 2288},
        {font_test::kSerif, u"UNLESS OTHERWISE SPECIFIED", 30721, 2268},
        {font_test::kSerif, u"PERPENDICULAR", 16727, 2268},
    };
    CFontTextMetrics metrics;
    for (const Case& c : cases)
    {
        std::string skip;
        if (!font_test::Pinned(c.font, skip))
            GTEST_SKIP() << skip;
        for (const std::int32_t height : {1300, 24567})
            for (const std::uint16_t rotation : {0, 5461}) // level and 30°
            {
                SCOPED_TRACE(std::string(c.font.file) + " " + std::to_string(height) + " " +
                             std::to_string(rotation));
                WT_File file;
                file.set_text_metrics(&metrics);
                WT_Font& font = file.rendition().font();
                font.font_name().set(WT_String(c.font.name));
                font.height().set(height);
                font.rotation().set(rotation);
                WT_Text text(P(100, -50), WT_String(c.text));
                text.update_bounds(file);
                // The box is the level one whatever the rotation, as the
                // toolkit has always kept it.
                EXPECT_EQ(text.bounds().m_min, P(100, -50));
                EXPECT_NEAR(text.bounds().m_max.m_x, 100 + c.advances * height / c.cell, 1.0);
                EXPECT_NEAR(text.bounds().m_max.m_y, -50 + height, 1.0);
            }
    }
    // No installed font answers to the name: only the position counts.
    WT_File file;
    file.set_text_metrics(&metrics);
    file.rendition().font().font_name().set(WT_String(u"Quillcast No Such Face"));
    WT_Text text(P(100, -50), WT_String(u"ABC"));
    text.update_bounds(file);
    EXPECT_EQ(text.bounds(), WT_Logical_Box(P(100, -50), P(100, -50)));
}

TEST(RunWidths, A_Run_Counts_The_Same_Characters_With_A_Font_Or_Without)
{
    // A surrogate pair is one character; a lone surrogate, high or low, is
    // one without a glyph. The estimate alone counts them as the font does.
    const std::u16string text = u"A\xDC00" u"B\xD800" u"\U0001F600";
    text_measure::RunWidth run =
        text_measure::MeasureRun(text, u"Quillcast No Such Face", 2288.0, 10.0);
    EXPECT_EQ(run.estimated, 5u);
    EXPECT_DOUBLE_EQ(run.width, 50.0);
    EXPECT_FALSE(run.why.empty());
    EXPECT_FALSE(run.fontFound);
    std::string skip;
    if (!font_test::Pinned(font_test::kSans, skip))
        GTEST_SKIP() << skip;
    // A and B by the font (1366 units each of a 2288 cell), the rest
    // estimated.
    run = text_measure::MeasureRun(text, u"Arial", 2288.0, 10.0);
    EXPECT_EQ(run.estimated, 3u);
    EXPECT_DOUBLE_EQ(run.width, 2 * 1366 + 30.0);
    EXPECT_TRUE(run.fontFound);
}

TEST(RunWidths, Runs_And_Bounds_Take_The_Face_Of_Their_Own_Name_And_Style_Whatever_Came_Before)
{
    std::string skip;
    if (!font_test::Pinned(font_test::kSans, skip))
        GTEST_SKIP() << skip;
    const std::shared_ptr<const platform::FontFace> regular =
        platform::FontService::shared().face(u"Arial");
    const std::shared_ptr<const platform::FontFace> bold =
        platform::FontService::shared().face(u"Arial", true);
    if (!bold)
        GTEST_SKIP() << "no bold face answers to Arial";
    const std::u16string text = u"illicit lilt";
    CFontTextMetrics metrics;
    for (int round = 0; round < 2; ++round)
    {
        // Known and unknown fonts, styles, one after another.
        EXPECT_TRUE(text_measure::MeasureRun(text, u"Arial", 2288.0, 1.0).fontFound);
        EXPECT_FALSE(
            text_measure::MeasureRun(text, u"Quillcast No Such Face", 2288.0, 1.0).fontFound);
        for (const bool isBold : {true, false})
        {
            const platform::FontFace& face = isBold ? *bold : *regular;
            WT_Text_Font_Description font;
            font.m_name = u"Arial";
            font.m_bold = isBold;
            WT_Text_Extent extent;
            ASSERT_TRUE(metrics.measure(font, text, extent));
            const double em = face.metrics().emSquare;
            EXPECT_DOUBLE_EQ(extent.m_width,
                             face.measure(text).width * em / face.metrics().cellHeight())
                << isBold;
            EXPECT_EQ(text_measure::MeasureRun(text, u"Arial", 2288.0, 1.0).width,
                      regular->measure(text).width);
        }
        WT_Text_Font_Description unknown;
        unknown.m_name = u"Quillcast No Such Face";
        WT_Text_Extent extent;
        EXPECT_FALSE(metrics.measure(unknown, text, extent));
    }
    EXPECT_NE(bold->measure(text).width, regular->measure(text).width);
}

class MeasuredNotes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
        publish_log::Reset();
        platform::processRegistry().setValue(
            platform::Hive::LocalMachine, platform::kHostSetupKey, platform::kToolboxIniFileValue,
            platform::path::fromNative(std::string(QUILLCAST_SOURCE_DIR) +
                                       "/examples/host-data/toolbox/toolbox.ini"));
        auto* document = app.make<mem::Document>(app);
        app.addDocument(document);
        drawing = app.make<mem::Drawing>();
        auto* sheet = app.make<mem::Sheet>();
        sheet->sheetProperties[5] = 0.42;
        sheet->sheetProperties[6] = 0.297;
        drawing->sheets = {sheet};
        sheetView = app.make<mem::View>();
        sheetView->viewType = 1;
        sheet->views = {sheetView};
    }
    void TearDown() override { publish_log::Reset(); }

    // A note of its own colour (the annotation's), so that its drawables
    // can be told from the others' when read back.
    void Add(const mem::DisplayText& text, std::int32_t colour)
    {
        auto* data = app.make<mem::DisplayData>();
        data->texts.push_back(text);
        auto* note = app.make<mem::Annotation>();
        note->data = data;
        note->annotationColour = colour;
        if (last)
            last->nextAnnotation = note;
        else
            sheetView->annotations = note;
        last = note;
    }

    // The whole sheet as the publisher writes it (A3, 420 mm wide), read
    // back.
    sheet_test::Sheet Publish(w2dout::SheetContext& context)
    {
        CDWFxDrawingWriter writer(drawing, u"/nowhere/notes.dwf", 1);
        writer.setPair(420, 297);
        writer.AssignHostPointer(&app);
        context = writer.SheetContext();
        EXPECT_EQ(writer.ProcessDrawingDoc(), 0);
        std::unique_ptr<DWFCore::DWFInputStream> input(writer.GetW2DInputStream());
        std::vector<std::uint8_t> bytes;
        std::uint8_t buffer[4096];
        for (std::size_t n; (n = input->read(buffer, sizeof buffer)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + n);
        return sheet_test::Read(bytes);
    }

    mem::Application app;
    mem::Drawing* drawing = nullptr;
    mem::View* sheetView = nullptr;
    mem::Annotation* last = nullptr;
};

TEST_F(MeasuredNotes, JustifiedLinesMeetTheirAnchorsAndSymbolsKeepOffTheLetters)
{
    for (const font_test::PinnedFont* font : {&font_test::kSans, &font_test::kSerif})
    {
        std::string skip;
        if (!font_test::Pinned(*font, skip))
            GTEST_SKIP() << skip;
    }
    // Capitals, symbols between words and at the end, mixed case and
    // digits: each note right-justified, centred and left-justified, level
    // and at 30°, in both fonts.
    const std::u16string text = u"UNLESS OTHERWISE SPECIFIED\n"
                                u"PERPENDICULAR <GTOL-PERP> 0.05 <GTOL-MMC> A\n"
                                u"Mixed case text 0123456789\n"
                                u"FLATNESS <GTOL-FLAT> 0.02\n"
                                u"<GTOL-POS> 0.1 ABC <GTOL-CYL>";
    struct Written
    {
        mem::DisplayText text;
        std::int32_t colour;
    };
    std::vector<Written> notes;
    for (const char16_t* font : {u"Arial", u"Times New Roman"})
        for (const double angle : {0.0, kThirtyDegrees})
            for (const int justification : {5, 2, 0})
            {
                mem::DisplayText t;
                t.height = 0.004;
                t.position = {0.06 + 0.1 * double(notes.size() % 4), 0.04 + 0.08 * double(notes.size() / 4), 0.0};
                t.justification = justification;
                t.angle = angle;
                t.text = text;
                t.font = font;
                const auto colour = static_cast<std::int32_t>(notes.size() + 1); // red 1, 2, ...
                notes.push_back({t, colour});
                Add(t, colour);
            }
    w2dout::SheetContext context;
    const sheet_test::Sheet sheet = Publish(context);
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
    // Every font and glyph was found: nothing was placed by the estimate.
    EXPECT_TRUE(publish_log::Notes().empty());

    std::map<int, sheet_test::Sheet> byNote;
    for (const sheet_test::Item& item : sheet.items)
        byNote[item.colour.red()].items.push_back(item);
    for (const Written& note : notes)
    {
        const mem::DisplayText& t = note.text;
        const std::string what = std::string(t.font.begin(), t.font.end()) + ", justification " +
                                 std::to_string(t.justification) + ", angle " +
                                 std::to_string(t.angle);
        const text_check::Note placed{
            P(w2dout::SaturateToInt32(context.scale * t.position[0]),
              w2dout::SaturateToInt32(context.scale * t.position[1])),
            t.angle, t.justification, context.scale * t.height, t.font};
        const text_check::Laid laid = text_check::LayOut(byNote[note.colour], placed);
        EXPECT_EQ(laid.runs.size(), 8u) << what; // runs between symbols are texts of their own
        EXPECT_GE(laid.symbols.size(), 11u) << what; // lines, circles and arcs of five symbols
        text_check::ExpectLinesMeetTheAnchor(laid, placed, what);
        text_check::ExpectNoSymbolOnACharacter(laid, what);
    }
}

TEST_F(MeasuredNotes, CharactersWithoutAFontOrGlyphAreEstimatedAndNotedOncePerFont)
{
    std::string skip;
    if (!font_test::Pinned(font_test::kSans, skip))
        GTEST_SKIP() << skip;
    // No installed font answers to the first note's font: both its runs are
    // estimated. Arial has no glyph for the CJK character of the second:
    // only it is estimated.
    mem::DisplayText unknown;
    unknown.height = 0.004;
    unknown.position = {0.1, 0.1, 0.0};
    unknown.justification = 5;
    unknown.text = u"AB <GTOL-FLAT> C";
    unknown.font = u"Quillcast No Such Face";
    Add(unknown, 1);
    mem::DisplayText missing = unknown;
    missing.position = {0.1, 0.2, 0.0};
    missing.text = u"X\u4E2D\u4E2DY";
    missing.font = u"Arial";
    Add(missing, 2);
    w2dout::SheetContext context;
    const sheet_test::Sheet sheet = Publish(context);
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
    const std::vector<std::u16string>& notes = publish_log::Notes();
    // One note per font and reason for the whole publication, naming the
    // first run it placed so.
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].rfind(u"the font \"Quillcast No Such Face\": no installed font", 0), 0u);
    EXPECT_NE(notes[0].find(u"first in the text \"AB \""), std::u16string::npos);
    EXPECT_EQ(notes[1].rfind(u"the font \"Arial\": it has no glyph", 0), 0u);
    EXPECT_NE(notes[1].find(u"\"X\u4E2D\u4E2DY\""), std::u16string::npos);
    EXPECT_NE(notes[1].find(u"Liberation Sans has no glyph for 2"), std::u16string::npos);

    // The right-justified line still ends at its anchor: X and Y by the
    // font (1366 and 1366 units of a 2288 cell), the two others at 0.7 h.
    const double h = context.scale * missing.height;
    const double fontHeight = std::int32_t(h * CDWF2DGrWriter::kFontHeight);
    const double width = 2 * 1366 * fontHeight / 2288 + 2 * 0.7 * h;
    std::vector<sheet_test::Item> written = sheet.Texts(u"X\u4E2D\u4E2DY");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NEAR(written[0].points[0].m_x, context.scale * 0.1 - width, 2.0);

    // With fonts switched off, everything is estimated and nothing noted.
    publish_log::Reset();
    text_measure::SetFontsMeasured(false);
    const sheet_test::Sheet estimated = Publish(context);
    text_measure::SetFontsMeasured(true);
    EXPECT_TRUE(publish_log::Notes().empty());
    written = estimated.Texts(u"X\u4E2D\u4E2DY");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NEAR(written[0].points[0].m_x, context.scale * 0.1 - 4 * 0.7 * h, 2.0);
}

} // namespace
