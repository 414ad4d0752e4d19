// Segment attributes: heuristics, visibility, selectability, matrices,
// enumerated values, sizes, line patterns, text fonts and the streaming marker.
#include "record_bytes.h"

#include "dwf/w3dtk/records/attributes.h"
#include "dwf/w3dtk/records/heuristics.h"
#include "dwf/w3dtk/records/text_font.h"
#include "dwf/w3dtk/records/visibility.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
using namespace w3d_test;

Emit heuristics(int mask, int value, int v1 = 0, int v2 = 0, int b1 = 0, int b2 = 0)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Heuristics>(tk, w, 'H',
                                      [&](TK_Heuristics& h)
                                      {
                                          h.SetMask(mask);
                                          h.SetValue(value);
                                          h.SetHeuristicValue(1, v1);
                                          h.SetHeuristicValue(2, v2);
                                          h.SetHeuristicByte(1, b1);
                                          h.SetHeuristicByte(2, b2);
                                      });
    };
}

TEST(Attributes, HeuristicsFollowMaskValueAndVersion)
{
    struct Case
    {
        int version;
        int mask;
        int value;
        Bytes expected;
        int read_mask;
    };
    for (const Case& c : std::vector<Case>{
             // what the edge writer sends: every heuristic but bit 1 on, only bit 1 touched
             {1000, 2, -3, Golden().u8('H').u16(2).u16(0xFFFD), 2},
             {1000, 0x18000, 0x10000, Golden().u8('H').u16(0x8000).u16(1).u16(0).u16(1).u8(0xB2),
              0x18000},
             {700, 0x18000, 0x10000, Golden().u8('H').u16(0).u16(0), 0},
             {704, 0x804C, 0x4C, Golden().u8('H').u16(0x004C).u16(0x4C).i32(0x11).u8(0xB1), 0x4C},
             {705, 0xC0, 0xC0, Golden().u8('H').u16(0xC0).u16(0xC0).i32(0x11).i32(0x22), 0xC0},
             // bit 16 without the mark: neither the high half nor byte 2 travel
             {1000, 0x10000, 0x10000, Golden().u8('H').u16(0).u16(0), 0},
         })
    {
        Emit const emit = heuristics(c.mask, c.value, 0x11, 0x22, 0xB1, 0xB2);
        EXPECT_EQ(hex(write_records(emit, W3DStreamWriter::Buffer_Size, target_version(c.version))),
                  hex(c.expected))
            << c.version << " " << std::hex << c.mask;
        EXPECT_EQ(read_back<TK_Heuristics>(
                      emit,
                      [&](TK_Heuristics& h, BStreamFileToolkit&)
                      {
                          EXPECT_EQ(h.GetMask(), c.read_mask);
                          if (c.read_mask & c.value & 0x40)
                          {
                              EXPECT_EQ(h.GetHeuristicValue(1), 0x11);
                          }
                          if (c.read_mask & c.value & 0x10000)
                          {
                              EXPECT_EQ(h.GetHeuristicByte(2), 0xB2);
                          }
                      },
                      target_version(c.version)),
                  1);
    }
    EXPECT_TRUE(writes_alike_in_every_buffer(heuristics(0x1C0CC, 0x1C0CC, 1, 2, 3, 4)));
}

Emit visibility(int mask, int value)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Visibility>(tk, w, 'V',
                                      [&](TK_Visibility& h)
                                      {
                                          h.SetGeometry(mask);
                                          h.SetValue(value);
                                      });
    };
}

TEST(Attributes, VisibilityTakesOneOrThreeBytesOfMaskAndValue)
{
    EXPECT_EQ(write_records(visibility(1, -2)), (Bytes{'V', 0x01, 0xFE}));
    EXPECT_EQ(write_records(visibility(0x818081, 0x010001)),
              (Bytes{'V', 0x81, 0x01, 0x80, 0x81, 0x00, 0x01}));
    EXPECT_EQ(read_back<TK_Visibility>(visibility(0x818081, 0x010001),
                                       [](TK_Visibility& h, BStreamFileToolkit&)
                                       {
                                           EXPECT_EQ(h.GetGeometry(), 0x818081);
                                           EXPECT_EQ(h.GetValue(), 0x010001);
                                       }),
              1);
    EXPECT_EQ(read_back<TK_Visibility>(visibility(1, -2),
                                       [](TK_Visibility& h, BStreamFileToolkit&)
                                       {
                                           EXPECT_EQ(h.GetGeometry(), 1);
                                           EXPECT_EQ(h.GetValue(), 0xFE);
                                       }),
              1);
}

