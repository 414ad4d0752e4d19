// Symbols drawn into W2D and read back: placement, rotation, scale, arcs,
// circles, triangles, arc marks, texts, the extent and failures.
#include "addin/publishers/SymbolDrawer.h"
#include "addin/tests/MessageCauses.h"
#include "addin/tests/TempFile.h"
#include "addin/tests/W2DCapture.h"
#include "platform/font/FontService.h"
#include "platform/tests/PinnedFonts.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

using addin_test::Drawn;
using addin_test::OfKind;
using addin_test::TempFile;
using addin_test::W2DCapture;

namespace
{
const std::string kExample = QUILLCAST_SOURCE_DIR "/examples/host-data/lang/english/Gtol.sym";
constexpr double kPi = 3.14159265358979323846;

// A symbol file of library L and a drawer reading it.
struct SymbolFile
{
    explicit SymbolFile(const std::string& text) : file(text), drawer(file.path()) {}

    std::vector<Drawn> Draw(const std::string& name, std::int32_t x0, std::int32_t y0, double angle,
                            double scale)
    {
        drawer.SetLibraryName(u"L");
        drawer.SetSymbolName(std::u16string(name.begin(), name.end()));
        W2DCapture capture;
        const w2dout::SheetContext sheet{1.0};
        EXPECT_EQ(drawer.Draw(capture.file(), sheet, x0, y0, angle, scale), WT_Result_Success);
        return capture.ReadBack();
    }

    TempFile file;
    CSymbolDrawer drawer;
};

std::string Symbol(const std::string& name, std::initializer_list<const char*> entities)
{
    std::string text = "*L,library\r\n*" + name + ",symbol\r\n";
    for (const char* entity : entities)
        text += std::string(entity) + "\r\n";
    return text;
}

WT_Logical_Point P(int x, int y)
{
    return WT_Logical_Point(x, y);
}
} // namespace

TEST(SymbolDrawer, LinePlacedRotatedAndMeasured)
{
    SymbolFile symbols(Symbol("S", {"A,LINE 0,0,10,0"}));
    const CSymbolDrawer& drawer = symbols.drawer;
    std::vector<Drawn> drawn = symbols.Draw("S", 100, 200, 0.0, 1.0);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_TRUE(drawn[0].IsPolyline());
    EXPECT_EQ(drawn[0].points, (std::vector<WT_Logical_Point>{P(100, 200), P(110, 200)}));
    EXPECT_DOUBLE_EQ(drawer.ExtentWidth(), 10.0);
    EXPECT_FALSE(drawer.ExtentEmpty());

    drawn = symbols.Draw("S", 100, 200, kPi / 2, 1.0);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].points, (std::vector<WT_Logical_Point>{P(100, 200), P(100, 210)}));

    // Scale 3 and 30 degrees: local (30, 0) turned about the insertion point.
    drawn = symbols.Draw("S", -50, 0, kPi / 6, 3.0);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].points[1], P(static_cast<int>(-50 + 30 * std::cos(kPi / 6)),
                                    static_cast<int>(30 * std::sin(kPi / 6))));
}

TEST(SymbolDrawer, CirclesAndArcsInW2DAngles)
{
    SymbolFile symbols(Symbol(
        "S", {"A,CIRCLE 0,0,5", "A,ARC 0,0,5,90,0", "A,ARC 0,0,5,45.9,90", "A,LINE 0,0,1,1"}));
    const CSymbolDrawer& drawer = symbols.drawer;
    std::vector<Drawn> drawn = symbols.Draw("S", 1000, 2000, 0.0, 1.0);
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_TRUE(drawn[0].IsPolyline()) << "lines before arcs before circles";
    const Drawn& quarter = drawn[1];
    ASSERT_TRUE(quarter.IsEllipse());
    EXPECT_EQ(quarter.start, 16384u);
    EXPECT_EQ(quarter.end, 65536u) << "an end before the start goes once round";
    EXPECT_EQ(drawn[2].start, 8192u) << "whole degrees count";
    EXPECT_EQ(drawn[2].end, 16384u);
    const Drawn& circle = drawn[3];
    EXPECT_EQ(circle.points[0], P(1000, 2000));
    EXPECT_EQ(circle.major, 5);
    EXPECT_EQ(circle.minor, 5);
    EXPECT_EQ(circle.start, 0u);
    EXPECT_EQ(circle.end, 65536u);
    EXPECT_FALSE(circle.fill);
    EXPECT_DOUBLE_EQ(drawer.ExtentMinimum(), -5.0);
    EXPECT_DOUBLE_EQ(drawer.ExtentMaximum(), 5.0);

    // The symbol's rotation turns the arc angles too.
    drawn = symbols.Draw("S", 0, 0, kPi / 2, 1.0);
    EXPECT_EQ(drawn[2].start, 8192u + 16384u);
    EXPECT_EQ(drawn[2].end, 16384u + 16384u);
}

