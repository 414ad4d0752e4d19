// NURBS surfaces and their trims.
#include "raw_records.h"
#include "record_bytes.h"
#include "stream_harness.h"

#include "dwf/w3dtk/records/nurbs_surface.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;

// A 2 x 3 surface of degrees 1 and 2, with weights and knots.
void fill_surface(TK_NURBS_Surface& h, bool trims)
{
    std::vector<float> points;
    for (int i = 0; i < 18; ++i)
        points.push_back(float(i));
    float const weights[6] = {1, 2, 3, 4, 5, 6};
    float const u_knots[4] = {0, 0, 1, 1};
    float const v_knots[6] = {0, 0, 0, 1, 1, 1};
    h.SetSurface(1, 2, 2, 3, points.data(), weights, u_knots, v_knots);
    if (!trims)
        return;
    h.SetOptions(h.GetOptions() | TK_NURBS_Surface::Trims);
    // Added last, written first: the list's head is the newest trim.
    float const curve_points[10] = {0, 0, 1, 0, 1, 1, 0, 1, 0.5f, 0.5f};
    float const curve_knots[8] = {0, 0, 0, 0.3f, 0.6f, 1, 1, 1};
    h.NewTrim(HT_NURBS_Trim::Curve)->SetCurve(2, 5, curve_points, nullptr, curve_knots);
    HT_NURBS_Trim* loop = h.NewTrim(HT_NURBS_Trim::Collection);
    float const a[4] = {0, 0, 1, 1};
    float const b[2] = {0.25f, 0.75f};
    loop->NewTrim(HT_NURBS_Trim::Polyline)->SetPoints(2, a);
    loop->NewTrim(HT_NURBS_Trim::Polyline)->SetPoints(1, b);
}

