// The edge-breaker coder's support structures: allocator record, lists, the
// half-edge table, the proxy hash, the bit stream's ladders, the predictors,
// the side table and the options.
#include "allocation_hooks.h"

#include "dwf/w3dtk/edgebreaker/corner_table.h"
#include "dwf/w3dtk/edgebreaker/edge_allocator.h"
#include "dwf/w3dtk/edgebreaker/edge_bit_stream.h"
#include "dwf/w3dtk/edgebreaker/edge_options.h"
#include "dwf/w3dtk/edgebreaker/grow_array.h"
#include "dwf/w3dtk/edgebreaker/int_stack.h"
#include "dwf/w3dtk/edgebreaker/predictors.h"
#include "dwf/w3dtk/edgebreaker/proxy_hash.h"
#include "dwf/w3dtk/edgebreaker/shell_header.h"
#include "dwf/w3dtk/edgebreaker/side_table.h"

#include "dwfcore/Exception.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
using namespace w3d::eb;
using w3d_test::Allocation_Hooks;
using Bytes = std::vector<std::uint8_t>;

// The bits of a stream's words, most significant first, as '0' and '1'.
std::string bits_of(const Bytes& bytes, int count)
{
    std::string bits;
    for (int i = 0; i < count; ++i)
    {
        std::uint32_t const word = get_le32(bytes.data() + 4 * (i / 32));
        bits += (word >> (31 - i % 32)) & 1 ? '1' : '0';
    }
    return bits;
}

TEST(EdgeAllocator, UsesTheHooksAndFailsWithAMemoryException)
{
    Allocation_Hooks counting;
    {
        EdgeAllocator allocator(Allocation_Hooks::allocate, Allocation_Hooks::release, nullptr,
                                &counting);
        EdgeArray<int> values(allocator, 10, 7);
        EXPECT_EQ(values[9], 7);
        values.resize(20, 1);
        EXPECT_EQ(values[9], 7);
        EXPECT_EQ(values[19], 1);
        EXPECT_EQ(counting.allocations, 2);
        EXPECT_EQ(counting.releases, 1);
        counting.fail_at = counting.allocations; // and every one after it
        EXPECT_THROW(values.resize(30), DWFCore::DWFMemoryException);
        EXPECT_EQ(values.size(), 20u) << "a failed resize keeps the old buffer";
        EXPECT_THROW(allocator.allocate_array<int>(static_cast<std::size_t>(-1) / 2),
                     DWFCore::DWFMemoryException);
    }
    EXPECT_EQ(counting.allocations, counting.releases);
    // Without hooks: the C runtime.
    EdgeAllocator plain;
    void* p = plain.allocate(0);
    EXPECT_NE(p, nullptr);
    plain.release(p);
}

TEST(IntStack, PushPopAndRemoveAtDepth)
{
    EdgeAllocator allocator;
    IntStack stack(allocator);
    EXPECT_EQ(stack.capacity(), 6);
    for (int i = 0; i < 7; ++i)
        stack.push(i);
    EXPECT_EQ(stack.capacity(), 12) << "doubles when full";
    stack.push_unique(3);
    stack.push_unique(42);
    EXPECT_EQ(stack.size(), 8);
    EXPECT_EQ(stack.remove_at_depth(0), 42) << "depth 0 is the top";
    EXPECT_EQ(stack.remove_at_depth(2), 4);
    EXPECT_EQ(stack.pop(), 6);
    EXPECT_EQ(stack.pop(), 5);
    EXPECT_EQ(stack.pop(), 3);
    EXPECT_EQ(stack.size(), 3);
}

TEST(CornerTable, GrowsByFiveThenByAFifth)
{
    EdgeAllocator allocator;
    CornerTable table(allocator);
    table.open(5);
    table.grow();
    EXPECT_EQ(table.capacity(), 10);
    table.open(100);
    table.grow();
    EXPECT_EQ(table.capacity(), 120);
    table.open(0);
    for (int i = 0; i < 7; ++i)
        table.append();
    EXPECT_EQ(table.count(), 7);
    EXPECT_EQ(table[6].twin, Edge_None);
    EXPECT_EQ(CornerTable::next(5), 3);
    EXPECT_EQ(CornerTable::prev(3), 5);
    EXPECT_EQ(CornerTable::next(4), 5);
    EXPECT_TRUE(CornerTable::linked(0));
    EXPECT_FALSE(CornerTable::linked(Edge_None));
    EXPECT_FALSE(CornerTable::linked(CornerTable::cut(17)));
    EXPECT_TRUE(CornerTable::is_cut(CornerTable::cut(17)));
    EXPECT_EQ(CornerTable::uncut(CornerTable::cut(17)), 17);
    EXPECT_FALSE(CornerTable::is_cut(Edge_Nonmanifold));
}

