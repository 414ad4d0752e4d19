// Poly-cylinders: points, radii, flags by version, the attribute section.
#include "raw_records.h"
#include "record_bytes.h"

#include "dwf/w3dtk/geometry/poly_cylinder.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;

float const Points[9] = {0, 0, 0, 0, 0, 1, 1, 0, 2};
float const Normals[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
float const Start[3] = {0, 0, -1};
float const End[3] = {1, 0, 0};

void fill(TK_PolyCylinder& h, int flags, int radii)
{
    float const r[3] = {0.5f, 0.25f, 0.125f};
    h.SetPoints(3, Points);
    h.SetRadii(radii, r);
    h.SetFlags(flags);
    h.SetStartVector(Start);
    h.SetEndVector(End);
    if (flags & TK_PolyCylinder::Attributes)
        h.SetVertexNormals(Normals);
}

Emit emit(int flags, int radii = 3, TK_Key key = 0)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    {
        serialize_with<TK_PolyCylinder>(
            tk, writer, 'Q', [&](TK_PolyCylinder& h) { fill(h, flags, radii); }, key);
    };
}

Golden head(int flags, int radii)
{
    Golden g;
    g.u8('Q').i32(3).floats(Points, 9).i32(radii);
    g.floats({0.5f, 0.25f, 0.125f});
    g.bytes.resize(g.bytes.size() - 4 * std::size_t(3 - radii));
    g.u8(flags);
    return g;
}

TEST(PolyCylinder, FlagsFollowTheTargetVersion)
{
    // Before 705: nothing at all.
    EXPECT_TRUE(
        write_records(emit(0x1F), W3DStreamWriter::Buffer_Size, target_version(704)).empty());
    // 705 to 804: the flags byte keeps 0x03 and no vectors or section follow.
    EXPECT_EQ(write_records(emit(0x1F), W3DStreamWriter::Buffer_Size, target_version(800)),
              head(0x03, 3).bytes);
    EXPECT_EQ(write_records(emit(0x06, 1), W3DStreamWriter::Buffer_Size, target_version(705)),
              head(0x02, 1).bytes);
    // From 805: both vectors, then the attribute section.
    Bytes const full = write_records(emit(0x1F));
    Golden const vectors = Golden(head(0x1F, 3)).floats(Start, 3).floats(End, 3);
    ASSERT_GT(full.size(), vectors.bytes.size());
    EXPECT_EQ(Bytes(full.begin(), full.begin() + long(vectors.bytes.size())), vectors.bytes);
    EXPECT_EQ(full.back(), 0); // the section's terminating 0
    EXPECT_EQ(write_records(emit(0x0C)),
              Golden(head(0x0C, 3)).floats(Start, 3).floats(End, 3).bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(emit(0x1F)));
}

TEST(PolyCylinder, ReadBackWithItsAttributes)
{
    int seen = read_back<TK_PolyCylinder>(
        emit(0x1F),
        [](TK_PolyCylinder& h, BStreamFileToolkit&)
        {
            ASSERT_EQ(h.GetPointCount(), 3);
            EXPECT_EQ(std::vector<float>(h.GetPoints(), h.GetPoints() + 9),
                      std::vector<float>(Points, Points + 9));
            EXPECT_EQ(h.GetRadii(), (std::vector<float>{0.5f, 0.25f, 0.125f}));
            EXPECT_EQ(h.GetFlags(), 0x1F);
            EXPECT_EQ(std::vector<float>(h.GetStartVector(), h.GetStartVector() + 3),
                      std::vector<float>(Start, Start + 3));
            EXPECT_EQ(std::vector<float>(h.GetEndVector(), h.GetEndVector() + 3),
                      std::vector<float>(End, End + 3));
            ASSERT_NE(h.GetVertexNormals(), nullptr);
            EXPECT_EQ(h.GetVertexNormalCount(), 3);
            // Normals travel quantised to the toolkit's normal bits.
            for (int i = 0; i < 9; ++i)
                EXPECT_NEAR(h.GetVertexNormals()[i], Normals[i], 0.15) << i;
        });
    EXPECT_EQ(seen, 1);

    // One radius for the whole chain, no flags.
    seen = read_back<TK_PolyCylinder>(emit(0, 1),
                                      [](TK_PolyCylinder& h, BStreamFileToolkit&)
                                      {
                                          EXPECT_EQ(h.GetRadii(), std::vector<float>{0.5f});
                                          EXPECT_EQ(h.GetVertexNormals(), nullptr);
                                      });
    EXPECT_EQ(seen, 1);

    // A record of version 800 reads with the old flags: no vectors follow.
    seen = read_back<TK_PolyCylinder>(
        emit(0x1F), [](TK_PolyCylinder& h, BStreamFileToolkit&) { EXPECT_EQ(h.GetFlags(), 3); },
        target_version(800));
    EXPECT_EQ(seen, 1);
}

TEST(PolyCylinder, CountsAreChecked)
{
    auto error_of = [](const Golden& record)
    { return read_stream(write_stream(raw_record(record)), 1).error; };
    EXPECT_EQ(error_of(Golden().u8('Q').i32(-1)), "bad TK_PolyCylinder count");
    EXPECT_EQ(error_of(Golden().u8('Q').i32((1 << 24) + 1)), "bad TK_PolyCylinder count");
    EXPECT_EQ(error_of(Golden().u8('Q').i32(0).i32(-5)), "bad TK_PolyCylinder radius_count");
    // Accepted counts whose data never arrive: the end of the stream, not memory.
    EXPECT_EQ(error_of(Golden().u8('Q').i32(1 << 24).floats({1, 2, 3})), "end of stream");
    EXPECT_EQ(error_of(Golden().u8('Q').i32(0).i32(1 << 24)), "end of stream");

    // Attribute arrays that do not match the points are refused before any byte.
    Buffered_Toolkit out;
    TK_PolyCylinder h;
    fill(h, 0x1F, 3);
    h.SetPoints(2, Points);
    EXPECT_EQ(h.Write(out.tk), TK_Done); // the setters keep the arrays fitted
    h.Reset();
    Buffered_Toolkit refused;
    h.SetPoints(1, Points);
    h.SetRadii((1 << 24) + 1);
    EXPECT_EQ(h.Write(refused.tk), TK_Error);
    EXPECT_TRUE(refused.written().empty());
}

TEST(PolyCylinder, TaggedDamagedAndFailingStreamsEndCleanly)
{
    Bytes const tagged =
        write_records(emit(0x0C, 3, 9), W3DStreamWriter::Buffer_Size,
                      [](BStreamFileToolkit& tk) { tk.SetWriteFlags(TK_Option_Tag_All); });
    EXPECT_EQ(tagged.back(), 'q');
    EXPECT_EQ(std::count(tagged.begin(), tagged.end(), 'q'), 1);
    Bytes const stream = write_stream(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            emit(0x1F)(tk, writer);
            emit(0x02, 1)(tk, writer);
        });
    read_damaged_streams(stream, 1, 800);
    read_damaged_streams(stream, 19, 400);
    EXPECT_TRUE(write_fails_cleanly(emit(0x1F), {}, 24));
}

} // namespace
