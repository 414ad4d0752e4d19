// Polymarkers and polytriangles: the merges that happen while one waits in the
// file, pinned by golden bytes, and checked on strips joined every way.
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/polymarker.h"
#include "dwf/w2dtk/polytriangle.h"

#include "dwf/w2dtk/tests/raster_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

using namespace raster_test;

namespace
{
using Points = std::vector<WT_Logical_Point>;

template <class T>
std::string write_all(bool binary, const std::vector<Points>& lists, bool merging = true)
{
    return body_bytes(binary,
                      [&](WT_File& f)
                      {
                          f.set_allow_drawable_merging(merging);
                          for (Points const& p : lists)
                          {
                              T object(int(p.size()), p.data(), false);
                              EXPECT_EQ(object.serialize(f), WT_Result_Success);
                          }
                      });
}

template <class T>
std::vector<Points> read_all(const std::string& body, WT_Object::WT_ID id, std::size_t hi = 64)
{
    Read_Back r = read_back("(W2D V06.00)" + body + "(EndOfDWF)", 1, hi);
    EXPECT_EQ(r.end, WT_Result_End_Of_Stream);
    std::vector<Points> lists;
    for (T* object : r.all<T>(id))
        lists.emplace_back(object->points(), object->points() + object->count());
    return lists;
}

// The triangles of a strip, each as its sorted corners.
std::vector<std::array<std::int64_t, 6>> triangles(const Points& strip)
{
    std::vector<std::array<std::int64_t, 6>> out;
    for (std::size_t i = 0; i + 2 < strip.size(); ++i)
    {
        std::array<WT_Logical_Point, 3> t = {strip[i], strip[i + 1], strip[i + 2]};
        std::sort(t.begin(), t.end(),
                  [](auto const& p, auto const& q)
                  { return p.m_x != q.m_x ? p.m_x < q.m_x : p.m_y < q.m_y; });
        out.push_back({t[0].m_x, t[0].m_y, t[1].m_x, t[1].m_y, t[2].m_x, t[2].m_y});
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool merge(Points a, const Points& b, Points& joined)
{
    WT_Polytriangle first(int(a.size()), a.data(), true);
    WT_Polytriangle second(int(b.size()), b.data(), true);
    if (!first.merge(second))
        return false;
    joined.assign(first.points(), first.points() + first.count());
    return true;
}
} // namespace

TEST(Polymarker_Golden, Consecutive_Polymarkers_Become_One)
{
    std::vector<Points> const lists = {{{0, 0}, {1, 1}}, {{2, 2}, {3, 3}, {4, 4}}};
    EXPECT_EQ(write_all<WT_Polymarker>(false, lists), "\r\n   M 5 0,0 1,1 2,2 3,3\r\n       4,4");
    EXPECT_EQ(write_all<WT_Polymarker>(true, lists), raw({0x8D, 5}) + le16(0) + le16(0) + le16(1) +
                                                         le16(1) + le16(1) + le16(1) + le16(1) +
                                                         le16(1) + le16(1) + le16(1));
    // Without merging each goes out on its own; far points take the 32-bit form.
    EXPECT_EQ(write_all<WT_Polymarker>(true, {{{0, 0}, {1, 1}}, {{100000, 0}}}, false),
              raw({0x8D, 2}) + le16(0) + le16(0) + le16(1) + le16(1) + raw({'m', 1}) + le32(99999) +
                  le32(-1));
    for (bool binary : {false, true})
        for (std::size_t hi : {std::size_t(1), std::size_t(64)})
            EXPECT_EQ(read_all<WT_Polymarker>(write_all<WT_Polymarker>(binary, lists),
                                              WT_Object::Polymarker_ID, hi),
                      (std::vector<Points>{{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}}));
}

TEST(Polymarker_Merge, Markers_Wait_At_Most_One_Record)
{
    std::vector<Points> lists;
    for (int i = 0; i < 30000; ++i)
        lists.push_back({{i, 0}, {i, 1}, {i, 2}});
    std::vector<Points> const read = read_all<WT_Polymarker>(
        write_all<WT_Polymarker>(true, lists), WT_Object::Polymarker_ID, 4096);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].size(), std::size_t(WT_Point_Set::Max_Binary_Count / 3 * 3));
    EXPECT_EQ(read[0].size() + read[1].size(), 90000u);
    EXPECT_EQ(read[1].back(), (WT_Logical_Point{29999, 2}));
}