Emit selectability(int mask)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Selectability>(tk, w, '!',
                                         [&](TK_Selectability& h)
                                         {
                                             h.SetGeometry(mask);
                                             for (int i = 0; i < 5; ++i)
                                                 h.SetSetting(i, 0x0101 * (i + 1));
                                         });
    };
}

TEST(Attributes, SelectabilityIsNarrowOrWideAndAbsentBefore650)
{
    EXPECT_EQ(write_records(selectability(0x01)), (Bytes{'!', 1, 1, 2, 3, 4, 5}));
    EXPECT_EQ(
        write_records(selectability(0x81)),
        Golden().u8('!').u16(0x81).u16(0x101).u16(0x202).u16(0x303).u16(0x404).u16(0x505).bytes);
    EXPECT_TRUE(
        write_records(selectability(0x81), W3DStreamWriter::Buffer_Size, target_version(649))
            .empty());
    EXPECT_EQ(
        write_records(selectability(1), W3DStreamWriter::Buffer_Size, target_version(650)).size(),
        7u);
    EXPECT_EQ(read_back<TK_Selectability>(selectability(0x4281),
                                          [](TK_Selectability& h, BStreamFileToolkit&)
                                          {
                                              EXPECT_EQ(h.GetGeometry(), 0x4281);
                                              EXPECT_EQ(h.GetSetting(4), 0x505);
                                          }),
              1);
    EXPECT_EQ(read_back<TK_Selectability>(selectability(0x4281), {}, target_version(649)), 0);
    EXPECT_TRUE(writes_alike_in_every_buffer(selectability(0x81)));
}

TEST(Attributes, MatricesCarryThreeColumnsAndReadBackWithTheFourthFixed)
{
    float const m[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    Emit const emit = [&](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        for (int opcode : {'%', '$'})
            serialize_with<TK_Matrix>(tk, w, opcode, [&](TK_Matrix& h) { h.SetMatrix(m); });
    };
    Golden expected;
    for (int opcode : {'%', '$'})
        expected.u8(static_cast<unsigned>(opcode))
            .floats({1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15});
    EXPECT_EQ(write_records(emit), expected.bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(emit));
    EXPECT_EQ(read_back<TK_Matrix>(emit,
                                   [](TK_Matrix& h, BStreamFileToolkit&)
                                   {
                                       EXPECT_EQ(
                                           std::vector<float>(h.GetMatrix(), h.GetMatrix() + 16),
                                           (std::vector<float>{1, 2, 3, 0, 5, 6, 7, 0, 9, 10, 11, 0,
                                                               13, 14, 15, 1}));
                                   }),
              2);
}

TEST(Attributes, MatricesWithValuesThatAreNotFiniteAreRefusedBeforeTheFirstByte)
{
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    m[13] = std::numeric_limits<float>::infinity();
    TK_Matrix h('%');
    h.SetMatrix(m);
    Buffered_Toolkit out(64);
    EXPECT_EQ(h.Write(out.tk), TK_Error);
    EXPECT_EQ(out.tk.LastError(), "a matrix value is infinite or not a number");
    EXPECT_EQ(out.tk.CurrentBufferLength(), 0);
    // The fourth column is not carried, whatever it holds.
    m[13] = 0;
    m[3] = std::numeric_limits<float>::quiet_NaN();
    h.Reset();
    h.SetMatrix(m);
    Buffered_Toolkit fine(64);
    EXPECT_EQ(h.Write(fine.tk), TK_Done);
}

Emit size(int opcode, float value, int units)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    { serialize_with<TK_Size>(tk, w, opcode, [&](TK_Size& h) { h.SetSize(value, units); }); };
}

