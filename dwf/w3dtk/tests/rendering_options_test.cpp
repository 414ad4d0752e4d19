// The rendering options record: its rows, version adjustments and lists.
#include "raw_records.h"
#include "record_bytes.h"
#include "stream_harness.h"

#include "dwf/w3dtk/records/rendering_options.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;
using Options = TK_Rendering_Options;

// Every block present, every value distinct.
void fill_everything(Options& o)
{
    o.mask[0] = o.value[0] = 0xFFFFFFFF;
    o.mask[1] = o.value[1] = 0x1B;
    o.selector_a = 0x0A;
    o.selector_b = 0x0B;
    o.w17 = 17;
    o.w21 = 21;
    o.w22[0] = 22;
    o.w22[1] = 23;
    o.w30 = 30;
    o.p.sub_mask = o.p.sub_value = 0x08000004;
    o.p.p1 = 101;
    o.p.p2 = 102;
    o.p.p3 = 103;
    o.p.p4 = 104;
    o.q.sub_mask = o.q.sub_value = 1;
    o.q.q1 = 111;
    o.s.selector = 0x019C;
    o.s.s1 = 121;
    o.s.s2 = 122;
    o.s.s3 = 123;
    o.h.sub_mask = o.h.sub_value = 0x07F3;
    for (int i = 0; i < 8; ++i)
        o.h.h[i] = 401u + unsigned(i);
    o.t.sub_mask = o.t.sub_value = 0x000BBF80;
    o.t.t1 = 0x31;
    o.t.t2.count = 2;
    o.t.t2.values[0] = 201;
    o.t.t2.values[1] = 202;
    o.t.t3.count = 8;
    for (int i = 0; i < 8; ++i)
        o.t.t3.values[i] = 301u + unsigned(i);
    o.t.t4 = 0x34;
    o.t.t5 = 0x35;
    o.t.t6 = 0x36;
    o.t.t7 = 207;
    o.t.t8 = 208;
    for (int i = 0; i < 6; ++i)
        o.t.t9[i] = 901u + unsigned(i);
    o.t.t10.count = 1;
    o.t.t10.values[0] = 1001;
    o.t.t11 = 0x3B;
    o.t.t12 = 0x3C;
    o.u.u1 = 0x01;
    o.u.u2_count = 3;
    o.u.u2[0] = 0xA1;
    o.u.u2[1] = 0xA2;
    o.u.u2[2] = 0xA3;
    o.u.u3 = 0x43;
    o.u.u4 = 0x03;
    o.u.u5 = 0x45;
    o.u.u6 = 606;
    o.u.u7[0] = 701;
    o.u.u7[1] = 702;
}