TEST(SymbolDrawer, TrianglesAndArcMarks)
{
    SymbolFile symbols(Symbol("S", {"A,POLY 0,0,0.8,0,0,0.8", "A,SARC 0", "A,SARC 0,0"}));
    const CSymbolDrawer& drawer = symbols.drawer;
    const std::vector<Drawn> drawn = symbols.Draw("S", 10, 20, 0.0, 100.0);
    const std::vector<Drawn> polygons = OfKind(drawn, WT_Object::Polygon_ID);
    ASSERT_EQ(polygons.size(), 4u) << "one triangle, then one and two marks";
    EXPECT_EQ(polygons[0].points,
              (std::vector<WT_Logical_Point>{P(10, 20), P(90, 20), P(10, 100), P(10, 20)}));
    // 2.3 × 100 is just below 230 in doubles, and truncation keeps that.
    const std::vector<WT_Logical_Point> mark = {P(20, 20),  P(30, 40),  P(80, 65),  P(130, 80),
                                                P(180, 65), P(230, 40), P(239, 20), P(20, 20)};
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(polygons[i].points, mark);
    EXPECT_TRUE(polygons[1].fill);
    // The triangle from 0, the marks to their far end at 229.
    EXPECT_DOUBLE_EQ(drawer.ExtentMinimum(), 0.0);
    EXPECT_DOUBLE_EQ(drawer.ExtentMaximum(), 229.0);
}

TEST(SymbolDrawer, AnArcMarkExtendsOverItsWholeHump)
{
    // Alone, at f = 100 and f = 7: from 0.1 f to 2.3 f, each truncated
    // (0.1 · 100 = 10, 2.3 · 100 = 229.99.. → 229; 0.7 → 0, 16.1 → 16),
    // whether drawn, turned or only measured.
    SymbolFile symbols(Symbol("S", {"A,SARC 0"}));
    CSymbolDrawer& drawer = symbols.drawer;
    for (const double angle : {0.0, kPi / 3})
    {
        drawer.ResetExtent();
        symbols.Draw("S", 10, 20, angle, 100.0);
        EXPECT_DOUBLE_EQ(drawer.ExtentMinimum(), 10.0);
        EXPECT_DOUBLE_EQ(drawer.ExtentMaximum(), 229.0);
    }
    drawer.ResetExtent();
    symbols.Draw("S", 0, 0, 0.0, 7.0);
    EXPECT_DOUBLE_EQ(drawer.ExtentMinimum(), 0.0);
    EXPECT_DOUBLE_EQ(drawer.ExtentMaximum(), 16.0);
    drawer.SetSymbolName(u"S");
    const CSymbolDrawer::Extent measured = drawer.Measure(w2dout::SheetContext{10.0}, 10.0);
    EXPECT_FALSE(measured.empty);
    EXPECT_DOUBLE_EQ(measured.minimum, 10.0);
    EXPECT_DOUBLE_EQ(measured.maximum, 229.0);
}

TEST(SymbolDrawer, TextsTakeTheirSlotsAndFont)
{
    CSymbolDrawer drawer(kExample);
    drawer.SetLibraryName(u"GTOL");
    drawer.SetSymbolName(u"MMC");
    W2DCapture capture;
    const w2dout::SheetContext sheet{1000.0};
    ASSERT_EQ(drawer.Draw(capture.file(), sheet, 500, 600, 0.0, 0.3), WT_Result_Success);
    const std::vector<Drawn> drawn = capture.ReadBack();
    const std::vector<Drawn> texts = OfKind(drawn, WT_Object::Text_ID);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"M");
    const double f = 1000.0 * 0.3;
    const auto local = [f](float at)
    { return static_cast<int>(std::trunc(std::trunc(double(at) * f) - f / 3)); };
    EXPECT_EQ(texts[0].points[0], P(500 + local(0.496f), 600 + local(0.562f)));
    EXPECT_EQ(texts[0].fontHeight, 300);
    EXPECT_EQ(texts[0].fontRotation, 0);
    // The text reaches from 0 to half a height per character, the circle
    // further.
    EXPECT_DOUBLE_EQ(drawer.ExtentMinimum(), 0.0);
    EXPECT_DOUBLE_EQ(drawer.ExtentMaximum(),
                     std::trunc(double(0.55f) * f) + std::trunc(double(0.53f) * f));
}