Emit surface(bool trims)
{
    return [trims](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    {
        serialize_with<TK_NURBS_Surface>(tk, writer, 'A',
                                         [&](TK_NURBS_Surface& h) { fill_surface(h, trims); });
    };
}

Golden surface_head(int options)
{
    Golden g;
    g.u8('A').u8(options).u8(1).u8(2).i32(2).i32(3);
    for (int i = 0; i < 18; ++i)
        g.f32(float(i));
    g.floats({1, 2, 3, 4, 5, 6}).floats({0, 0, 1, 1}).floats({0, 0, 0, 1, 1, 1});
    return g;
}

// A summary of a trim list: type, count, degree, options; collections in
// brackets.
std::string describe(const HT_NURBS_Trim* trim)
{
    std::string text;
    for (; trim; trim = trim->GetNext())
    {
        text += std::to_string(trim->GetType());
        if (trim->GetType() == HT_NURBS_Trim::Collection)
            text += "[" + describe(trim->GetList()) + "]";
        else
            text += "(" + std::to_string(trim->GetCount()) + "," +
                    std::to_string(trim->GetDegree()) + "," + std::to_string(trim->GetOptions()) +
                    ")";
        text += " ";
    }
    return text;
}

TEST(NurbsSurface, RecordsArePinned)
{
    // Trims option with an empty list: a single 0 byte after the knots.
    Emit const empty_trims = [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    {
        serialize_with<TK_NURBS_Surface>(tk, writer, 'A',
                                         [](TK_NURBS_Surface& h)
                                         {
                                             fill_surface(h, false);
                                             h.SetOptions(h.GetOptions() | 0x04);
                                         });
    };
    EXPECT_EQ(write_records(empty_trims), surface_head(0x07).u8(0).bytes);
    EXPECT_EQ(write_records(surface(false)), surface_head(0x03).bytes);

    Golden trims = surface_head(0x07);
    // The collection (added last) first: 3, options, two polylines, 0. A
    // polyline has no degree byte.
    trims.u8(3).u8(0);
    trims.u8(1).u8(0).i32(2).floats({0, 0, 1, 1});
    trims.u8(1).u8(0).i32(1).floats({0.25f, 0.75f});
    trims.u8(0);
    // The curve: degree 2, 5 points, knots (option 0x04): 8 knots.
    trims.u8(2).u8(0x04).i32(5).floats({0, 0, 1, 0, 1, 1, 0, 1, 0.5f, 0.5f}).u8(2);
    trims.floats({0, 0, 0, 0.3f, 0.6f, 1, 1, 1});
    trims.u8(0);
    EXPECT_EQ(write_records(surface(true)), trims.bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(surface(true)));
}

TEST(NurbsSurface, SurfacesNeedVersion650)
{
    auto at = [](int version)
    { return write_records(surface(true), W3DStreamWriter::Buffer_Size, target_version(version)); };
    EXPECT_TRUE(at(649).empty());
    EXPECT_EQ(at(650), write_records(surface(true)));
}

TEST(NurbsSurface, TrimListsReadBackReversedAndCollectionsInOrder)
{
    std::string trims_read;
    std::vector<float> points;
    std::vector<float> v_knots;
    Read_Result const result = read_stream(
        write_stream(surface(true)), 1,
        [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&)
        {
            auto* h = dynamic_cast<TK_NURBS_Surface*>(&handler);
            if (!h)
                return;
            trims_read = describe(h->GetTrims());
            points = h->GetPoints();
            v_knots = h->GetVKnots();
            EXPECT_EQ(h->GetUDegree(), 1);
            EXPECT_EQ(h->GetVCount(), 3);
            EXPECT_EQ(h->GetWeights(), (std::vector<float>{1, 2, 3, 4, 5, 6}));
            const HT_NURBS_Trim* curve = h->GetTrims();
            ASSERT_EQ(curve->GetType(), HT_NURBS_Trim::Curve);
            EXPECT_EQ(curve->Data().Knots(), (std::vector<float>{0, 0, 0, 0.3f, 0.6f, 1, 1, 1}));
            EXPECT_EQ(curve->Data().Weights(), std::vector<float>(5, 0.0f)); // not carried
            EXPECT_EQ(curve->GetNext()->GetList()->GetNext()->Data().Points(),
                      (std::vector<float>{0.25f, 0.75f}));
        });
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    EXPECT_EQ(trims_read, "2(5,2,4) 3[1(2,0,0) 1(1,0,0) ] ");
    EXPECT_EQ(points.size(), 18u);
    EXPECT_EQ(v_knots, (std::vector<float>{0, 0, 0, 1, 1, 1}));

    // The stream held the collection, then the curve: read back, the list
    // starts with the curve. Collections keep their order.
}

TEST(NurbsSurface, SetSurfaceAddsOptionsButNeverClearsThem)
{
    TK_NURBS_Surface h;
    h.SetOptions(TK_NURBS_Surface::Trims);
    h.SetSurface(1, 1, 2, 2);
    EXPECT_EQ(h.GetOptions(), 0x04);
    EXPECT_EQ(h.GetPoints().size(), 12u);
    EXPECT_EQ(h.GetUKnots().size(), 4u);
    float const knots[4] = {0, 0, 1, 1};
    h.SetSurface(1, 1, 2, 2, nullptr, nullptr, nullptr, knots);
    EXPECT_EQ(h.GetOptions(), 0x06);
    float const weights[4] = {1, 1, 1, 1};
    h.NewTrim(HT_NURBS_Trim::Polyline);
    h.SetSurface(1, 1, 2, 2, nullptr, weights);
    EXPECT_EQ(h.GetOptions(), 0x07);
    EXPECT_EQ(h.GetTrims(), nullptr); // SetSurface deletes the trims
}

TEST(NurbsSurface, CountsTypesAndDepthAreChecked)
{
    auto read_error = [](const Bytes& record)
    { return read_stream(write_stream(raw_record(record)), 1).error; };
    Golden const head = Golden().u8('A').u8(0x04).u8(1).u8(1);
    EXPECT_EQ(read_error(Golden(head).i32(1 << 12).i32((1 << 12) + 1)), "bad NURBS Surface count");
    EXPECT_EQ(read_error(Golden(head).i32(-2).i32(-3)), "bad NURBS Surface count");
    EXPECT_EQ(read_error(Golden(head).i32(-2).i32(0)), "bad NURBS Surface count");
    Golden const empty = Golden(head).i32(0).i32(0);
    EXPECT_EQ(read_error(Golden(empty).u8(4)), "Unknown trim type");
    EXPECT_EQ(read_error(Golden(empty).u8(3).u8(0).u8(9)), "Unknown trim type");
    EXPECT_EQ(read_error(Golden(empty).u8(1).u8(0).i32(-1)), "bad NURBS Trim count");
    EXPECT_EQ(read_error(Golden(empty).u8(2).u8(0).i32((1 << 24) + 1)), "bad NURBS Trim count");

    // Collections nest 65 deep (depths 0 to 64), not deeper.
    auto nested = [&](int levels)
    {
        Golden g = empty;
        for (int i = 0; i < levels; ++i)
            g.u8(3).u8(0);
        for (int i = 0; i <= levels; ++i)
            g.u8(0);
        return read_stream(write_stream(raw_record(g)), 3);
    };
    EXPECT_EQ(nested(HT_NURBS_Trim::Max_Depth + 1).status, TK_Ended);
    EXPECT_EQ(nested(HT_NURBS_Trim::Max_Depth + 2).error, "NURBS trims nested deeper than 64");

    // The writer refuses the same before its opcode.
    BStreamFileToolkit tk;
    std::vector<char> buffer(64);
    tk.PrepareBuffer(buffer.data(), 64);
    TK_NURBS_Surface h;
    h.SetOptions(TK_NURBS_Surface::Trims);
    HT_NURBS_Trim* trim = h.NewTrim(HT_NURBS_Trim::Collection);
    for (int i = 0; i < HT_NURBS_Trim::Max_Depth + 1; ++i)
        trim = trim->NewTrim(HT_NURBS_Trim::Collection);
    EXPECT_EQ(h.Write(tk), TK_Error);
    EXPECT_EQ(tk.LastError(), "NURBS trims nested deeper than 64");
    EXPECT_EQ(tk.CurrentBufferLength(), 0);
    h.Reset();
    h.SetSurface(256, 0, 1, 1);
    EXPECT_EQ(h.Write(tk), TK_Error);
    h.SetSurface(0, 0, -1, -1);
    EXPECT_EQ(h.Write(tk), TK_Error);
    EXPECT_EQ(tk.CurrentBufferLength(), 0);
}

TEST(NurbsSurface, ACountAboveTheLimitIsRefusedEvenWhenTheProductIsZero)
{
    // A fuzzer's find: u count 2^31 - 1 and v count 0 make an empty product,
    // and the knots then need u degree + u count + 1 of them.
    Bytes const found = {0x41, 0x3b, 0x20, 0x48, 0xff, 0xff, 0xff, 0x7f, 0, 0, 0, 0};
    for (std::size_t chunk : {std::size_t(1), std::size_t(4), std::size_t(4096)})
    {
        Read_Result const result = read_stream(found, chunk);
        EXPECT_EQ(result.status, TK_Error);
        EXPECT_EQ(result.error, "bad NURBS Surface count");
    }
    Golden const head = Golden().u8('A').u8(0x04).u8(255).u8(255);
    auto read_error = [](const Bytes& record)
    { return read_stream(write_stream(raw_record(record)), 1).error; };
    EXPECT_EQ(read_error(Golden(head).i32(0).i32(INT32_MAX)), "bad NURBS Surface count");
    EXPECT_EQ(read_error(Golden(head).i32((1 << 24) + 1).i32(0)), "bad NURBS Surface count");
    // At the limit the counts pass; the stream ends before the knots.
    Read_Result const limit = read_stream(write_stream(raw_record(Golden(head).i32(1 << 24).i32(0))), 7);
    EXPECT_EQ(limit.status, TK_Error);
    EXPECT_NE(limit.error, "bad NURBS Surface count");

    // Set by a caller, such counts allocate nothing and the writer refuses them.
    TK_NURBS_Surface h;
    h.SetSurface(3, 3, INT32_MAX, 1);
    EXPECT_TRUE(h.GetPoints().empty());
    EXPECT_TRUE(h.GetUKnots().empty());
    h.SetSurface(255, 3, INT32_MAX, 0);
    EXPECT_TRUE(h.GetUKnots().empty());
    BStreamFileToolkit tk;
    std::vector<char> buffer(64);
    tk.PrepareBuffer(buffer.data(), 64);
    h.SetOptions(TK_NURBS_Surface::Knots);
    EXPECT_EQ(h.Write(tk), TK_Error);
    EXPECT_EQ(tk.LastError(), "bad NURBS Surface count");
    EXPECT_EQ(tk.CurrentBufferLength(), 0);
}

TEST(NurbsSurface, LongAndDeepTrimListsAreFreedWithoutRecursion)
{
    TK_NURBS_Surface h;
    for (int i = 0; i < 100000; ++i)
        h.NewTrim(HT_NURBS_Trim::Polyline);
    HT_NURBS_Trim* wide = h.NewTrim(HT_NURBS_Trim::Collection);
    for (int i = 0; i < 100000; ++i)
        wide->NewTrim(HT_NURBS_Trim::Polyline);
    HT_NURBS_Trim* deep = h.NewTrim(HT_NURBS_Trim::Collection);
    for (int i = 0; i < 100000; ++i)
        deep = deep->NewTrim(HT_NURBS_Trim::Collection);
    h.Reset();
    EXPECT_EQ(h.GetTrims(), nullptr);

    // A stream of many trims reads and is freed the same way.
    Golden g = Golden().u8('A').u8(0x04).u8(0).u8(0).i32(0).i32(0);
    for (int i = 0; i < 20000; ++i)
        g.u8(1).u8(0).i32(0);
    g.u8(0);
    EXPECT_EQ(read_stream(write_stream(raw_record(g)), 4096).status, TK_Ended);
}

TEST(NurbsSurface, DamagedStreamsAndFailingWritesEndCleanly)
{
    Bytes const stream = write_stream(surface(true));
    read_damaged_streams(stream, 1, 800);
    read_damaged_streams(stream, 37, 400);
    EXPECT_TRUE(write_fails_cleanly(surface(true), {}, 40));
}

} // namespace