TEST(Polytriangle_Merge, A_Strip_Grows_At_Most_To_One_Record)
{
    // A ribbon whose last edge the next triangle shares.
    auto ribbon = [](int points)
    {
        Points strip;
        for (int i = 0; i < points; ++i)
            strip.push_back({i, i % 2});
        return strip;
    };
    // The triangle on the last edge of a ribbon of n points.
    auto next = [](int n) { return Points{{n - 2, (n - 2) % 2}, {n - 1, (n - 1) % 2}, {n, 7}}; };
    int const full = WT_Point_Set::Max_Binary_Count;
    Points joined;
    // Both parts together fit in one record: they join.
    ASSERT_TRUE(merge(ribbon(full - 3), next(full - 3), joined));
    EXPECT_EQ(joined.size(), std::size_t(full - 2));
    EXPECT_FALSE(merge(ribbon(full - 2), next(full - 2), joined));
}

TEST(Polytriangle_Golden, Triangles_Sharing_An_Edge_Become_One_Strip)
{
    std::vector<Points> const two = {{{0, 0}, {10, 0}, {0, 10}}, {{10, 0}, {0, 10}, {10, 10}}};
    EXPECT_EQ(write_all<WT_Polytriangle>(false, two), "\r\n   T 4 0,0 10,0 0,10 10,10");
    EXPECT_EQ(write_all<WT_Polytriangle>(true, two), raw({0x14, 4}) + le16(0) + le16(0) + le16(10) +
                                                         le16(0) + le16(-10) + le16(10) + le16(10) +
                                                         le16(0));
    // No shared edge: the first is written when the second arrives.
    std::vector<Points> const apart = {{{0, 0}, {10, 0}, {0, 10}}, {{50, 50}, {60, 50}, {50, 60}}};
    EXPECT_EQ(write_all<WT_Polytriangle>(false, apart),
              "\r\n   T 3 0,0 10,0 0,10\r\n   T 3 50,50 60,50 50,60");
    // Fewer than three points draw nothing.
    EXPECT_EQ(write_all<WT_Polytriangle>(false, {{{0, 0}, {1, 1}}}), "");
    for (bool binary : {false, true})
        for (std::size_t hi : {std::size_t(1), std::size_t(64)})
        {
            EXPECT_EQ(read_all<WT_Polytriangle>(write_all<WT_Polytriangle>(binary, two),
                                                WT_Object::Polytriangle_ID, hi),
                      (std::vector<Points>{{{0, 0}, {10, 0}, {0, 10}, {10, 10}}}));
            EXPECT_EQ(read_all<WT_Polytriangle>(write_all<WT_Polytriangle>(binary, apart),
                                                WT_Object::Polytriangle_ID, hi),
                      apart);
        }
}

TEST(Polytriangle_Merge, Each_Join_Keeps_Every_Triangle)
{
    Points const a = {{0, 0}, {10, 0}, {0, 10}, {10, 10}};
    struct Case
    {
        Points b;
        Points expected;
    };
    std::vector<Case> const cases = {
        // B continues A's last edge.
        {{{0, 10}, {10, 10}, {5, 20}, {15, 20}},
         {{0, 0}, {10, 0}, {0, 10}, {10, 10}, {5, 20}, {15, 20}}},
        // B ends in A's first edge.
        {{{5, -20}, {-5, -10}, {0, 0}, {10, 0}},
         {{5, -20}, {-5, -10}, {0, 0}, {10, 0}, {0, 10}, {10, 10}}},
        // B ends in A's last edge, walked backwards.
        {{{15, 20}, {5, 20}, {10, 10}, {0, 10}},
         {{0, 0}, {10, 0}, {0, 10}, {10, 10}, {5, 20}, {15, 20}}},
        // B starts with A's first edge, walked backwards.
        {{{10, 0}, {0, 0}, {-5, -10}, {5, -20}},
         {{5, -20}, {-5, -10}, {0, 0}, {10, 0}, {0, 10}, {10, 10}}},
        // Single triangles on either end, in any vertex order.
        {{{5, 20}, {10, 10}, {0, 10}}, {{0, 0}, {10, 0}, {0, 10}, {10, 10}, {5, 20}}},
        {{{10, 10}, {5, 20}, {0, 10}}, {{0, 0}, {10, 0}, {0, 10}, {10, 10}, {5, 20}}},
        {{{0, 0}, {5, -10}, {10, 0}}, {{5, -10}, {0, 0}, {10, 0}, {0, 10}, {10, 10}}},
        {{{10, 0}, {0, 0}, {5, -10}}, {{5, -10}, {0, 0}, {10, 0}, {0, 10}, {10, 10}}},
    };
    for (Case const& c : cases)
    {
        Points joined;
        ASSERT_TRUE(merge(a, c.b, joined));
        EXPECT_EQ(joined, c.expected);
        auto both = triangles(a);
        auto more = triangles(c.b);
        both.insert(both.end(), more.begin(), more.end());
        std::sort(both.begin(), both.end());
        EXPECT_EQ(triangles(joined), both);
    }
    Points joined;
    // Sharing a single corner, or an edge inside the strip, is no join.
    EXPECT_FALSE(merge(a, {{10, 10}, {20, 10}, {20, 20}}, joined));
    EXPECT_FALSE(merge(a, {{10, 0}, {0, 10}, {-10, 0}, {-20, 5}}, joined));
}

