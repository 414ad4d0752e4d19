// The edge-breaker decoder: blocks built by hand, what it refuses, and damaged
// blocks of the corpus.
#include "allocation_hooks.h"
#include "edgebreaker_coding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace
{
using namespace w3d_test;
using w3d::eb::get_le32;
using w3d::eb::put_le32;

// A scheme-2 block without points or normals: header, ops, side table words,
// then the geometry stream from `bits`.
Block stream_block(const Block& ops, const std::vector<std::uint32_t>& side, int vertices,
                   const std::string& bits)
{
    Block const stream = words_from_bits(bits);
    Block block(24, 0);
    block[0] = 2;
    put_le32(block.data() + 4, static_cast<std::uint32_t>(ops.size()));
    put_le32(block.data() + 8, static_cast<std::uint32_t>(4 * side.size()));
    put_le32(block.data() + 12, static_cast<std::uint32_t>(stream.size()));
    put_le32(block.data() + 16, static_cast<std::uint32_t>(vertices));
    block.insert(block.end(), ops.begin(), ops.end());
    block.resize(static_cast<std::size_t>(w3d::eb::align4(static_cast<long long>(block.size()))));
    for (std::uint32_t const word : side)
        append_word(block, word);
    block.insert(block.end(), stream.begin(), stream.end());
    return block;
}

// B-ladder codes of small counts: value + 32767 in 16 bits.
std::string count16(int value)
{
    std::string bits;
    for (int i = 15; i >= 0; --i)
        bits += ((value + 32767) >> i) & 1 ? '1' : '0';
    return bits;
}

TEST(EdgebreakerDecoder, AnEmptyBlockDecodesToNothing)
{
    Block block(24, 0);
    block[0] = 2;
    Decompressed const decoded = decompress(block);
    EXPECT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.point_count, 0);
    EXPECT_TRUE(decoded.faces.empty());
}

// The quad's ops (right, end) over the loop 0 1 2 3.
TEST(EdgebreakerDecoder, DummiesDropTheirTrianglesRepeatsBecomeTheirFirst)
{
    // Without side lists: two triangles, four vertices (three starts, one
    // predicted).
    Decompressed decoded =
        decompress(stream_block({3, 2}, {0}, 4, "01" + count16(3) + count16(1)));
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.faces, (std::vector<int>{3, 0, 1, 2, 3, 0, 2, 3}));

    // Position 3 a dummy: its triangle goes, three vertices stay.
    decoded = decompress(stream_block({3, 2}, {0x08, 1, 3}, 3, "01" + count16(3) + count16(0)));
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.faces, (std::vector<int>{3, 0, 1, 2}));
    EXPECT_EQ(decoded.point_count, 3);

    // Position 3 a repeat of vertex 1: the second triangle turns to 0 2 1.
    decoded = decompress(stream_block({3, 2}, {0x10, 2, 3, 1}, 3, "01" + count16(3) + count16(0)));
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.faces, (std::vector<int>{3, 0, 1, 2, 3, 0, 2, 1}));

    // A repeat may only name a vertex before it, a dummy only a decoded
    // position, and the vertex count must be what is left.
    EXPECT_FALSE(decompress(stream_block({3, 2}, {0x10, 2, 1, 2}, 3, "01" + count16(3) + count16(0))).ok);
    EXPECT_FALSE(decompress(stream_block({3, 2}, {0x08, 1, 4}, 4, "01" + count16(3) + count16(1))).ok);
    EXPECT_FALSE(decompress(stream_block({3, 2}, {0}, 5, "01" + count16(3) + count16(2))).ok);
    // Starts and predictions must account for every vertex.
    EXPECT_FALSE(decompress(stream_block({3, 2}, {0}, 4, "01" + count16(4) + count16(0))).ok);
    EXPECT_FALSE(decompress(stream_block({3, 2}, {0}, 4, "01" + count16(2) + count16(2))).ok);
}