TEST(Attributes, SizesStoreTheirUnitsInTheSign)
{
    EXPECT_EQ(write_records(size('=', 2.5f, 5)), Golden().u8('=').f32(2.5f).bytes);
    EXPECT_EQ(write_records(size('=', 2.5f, 1)), Golden().u8('=').f32(-2.5f).u8(1).bytes);
    // A zero size with units is stored as -0.0: the sign bit still says units follow.
    EXPECT_EQ(write_records(size('+', 0.0f, 2)), Golden().u8('+').f32(-0.0f).u8(2).bytes);
    EXPECT_EQ(write_records(size(' ', -0.0f, 5)), Golden().u8(' ').f32(0.0f).bytes);
    for (auto const& [value, units] :
         std::vector<std::pair<float, int>>{{2.5f, 5}, {2.5f, 1}, {0.0f, 2}, {7.0f, 0}})
    {
        EXPECT_EQ(read_back<TK_Size>(size(0x0E, value, units),
                                     [&](TK_Size& h, BStreamFileToolkit&)
                                     {
                                         EXPECT_EQ(h.GetSize(), value);
                                         EXPECT_FALSE(std::signbit(h.GetSize()));
                                         EXPECT_EQ(h.GetUnits(), units);
                                     }),
                  1);
    }
    // A negative size would read back with units, or lose its units byte to the
    // next record: refused before anything is written.
    for (int units : {5, 1})
    {
        Buffered_Toolkit out;
        auto& h = dynamic_cast<TK_Size&>(out.tk.GetOpcodeHandler('='));
        h.SetSize(-1.0f, units);
        EXPECT_EQ(h.Write(out.tk), TK_Error);
        EXPECT_TRUE(out.written().empty());
    }
}

TEST(Attributes, EnumeratedValuesPatternsAndTheStreamingMarker)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        int n = 0;
        for (int opcode : {'P', 'p', '@', '*', '#', 'h'})
            serialize_with<TK_Enumerated>(tk, w, opcode,
                                          [&](TK_Enumerated& h) { h.SetIndex(0xF0 + n++); });
        serialize_with<TK_Linear_Pattern>(tk, w, '-',
                                          [](TK_Linear_Pattern& h) { h.SetPattern(2); });
        serialize_with<TK_Linear_Pattern>(tk, w, 0x0D,
                                          [](TK_Linear_Pattern& h) { h.SetPattern(0xABCD); });
        serialize_own(tk.GetOpcodeHandler(','), w); // writes nothing
    };
    EXPECT_EQ(write_records(emit), (Bytes{'P', 0xF0, 'p', 0xF1, '@', 0xF2, '*', 0xF3, '#', 0xF4,
                                          'h', 0xF5, '-', 2, 0, 0x0D, 0xCD, 0xAB}));
    std::vector<int> values;
    EXPECT_EQ(read_back<TK_Enumerated>(emit, [&](TK_Enumerated& h, BStreamFileToolkit&)
                                       { values.push_back(h.GetIndex()); }),
              6);
    EXPECT_EQ(values, (std::vector<int>{0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5}));
    EXPECT_EQ(read_back<TK_Linear_Pattern>(emit, {}), 2);

    // A ',' in a stream stops the reading call right after its opcode.
    Bytes stream = write_stream({});
    stream.insert(stream.end() - 1, {',', '-', 7, 0});
    BStreamFileToolkit tk;
    Trickle_Input input(stream, 1);
    W3DStreamReader reader(tk, &input, 1);
    std::vector<TK_Status> statuses;
    for (TK_Status s = TK_Done; s != TK_Ended && s != TK_Error;)
        statuses.push_back(s = reader.readRecord());
    EXPECT_EQ(statuses, (std::vector<TK_Status>{TK_Done, TK_Done, TK_Paused, TK_Done, TK_Ended}));
}

