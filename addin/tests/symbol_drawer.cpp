// Symbols drawn into W2D and read back: placement, rotation, scale, arcs,
// circles, triangles, arc marks, texts, the extent and failures.
#include "addin/publishers/SymbolDrawer.h"
#include "addin/tests/TempFile.h"
#include "addin/tests/W2DCapture.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <cmath>

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
    const int local = static_cast<int>(std::trunc(std::trunc(double(0.3f) * f) - f / 3));
    EXPECT_EQ(texts[0].points[0], P(500 + local, 600 + local));
    EXPECT_EQ(texts[0].fontHeight, 300);
    EXPECT_EQ(texts[0].fontRotation, 0);
    // The text reaches from 0 to half a height per character, the circle
    // further.
    EXPECT_DOUBLE_EQ(drawer.ExtentMinimum(), 0.0);
    EXPECT_DOUBLE_EQ(drawer.ExtentMaximum(),
                     std::trunc(double(0.5f) * f) + std::trunc(double(0.45f) * f));
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

TEST(SymbolDrawer, AbsurdNumbersSaturate)
{
    SymbolFile symbols(Symbol("S", {"A,LINE 1e30,-1e30,nan,inf", "A,ARC 0,0,5,1e30,-1e30",
                                    "A,CIRCLE 0,0,-5", "A,CIRCLE 0,0,1e38"}));
    const std::vector<Drawn> drawn = symbols.Draw("S", 2147483000, 0, 0.0, 1e6);
    const std::vector<Drawn> lines = OfKind(drawn, WT_Object::Polyline_ID);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points[0], P(2147483647, -2147483647 - 1));
    EXPECT_EQ(lines[0].points[1], P(2147483000, 2147483647));
    // The negative circle is left out; the others are clamped.
    EXPECT_EQ(OfKind(drawn, WT_Object::Outline_Ellipse_ID).size(), 2u);
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
    const std::pair<const char16_t*, const char16_t*> codes[] = {
        {u"GTOL", u"NOPE"}, {u"NOLIB", u"FLAT"}, {u"GTOL", u"NOPE"}};
    for (const auto& [library, symbol] : codes)
    {
        drawer.SetLibraryName(library);
        drawer.SetSymbolName(symbol);
        EXPECT_EQ(drawer.Draw(capture.file(), w2dout::SheetContext{}, 0, 0, 0.0, 1.0),
                  WT_Result_Success);
    }
    const auto& boxes = platform::ui().messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    const std::u16string file16(kExample.begin(), kExample.end());
    EXPECT_EQ(boxes[0].cause,
              u"The symbol code <GTOL-NOPE> is not in the symbol file '" + file16 +
                  u"'; it is left out");
    EXPECT_EQ(boxes[1].cause,
              u"The symbol code <NOLIB-FLAT> is not in the symbol file '" + file16 +
                  u"'; it is left out");
}