Emit emit(const std::function<void(Options&)>& fill)
{
    return [fill](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    { serialize_with<Options>(tk, writer, 'R', fill); };
}

// Every field as numbers, lists cut to their counts, for comparing handlers.
std::vector<std::uint64_t> fields(const Options& o)
{
    std::vector<std::uint64_t> all = {
        o.mask[0], o.mask[1], o.value[0], o.value[1],   o.selector_a,  o.selector_b,  o.w17,
        o.w21,     o.w22[0],  o.w22[1],   o.w30,        o.p.sub_mask,  o.p.sub_value, o.p.p1,
        o.p.p2,    o.p.p3,    o.p.p4,     o.q.sub_mask, o.q.sub_value, o.q.q1,        o.s.selector,
        o.s.s1,    o.s.s2,    o.s.s3,     o.h.sub_mask, o.h.sub_value};
    all.insert(all.end(), o.h.h, o.h.h + 8);
    all.insert(all.end(), {o.t.sub_mask, o.t.sub_value, o.t.t1, o.t.t4, o.t.t5, o.t.t6, o.t.t7,
                           o.t.t8, o.t.t11, o.t.t12});
    all.insert(all.end(), o.t.t9, o.t.t9 + 6);
    for (auto const* list : {&o.t.t2, &o.t.t3, &o.t.t10})
    {
        all.push_back(std::uint64_t(list->count));
        all.insert(all.end(), list->values, list->values + list->count);
    }
    all.insert(all.end(), {o.u.u1, std::uint64_t(o.u.u2_count)});
    all.insert(all.end(), o.u.u2, o.u.u2 + o.u.u2_count);
    all.insert(all.end(), {o.u.u3, o.u.u4, o.u.u5, o.u.u6, o.u.u7[0], o.u.u7[1]});
    return all;
}

// Reads a stream and returns the fields of its rendering options record.
std::vector<std::uint64_t> read_back(const Bytes& stream, std::size_t chunk = 1,
                                     Read_Result* result = nullptr)
{
    std::vector<std::uint64_t> seen;
    Read_Result const got = read_stream(stream, chunk,
                                        [&](BBaseOpcodeHandler& h, BStreamFileToolkit&)
                                        {
                                            if (auto* o = dynamic_cast<Options*>(&h))
                                                seen = fields(*o);
                                        });
    if (result)
        *result = got;
    else
        EXPECT_EQ(got.status, TK_Ended) << got.error;
    return seen;
}

TEST(RenderingOptions, EveryRowInItsPlace)
{
    Golden g;
    g.u8('R').i32(0xFFFFFFFF).i32(0x1B).i32(0xFFFFFFFF).i32(0x1B);         // rows 1-4
    g.u8(0x0A).u8(0x0B).i32(21);                                           // 5-7
    g.i32(0x08000004).i32(0x08000004).i32(101).i32(102).i32(103).i32(104); // 8-13
    g.i32(22).i32(23).i32(17).i32(30);                                     // 14-16
    g.u8(1).u8(1).i32(111);                                                // 17-19
    g.u8(0x9C).u8(0x01).i32(123).i32(121).i32(122);                        // 20-24
    g.u8(0xF3).u8(0x07).u8(0xF3).u8(0x07);                                 // 25-28
    for (int i = 0; i < 8; ++i)
        g.i32(401 + i);                         // 29-36
    g.i32(0x000BBF80).i32(0x000BBF80).u8(0x31); // 37-39
    for (int i = 0; i < 6; ++i)
        g.i32(901 + i);                             // 40
    g.u8(1).i32(1001);                              // 41-42
    g.u8(0x35).u8(0x3C).i32(208).i32(207).u8(0x36); // 43-47
    g.u8(2).i32(201).i32(202);                      // 48-49
    g.u8(8);                                        // 50
    for (int i = 0; i < 8; ++i)
        g.i32(301 + i);                                      // 51
    g.u8(0x34).u8(0x3B);                                     // 52-53
    g.u8(0x01).u8(3).append(Bytes{0xA1, 0xA2, 0xA3});        // 54-56
    g.u8(0x43).u8(0x03).u8(0x45).i32(606).i32(701).i32(702); // 57-61
    Emit const everything = emit(fill_everything);
    EXPECT_EQ(write_records(everything), g.bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(everything));

    Options expected;
    fill_everything(expected);
    EXPECT_EQ(read_back(write_stream(everything)), fields(expected));
}

TEST(RenderingOptions, TheVersionEdgeCases)
{
    // Nothing set: the opcode and eight zero bytes.
    EXPECT_EQ(write_records(emit({})), Golden().u8('R').i32(0).i32(0).bytes);

    // Version 600: mask word 0 keeps its low 23 bits, mask word 1 counts as 0.
    auto before_650 = [](Options& o)
    {
        o.mask[0] = 0x80000001;
        o.mask[1] = o.value[1] = 0x1;
        o.u.u1 = 0;
    };
    EXPECT_EQ(write_records(emit(before_650), W3DStreamWriter::Buffer_Size, target_version(600)),
              Golden().u8('R').i32(1).i32(0).bytes);

    // Version 700: bits 0x6 of mask word 1 do not count, so 0x2 alone leaves
    // it empty and bit 31 is cleared; with 0x3 it travels and row 57 follows.
    auto only_2 = [](Options& o)
    {
        o.mask[0] = 0x80000000;
        o.mask[1] = 0x2;
    };
    EXPECT_EQ(write_records(emit(only_2), W3DStreamWriter::Buffer_Size, target_version(700)),
              Golden().u8('R').i32(0).i32(0).bytes);
    auto three = [](Options& o)
    {
        o.mask[0] = 0x80000000;
        o.mask[1] = 0x3;
        o.value[1] = 0x2;
        o.u.u3 = 0x77;
    };
    EXPECT_EQ(write_records(emit(three), W3DStreamWriter::Buffer_Size, target_version(700)),
              Golden().u8('R').i32(0x80000000).i32(3).i32(0).i32(2).u8(0x77).bytes);

    // A second mask word without bit 31 still travels: the bit is set for it.
    auto unannounced = [](Options& o)
    {
        o.mask[1] = o.value[1] = 0x2;
        o.u.u3 = 0x66;
    };
    EXPECT_EQ(write_records(emit(unannounced)),
              Golden().u8('R').i32(0x80000000).i32(2).i32(0).i32(2).u8(0x66).bytes);
}

TEST(RenderingOptions, OlderStreamsReadT4AsTwo)
{
    auto t3_list = [](Options& o)
    {
        o.mask[0] = o.value[0] = 0x04000000;
        o.t.sub_mask = 0x0200;
        o.t.t3.count = 1;
        o.t.t3.values[0] = 5;
        o.t.t4 = 9;
    };
    Golden const without_t4 =
        Golden().u8('R').i32(0x04000000).i32(0x04000000).i32(0x0200).i32(0).u8(1).i32(5);
    EXPECT_EQ(write_records(emit(t3_list), W3DStreamWriter::Buffer_Size, target_version(907)),
              without_t4.bytes);
    Golden with_t4 = without_t4;
    EXPECT_EQ(write_records(emit(t3_list), W3DStreamWriter::Buffer_Size, target_version(908)),
              with_t4.u8(9).bytes);

    unsigned t4 = 0;
    Read_Result const result = read_stream(write_stream(emit(t3_list), target_version(907)), 1,
                                           [&](BBaseOpcodeHandler& h, BStreamFileToolkit& tk)
                                           {
                                               if (auto* o = dynamic_cast<Options*>(&h))
                                               {
                                                   EXPECT_EQ(tk.GetReadVersion(), 907);
                                                   t4 = o->t.t4;
                                               }
                                           });
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    EXPECT_EQ(t4, 2u);
    Options expected;
    t3_list(expected);
    EXPECT_EQ(read_back(write_stream(emit(t3_list))), fields(expected));
}

TEST(RenderingOptions, VersionsBefore806DropTheNewerBits)
{
    // 710..805: mask word 1 loses 0x18, the block-0x18000000 sub-mask 0x7C0
    // (and with it the bit announcing its high byte).
    Bytes const stream = write_stream(emit(fill_everything), target_version(805));
    Options expected;
    fill_everything(expected);
    // Mask word 1 travels whole, and rows 57-61 test it, not the adjusted copy:
    // they all still travel.
    expected.t.t4 = 2;           // a stream before 908 has no byte T4
    expected.h.sub_mask = 0x33;  // 0x7F3 without 0x7C0
    expected.h.sub_value = 0xF3; // its high byte no longer announced
    expected.h.h[4] = expected.h.h[5] = expected.h.h[6] = expected.h.h[7] = 0;
    std::vector<std::uint64_t> const got = read_back(stream);
    std::vector<std::uint64_t> const want = fields(expected);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], want[i]) << "field " << i;
}

