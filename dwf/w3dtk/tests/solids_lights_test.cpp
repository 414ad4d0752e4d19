// Cylinders, grids, cutting planes, points, spot and area lights, bounding.
#include "raw_records.h"
#include "record_bytes.h"
#include "stream_harness.h"

#include "dwf/w3dtk/records/bounding.h"
#include "dwf/w3dtk/records/lights.h"
#include "dwf/w3dtk/records/point.h"
#include "dwf/w3dtk/records/solids.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;

float const Axis[6] = {1, 2, 3, 4, 5, 6};
float const A[3] = {0.5f, -1, 2};
float const B[3] = {7, 8, 9};
float const C[3] = {-3, 0, 1e6f};

void cylinder(BStreamFileToolkit& tk, W3DStreamWriter& writer, TK_Key key = 0)
{
    serialize_with<TK_Cylinder>(
        tk, writer, 'Y',
        [](TK_Cylinder& h)
        {
            h.SetAxis(Axis);
            h.SetRadius(0.25f);
            h.SetCaps(3);
        },
        key);
}

void grid(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    serialize_with<TK_Grid>(tk, writer, 'g',
                            [](TK_Grid& h)
                            {
                                h.SetType(1);
                                h.SetOrigin(A);
                                h.SetRef1(B);
                                h.SetRef2(C);
                                h.SetCounts(4, -5);
                            });
}

void point(BStreamFileToolkit& tk, W3DStreamWriter& writer, int opcode, TK_Key key = 0)
{
    serialize_with<TK_Point>(
        tk, writer, opcode, [&](TK_Point& h) { h.SetPoint(float(opcode), 1, 2); }, key);
}

void spot(BStreamFileToolkit& tk, W3DStreamWriter& writer, int options)
{
    serialize_with<TK_Spot_Light>(tk, writer, '^',
                                  [&](TK_Spot_Light& h)
                                  {
                                      h.SetPosition(A);
                                      h.SetTarget(B);
                                      h.SetOuter(30);
                                      h.SetInner(20);
                                      h.SetConcentration(0.5f);
                                      h.SetOptions(options);
                                  });
}

void area(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    float const points[9] = {0, 0, 0, 1, 0, 0, 1, 1, 0};
    serialize_with<TK_Area_Light>(tk, writer, 'a',
                                  [&](TK_Area_Light& h)
                                  {
                                      h.SetPoints(3, points);
                                      h.SetOptions(0x11);
                                  });
}

void bounding(BStreamFileToolkit& tk, W3DStreamWriter& writer, int opcode, bool sphere)
{
    serialize_with<TK_Bounding>(tk, writer, opcode,
                                [&](TK_Bounding& h)
                                {
                                    if (sphere)
                                        h.SetSphere(A, 2);
                                    else
                                        h.SetBox(A, B);
                                });
}

void everything(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    cylinder(tk, writer);
    grid(tk, writer);
    serialize_with<TK_Cutting_Plane>(tk, writer, '/',
                                     [](TK_Cutting_Plane& h) { h.SetPlane(0, 0, 1, -2); });
    for (int const opcode : {'.', 'd', 'X', '|'})
        point(tk, writer, opcode);
    spot(tk, writer, 0x01);
    spot(tk, writer, 0x24);
    spot(tk, writer, 0x2F);
    area(tk, writer);
    bounding(tk, writer, 'B', false);
    bounding(tk, writer, 'b', true);
}

TEST(SolidsAndLights, RecordsArePinned)
{
    Golden expected;
    expected.u8('Y').floats({1, 2, 3, 4, 5, 6}).f32(0.25f).u8(3);
    expected.u8('g').u8(1).floats({0.5f, -1, 2, 7, 8, 9, -3, 0, 1e6f}).i32(4).i32(-5);
    expected.u8('/').floats({0, 0, 1, -2});
    for (int const opcode : {'.', 'd', 'X', '|'})
        expected.u8(opcode).floats({float(opcode), 1, 2});
    // Options 0x01: only the outer cone; 0x24: inner cone and concentration.
    expected.u8('^').floats({0.5f, -1, 2, 7, 8, 9}).u8(0x01).f32(30);
    expected.u8('^').floats({0.5f, -1, 2, 7, 8, 9}).u8(0x24).floats({20, 0.5f});
    expected.u8('^').floats({0.5f, -1, 2, 7, 8, 9}).u8(0x2F).floats({30, 20, 0.5f});
    expected.u8('a').i32(3).floats({0, 0, 0, 1, 0, 0, 1, 1, 0}).u8(0x11);
    expected.u8('B').u8(2).floats({0.5f, -1, 2, 7, 8, 9});
    expected.u8('b').u8(1).floats({0.5f, -1, 2, 2});
    EXPECT_EQ(write_records(everything), expected.bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(everything));
}