TEST(SymbolDrawer, TextRotationUsesTheFontScale)
{
    SymbolFile symbols(Symbol("S", {"A,TEXT 0,0,AB"}));
    const std::vector<Drawn> drawn = symbols.Draw("S", 0, 0, 1.0, 90.0);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].fontRotation, static_cast<std::uint16_t>(10430));
    EXPECT_EQ(drawn[0].text, u"AB");
}

TEST(SymbolDrawer, PartialGroupsAndMissingTextsAreLeftOut)
{
    // Five numbers are one line and a rest; two are no arc; the text entity
    // carries two groups but stores one text.
    SymbolFile symbols(Symbol("S", {"A,LINE 1,2,3,4,5", "A,TEXT 1,1,X,2,2,Y", "A,ARC 1,1"}));
    const std::vector<Drawn> drawn = symbols.Draw("S", 0, 0, 0.0, 10.0);
    const std::vector<Drawn> lines = OfKind(drawn, WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points, (std::vector<WT_Logical_Point>{P(10, 20), P(30, 40)}));
    const std::vector<Drawn> texts = OfKind(drawn, WT_Object::Text_ID);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"Y");
    EXPECT_TRUE(OfKind(drawn, WT_Object::Outline_Ellipse_ID).empty());
}

TEST(SymbolDrawer, FailedLookupsDoNotHideLaterSymbols)
{
    CSymbolDrawer drawer(kExample);
    const w2dout::SheetContext sheet{100.0};
    W2DCapture capture;
    for (const auto& [library, symbol] : std::vector<std::pair<std::u16string, std::u16string>>{
             {u"GTOL", u"NOPE"}, {u"NOPE", u"FLAT"}, {u"GTOL", u"FLAT"}, {u"GTOL", u"STRAIGHT"}})
    {
        drawer.SetLibraryName(library);
        drawer.SetSymbolName(symbol);
        ASSERT_EQ(drawer.Draw(capture.file(), sheet, 0, 0, 0.0, 1.0), WT_Result_Success);
    }
    EXPECT_EQ(drawer.GetSymbolName(), u"STRAIGHT");
    EXPECT_EQ(OfKind(capture.ReadBack(), WT_Object::Polyline_ID).size(), 5u);
}

TEST(SymbolDrawer, ExtentKeepsNegativeSymbolsAndResets)
{
    SymbolFile symbols(Symbol("S", {"A,LINE -10,0,-5,0", "A,LINE -20,0,-1,0"}));
    CSymbolDrawer& drawer = symbols.drawer;
    symbols.Draw("S", 0, 0, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(drawer.ExtentMinimum(), -20.0);
    EXPECT_DOUBLE_EQ(drawer.ExtentMaximum(), -1.0);
    EXPECT_DOUBLE_EQ(drawer.ExtentWidth(), 19.0);
    drawer.ResetExtent();
    EXPECT_TRUE(drawer.ExtentEmpty());
    EXPECT_DOUBLE_EQ(drawer.ExtentWidth(), 0.0);
}

// Numbers that reach beyond the stream's 32-bit range: a line is cut where
// it leaves the range, along its own direction; what cannot be cut is left
// out and named. Nothing is pressed onto the range's edge.
TEST(SymbolDrawer, AbsurdNumbersAreCutOrLeftOut)
{
    platform::ui().reset();
    platform::ui().setEcho(false);
    SymbolFile symbols(
        Symbol("S", {"A,LINE 1e30,-1e30,nan,inf", "A,LINE 0,0,1000,300", "A,ARC 0,0,5,1e30,-1e30",
                     "A,CIRCLE 0,0,-5", "A,CIRCLE 0,0,1e38", "A,CIRCLE 1000,0,5"}));
    const std::vector<Drawn> drawn = symbols.Draw("S", 2147483000, 0, 0.0, 1e6);
    const std::vector<Drawn> lines = OfKind(drawn, WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 1u);
    // Towards (1e9, 3e8) from the insertion point, cut 647.99… further on,
    // where x would pass 2^31 - 1: y = 0.3 × 648 = 194.4.
    EXPECT_EQ(lines[0].points,
              (std::vector<WT_Logical_Point>{P(2147483000, 0), P(2147483647, 194)}));
    // The arc about the insertion point is drawn; the negative circle draws
    // nothing.
    EXPECT_EQ(OfKind(drawn, WT_Object::Outline_Ellipse_ID).size(), 1u);
    EXPECT_EQ(addin_test::Causes(),
              (std::vector<std::u16string>{
                  u"A line of the symbol <L-S> is left out: its coordinates on the sheet "
                  u"are not finite numbers",
                  u"A circle of the symbol <L-S> is left out: its radius is beyond the "
                  u"range of the sheet's coordinates",
                  u"A circle of the symbol <L-S> is left out: its centre lies beyond the "
                  u"range of the sheet's coordinates"}));
}

TEST(SymbolDrawer, WriteFailuresReachTheCaller)
{
    CSymbolDrawer drawer(kExample);
    drawer.SetLibraryName(u"GTOL");
    drawer.SetSymbolName(u"TOTRUN");
    W2DCapture capture;
    capture.stream().fail_writes_after = capture.stream().output.size();
    const w2dout::SheetContext sheet{1000.0};
    EXPECT_NE(drawer.Draw(capture.file(), sheet, 0, 0, 0.0, 5.0), WT_Result_Success);
    capture.file().close();
}

TEST(SymbolDrawer, MissingFileDrawsNothingAndIsReportedOnce)
{
    platform::ui().reset();
    CSymbolDrawer drawer("/nonexistent/Gtol.sym");
    W2DCapture capture;
    for (const char16_t* symbol : {u"FLAT", u"PERP"})
    {
        drawer.SetLibraryName(u"GTOL");
        drawer.SetSymbolName(symbol);
        EXPECT_EQ(drawer.Draw(capture.file(), w2dout::SheetContext{}, 0, 0, 0.0, 1.0),
                  WT_Result_Success);
    }
    EXPECT_TRUE(capture.ReadBack().empty());
    EXPECT_TRUE(drawer.ExtentEmpty());
    // The file, not each symbol: one box, naming the file and the reason.
    const auto& boxes = platform::ui().messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].cause, u"The symbol file '/nonexistent/Gtol.sym' cannot be used: No such "
                              u"file or directory; symbols in text are left out");
}