TEST(RenderingOptions, HighBytesAreAnnounced)
{
    // A selector using bits 8-15 without bit 0x80 would lose its high byte;
    // the writer announces it.
    auto selector = [](Options& o)
    {
        o.mask[0] = o.value[0] = 0x01000000;
        o.s.selector = 0x0123;
    };
    EXPECT_EQ(write_records(emit(selector)),
              Golden().u8('R').i32(0x01000000).i32(0x01000000).u8(0xA3).u8(0x01).bytes);
    Options expected;
    selector(expected);
    expected.s.selector = 0x01A3;
    EXPECT_EQ(read_back(write_stream(emit(selector))), fields(expected));

    // The sub-value's high byte announces itself through the sub-mask.
    auto h_block = [](Options& o)
    {
        o.mask[0] = o.value[0] = 0x10000000;
        o.h.sub_mask = 0x0010;
        o.h.sub_value = 0x0110;
        o.h.h[2] = 7;
    };
    EXPECT_EQ(write_records(emit(h_block)), Golden()
                                                .u8('R')
                                                .i32(0x10000000)
                                                .i32(0x10000000)
                                                .u8(0x90)
                                                .u8(0)
                                                .u8(0x10)
                                                .u8(1)
                                                .i32(7)
                                                .bytes);
}

TEST(RenderingOptions, ListsHoldAtMostEight)
{
    // Written: a count outside 0..8 is refused before the opcode.
    for (int const count : {9, -1})
    {
        BStreamFileToolkit tk;
        std::vector<char> buffer(64);
        tk.PrepareBuffer(buffer.data(), 64);
        Options o;
        o.t.t10.count = count;
        EXPECT_EQ(o.Write(tk), TK_Error);
        EXPECT_EQ(tk.CurrentBufferLength(), 0);
    }
    // Read: each list's count byte is checked.
    Golden const t_head = Golden().u8('R').i32(0x04000000).i32(0x04000000);
    std::vector<Bytes> const records = {
        Golden(t_head).i32(0x00010000).i32(0x00010000).u8(9),              // T10
        Golden(t_head).i32(0x0100).i32(0).u8(0x80),                        // T2, negative
        Golden(t_head).i32(0x0200).i32(0).u8(100),                         // T3
        Golden().u8('R').i32(0x80000000).i32(1).i32(0).i32(1).u8(1).u8(9), // U2
    };
    for (Bytes const& record : records)
    {
        Read_Result result;
        read_back(write_stream(raw_record(record)), 1, &result);
        EXPECT_EQ(result.status, TK_Error);
        EXPECT_EQ(result.error, "bad Rendering_Options list count");
    }
}

TEST(RenderingOptions, DamagedStreamsAndFailingWritesEndCleanly)
{
    Bytes const stream = write_stream(emit(fill_everything));
    read_damaged_streams(stream, 1, 800);
    read_damaged_streams(stream, 41, 400);
    EXPECT_TRUE(write_fails_cleanly(emit(fill_everything), {}, 48));
}

} // namespace