TEST(SolidsAndLights, ReadBackOneByteAtATime)
{
    std::vector<std::vector<float>> seen;
    std::vector<int> extras;
    Read_Result const result = read_stream(
        write_stream(everything), 1,
        [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&)
        {
            if (auto* h = dynamic_cast<TK_Cylinder*>(&handler))
            {
                seen.emplace_back(h->GetAxis(), h->GetAxis() + 6);
                seen.back().push_back(h->GetRadius());
                extras.push_back(h->GetCaps());
            }
            else if (auto* h = dynamic_cast<TK_Grid*>(&handler))
            {
                seen.emplace_back(h->GetOrigin(), h->GetOrigin() + 3);
                seen.back().insert(seen.back().end(), h->GetRef2(), h->GetRef2() + 3);
                extras.push_back(h->GetType());
                extras.push_back(h->GetCounts()[1]);
            }
            else if (auto* h = dynamic_cast<TK_Cutting_Plane*>(&handler))
                seen.emplace_back(h->GetPlane(), h->GetPlane() + 4);
            else if (auto* h = dynamic_cast<TK_Point*>(&handler))
                seen.emplace_back(h->GetPoint(), h->GetPoint() + 3);
            else if (auto* h = dynamic_cast<TK_Spot_Light*>(&handler))
            {
                seen.push_back(
                    {h->GetTarget()[2], h->GetOuter(), h->GetInner(), h->GetConcentration()});
                extras.push_back(h->GetOptions());
            }
            else if (auto* h = dynamic_cast<TK_Area_Light*>(&handler))
            {
                seen.emplace_back(h->GetPoints(), h->GetPoints() + 3 * h->GetCount());
                extras.push_back(h->GetOptions());
            }
            else if (auto* h = dynamic_cast<TK_Bounding*>(&handler))
            {
                seen.emplace_back(h->GetValues(), h->GetValues() + (h->GetType() == 1 ? 4 : 6));
                extras.push_back(h->GetType());
            }
        });
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    std::vector<std::vector<float>> const expected = {
        {1, 2, 3, 4, 5, 6, 0.25f},
        {0.5f, -1, 2, -3, 0, 1e6f},
        {0, 0, 1, -2},
        {'.', 1, 2},
        {'d', 1, 2},
        {'X', 1, 2},
        {'|', 1, 2},
        {9, 30, 0, 0}, // values that did not travel read as 0 in a fresh handler
        {9, 30, 20, 0.5f},
        {9, 30, 20, 0.5f},
        {0, 0, 0, 1, 0, 0, 1, 1, 0},
        {0.5f, -1, 2, 7, 8, 9},
        {0.5f, -1, 2, 2},
    };
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(seen[i], expected[i]) << i;
    EXPECT_EQ(extras, (std::vector<int>{3, 1, -5, 0x01, 0x24, 0x2F, 0x11, 2, 1}));
}

TEST(SolidsAndLights, CylindersNeedVersion650)
{
    auto at = [](int version)
    {
        return write_records([](BStreamFileToolkit& tk, W3DStreamWriter& w) { cylinder(tk, w); },
                             W3DStreamWriter::Buffer_Size, target_version(version));
    };
    EXPECT_TRUE(at(649).empty());
    EXPECT_EQ(at(650).size(), 30u);
}

TEST(SolidsAndLights, TaggingSkipsTextPathsAndBounding)
{
    // With the tag-everything flag the records tag their pending key themselves,
    // except text paths (attributes, not objects) and bounding volumes.
    BStreamFileToolkit tk;
    tk.SetWriteFlags(TK_Option_Tag_All);
    std::vector<char> buffer(64);
    tk.PrepareBuffer(buffer.data(), 64);
    auto write_with_key = [&](int opcode, TK_Key key)
    {
        tk.set_last_key(key);
        BBaseOpcodeHandler& handler = tk.GetOpcodeHandler(opcode);
        int const before = tk.CurrentBufferLength();
        EXPECT_EQ(handler.Write(tk), TK_Done);
        handler.Reset();
        return std::string(buffer.data() + before, buffer.data() + tk.CurrentBufferLength());
    };
    EXPECT_EQ(write_with_key('|', 5).size(), 13u);
    EXPECT_EQ(write_with_key('b', 6).size(), 26u);
    std::string const marker = write_with_key('X', 7);
    ASSERT_EQ(marker.size(), 14u);
    EXPECT_EQ(marker.back(), 'q');
    int index = -1;
    EXPECT_EQ(tk.KeyToIndex(7, index), TK_Done);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(tk.KeyToIndex(5, index), TK_Not_Found);

    // Through the writer, keyed records of every tagging class end in a tag.
    w3d_test::Setup const tag_all = [](BStreamFileToolkit& t)
    { t.SetWriteFlags(TK_Option_Tag_All); };
    Bytes const bytes = write_records(
        [](BStreamFileToolkit& t, W3DStreamWriter& writer)
        {
            cylinder(t, writer, 1);
            point(t, writer, 'd', 2);
        },
        W3DStreamWriter::Buffer_Size, tag_all);
    EXPECT_EQ(bytes.size(), 30u + 1 + 13 + 1);
    EXPECT_EQ(bytes[30], 'q');
    EXPECT_EQ(bytes.back(), 'q');
}