Emit text_font(int mask, int value, const std::string& name = "Arial")
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Text_Font>(
            tk, w, 'F',
            [&](TK_Text_Font& h)
            {
                h.SetMask(mask);
                h.SetValue(value);
                h.SetNames(name.c_str());
                for (int s : {0x002, 0x004, 0x010, 0x020, 0x040, 0x100, 0x200})
                    h.SetFloat(s, static_cast<float>(s) / 4);
                for (int s : {0x002, 0x004, 0x100})
                    h.SetUnits(s, s & 0xFF ? s : 9);
                h.SetByte(0x88);
            });
    };
}

TEST(Attributes, TextFontsCarryTheSettingsMaskAndValueShare)
{
    Golden every;
    every.u8('F').u8(0xFF).u8(0xFF).u8(0x03).u8(0x03);
    every.u8(5).text("Arial");
    every.f32(0.5f).u8(2).f32(1.0f).u8(4).u8(0x88).f32(4.0f).f32(8.0f).f32(16.0f);
    every.f32(64.0f).u8(9).f32(128.0f);
    EXPECT_EQ(hex(write_records(text_font(0x3FF, 0x3FF))), hex(every));
    EXPECT_TRUE(writes_alike_in_every_buffer(text_font(0x3FF, 0x3FF)));
    EXPECT_EQ(read_back<TK_Text_Font>(text_font(0x3FF, 0x3FF),
                                      [](TK_Text_Font& h, BStreamFileToolkit&)
                                      {
                                          EXPECT_EQ(h.GetMask(), 0x3FF);
                                          EXPECT_EQ(h.GetNames(), "Arial");
                                          EXPECT_EQ(h.GetFloat(0x100), 64.0f);
                                          EXPECT_EQ(h.GetUnits(0x100), 9);
                                          EXPECT_EQ(h.GetUnits(0x004), 4);
                                          EXPECT_EQ(h.GetByte(), 0x88);
                                      }),
              1);
    // Only what mask and value share travels: the name is touched but unset.
    EXPECT_EQ(write_records(text_font(0x05, 0x04)),
              Golden().u8('F').u8(0x05).u8(0x04).f32(1.0f).u8(4).bytes);
    // Settings of the second byte without the mark are not carried.
    EXPECT_EQ(write_records(text_font(0x300, 0x300)), Golden().u8('F').u8(0).u8(0).bytes);
    // A name longer than 255 bytes is refused when it would travel, and only then.
    Buffered_Toolkit out;
    auto& h = dynamic_cast<TK_Text_Font&>(out.tk.GetOpcodeHandler('F'));
    h.SetNames(std::string(256, 'n').c_str());
    h.SetMask(1);
    EXPECT_EQ(h.Write(out.tk), TK_Done);
    h.Reset();
    h.SetNames(std::string(256, 'n').c_str());
    h.SetMask(1);
    h.SetValue(1);
    EXPECT_EQ(h.Write(out.tk), TK_Error);
}

Emit const all_attributes = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    heuristics(0x1C0CC, 0x1C0CC, 1, 2, 3, 4)(tk, w);
    visibility(0x8081, 0x8001)(tk, w);
    selectability(0x81)(tk, w);
    serialize_with<TK_Matrix>(tk, w, '%', [](TK_Matrix& h) { h.SetMatrix(nullptr); });
    size('=', 1.5f, 3)(tk, w);
    size('+', 1.5f, 5)(tk, w);
    text_font(0x3FF, 0x3FF)(tk, w);
    serialize_with<TK_Enumerated>(tk, w, 'h', [](TK_Enumerated& h) { h.SetIndex(1); });
    serialize_with<TK_Linear_Pattern>(tk, w, '-', [](TK_Linear_Pattern& h) { h.SetPattern(1); });
};

TEST(Attributes, DamagedStreamsFailCleanly)
{
    Bytes stream = write_stream(all_attributes);
    read_damaged_streams(stream, 1, 600);
    read_damaged_streams(write_stream(all_attributes, {}, true), 5, 300);
}

TEST(Attributes, WritesFailCleanly)
{
    EXPECT_TRUE(write_fails_cleanly(all_attributes));
}

} // namespace