TEST(GrowArray, GrowsByHalfAgainAndCountsWhatItTouched)
{
    GrowArray array;
    array.reserve(10);
    EXPECT_EQ(array.capacity(), 15);
    array.at(3) = 9;
    EXPECT_EQ(array.size(), 4);
    array.at(20) = 1;
    EXPECT_EQ(array.capacity(), 31);
    EXPECT_EQ(array[3], 9);
    EXPECT_EQ(array[10], 0);
    array.release();
    EXPECT_EQ(array.size(), 0);
}

TEST(ProxyHash, RehashesWhenHalfFullAndFindsEveryKey)
{
    EdgeAllocator allocator;
    ProxyHash hash(allocator, 100);
    for (std::uint32_t key = 0; key < 51; ++key)
        hash.insert(key * 100, key);
    EXPECT_EQ(hash.size(), 100) << "51 entries fit without a rehash";
    hash.insert(5100, 51);
    EXPECT_EQ(hash.size(), 200) << "the 52nd insert doubles the table first";
    for (std::uint32_t key = 0; key < 52; ++key)
    {
        std::uint32_t value = 0;
        ASSERT_TRUE(hash.lookup(key * 100, value));
        EXPECT_EQ(value, key);
    }
    std::uint32_t value = 0;
    EXPECT_FALSE(hash.lookup(7, value));

    // A full table: a missing key ends after one cycle.
    ProxyHash full(allocator, 2);
    full.insert(1, 10);
    full.insert(3, 30);
    EXPECT_EQ(full.size(), 2);
    EXPECT_FALSE(full.lookup(5, value));
    ASSERT_TRUE(full.lookup(3, value));
    EXPECT_EQ(value, 30u);
}

TEST(EdgeBitStream, LadderCodesOfTheResidualLadder)
{
    Bytes bytes(32, 0xAA);
    EdgeBitStream stream = EdgeBitStream::for_writing(bytes.data(), 32);
    ASSERT_TRUE(stream.put_ladder(0, ResidualLadder));
    ASSERT_TRUE(stream.put_ladder(-1, ResidualLadder));
    ASSERT_TRUE(stream.put_ladder(1, ResidualLadder));
    ASSERT_TRUE(stream.put_ladder(2, ResidualLadder));
    EXPECT_EQ(bits_of(bytes, 16), "01" "00" "10" "11" "100001" "00");
    // The widest width holds +-(2^30 - 1); anything beyond cannot be written.
    EXPECT_TRUE(stream.put_ladder((1 << 30) - 1, ResidualLadder));
    EXPECT_FALSE(stream.put_ladder(1 << 30, ResidualLadder));
    EXPECT_FALSE(stream.put_ladder(-(1LL << 40), CountLadder));
    ASSERT_TRUE(stream.ok());

    EdgeBitStream reader = EdgeBitStream::for_reading(bytes.data(), stream.packed_bytes());
    long long value = 0;
    for (long long const expected : {0LL, -1LL, 1LL, 2LL, (1LL << 30) - 1})
    {
        ASSERT_TRUE(reader.get_ladder(ResidualLadder, value));
        EXPECT_EQ(value, expected);
    }
}

TEST(EdgeBitStream, TheReadLadderTakesAnEscaped31BitCodeAndStopsAtTheEnd)
{
    Bytes bytes(24, 0);
    EdgeBitStream stream = EdgeBitStream::for_writing(bytes.data(), 24);
    for (int const width : {2, 6, 10, 14, 18, 22, 26, 31})
        stream.put(width, Bit_Mask[static_cast<std::size_t>(width)]);
    stream.put(32, 0x7FFFFFFFu + 5);
    ASSERT_TRUE(stream.ok());
    EXPECT_EQ(stream.packed_bytes(), 24) << "161 bits";
    EdgeBitStream reader = EdgeBitStream::for_reading(bytes.data(), 24);
    long long value = 0;
    ASSERT_TRUE(reader.get_ladder(ResidualReadLadder, value));
    EXPECT_EQ(value, 5);
    EdgeBitStream short_reader = EdgeBitStream::for_reading(bytes.data(), 24);
    EXPECT_FALSE(short_reader.get_ladder(ResidualLadder, value)) << "every width escapes";
    // 31 padding bits are left: one 16-bit code (zeros), then the end.
    ASSERT_TRUE(reader.get_ladder(CountLadder, value));
    EXPECT_EQ(value, -32767);
    EXPECT_FALSE(reader.get_ladder(CountLadder, value)) << "past the end";
    EXPECT_FALSE(reader.ok());

    // No room: a put fails the stream.
    Bytes small(4, 0);
    EdgeBitStream tight = EdgeBitStream::for_writing(small.data(), 4);
    EXPECT_TRUE(tight.put_ladder(70000, CountLadder)); // 16 + 31 bits: spills
    EXPECT_FALSE(tight.ok());
}