TEST(EdgebreakerDecoder, RefusesWhatThisSystemDoesNotWrite)
{
    std::string const geometry = "01" + count16(3) + count16(1);
    ASSERT_TRUE(decompress(stream_block({3, 2}, {0}, 4, geometry)).ok);
    // Ops 5 and 6 (holes and handles kept in the block) and unknown ops.
    for (std::uint8_t const op : {5, 6, 7, 255})
        EXPECT_FALSE(decompress(stream_block({op, 2}, {0}, 4, geometry)).ok) << int(op);
    // Side lists A, B and C.
    EXPECT_FALSE(decompress(stream_block({3, 2}, {0x01, 1, 7}, 4, geometry)).ok);
    EXPECT_FALSE(decompress(stream_block({3, 2}, {0x02, 1, 7, 7}, 4, geometry)).ok);
    EXPECT_FALSE(decompress(stream_block({3, 2}, {0x04, 7}, 4, geometry)).ok);
    // A component whose ops do not close, or a loop that cannot take its op.
    EXPECT_FALSE(decompress(stream_block({3, 3}, {0}, 4, geometry)).ok);
    EXPECT_FALSE(decompress(stream_block({2, 2}, {0}, 3, "01" + count16(3) + count16(0))).ok)
        << "a loop of three, then ops past its end";
    EXPECT_FALSE(decompress(stream_block({1, 1, 1, 2}, {0}, 6, geometry)).ok);
    // Strip flag values other than 0 and 1.
    EXPECT_FALSE(decompress(stream_block({3, 2}, {0}, 4, "110000" + count16(3) + count16(1))).ok);

    // Blocks below scheme 2 hold one component only.
    Mesh two = tetrahedron();
    for (std::size_t f = 0; f < 16; f += 4)
        two.add_triangle(two.faces[f + 1] + 4, two.faces[f + 2] + 4, two.faces[f + 3] + 4);
    two.points.insert(two.points.end(), two.points.begin(), two.points.end());
    Compressed const coded = compress(two, 1000, false, false);
    ASSERT_TRUE(coded.ok);
    ASSERT_TRUE(decompress(coded.block).ok);
    Block old = coded.block;
    old[0] = 1;
    put_le32(old.data() + 12, 0);
    EXPECT_FALSE(decompress(old).ok);
}

TEST(EdgebreakerDecoder, PointsNeedABox)
{
    Mesh const sphere = icosphere(1);
    float const box[6] = {-1, -1, -1, 1, 1, 1};
    w3d::eb::EdgeOptions options;
    options.box = box;
    for (int const version : {650, 1000})
    {
        Compressed const coded = compress(sphere, version, true, false, options);
        ASSERT_TRUE(coded.ok);
        EXPECT_FALSE(decompress(coded.block).ok) << "no box anywhere";
        Decompressed const decoded = decompress(coded.block, box);
        ASSERT_TRUE(decoded.ok);
        EXPECT_NEAR(decoded.points[0], sphere.points[3 * static_cast<std::size_t>(coded.vertex_map[0])],
                    1.0f / 2047);
    }
}

TEST(EdgebreakerDecoder, InquiredSizesComeFromTheHeader)
{
    Compressed const coded = compress(icosphere(1), 1000);
    ASSERT_TRUE(coded.ok);
    int points = 0, normals = 0, faces = 0;
    ASSERT_EQ(w3d::eb::edgebreaker_inquire_sizes(coded.block.data(), static_cast<int>(coded.block.size()),
                                                 &points, &normals, &faces),
              1);
    EXPECT_EQ(points, 42);
    EXPECT_EQ(normals, 42);
    EXPECT_EQ(faces, 4 * 80);
    EXPECT_EQ(w3d::eb::edgebreaker_inquire_sizes(coded.block.data(), 23, &points, &normals, &faces), 0);
    // An op count beyond the block, a vertex count beyond 2^24.
    Block lying = coded.block;
    put_le32(lying.data() + 4, 0x10000000u);
    EXPECT_EQ(w3d::eb::edgebreaker_inquire_sizes(lying.data(), static_cast<int>(lying.size()), &points,
                                                 &normals, &faces),
              0);
    lying = coded.block;
    put_le32(lying.data() + 16, (1u << 24) + 1);
    EXPECT_EQ(w3d::eb::edgebreaker_inquire_sizes(lying.data(), static_cast<int>(lying.size()), &points,
                                                 &normals, &faces),
              0);
    // More vertices than the triangles have corners: a short block cannot make
    // its reader allocate for millions of points.
    put_le32(lying.data() + 16, 3 * 80 + 1);
    EXPECT_EQ(w3d::eb::edgebreaker_inquire_sizes(lying.data(), static_cast<int>(lying.size()), &points,
                                                 &normals, &faces),
              0);
    Block tiny(24, 0);
    tiny[0] = 2;
    put_le32(tiny.data() + 16, 1);
    EXPECT_EQ(w3d::eb::edgebreaker_inquire_sizes(tiny.data(), 24, &points, &normals, &faces), 0);
    // A face list too small for the triangles.
    std::vector<int> face_list(10);
    std::vector<float> point_list(3 * 42), normal_list(3 * 42);
    int length = 10, count = 0;
    bool strips = false;
    EXPECT_EQ(w3d::eb::edgebreaker_decompress(static_cast<int>(coded.block.size()), coded.block.data(),
                                              &count, point_list.data(), normal_list.data(), &strips,
                                              &length, face_list.data(), nullptr),
              0);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(count, 0);
}