TEST(SymbolDrawer, EachUnknownCodeIsReportedOnce)
{
    platform::ui().reset();
    CSymbolDrawer drawer(kExample);
    W2DCapture capture;
    // A code of 100,000 characters is quoted by its beginning: a message is
    // one readable line.
    const std::u16string longCode(100000, u'Q');
    const std::pair<const char16_t*, const char16_t*> codes[] = {
        {u"GTOL", u"NOPE"}, {u"NOLIB", u"FLAT"}, {u"GTOL", u"NOPE"}, {u"GTOL", longCode.c_str()}};
    for (const auto& [library, symbol] : codes)
    {
        drawer.SetLibraryName(library);
        drawer.SetSymbolName(symbol);
        EXPECT_EQ(drawer.Draw(capture.file(), w2dout::SheetContext{}, 0, 0, 0.0, 1.0),
                  WT_Result_Success);
    }
    const auto& boxes = platform::ui().messageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    const std::u16string file16(kExample.begin(), kExample.end());
    EXPECT_EQ(boxes[0].cause,
              u"The symbol code <GTOL-NOPE> is not in the symbol file '" + file16 +
                  u"'; it is left out");
    EXPECT_EQ(boxes[1].cause,
              u"The symbol code <NOLIB-FLAT> is not in the symbol file '" + file16 +
                  u"'; it is left out");
    EXPECT_EQ(boxes[2].cause, u"The symbol code <GTOL-" + std::u16string(35, u'Q') +
                                  u"\u2026> is not in the symbol file '" + file16 +
                                  u"'; it is left out");
}

namespace
{
// The fonts a symbol's letters are written in (the note's font: the
// publisher names Arial unless a note names another, and the sample drawing
// has Times New Roman notes), as the platform's font service resolves them.
// Its advance widths are measured; the height of a capital above the
// baseline is not among what it reports, so it is pinned here as the fonts'
// own tables give it (read with an independent reader from the pinned
// files), and a test skips on any other file.
struct LetterFont
{
    font_test::PinnedFont font;
    int capHeight; // font units
};
const LetterFont kLetterFonts[] = {
    {font_test::kSans, 1409},
    {font_test::kSerif, 1341},
};

struct SymbolName
{
    std::string library;
    std::string symbol;
};

// Every symbol of a symbol file that holds a text, read the simple way: a
// header that entity lines follow is a symbol of the last header that none
// follow.
std::vector<SymbolName> SymbolsWithTexts(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream whole;
    whole << in.rdbuf();
    std::vector<std::string> lines;
    std::string line;
    for (char c : whole.str())
    {
        if (c == '\r' || c == '\n')
        {
            if (!line.empty())
                lines.push_back(line);
            line.clear();
        }
        else
            line.push_back(c);
    }
    if (!line.empty())
        lines.push_back(line);
    const auto isEntity = [](const std::string& l) { return l.size() > 1 && l[0] == 'A'; };
    std::vector<SymbolName> symbols;
    std::string library;
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        if (lines[i][0] == ';' || isEntity(lines[i]))
            continue;
        const std::string name = lines[i].substr(1, lines[i].find(',') - 1);
        bool texts = false;
        std::size_t k = i + 1;
        for (; k < lines.size() && isEntity(lines[k]); ++k)
            texts = texts || (lines[k].size() > 2 && lines[k][2] == 'T');
        if (k == i + 1)
            library = name;
        else if (texts)
            symbols.push_back({library, name});
    }
    return symbols;
}
} // namespace