TEST(SolidsAndLights, StreamBoundingSetsTheWorldBox)
{
    auto box_after = [](int opcode, bool sphere)
    {
        BStreamFileToolkit tk;
        Memory_Output output;
        W3DStreamWriter writer(output, tk);
        writer.open();
        bounding(tk, writer, opcode, sphere);
        writer.close();
        std::vector<float> box;
        if (tk.GetWorldBounding())
            box.assign(tk.GetWorldBounding(), tk.GetWorldBounding() + 6);
        return box;
    };
    // centre (0.5, -1, 2), radius 2
    EXPECT_EQ(box_after('B', true), (std::vector<float>{-1.5f, -3, 0, 2.5f, 1, 4}));
    EXPECT_EQ(box_after('B', false), (std::vector<float>{0.5f, -1, 2, 7, 8, 9}));
    EXPECT_TRUE(box_after('b', true).empty());

    // Reading sets it too: centre (1, 2, 3), radius 1 gives (0, 1, 2)-(2, 3, 4).
    Golden record;
    record.u8('B').u8(1).floats({1, 2, 3, 1});
    BStreamFileToolkit tk;
    Read_Result const result = read_stream(write_stream(raw_record(record)), 1, {}, {}, &tk);
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    ASSERT_NE(tk.GetWorldBounding(), nullptr);
    EXPECT_EQ(std::vector<float>(tk.GetWorldBounding(), tk.GetWorldBounding() + 6),
              (std::vector<float>{0, 1, 2, 2, 3, 4}));
}

TEST(SolidsAndLights, AreaLightCountsAreChecked)
{
    for (std::int64_t const count : {-1LL, (1LL << 24) + 1, 0x7FFFFFFFLL})
    {
        Golden record;
        record.u8('a').i32(count);
        Read_Result const result = read_stream(write_stream(raw_record(record)));
        EXPECT_EQ(result.status, TK_Error);
        EXPECT_EQ(result.error, "bad Area Light count") << count;
    }
    // The largest count is accepted; its points never arrive.
    Golden record;
    record.u8('a').i32(1 << 24).floats({1, 2, 3});
    Read_Result const result = read_stream(write_stream(raw_record(record)), 4096);
    EXPECT_EQ(result.status, TK_Error);
    EXPECT_EQ(result.error, "end of stream");

    // An empty area light is valid.
    Bytes const empty = write_stream(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer) {
            serialize_with<TK_Area_Light>(tk, writer, 'a',
                                          [](TK_Area_Light& h) { h.SetPoints(0); });
        });
    EXPECT_EQ(read_stream(empty).status, TK_Ended);
}

TEST(SolidsAndLights, StagesOutOfRangeAreErrors)
{
    BStreamFileToolkit tk;
    std::vector<char> buffer(256);
    tk.PrepareBuffer(buffer.data(), 256);
    auto& marker = dynamic_cast<TK_Point&>(tk.GetOpcodeHandler('X'));
    ASSERT_EQ(marker.Write(tk), TK_Done);
    EXPECT_EQ(marker.Write(tk), TK_Error);
    EXPECT_EQ(tk.LastError(), "internal error in TK_Point::Write");
    EXPECT_EQ(marker.Read(tk), TK_Error);
    EXPECT_EQ(tk.LastError(), "internal error in TK_Point::Read");
    auto& box = dynamic_cast<TK_Bounding&>(tk.GetOpcodeHandler('b'));
    ASSERT_EQ(box.Write(tk), TK_Done);
    EXPECT_EQ(box.Write(tk), TK_Error);
    EXPECT_EQ(tk.LastError(), "internal error in TK_Bounding::Write");
    EXPECT_EQ(box.Read(tk), TK_Error);
    EXPECT_EQ(tk.LastError(), "internal error in TK_Bounding::Read");
    auto& grid_handler = tk.GetOpcodeHandler('g');
    ASSERT_EQ(grid_handler.Write(tk), TK_Done);
    EXPECT_EQ(grid_handler.Write(tk), TK_Error);
}

TEST(SolidsAndLights, DamagedStreamsAndFailingWritesEndCleanly)
{
    Bytes const stream = write_stream(everything);
    read_damaged_streams(stream, 1, 800);
    read_damaged_streams(stream, 29, 400);
    EXPECT_TRUE(write_fails_cleanly(everything, {}, 24));
}

} // namespace