TEST(EdgebreakerDecoder, AllocationFailuresAreRefusals)
{
    for (int const version : {700, 1000})
    {
        Compressed const coded = compress(torus(6, 4), version);
        ASSERT_TRUE(coded.ok);
        std::vector<float> points(3 * coded.vertex_map.size()), normals(points.size());
        std::vector<int> faces(4096);
        auto const decode = [&](Allocation_Hooks& hooks)
        {
            w3d::eb::EdgeDecodeOptions options;
            options.allocate = Allocation_Hooks::allocate;
            options.release = Allocation_Hooks::release;
            options.user_data = &hooks;
            int length = static_cast<int>(faces.size()), count = 0;
            bool strips = false;
            return w3d::eb::edgebreaker_decompress(static_cast<int>(coded.block.size()),
                                                   coded.block.data(), &count, points.data(),
                                                   normals.data(), &strips, &length, faces.data(),
                                                   &options) != 0;
        };
        expect_allocation_failures_refused(decode, "version " + std::to_string(version));
    }
}

// Truncated and mutated blocks of every scheme: a clean result, never a
// crash, an overrun (the block is exactly as large as its bytes) or a leak;
// and what a damaged block does decode to stays inside its arrays.
TEST(EdgebreakerDecoder, DamagedBlocks)
{
    std::mt19937 random(99);
    for (Mesh const& mesh : {tetrahedron(), torus(8, 5), plate_with_holes(), open_grid(5, 4)})
        for (int const version : {600, 700, 1000})
        {
            Compressed const coded = compress(mesh, version);
            ASSERT_TRUE(coded.ok);
            for (std::size_t size = 0; size < coded.block.size(); ++size)
            {
                Block const cut(coded.block.begin(), coded.block.begin() + static_cast<long>(size));
                EXPECT_FALSE(decompress(cut).ok) << "every section is declared: " << size;
            }
            for (int i = 0; i < 300; ++i)
            {
                Block damaged = coded.block;
                std::size_t const at = random() % damaged.size();
                damaged[at] = static_cast<std::uint8_t>(i % 3 == 0 ? random() : damaged[at] ^ (1u << (random() % 8)));
                if (i % 7 == 0)
                    damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
                Decompressed const decoded = decompress(damaged);
                if (!decoded.ok)
                    continue;
                for (std::size_t f = 0; f < decoded.faces.size();)
                {
                    int const n = decoded.faces[f];
                    ASSERT_TRUE(decoded.strips ? n >= 3 : n == 3);
                    ASSERT_LE(f + static_cast<std::size_t>(n) + 1, decoded.faces.size());
                    for (std::size_t k = 1; k <= static_cast<std::size_t>(n); ++k)
                        ASSERT_LT(decoded.faces[f + k], decoded.point_count);
                    f += static_cast<std::size_t>(n) + 1;
                }
            }
        }
}

} // namespace

namespace
{
// The seed corpus of fuzz/w3d_edgebreaker: blocks of the mesh corpus at every
// scheme, with and without points, normals and strips. The first byte of each
// file is the fuzz target's choice byte.
TEST(EdgebreakerFuzzSeeds, DISABLED_WriteTheCorpus)
{
    std::string const folder = std::string(QUILLCAST_SOURCE_DIR) + "/fuzz/w3d_edgebreaker/corpus/";
    int written = 0;
    for (Mesh const& mesh : {tetrahedron(), icosphere(1), torus(8, 5), plate_with_holes(), open_grid(6, 4)})
        for (int const version : {600, 700, 1000})
            for (bool const points : {true, false})
            {
                w3d::eb::EdgeOptions options;
                Compressed const coded = compress(mesh, version, points, true, options);
                if (!coded.ok)
                    continue;
                std::string name = mesh.name + "_" + std::to_string(version) + (points ? "_points" : "_bare");
                for (char& c : name)
                    if (c == ' ')
                        c = '_';
                FILE* out = std::fopen((folder + name + ".eb").c_str(), "wb");
                ASSERT_NE(out, nullptr) << folder;
                std::fputc(0, out);
                std::fwrite(coded.block.data(), 1, coded.block.size(), out);
                std::fclose(out);
                ++written;
            }
    // Strips: the grid's rows.
    Mesh grid = open_grid(5, 3);
    grid.faces.clear();
    for (int r = 0; r < 3; ++r)
    {
        grid.faces.push_back(12);
        for (int c = 0; c <= 5; ++c)
            grid.faces.insert(grid.faces.end(), {(r + 1) * 6 + c, r * 6 + c});
    }
    w3d::eb::EdgeOptions strips;
    strips.flags = w3d::eb::EdgeOptions::Strips;
    Compressed const coded = compress(grid, 1000, true, true, strips);
    ASSERT_TRUE(coded.ok);
    FILE* out = std::fopen((folder + "strips_1000.eb").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputc(1, out);
    std::fwrite(coded.block.data(), 1, coded.block.size(), out);
    std::fclose(out);
    EXPECT_GT(written, 0);
}
} // namespace