TEST(Predictors, ParallelogramAndItsFallbacks)
{
    std::uint32_t const codes[] = {10, 20, 30, 1, 2, 3, 5, 5, 5};
    Code3 p = predict_parallelogram(0, 1, 2, codes);
    EXPECT_EQ(p.v[0], 1 - 5 + 10);
    EXPECT_EQ(p.v[2], 3 - 5 + 30);
    p = predict_parallelogram(0, -1, 2, codes);
    EXPECT_EQ(p.v[1], 20);
    p = predict_parallelogram(-1, 2, -1, codes);
    EXPECT_EQ(p.v[0], 5);
    p = predict_parallelogram(-1, -1, 1, codes);
    EXPECT_EQ(p.v[0], 1);
    p = predict_parallelogram(-1, -1, -1, codes);
    EXPECT_EQ(p.v[0], 0);
    // No overflow at 32 bits.
    std::uint32_t const wide[] = {0xFFFFFFFF, 0, 0, 0xFFFFFFFF, 0, 0, 0, 0, 0};
    p = predict_parallelogram(0, 1, 2, wide);
    EXPECT_EQ(p.v[0], 2 * 0xFFFFFFFFLL);
}

TEST(SideTable, RoundTripsWhatTheEncoderWritesAndRefusesTheRest)
{
    EdgeAllocator allocator;
    SideTable table(allocator);
    EXPECT_EQ(table.size(), 4) << "no lists, default bits: the flags alone";
    table.dummies.push(3);
    table.dummies.push(9);
    table.repeats.push(4);
    table.repeats.push(1);
    table.repeats.push(7);
    table.repeats.push(2);
    table.has_box = true;
    for (int i = 0; i < 6; ++i)
        table.box[i] = static_cast<float>(i) - 2.5f;
    table.point_bits[1] = 17;
    Bytes bytes(static_cast<std::size_t>(table.size()));
    table.write(bytes.data());
    // flags, D count, E words, D deltas, E pairs, box, point bits.
    ASSERT_EQ(bytes.size(), 4u * (1 + 2 + 2 + 4 + 6 + 3));
    EXPECT_EQ(get_le32(bytes.data()), 0x08u | 0x10u | 0x20u | 0x40u);
    EXPECT_EQ(get_le32(bytes.data() + 12), 3u);
    EXPECT_EQ(get_le32(bytes.data() + 16), 6u) << "delta from 3";
    EXPECT_EQ(get_le32(bytes.data() + 28), 3u) << "7 as a delta from 4";
    EXPECT_EQ(get_le32(bytes.data() + 32), 2u) << "second member as it stands";

    SideTable read(allocator);
    ASSERT_TRUE(read.read(bytes.data(), static_cast<int>(bytes.size())));
    EXPECT_EQ(read.dummies[1], 9);
    EXPECT_EQ(read.repeats[2], 7);
    EXPECT_EQ(read.box[5], 2.5f);
    EXPECT_EQ(read.point_bits[1], 17);
    EXPECT_EQ(read.normal_bits[0], 11);

    auto refused = [&](Bytes damaged) {
        SideTable t(allocator);
        return !t.read(damaged.data(), static_cast<int>(damaged.size()));
    };
    for (std::uint32_t const list : {0x01u, 0x02u, 0x04u, 0x100u})
    {
        Bytes damaged = bytes;
        put_le32(damaged.data(), get_le32(bytes.data()) | list);
        EXPECT_TRUE(refused(damaged)) << "flag " << list;
    }
    Bytes damaged = bytes;
    put_le32(damaged.data() + 16, 0);
    EXPECT_TRUE(refused(damaged)) << "dummy positions must ascend";
    damaged = bytes;
    put_le32(damaged.data() + 8, 5);
    EXPECT_TRUE(refused(damaged)) << "odd E count";
    damaged = bytes;
    put_le32(damaged.data() + 4, 0x7FFFFFFF);
    EXPECT_TRUE(refused(damaged)) << "a count beyond the table";
    damaged = bytes;
    put_le32(damaged.data() + damaged.size() - 4, 33);
    EXPECT_TRUE(refused(damaged)) << "bit count above 32";
    damaged = bytes;
    damaged.resize(damaged.size() + 4);
    EXPECT_TRUE(refused(damaged)) << "a length that does not match";
    EXPECT_TRUE(refused(Bytes(bytes.begin(), bytes.end() - 4)));
}

