// Lines, polylines, circles, ellipses and B-spline curves.
#include "record_bytes.h"

#include "dwf/w3dtk/records/curves.h"
#include "dwf/w3dtk/records/nurbs_curve.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace
{
using namespace w3d_test;

float const P1[3] = {1.0f, 2.0f, 3.0f};
float const P2[3] = {-4.0f, 0.5f, 6.25f};
float const P3[3] = {7.0f, -8.0f, 0.0f};

void emit_plain_curves(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_with<TK_Line>(tk, w, 'l', [](TK_Line& h) { h.SetPoints(P1, P2); });
    serialize_with<TK_Polypoint>(tk, w, 'L', [](TK_Polypoint& h)
                                 { h.SetPoints(2, std::vector<float>{0, 1, 2, 3, 4, 5}.data()); });
    serialize_with<TK_Polypoint>(tk, w, 'G', [](TK_Polypoint& h) { h.SetPoints(0); });
    for (int opcode : {'C', 'c', '\\', 'w'})
        serialize_with<TK_Circle>(tk, w, opcode, [](TK_Circle& h) { h.SetPoints(P1, P2, P3); });
    serialize_with<TK_Ellipse>(tk, w, 'E',
                               [](TK_Ellipse& h)
                               {
                                   h.SetCentre(P1);
                                   h.SetMajor(P2);
                                   h.SetMinor(P3);
                                   h.SetLimits(0.25f, 0.75f); // an ellipse carries no limits
                               });
    serialize_with<TK_Ellipse>(tk, w, 'e',
                               [](TK_Ellipse& h)
                               {
                                   h.SetCentre(P1);
                                   h.SetMajor(P2);
                                   h.SetMinor(P3);
                                   h.SetLimits(0.25f, 0.75f);
                               });
}

TEST(Curves, PlainCurveRecordsArePinned)
{
    Golden expected;
    expected.u8('l').floats(P1, 3).floats(P2, 3);
    expected.u8('L').i32(2).floats({0, 1, 2, 3, 4, 5});
    expected.u8('G').i32(0);
    for (int opcode : {'C', 'c', '\\', 'w'})
        expected.u8(static_cast<unsigned>(opcode)).floats(P1, 3).floats(P2, 3).floats(P3, 3);
    expected.u8('E').floats(P1, 3).floats(P2, 3).floats(P3, 3);
    expected.u8('e').floats(P1, 3).floats(P2, 3).floats(P3, 3).floats({0.25f, 0.75f});
    EXPECT_EQ(write_records(emit_plain_curves), expected.bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(emit_plain_curves));
}

TEST(Curves, PlainCurvesReadBackOneByteAtATime)
{
    std::vector<int> opcodes;
    int const polypoints = read_back<TK_Polypoint>(
        emit_plain_curves,
        [&](TK_Polypoint& h, BStreamFileToolkit&)
        {
            opcodes.push_back(h.Opcode());
            if (h.Opcode() == 'L')
            {
                ASSERT_EQ(h.GetCount(), 2);
                EXPECT_EQ(std::vector<float>(h.GetPoints(), h.GetPoints() + 6),
                          (std::vector<float>{0, 1, 2, 3, 4, 5}));
            }
            else
                EXPECT_EQ(h.GetCount(), 0);
        });
    EXPECT_EQ(polypoints, 2);
    EXPECT_EQ(opcodes, (std::vector<int>{'L', 'G'}));

    auto same = [](const float* a, const float* b)
    { return std::vector<float>(a, a + 3) == std::vector<float>(b, b + 3); };
    EXPECT_EQ(read_back<TK_Line>(emit_plain_curves,
                                 [&](TK_Line& h, BStreamFileToolkit&)
                                 {
                                     EXPECT_TRUE(same(h.GetPoints(), P1));
                                     EXPECT_TRUE(same(h.GetPoints() + 3, P2));
                                 }),
              1);
    EXPECT_EQ(read_back<TK_Circle>(emit_plain_curves,
                                   [&](TK_Circle& h, BStreamFileToolkit&)
                                   {
                                       EXPECT_TRUE(same(h.GetStart(), P1));
                                       EXPECT_TRUE(same(h.GetMiddle(), P2));
                                       EXPECT_TRUE(same(h.GetEnd(), P3));
                                   }),
              4);
    std::vector<float> limits;
    EXPECT_EQ(read_back<TK_Ellipse>(emit_plain_curves,
                                    [&](TK_Ellipse& h, BStreamFileToolkit&)
                                    {
                                        EXPECT_TRUE(same(h.GetCentre(), P1));
                                        EXPECT_TRUE(same(h.GetMajor(), P2));
                                        EXPECT_TRUE(same(h.GetMinor(), P3));
                                        if (h.Opcode() == 'e')
                                            limits.assign(h.GetLimits(), h.GetLimits() + 2);
                                    }),
              2);
    EXPECT_EQ(limits, (std::vector<float>{0.25f, 0.75f}));
}

TEST(Curves, PolylineBufferGrowsToCountPlusSixteenAndIsKept)
{
    BStreamFileToolkit tk;
    auto& polyline = dynamic_cast<TK_Polypoint&>(tk.GetOpcodeHandler('L'));
    polyline.SetPoints(10);
    EXPECT_EQ(polyline.GetCapacity(), 10);
    std::vector<float> points(60);
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = static_cast<float>(i);
    Bytes const stream = write_stream(
        [&](BStreamFileToolkit& wtk, W3DStreamWriter& w)
        {
            serialize_with<TK_Polypoint>(wtk, w, 'L',
                                         [&](TK_Polypoint& h) { h.SetPoints(20, points.data()); });
            serialize_with<TK_Polypoint>(wtk, w, 'L',
                                         [&](TK_Polypoint& h) { h.SetPoints(5, points.data()); });
        });
    // Read into a handler whose buffer holds 10 points: 20 grow it to 36, and
    // the 5 points after them keep it.
    auto& reader = dynamic_cast<TK_Polypoint&>(tk.GetOpcodeHandler('L'));
    reader.Reset();
    reader.SetPoints(10);
    std::vector<int> capacities;
    Read_Result const result = read_stream(
        stream, 1,
        [&](BBaseOpcodeHandler& h, BStreamFileToolkit&)
        {
            if (auto* p = dynamic_cast<TK_Polypoint*>(&h))
            {
                capacities.push_back(p->GetCapacity());
                EXPECT_EQ(p->GetPoints()[3 * p->GetCount() - 1], 3.0f * p->GetCount() - 1);
            }
        },
        {}, &tk);
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    EXPECT_EQ(capacities, (std::vector<int>{36, 36}));
}

// ---- B-spline curves

void emit_nurbs(BStreamFileToolkit& tk, W3DStreamWriter& w, int degree, int count,
                const float* weights, const float* knots, float start, float end)
{
    std::vector<float> points(static_cast<std::size_t>(3 * count));
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = static_cast<float>(i) * 0.5f;
    serialize_with<TK_NURBS_Curve>(tk, w, 'N',
                                   [&](TK_NURBS_Curve& h)
                                   {
                                       h.SetCurve(degree, count, points.data(), weights, knots,
                                                  start, end);
                                   });
}

Golden nurbs_head(int options, int degree, int count)
{
    Golden g;
    g.u8('N').u8(static_cast<unsigned>(options)).u8(static_cast<unsigned>(degree)).i32(count);
    for (int i = 0; i < 3 * count; ++i)
        g.f32(static_cast<float>(i) * 0.5f);
    return g;
}

TEST(Curves, NurbsOptionsSayWhatTheRecordCarries)
{
    float const knots[8] = {0, 0, 0, 0, 1, 1, 1, 1};
    float const weights[4] = {1, 0.5f, 0.5f, 1};
    struct Case
    {
        const char* what;
        const float* weights;
        const float* knots;
        float start;
        float end;
        Golden expected;
    };
    std::vector<Case> cases;
    cases.push_back({"no optional fields", nullptr, nullptr, 0.0f, 1.0f, nurbs_head(0, 3, 4)});
    cases.push_back(
        {"end 0.5", nullptr, nullptr, 0.0f, 0.5f, nurbs_head(0x08, 3, 4).floats({0.5f})});
    cases.push_back({"negative zero start", nullptr, nullptr, -0.0f, 1.0f, nurbs_head(0, 3, 4)});
    cases.push_back({"knots", nullptr, knots, 0.0f, 1.0f, nurbs_head(0x02, 3, 4).floats(knots, 8)});
    cases.push_back({"everything", weights, knots, 0.125f, 0.875f,
                     nurbs_head(0x0F, 3, 4)
                         .floats(weights, 4)
                         .floats(knots, 8)
                         .floats({0.125f, 0.875f})});
    for (const Case& c : cases)
    {
        Emit const emit = [&](BStreamFileToolkit& tk, W3DStreamWriter& w)
        { emit_nurbs(tk, w, 3, 4, c.weights, c.knots, c.start, c.end); };
        EXPECT_EQ(write_records(emit), c.expected.bytes) << c.what;
        EXPECT_TRUE(writes_alike_in_every_buffer(emit)) << c.what;
        EXPECT_EQ(read_back<TK_NURBS_Curve>(
                      emit,
                      [&](TK_NURBS_Curve& h, BStreamFileToolkit&)
                      {
                          EXPECT_EQ(h.GetOptions(), c.expected.bytes[1]) << c.what;
                          EXPECT_EQ(h.GetDegree(), 3);
                          ASSERT_EQ(h.GetCount(), 4);
                          ASSERT_EQ(h.GetKnotCount(), 8);
                          EXPECT_EQ(h.GetPoints()[11], 5.5f);
                          EXPECT_EQ(h.GetKnots()[4], c.knots ? 1.0f : 0.0f);
                          EXPECT_EQ(h.GetWeights()[1], c.weights ? 0.5f : 0.0f);
                          EXPECT_EQ(h.GetStart(), c.start);
                          EXPECT_EQ(h.GetEnd(), c.end);
                      }),
                  1)
            << c.what;
    }
}

TEST(Curves, SetCurveAddsOptionsButNeverClearsThem)
{
    TK_NURBS_Curve curve;
    curve.SetCurve(2, 3, nullptr, nullptr, nullptr, 0.0f, 0.5f);
    EXPECT_EQ(curve.GetOptions(), TK_NURBS_Curve::End);
    curve.SetCurve(2, 3);
    EXPECT_EQ(curve.GetOptions(), TK_NURBS_Curve::End);
    EXPECT_EQ(curve.GetKnotCount(), 6);
    curve.Reset();
    EXPECT_EQ(curve.GetOptions(), 0);
    EXPECT_EQ(curve.GetCount(), 0);
    EXPECT_EQ(curve.GetEnd(), 1.0f);
}

TEST(Curves, EveryCurveTagsItsKeyWhenAllRecordsAreTagged)
{
    BStreamFileToolkit probe;
    for (int opcode : {'l', 'L', 'G', 'C', 'c', '\\', 'w', 'E', 'e', 'N'})
    {
        for (bool const tag_all : {false, true})
        {
            Buffered_Toolkit out;
            out.tk.SetWriteFlags(tag_all ? TK_Option_Tag_All : 0);
            out.tk.set_last_key(77);
            BBaseOpcodeHandler& h = out.tk.GetOpcodeHandler(opcode);
            ASSERT_EQ(h.Write(out.tk), TK_Done) << char(opcode);
            Bytes const bytes = out.written();
            ASSERT_FALSE(bytes.empty());
            EXPECT_EQ(bytes.front(), opcode);
            EXPECT_EQ(bytes.back() == 'q', tag_all) << char(opcode);
            int index = -1;
            EXPECT_EQ(out.tk.KeyToIndex(77, index), tag_all ? TK_Done : TK_Not_Found);
            // Complete: another Write without a reset is refused.
            EXPECT_EQ(h.Write(out.tk), TK_Error) << char(opcode);
        }
    }
}

TEST(Curves, CountsOutOfRangeAreRefused)
{
    for (int count : {-1, (1 << 24) + 1, INT32_MIN})
    {
        Read_Result const poly = read_body(Golden().u8('L').i32(count).floats({1, 2, 3}));
        EXPECT_EQ(poly.status, TK_Error);
        EXPECT_EQ(poly.error, "bad Polypoint count");
        Read_Result const nurbs = read_body(Golden().u8('N').u8(0).u8(3).i32(count));
        EXPECT_EQ(nurbs.status, TK_Error);
        EXPECT_EQ(nurbs.error, "bad NURBS Curve count");
    }
    // The largest count passes the check; the stream simply ends before its points.
    Read_Result const big = read_body(Golden().u8('L').i32(1 << 24).floats({1, 2, 3}));
    EXPECT_EQ(big.status, TK_Error);
    EXPECT_NE(big.error, "bad Polypoint count");

    // A writer cannot produce what a reader refuses.
    EXPECT_THROW(write_records(
                     [](BStreamFileToolkit& tk, W3DStreamWriter& w)
                     {
                         serialize_with<TK_NURBS_Curve>(tk, w, 'N', [](TK_NURBS_Curve& h)
                                                        { h.SetCurve(300, 4); });
                     }),
                 DWFCore::DWFException);
    // Neither does a count whose knots, degree + count + 1, would not fit an int:
    // nothing is allocated for it and the record is refused before its opcode.
    for (int degree : {0, 3, 255})
    {
        TK_NURBS_Curve h;
        h.SetCurve(degree, INT32_MAX, nullptr, nullptr, nullptr);
        EXPECT_EQ(h.GetKnotCount(), 0);
        BStreamFileToolkit tk;
        std::vector<char> buffer(64);
        tk.PrepareBuffer(buffer.data(), 64);
        EXPECT_EQ(h.Write(tk), TK_Error);
        EXPECT_EQ(tk.LastError(), "bad NURBS Curve count");
        EXPECT_EQ(tk.CurrentBufferLength(), 0);
    }
}

TEST(Curves, ValuesThatAreNotFiniteAreRefusedBeforeTheFirstByte)
{
    float const inf = std::numeric_limits<float>::infinity();
    float const nan = std::numeric_limits<float>::quiet_NaN();
    // Refused: the handler answers an error and the buffer stays empty.
    auto refused = [](BBaseOpcodeHandler& h, const char* message)
    {
        Buffered_Toolkit out(64);
        EXPECT_EQ(h.Write(out.tk), TK_Error) << message;
        EXPECT_EQ(out.tk.LastError(), message);
        EXPECT_EQ(out.tk.CurrentBufferLength(), 0) << message;
    };
    const char* const curve = "a curve's point is infinite or not a number";
    float const far[3] = {1, inf, 3};
    float const none[3] = {nan, 0, 0};
    TK_Line line;
    line.SetPoints(P1, far);
    refused(line, curve);
    TK_Circle arc('c');
    arc.SetPoints(P1, none, P3);
    refused(arc, curve);
    TK_Ellipse elliptical('e');
    elliptical.SetCentre(P1);
    elliptical.SetMajor(P2);
    elliptical.SetMinor(P3);
    elliptical.SetLimits(0, nan);
    refused(elliptical, curve);
    // A whole ellipse carries no limits: whatever they hold is not written.
    TK_Ellipse whole('E');
    whole.SetCentre(P1);
    whole.SetMajor(P2);
    whole.SetMinor(P3);
    whole.SetLimits(nan, inf);
    Buffered_Toolkit out;
    EXPECT_EQ(whole.Write(out.tk), TK_Done);

    const char* const nurbs = "a NURBS Curve value is infinite or not a number";
    float const points[9] = {0, 0, 0, 1, 1, 0, 2, 0, 0};
    float const bad_points[9] = {0, 0, 0, 1, -inf, 0, 2, 0, 0};
    float const weights[3] = {1, nan, 1};
    float const good_weights[3] = {1, 1, 1};
    float const knots[6] = {0, 0, 0, 1, 1, inf};
    float const good_knots[6] = {0, 0, 0, 1, 1, 1};
    TK_NURBS_Curve h;
    h.SetCurve(2, 3, bad_points, good_weights, good_knots);
    refused(h, nurbs);
    h.Reset();
    h.SetCurve(2, 3, points, weights, good_knots);
    refused(h, nurbs);
    h.Reset();
    h.SetCurve(2, 3, points, good_weights, knots);
    refused(h, nurbs);
    h.Reset();
    h.SetCurve(2, 3, points, good_weights, good_knots, 0.0f, nan);
    refused(h, nurbs);
}

Emit const all_curves = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    emit_plain_curves(tk, w);
    float const knots[7] = {0, 0, 0, 0.5f, 1, 1, 1};
    float const weights[4] = {1, 2, 3, 4};
    emit_nurbs(tk, w, 2, 4, weights, knots, 0.1f, 0.9f);
};

TEST(Curves, DamagedCurveStreamsFailCleanly)
{
    Bytes const bytes = write_stream(all_curves);
    read_damaged_streams(bytes, 1, 400);
    read_damaged_streams(bytes, 16, 400);
    read_damaged_streams(write_stream(all_curves, {}, true), 5, 400);
}

TEST(Curves, WritesFailCleanly)
{
    EXPECT_TRUE(write_fails_cleanly(all_curves));
}

} // namespace