TEST(SymbolDrawer, TheSampleFilesLettersSitCentredInsideTheirCircles)
{
    // Each symbol with a text drawn at f = 10000 units, so that truncation
    // is lost in the margins. A letter's box runs from its position on the
    // baseline by its advance width and up by a capital's height, both at
    // its em (f · em square / cell height, as the platform sizes a font by
    // its cell); in each font the box lies inside every circle around it
    // and its middle lies near the circle's centre.
    std::vector<std::pair<const LetterFont*, std::shared_ptr<const platform::FontFace>>> faces;
    for (const LetterFont& font : kLetterFonts)
    {
        std::string skip;
        std::shared_ptr<const platform::FontFace> face =
            font_test::Pinned(font.font, skip, "the capital height was");
        if (!face)
            GTEST_SKIP() << skip;
        faces.emplace_back(&font, face);
    }
    const std::vector<SymbolName> symbols = SymbolsWithTexts(kExample);
    ASSERT_GE(symbols.size(), 2u) << "the sample's circled letters";
    CSymbolDrawer drawer(kExample);
    const double f = 10000.0;
    std::size_t letters = 0;
    for (const SymbolName& name : symbols)
    {
        const std::string what = name.library + "-" + name.symbol;
        drawer.SetLibraryName(std::u16string(name.library.begin(), name.library.end()));
        drawer.SetSymbolName(std::u16string(name.symbol.begin(), name.symbol.end()));
        W2DCapture capture;
        ASSERT_EQ(drawer.Draw(capture.file(), w2dout::SheetContext{1.0}, 0, 0, 0.0, f),
                  WT_Result_Success);
        const std::vector<Drawn> drawn = capture.ReadBack();
        const std::vector<Drawn> circles = OfKind(drawn, WT_Object::Outline_Ellipse_ID);
        for (const Drawn& text : OfKind(drawn, WT_Object::Text_ID))
        {
            ASSERT_EQ(text.fontHeight, static_cast<std::int32_t>(f)) << what;
            for (const auto& [font, face] : faces)
            {
                const std::string where = what + " \"" +
                                          std::string(text.text.begin(), text.text.end()) +
                                          "\" in " + face->family();
                const platform::TextMeasure measure = face->measure(text.text);
                ASSERT_TRUE(measure.missing.empty()) << where;
                const double perUnit = f / face->metrics().cellHeight();
                const double left = text.points[0].m_x;
                const double bottom = text.points[0].m_y;
                const double right = left + measure.width * perUnit;
                const double top = bottom + font->capHeight * perUnit;
                const double middleX = (left + right) / 2;
                const double middleY = (bottom + top) / 2;
                std::size_t around = 0;
                for (const Drawn& circle : circles)
                {
                    const double cx = circle.points[0].m_x;
                    const double cy = circle.points[0].m_y;
                    const double r = circle.major;
                    if (std::hypot(middleX - cx, middleY - cy) >= r)
                        continue;
                    ++around;
                    for (const double x : {left, right})
                        for (const double y : {bottom, top})
                            EXPECT_LE(std::hypot(x - cx, y - cy), r)
                                << where << ": the corner (" << x << ", " << y
                                << ") lies outside the circle of radius " << r << " at (" << cx
                                << ", " << cy << ")";
                    EXPECT_NEAR(middleX, cx, 0.03 * f) << where;
                    EXPECT_NEAR(middleY, cy, 0.03 * f) << where;
                }
                EXPECT_GE(around, 1u) << where << ": no circle around the letter";
                ++letters;
            }
        }
    }
    EXPECT_EQ(letters, 2 * symbols.size()) << "one letter per symbol, in two fonts";
}
