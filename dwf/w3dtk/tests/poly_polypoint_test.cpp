// Poly-polypoints: axis reduction, quantisation, leftovers, line-extend codes.
#include "raw_records.h"
#include "record_bytes.h"
#include "stream_harness.h"

#include "dwf/w3dtk/geometry/poly_polypoint.h"
#include "dwf/w3dtk/records/bounding.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using namespace w3d_test;
using PPP = TK_PolyPolypoint;

struct Lines
{
    std::vector<float> points; // x, y, z per point
    std::vector<int> lengths;
    int subop = 0;
};

Emit emit(const Lines& lines, TK_Key key = 0)
{
    return [lines, key](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    {
        serialize_with<PPP>(
            tk, writer, 0x10,
            [&](PPP& h)
            {
                h.SetPoints(static_cast<int>(lines.points.size() / 3), lines.points.data());
                h.SetLineLengths(static_cast<int>(lines.lengths.size()), lines.lengths.data());
                h.SetSubop(lines.subop);
            },
            key);
    };
}

struct Read_Lines
{
    Read_Result result;
    std::vector<float> points;
    std::vector<int> lengths;
    int subop = -1;
    int scheme = -1;
};

Read_Lines read_lines(const Bytes& stream, std::size_t chunk = 1,
                      BStreamFileToolkit* toolkit = nullptr)
{
    Read_Lines got;
    got.result = read_stream(
        stream, chunk,
        [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&)
        {
            if (auto* h = dynamic_cast<PPP*>(&handler))
            {
                got.points = h->GetPoints();
                got.lengths = h->GetLineLengths();
                got.subop = h->GetSubop();
                got.scheme = h->GetScheme();
            }
        },
        {}, toolkit);
    return got;
}

// Two lines in the plane z = 0.
Lines flat()
{
    return {{0, 0, 0, 1, 2, 0, 3, 4, 0, 5, 6, 0, 7, 8, 0}, {2, 3}};
}

TEST(PolyPolypoint, ConstantAxesAreLeftOut)
{
    // z = 0 everywhere: 0x1000 and two stored axes; the lengths travel
    // without a count.
    Golden g;
    g.u8(0x10).u16(0x1000).i32(5).i32(2).i32(3).floats({0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(write_records(emit(flat())), g.bytes);

    // y = 5 everywhere: 0x0800, one y behind the stored x and z.
    Lines five = {{0, 5, 1, 1, 5, 2, 2, 5, 3}, {2, 1}, PPP::Has_Line_Count};
    g = Golden();
    g.u8(0x10).u16(0x0802).i32(3).i32(2).i32(2).i32(1).floats({0, 1, 1, 2, 2, 3}).f32(5);
    EXPECT_EQ(write_records(emit(five)), g.bytes);

    // Each line at its own y: 0x0C00, one y per line.
    Lines own = {{0, 5, 1, 1, 5, 2, 2, 6, 3}, {2, 1}};
    g = Golden();
    g.u8(0x10).u16(0x0C00).i32(3).i32(2).i32(1).floats({0, 1, 1, 2, 2, 3}).floats({5, 6});
    EXPECT_EQ(write_records(emit(own)), g.bytes);

    // Every axis constant: nothing stored per point.
    Lines dot = {{4, 0, 9, 4, 0, 9}, {2}, PPP::Single_Line};
    g = Golden();
    g.u8(0x10).u16(0x2604).i32(2).floats({4, 9});
    EXPECT_EQ(write_records(emit(dot)), g.bytes);

    for (Lines const& lines : {flat(), five, own, dot})
    {
        EXPECT_TRUE(writes_alike_in_every_buffer(emit(lines)));
        Read_Lines const got = read_lines(write_stream(emit(lines)));
        ASSERT_EQ(got.result.status, TK_Ended) << got.result.error;
        EXPECT_EQ(got.points, lines.points);
        EXPECT_EQ(got.lengths, lines.lengths);
    }
}

TEST(PolyPolypoint, PolylinesNeedVersion702)
{
    auto at = [](int version)
    { return write_records(emit(flat()), W3DStreamWriter::Buffer_Size, target_version(version)); };
    EXPECT_TRUE(at(701).empty());
    EXPECT_EQ(at(702), write_records(emit(flat())));
}

TEST(PolyPolypoint, EightBitsPerAxisStoreThreeBytesPerPoint)
{
    Lines lines = {{0, 0, 0, 1, 2, 4, 1, 1, 1, 0, 2, 0}, {2, 2}, PPP::Compressed};
    Golden g;
    g.u8(0x10).u16(0x0001).i32(4).i32(2).i32(2).u8(1);
    g.floats({0, 0, 0, 1, 2, 4}).i32(8).i32(12);
    g.append(Bytes{0, 0, 0, 255, 255, 255, 255, 128, 64, 0, 255, 0});
    EXPECT_EQ(write_records(emit(lines)), g.bytes);

    Read_Lines const got = read_lines(write_stream(emit(lines)));
    ASSERT_EQ(got.result.status, TK_Ended) << got.result.error;
    EXPECT_EQ(got.scheme, PPP::Quantised);
    ASSERT_EQ(got.points.size(), 12u);
    // All-ones codes give the box maximum exactly.
    EXPECT_EQ(got.points[3], 1.0f);
    EXPECT_EQ(got.points[4], 2.0f);
    EXPECT_EQ(got.points[5], 4.0f);
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_NEAR(got.points[i], lines.points[i], 4.0 / 255) << i;
}

TEST(PolyPolypoint, QuantisedLeftoversAndOtherBitCounts)
{
    // Three lines each at its own z (three leftovers) at 10 bits per axis.
    Lines lines = {{0, 0, 1, 1, 1, 1, 2, 0, 2, 3, 1, 2, 4, 4, 3, 5, 2, 3},
                   {2, 2, 2},
                   PPP::Compressed | PPP::Has_Line_Count};
    w3d_test::Setup const ten_bits = [](BStreamFileToolkit& tk) { tk.SetNumVertexBits(30); };
    Bytes const record = write_records(emit(lines), W3DStreamWriter::Buffer_Size, ten_bits);
    Golden g;
    g.u8(0x10).u16(0x3003).i32(6).i32(3).i32(2).i32(2).i32(2).u8(1);
    g.floats({0, 0, 5, 4}).i32(10).i32(16); // 12 codes of 10 bits: 4 words
    ASSERT_GT(record.size(), g.bytes.size());
    EXPECT_EQ(Bytes(record.begin(), record.begin() + long(g.bytes.size())), g.bytes);
    // Leftovers: a byte 1, their own range, the packed length, one word.
    Golden tail;
    tail.u8(1).floats({1, 3}).i32(4);
    EXPECT_EQ(Bytes(record.begin() + long(g.bytes.size()) + 16,
                    record.begin() + long(g.bytes.size()) + 16 + 13),
              tail.bytes);
    EXPECT_EQ(record.size(), g.bytes.size() + 16 + 13 + 4);

    Read_Lines const got = read_lines(write_stream(emit(lines), ten_bits), 1);
    ASSERT_EQ(got.result.status, TK_Ended) << got.result.error;
    ASSERT_EQ(got.points.size(), lines.points.size());
    for (std::size_t i = 0; i < got.points.size(); ++i)
        EXPECT_NEAR(got.points[i], lines.points[i], 5.0 / 1023) << i;
    EXPECT_EQ(got.lengths, lines.lengths);

    // One leftover travels as a raw float.
    Lines one = {{0, 7, 0, 1, 7, 1}, {2}, PPP::Compressed};
    Golden raw_leftover;
    raw_leftover.u8(0x10).u16(0x0801).i32(2).i32(2).u8(1).floats({0, 0, 1, 1}).i32(8).i32(4);
    // Codes 0, 0, 255, 255 packed into one word from its top bit down, the
    // word stored least significant byte first.
    raw_leftover.append(Bytes{0xFF, 0xFF, 0, 0}).f32(7);
    EXPECT_EQ(write_records(emit(one)), raw_leftover.bytes);
    EXPECT_EQ(read_lines(write_stream(emit(one))).points, one.points);
}

TEST(PolyPolypoint, GlobalQuantisationNeverLosesTheLeftoverRange)
{
    float const minimum[3] = {-10, -10, -10};
    float const maximum[3] = {10, 10, 10};
    auto with_world_box = [&](const Lines& lines)
    {
        return [&, lines](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            serialize_with<TK_Bounding>(tk, writer, 'B',
                                        [&](TK_Bounding& h) { h.SetBox(minimum, maximum); });
            emit(lines)(tk, writer);
        };
    };
    // One leftover: the world box is used and no box travels.
    Lines one = {{0, 7, 0, 1, 7, 1}, {2}, PPP::Compressed | PPP::Global_Quantisation};
    Bytes const bytes = write_records(with_world_box(one));
    Golden g;
    g.u8(0x10).u16(0x0809).i32(2).i32(2).u8(1).i32(8).i32(4);
    EXPECT_EQ(Bytes(bytes.begin() + 26, bytes.begin() + 26 + long(g.bytes.size())), g.bytes);
    Read_Lines got = read_lines(write_stream(with_world_box(one)));
    ASSERT_EQ(got.result.status, TK_Ended) << got.result.error;
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_NEAR(got.points[i], one.points[i], 20.0 / 255) << i;

    // Two leftovers: they need their own range, so the record keeps its boxes.
    Lines two = {{0, 7, 0, 1, 7, 1, 2, 8, 2}, {2, 1}, PPP::Compressed | PPP::Global_Quantisation};
    Bytes const kept = write_records(with_world_box(two));
    EXPECT_EQ(kept[27], 0x01); // 0x0C01: per-line y, no 0x0008
    EXPECT_EQ(kept[28], 0x0C);
    got = read_lines(write_stream(with_world_box(two)));
    ASSERT_EQ(got.result.status, TK_Ended) << got.result.error;
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_NEAR(got.points[i], two.points[i], 2.0 / 255) << i;

    // Before version 806, or without a world box, nothing is quantised globally.
    Bytes const old =
        write_records(with_world_box(one), W3DStreamWriter::Buffer_Size, target_version(805));
    EXPECT_EQ(old[27], 0x01);
    EXPECT_EQ(write_records(emit(one))[1], 0x01);

    // A reader without a world box cannot decode a globally quantised record.
    Bytes const alone(bytes.begin() + 26, bytes.end());
    EXPECT_EQ(read_lines(write_stream(raw_record(alone))).result.error,
              "error in TK_PolyPolypoint::read_compressed_points: global quantization requested "
              "without bounding");
}

TEST(PolyPolypoint, LineExtendCodesDecode)
{
    // A smooth line, coded by prediction from the two points before.
    std::vector<float> values;
    for (int i = 0; i < 40; ++i)
        values.insert(values.end(), {float(i), std::sin(i * 0.2f) * 3, 0.5f * float(i)});
    BStreamFileToolkit tk;
    float box[6] = {0, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> packed;
    int length = 0;
    ASSERT_EQ(PPP::PackLineExtend(tk, 40, 3, values.data(), box, 12, packed, length), TK_Done);
    EXPECT_EQ(length, (13 * 120 + 31) / 32 * 4);
    EXPECT_EQ(box[0], 0.0f);
    EXPECT_EQ(box[3], 39.0f);

    Golden g;
    g.u8(0x10).u16(PPP::Compressed | PPP::Single_Line).i32(40).u8(6);
    g.floats({box[0], box[1], box[2], box[3], box[4], box[5]}).i32(12).i32(length);
    g.bytes.insert(g.bytes.end(), packed.begin(), packed.begin() + length);
    Read_Lines const got = read_lines(write_stream(raw_record(g)), 3);
    ASSERT_EQ(got.result.status, TK_Ended) << got.result.error;
    EXPECT_EQ(got.scheme, PPP::Line_Extend);
    ASSERT_EQ(got.points.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_NEAR(got.points[i], values[i], 40.0 / 4095) << i;
    EXPECT_EQ(got.points[117], 39.0f); // the all-ones code is the maximum exactly
    EXPECT_EQ(got.lengths, std::vector<int>{40});

    // A code the prediction cannot reach is refused.
    Golden bad = g;
    bad.bytes[bad.bytes.size() - long(length)] = 0xFF; // first code: 0 - (u - m) < 0
    bad.bytes[bad.bytes.size() - long(length) + 3] = 0xFF;
    EXPECT_EQ(read_lines(write_stream(raw_record(bad))).result.error,
              "error in bit unpacking for process_line_extend_points");
}

TEST(PolyPolypoint, CountsLengthsAndSchemesAreChecked)
{
    auto error_of = [](const Golden& record)
    { return read_lines(write_stream(raw_record(record))).result.error; };
    Golden const head = Golden().u8(0x10);
    EXPECT_EQ(error_of(Golden(head).u16(0).i32(-1)), "bad TK_PolyPolypoint point count");
    EXPECT_EQ(error_of(Golden(head).u16(0).i32((1 << 24) + 1)), "bad TK_PolyPolypoint point count");
    // Lengths that overshoot the point count, or a count that does not add up.
    EXPECT_EQ(error_of(Golden(head).u16(0).i32(3).i32(2).i32(2)),
              "bad TK_PolyPolypoint line lengths");
    EXPECT_EQ(error_of(Golden(head).u16(0).i32(3).i32(-1)), "bad TK_PolyPolypoint line lengths");
    EXPECT_EQ(error_of(Golden(head).u16(2).i32(3).i32(2).i32(1).i32(1)),
              "bad TK_PolyPolypoint line lengths");
    EXPECT_EQ(error_of(Golden(head).u16(2).i32(3).i32(-2)), "bad TK_PolyPolypoint line count");
    EXPECT_EQ(error_of(Golden(head).u16(6).i32(3).i32(2)), "bad TK_PolyPolypoint line count");
    // No points and no lines: nothing to work the floats out from.
    EXPECT_EQ(error_of(Golden(head).u16(0).i32(0)),
              "internal error: m_primitive count must be initialized prior to calling "
              "TK_PolyPolypoint::figure_m_points_num_floats");
    Golden const one_point = Golden(head).u16(5).i32(1);
    EXPECT_EQ(error_of(Golden(one_point).u8(2)),
              "unhandled compression scheme in TK_PolyPolypoint::Read");
    Golden const box = Golden(one_point).u8(1).floats({0, 0, 0, 1, 1, 1});
    EXPECT_EQ(error_of(Golden(box).i32(0)), "bad TK_PolyPolypoint bits per axis");
    EXPECT_EQ(error_of(Golden(box).i32(33)), "bad TK_PolyPolypoint bits per axis");
    EXPECT_EQ(error_of(Golden(box).i32(8).i32(2)), "bad TK_PolyPolypoint packed length");
    EXPECT_EQ(error_of(Golden(box).i32(8).i32(1 << 30)), "bad TK_PolyPolypoint packed length");

    // The writer refuses lines that disagree with the points before any byte.
    BStreamFileToolkit tk;
    std::vector<char> buffer(256);
    tk.PrepareBuffer(buffer.data(), 256);
    PPP h;
    float const points[6] = {0, 0, 0, 1, 1, 1};
    int const lengths[2] = {1, 2};
    h.SetPoints(2, points);
    h.SetLineLengths(2, lengths);
    EXPECT_EQ(h.Write(tk), TK_Error);
    h.Reset();
    h.SetPoints(2, points);
    h.SetLineLengths(2, lengths);
    h.SetSubop(PPP::Single_Line);
    EXPECT_EQ(h.Write(tk), TK_Error);
    h.Reset();
    h.SetPoints(2, points);
    h.SetLineLengths(1, lengths + 1);
    h.SetSubop(PPP::Compressed);
    tk.SetNumVertexBits(2);
    EXPECT_EQ(h.Write(tk), TK_Error);
    EXPECT_EQ(tk.LastError(), "bad TK_PolyPolypoint bits per axis");
    EXPECT_EQ(tk.CurrentBufferLength(), 0);
}

TEST(PolyPolypoint, PointsAreExpandedOnlyWhenAskedFor)
{
    // Twelve bytes claim 2^24 points, every axis 0 on a single line: the
    // record is valid, and reading it holds only what it carries.
    Golden record;
    record.u8(0x10).u16(0x1504).i32(1 << 24);
    int count = 0;
    Read_Result const result = read_stream(write_stream(raw_record(record)), 1,
                                           [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&)
                                           {
                                               if (auto* h = dynamic_cast<PPP*>(&handler))
                                                   count = h->GetPointCount();
                                           });
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    EXPECT_EQ(count, 1 << 24);

    // Asked for, the points are there.
    Golden small;
    small.u8(0x10).u16(0x1504).i32(4);
    EXPECT_EQ(read_lines(write_stream(raw_record(small))).points, std::vector<float>(12, 0.0f));
}

TEST(PolyPolypoint, EachLineIsAnObject)
{
    BStreamFileToolkit tk;
    Lines lines = flat();
    lines.lengths = {1, 1, 3};
    Read_Lines const got = read_lines(write_stream(emit(lines)), 4096, &tk);
    ASSERT_EQ(got.result.status, TK_Ended) << got.result.error;
    EXPECT_EQ(tk.PendingKeys(), (std::vector<TK_Key>{-1, -1, -1}));

    // Written, it counts its lines as objects and tags when asked.
    BStreamFileToolkit out;
    out.SetWriteFlags(TK_Option_Tag_All);
    std::vector<char> buffer(256);
    out.PrepareBuffer(buffer.data(), 256);
    PPP h;
    h.SetPoints(5, lines.points.data());
    h.SetLineLengths(3, lines.lengths.data());
    out.set_last_key(77);
    int const objects = out.GetObjectCount();
    ASSERT_EQ(h.Write(out), TK_Done);
    EXPECT_EQ(out.GetObjectCount() - objects, 3);
    EXPECT_EQ(buffer[out.CurrentBufferLength() - 1], 'q');
}

TEST(PolyPolypoint, DamagedStreamsAndFailingWritesEndCleanly)
{
    Lines quantised = {{0, 0, 1, 1, 1, 1, 2, 0, 2, 3, 1, 2, 4, 4, 3, 5, 2, 3},
                       {2, 2, 2},
                       PPP::Compressed | PPP::Has_Line_Count};
    Emit const both = [&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    {
        emit(flat())(tk, writer);
        emit(quantised)(tk, writer);
    };
    Bytes const stream = write_stream(both);
    ASSERT_EQ(read_lines(stream).result.status, TK_Ended);
    read_damaged_streams(stream, 1, 800);
    read_damaged_streams(stream, 31, 400);
    EXPECT_TRUE(write_fails_cleanly(both, {}, 24));
    EXPECT_TRUE(writes_alike_in_every_buffer(both));
}

} // namespace
