// The quillcast program on solid hatches whose faces have holes: points of
// the sheet read back are tested against its filled areas by the even-odd
// and by the nonzero winding rule alike, as viewers of either kind fill.
#include "QuillcastHarness.h"
#include "SheetReadBack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace
{
using namespace publish_test;

std::string Edge(const std::vector<double>& xy)
{
    std::string text = "<edge><curve>";
    char number[64]; // every digit: ends that miss by rounding still miss
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2)
        text.append(number, std::snprintf(number, 64, "%.17g %.17g 0 ", xy[i], xy[i + 1]));
    return text + "</curve></edge>";
}

// A square of four edges, counter-clockwise; a bore of two half circles,
// the second given against the first.
std::string Box(double h)
{
    return "<loop>" + Edge({-h, -h, h, -h}) + Edge({h, -h, h, h}) + Edge({h, h, -h, h}) +
           Edge({-h, h, -h, -h}) + "</loop>";
}
std::string Bore(double cx, double r)
{
    std::vector<double> upper, lower;
    for (int i = 0; i <= 24; ++i)
    {
        upper.insert(upper.end(), {cx + r * std::cos(M_PI * i / 24), r * std::sin(M_PI * i / 24)});
        lower.insert(lower.end(), {upper[2 * i], -upper[2 * i + 1]});
    }
    return "<loop>" + Edge(upper) + Edge(lower) + "</loop>";
}

// Edges whose ends agree only to a few micrometres, as imported geometry
// has them: a 60 x 40 plate whose right, top and left edges run the other
// way; a bore of two half circles both running left to right; a wedge
// whose first edge runs against the loop, the second meeting its start.
const std::string kLoosePlate = "<loop>" + Edge({-0.03, -0.02, 0.03, -0.02}) +
                                Edge({0.030002, 0.019998, 0.030002, -0.020002}) +
                                Edge({-0.029998, 0.019998, 0.029998, 0.020002}) +
                                Edge({-0.029998, -0.020002, -0.030002, 0.020002}) + "</loop>";
const std::string kLooseWedge = "<loop>" + Edge({-0.03, -0.006, 0.03, -0.006}) +
                                Edge({-0.030002, -0.005998, 0.030002, 0.006002}) +
                                Edge({0.029998, -0.006002, 0.030002, 0.005998}) + "</loop>";
std::string LooseBore(double r)
{
    std::vector<double> upper, lower;
    for (int i = 0; i <= 12; ++i)
    {
        upper.insert(upper.end(), {-r * std::cos(M_PI * i / 12), r * std::sin(M_PI * i / 12)});
        lower.insert(lower.end(), {upper[2 * i], i % 12 ? -upper[2 * i + 1] : (i ? -2e-6 : 2e-6)});
    }
    return "<loop>" + Edge(upper) + Edge(lower) + "</loop>";
}

// A 60 x 40 plate of one loop whose bore, of radius 8 and clockwise,
// touches its bottom edge: one closed edge first, two halves first, or one
// closed edge last, its ends missing the tangent point by rounding.
std::string Arc(double from, double to, int steps)
{
    std::vector<double> xy;
    for (int i = 0; i <= steps; ++i)
    {
        const double a = from + (to - from) * i / steps;
        xy.insert(xy.end(), {0.008 * std::cos(a), -0.012 + 0.008 * std::sin(a)});
    }
    return Edge(xy);
}
const std::string kOutline = Edge({0, -0.02, 0.03, -0.02}) + Edge({0.03, -0.02, 0.03, 0.02}) +
                             Edge({0.03, 0.02, -0.03, 0.02}) + Edge({-0.03, 0.02, -0.03, -0.02}) +
                             Edge({-0.03, -0.02, 0, -0.02});
const std::string kTangentBores[3] = {Arc(-M_PI / 2, -5 * M_PI / 2, 48) + kOutline,
                                      Arc(-M_PI / 2, -3 * M_PI / 2, 24) +
                                          Arc(M_PI / 2, -M_PI / 2, 24) + kOutline,
                                      kOutline + Arc(3 * M_PI / 2, -M_PI / 2, 48)};

// The filled drawables over (x, y) by the even-odd rule; false when the
// nonzero winding rule finds otherwise for any of them.
bool Cover(const sheet_test::Sheet& sheet, double x, double y, std::vector<sheet_test::Item>& by)
{
    bool agree = true;
    for (const sheet_test::Item& item : sheet.items)
    {
        if (!item.fill || !(item.IsPolygon() || item.IsContourSet()))
            continue;
        std::vector<std::int32_t> counts = item.contours;
        if (item.IsPolygon())
            counts = {std::int32_t(item.points.size())};
        int crossings = 0, winding = 0;
        for (std::size_t c = 0, first = 0; c < counts.size(); first += counts[c++])
            for (std::size_t i = 0; i < std::size_t(counts[c]); ++i)
            {
                const WT_Logical_Point& a = item.points[first + i];
                const WT_Logical_Point& b = item.points[first + (i + 1) % counts[c]];
                if ((a.m_y <= y) != (b.m_y <= y) &&
                    a.m_x + (y - a.m_y) * (double(b.m_x) - a.m_x) / (double(b.m_y) - a.m_y) > x)
                {
                    winding += b.m_y > a.m_y ? 1 : -1;
                    ++crossings;
                }
            }
        if (crossings % 2)
            by.push_back(item);
        agree = agree && (crossings % 2 == 1) == (winding != 0);
    }
    return agree;
}
} // namespace