TEST(ShellHeader, SchemesAndSizesFollowTheVersion)
{
    EXPECT_EQ(ShellHeader::scheme_for_version(650), 0);
    EXPECT_EQ(ShellHeader::scheme_for_version(651), 1);
    EXPECT_EQ(ShellHeader::scheme_for_version(905), 1);
    EXPECT_EQ(ShellHeader::scheme_for_version(906), 2);
    EXPECT_EQ(ShellHeader::scheme_for_version(1000), 2);
    EXPECT_EQ(ShellHeader::size_of(0), 20);
    EXPECT_EQ(ShellHeader::size_of(2), 24);
    ShellHeader header;
    header.scheme = 1;
    header.point_coding = 1;
    header.op_count = 7;
    header.side_length = 4;
    header.point_length = 12;
    header.vertex_count = 5;
    header.normal_length = 8;
    Bytes bytes(24);
    header.write(bytes.data());
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[2], 1);
    EXPECT_EQ(get_le32(bytes.data() + 20), 8u);
    ShellHeader read;
    ASSERT_TRUE(read.read(bytes.data(), 24));
    EXPECT_EQ(read.vertex_count, 5);
    EXPECT_FALSE(read.read(bytes.data(), 23));
    bytes[1] = 1;
    EXPECT_FALSE(read.read(bytes.data(), 24)) << "reserved byte";
    bytes[1] = 0;
    bytes[0] = 3;
    EXPECT_FALSE(read.read(bytes.data(), 24)) << "unknown scheme";
    bytes[0] = 1;
    put_le32(bytes.data() + 4, 0x80000000u);
    EXPECT_FALSE(read.read(bytes.data(), 24)) << "negative count";
}

TEST(EdgeOptions, DefaultsAndBitLimits)
{
    EdgeOptions own;
    ASSERT_TRUE(edgebreaker_set_options(nullptr, own));
    EXPECT_EQ(own.point_bits[2], 11);
    EXPECT_EQ(own.ratio, 1.5f);
    EXPECT_EQ(own.flags, 0u);
    EXPECT_EQ(own.version, 100000);

    EdgeOptions given;
    given.point_bits[0] = 17;
    given.version = 999;
    EXPECT_FALSE(edgebreaker_set_options(&given, own)) << "17 bits before version 1000";
    given.version = 1000;
    ASSERT_TRUE(edgebreaker_set_options(&given, own));
    EXPECT_EQ(own.point_bits[0], 17);
    given.point_bits[0] = 33;
    EXPECT_FALSE(edgebreaker_set_options(&given, own));
    given.point_bits[0] = 0;
    EXPECT_FALSE(edgebreaker_set_options(&given, own));

    // Normal bits are taken only from version 651 on; the marker version counts
    // as old for that test, and as 100000 for the block.
    EdgeOptions old;
    old.normal_bits[0] = 40;
    old.version = 650;
    ASSERT_TRUE(edgebreaker_set_options(&old, own));
    EXPECT_EQ(own.normal_bits[0], 11);
    old.version = -1;
    ASSERT_TRUE(edgebreaker_set_options(&old, own));
    EXPECT_EQ(own.normal_bits[0], 11);
    EXPECT_EQ(own.version, 100000);
    old.point_bits[1] = 20;
    EXPECT_FALSE(edgebreaker_set_options(&old, own)) << "the marker counts as below 1000";
}

TEST(EdgeOptions, SizeEstimate)
{
    std::vector<int> faces;
    for (int i = 0; i < 9 * 4; i += 4)
        faces.insert(faces.end(), {3, 0, 1, 2});
    int size = 0, points = 0;
    // 4 points: 36 ints is 9 per point, declined; 35 would be 8.
    EXPECT_EQ(edgebreaker_estimate_size(4, 36, faces.data(), &size, &points), 0);
    faces.resize(32);
    faces.insert(faces.end(), {2, 0, 1});
    ASSERT_EQ(edgebreaker_estimate_size(4, 35, faces.data(), &size, &points), 1);
    EXPECT_EQ(points, 4);
    EXPECT_EQ(size, 18 * 8 + 2 * 72 + 82) << "8 triangles, trunc(12 x 1.5 x 4) = 72";
    EdgeOptions options;
    options.ratio = 2.0f;
    ASSERT_EQ(edgebreaker_estimate_size(4, 35, faces.data(), &size, nullptr, &options), 1);
    EXPECT_EQ(size, 18 * 8 + 2 * 96 + 82);
    std::vector<int> const polygon = {5, 0, 1, 2, 3, 4};
    ASSERT_EQ(edgebreaker_estimate_size(0, 6, polygon.data(), &size, nullptr), 1)
        << "no points: only the faces are checked";
    EXPECT_EQ(size, 18 * 3 + 82);
    std::vector<int> const holes = {3, 0, 1, 2, -3, 0, 1, 2};
    EXPECT_EQ(edgebreaker_estimate_size(5, 8, holes.data(), &size, nullptr), 0);
    std::vector<int> const overrun = {4, 0, 1, 2};
    EXPECT_EQ(edgebreaker_estimate_size(5, 4, overrun.data(), &size, nullptr), 0);
}

} // namespace