TEST(Polytriangle_Merge, Random_Triangles_Keep_Their_Triangles)
{
    // Single triangles dropped on a small grid: whatever joins must keep the
    // triangles of both strips, whichever rule joined them.
    std::mt19937 random(99);
    auto grid = [&random]() { return WT_Logical_Point(int(random() % 3), int(random() % 3)); };
    int joins = 0;
    for (int round = 0; round < 3000; ++round)
    {
        Points a, b;
        while (a.size() < 3)
        {
            WT_Logical_Point p = grid();
            if (std::find(a.begin(), a.end(), p) == a.end())
                a.push_back(p);
        }
        while (b.size() < 3)
        {
            WT_Logical_Point p = grid();
            if (std::find(b.begin(), b.end(), p) == b.end())
                b.push_back(p);
        }
        Points joined;
        if (!merge(a, b, joined))
            continue;
        ++joins;
        auto both = triangles(a);
        auto more = triangles(b);
        both.insert(both.end(), more.begin(), more.end());
        std::sort(both.begin(), both.end());
        ASSERT_EQ(triangles(joined), both) << "round " << round;
    }
    EXPECT_GT(joins, 100);
}

TEST(Polymarker_Polytriangle_Errors, Foreign_Opcodes_And_Damage)
{
    WT_File file;
    WT_Opcode opcode;
    opcode.set_token(WT_Opcode::Single_Byte, "P", 1);
    WT_Polymarker markers;
    EXPECT_EQ(markers.materialize(opcode, file), WT_Result_Foreign_Opcode);
    WT_Polytriangle strip;
    EXPECT_EQ(strip.materialize(opcode, file), WT_Result_Foreign_Opcode);
    opcode.set_token(WT_Opcode::Extended_ASCII, "(M", 2);
    EXPECT_EQ(markers.materialize(opcode, file), WT_Result_Foreign_Opcode);
    WT_Polymarker none;
    EXPECT_EQ(write_stream(true, [&](WT_File& f)
                           { EXPECT_EQ(none.serialize(f), WT_Result_Usage_Error); }),
              "(W2D V06.00)(EndOfDWF)\r\n");
    EXPECT_EQ(read_back("(W2D V06.00)M 0 (EndOfDWF)").end, WT_Result_Corrupt_Stream);

    for (bool binary : {false, true})
    {
        std::string const stream =
            write_stream(binary,
                         [](WT_File& f)
                         {
                             Points const m = {{1, 2}, {3, 4}, {50000, 6}};
                             WT_Polymarker markers(3, m.data(), false);
                             EXPECT_EQ(markers.serialize(f), WT_Result_Success);
                             Points const t = {{0, 0}, {10, 0}, {0, 10}, {9, 9}};
                             WT_Polytriangle strip(4, t.data(), false);
                             EXPECT_EQ(strip.serialize(f), WT_Result_Success);
                         });
        expect_damage_survived(stream, binary ? 51 : 52);
    }
}