TEST_F(QuillcastProgram, ASolidHatchsHolesStayOpenAndItsMaterialFilled)
{
    // On A4: a 60 mm square with a 20 mm hole the same way round at (0.15,
    // 0.1), the smallest document that showed the hole filled; a plate in a
    // turned view at half scale, with two bores and a slot, its tip 1000 km
    // out (cut to the range of the sheet's coordinates); a disc of one loop;
    // the loose plate alone and with its loose bore; the loose wedge; the
    // three plates with a tangent bore, at half scale.
    const double view[9][4] = {
        {0.15, 0.1, 1, 0},     {0.05, 0.05, 0.5, -0.5}, {0.24, 0.05, 1, 0},
        {0.06, 0.17, 1, 0},    {0.2, 0.17, 1, 0},       {0.245, 0.115, 1, 0},
        {0.13, 0.175, 0.5, 0}, {0.095, 0.11, 0.5, 0},   {0.245, 0.088, 0.5, 0}};
    const std::string loops[9] = {Box(0.03) + Box(0.01),
                                  Bore(-0.02, 0.008) + Bore(0.02, 0.008) + Box(0.005) + "<loop>" +
                                      Edge({-0.04, -0.025, 1e6, 0, -0.04, 0.025, -0.04, -0.025}) +
                                      "</loop>",
                                  Bore(0, 0.02),
                                  kLoosePlate,
                                  kLoosePlate + LooseBore(0.01),
                                  kLooseWedge,
                                  "<loop>" + kTangentBores[0] + "</loop>",
                                  "<loop>" + kTangentBores[1] + "</loop>",
                                  "<loop>" + kTangentBores[2] + "</loop>"};
    std::string views;
    for (int v = 0; v < 9; ++v)
        views += "<view type=\"7\" transform=\"" + std::to_string(view[v][0]) + " " +
                 std::to_string(view[v][1]) + " " + std::to_string(view[v][2]) + "\" rotation=\"" +
                 std::to_string(view[v][3]) + "\"><sketch><hatch colour=\"9474192\"><face>" +
                 loops[v] + "</face></hatch></sketch></view>";
    const std::string document = Document(
        "hatches.xml", "<host-document><document type=\"3\" title=\"RING.DRW\" picture=\"" +
                           std::string(QUILLCAST_SOURCE_DIR) +
                           "/examples/sample-preview.png\"><drawing><sheet name=\"S\" "
                           "properties=\"0 0 0 0 0 0.297 0.21\"><view type=\"1\"/>" +
                           views + "</sheet></drawing></document></host-document>");
    std::string errors;
    ASSERT_EQ(Quillcast("publish " + Quoted(document) + " -o " + Quoted(Target()), errors), 0)
        << errors;
    const std::vector<sheet_test::Sheet> sheets = sheet_test::SheetsOf(Target());
    ASSERT_EQ(sheets.size(), 1u);

    // In a view, where, and how many contours the one area there holds (0:
    // open; 1: a face of one loop, the polygon it always was).
    const double probes[][4] = {
        {0, 0, 0, 0},         {0, -0.02, 0, 2},      {1, -0.02, 0, 0},      {1, 0.02, 0.005, 0},
        {1, 0, 0, 0},         {1, 0.034, 0, 4},      {1, 1000, 0, 4},       {2, 0, 0, 1},
        {3, 0.025, 0.015, 1}, {3, -0.025, 0.015, 1}, {3, 0.025, -0.015, 1}, {3, -0.025, -0.015, 1},
        {4, 0, 0.005, 0},     {4, 0, -0.005, 0},     {4, 0.02, 0, 2},       {4, 0, 0.015, 2},
        {4, 0, -0.015, 2},    {5, 0.02, 0, 1},       {6, 0, -0.012, 0},     {6, 0.02, 0.01, 1},
        {7, 0, -0.012, 0},    {7, -0.02, 0.01, 1},   {8, 0, -0.012, 0},     {8, 0.02, -0.015, 1}};
    for (const auto& probe : probes)
    {
        const double* at = view[int(probe[0])];
        const double c = std::cos(at[3]), s = std::sin(at[3]), S = 1000.0 * 13636.5209555 / 297;
        const double x = std::trunc((at[2] * (probe[1] * c - probe[2] * s) + at[0]) * S) + 0.5;
        const double y = std::trunc((at[2] * (probe[1] * s + probe[2] * c) + at[1]) * S) + 0.5;
        std::vector<sheet_test::Item> by;
        EXPECT_TRUE(Cover(sheets[0], x, y, by)) << x << "," << y;
        ASSERT_EQ(by.size(), probe[3] ? 1u : 0u) << x << "," << y;
        if (probe[3])
        {
            EXPECT_EQ(by[0].IsPolygon() ? 1 : by[0].contours.size(), probe[3]) << x << "," << y;
        }
    }
}
