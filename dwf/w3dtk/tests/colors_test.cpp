// Colours by channel, by value, by index, and the colour map.
#include "record_bytes.h"

#include "dwf/w3dtk/records/color.h"
#include "dwf/w3dtk/records/color_values.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
using namespace w3d_test;

Emit color(const std::function<void(TK_Color&)>& fill)
{
    return [fill](BStreamFileToolkit& tk, W3DStreamWriter& w)
    { serialize_with<TK_Color>(tk, w, '"', fill); };
}

TEST(Colors, ChannelRecordsArePinned)
{
    // Channel 0 as a colour, then as a three-letter name.
    Emit const colour = color(
        [](TK_Color& h)
        {
            h.SetGeometry(1);
            h.SetChannels(1);
            h.SetChannelColor(0, 1.0f, 0.5f, 0.0f);
        });
    EXPECT_EQ(write_records(colour), (Bytes{'"', 0x01, 0x01, 0x00, 255, 127, 0}));
    Emit const named = color(
        [](TK_Color& h)
        {
            h.SetGeometry(1);
            h.SetChannels(0);
            h.SetChannelName(0, "abc");
        });
    EXPECT_EQ(write_records(named), (Bytes{'"', 0x01, 0x01, 0x03, 'a', 'b', 'c'}));

    // Every kind of channel in one record: 0 named, 2 a colour, 5 and 6
    // values, 8 and 9 names. Announcing channel 8 or 9 sets the mark of the
    // channel mask's second byte.
    Emit const every = color(
        [](TK_Color& h)
        {
            h.SetGeometry(0x81);
            h.SetChannels(0x0265);
            h.GetChannel(0).name = "tex";
            h.SetChannelColor(2, 0.0f, 1.0f, 0.25f);
            h.SetValue(5, 0.75f);
            h.SetValue(6, -2.0f);
            h.SetChannelName(h.GetChannel(9), "nine", 9);
        });
    Golden expected;
    expected.u8('"').u8(0x81).u8(0x00).u8(0xE5).u8(0x02);
    expected.u8(3).text("tex").u8(0).u8(0).u8(255).u8(63);
    expected.f32(0.75f).f32(-2.0f).u8(4).text("nine");
    EXPECT_EQ(write_records(every), expected.bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(every));
}

TEST(Colors, GeometryMaskTakesOneToThreeBytes)
{
    for (auto const& [mask, bytes] : std::vector<std::pair<int, Bytes>>{
             {0x01, {0x01}},
             {0x81, {0x81, 0x00}},
             {0x100, {0x00}}, // no mark: the bit is not carried
             {0x8180, {0x80, 0x81, 0x00}},
             {0x7F8080, {0x80, 0x80, 0x7F}}})
    {
        Emit const emit = [mask = mask](BStreamFileToolkit& tk, W3DStreamWriter& w)
        {
            serialize_with<TK_Color_RGB>(tk, w, '~',
                                         [&](TK_Color_RGB& h)
                                         {
                                             h.SetGeometry(mask);
                                             h.SetRGB(0, 0, 1);
                                         });
        };
        EXPECT_EQ(write_records(emit), Golden().u8('~').append(bytes).u8(0).u8(0).u8(255).bytes);
        int read = -1;
        EXPECT_EQ(read_back<TK_Color_RGB>(emit, [&](TK_Color_RGB& h, BStreamFileToolkit&)
                                          { read = h.GetGeometry(); }),
                  1);
        EXPECT_EQ(read, mask == 0x100 ? 0 : mask);
    }
}

TEST(Colors, ComponentsBecomeBytesAndBack)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Color_RGB>(tk, w, '~',
                                     [](TK_Color_RGB& h)
                                     {
                                         h.SetGeometry(4);
                                         h.SetRGB(1.0f, 0.5f, 0.0f);
                                     });
    };
    EXPECT_EQ(write_records(emit), (Bytes{'~', 4, 255, 127, 0}));
    EXPECT_EQ(read_back<TK_Color_RGB>(emit,
                                      [](TK_Color_RGB& h, BStreamFileToolkit&)
                                      {
                                          EXPECT_EQ(h.GetRGB()[0], 1.0f);
                                          EXPECT_NEAR(h.GetRGB()[1], 127.0f / 255, 1e-6);
                                          EXPECT_EQ(h.GetRGB()[2], 0.0f);
                                      }),
              1);
}

TEST(Colors, ResetKeepsComponentsSoAnAnnouncedUnsetChannelRepeatsThem)
{
    // A material colour announces channels 0-3 but fills 0, 2, 3 (and 4, which
    // it does not announce). Channel 1 writes zeros in a fresh handler and, after
    // a record that set it, what that record held.
    auto material = [](float channel1)
    {
        return [channel1](BStreamFileToolkit& tk, W3DStreamWriter& w)
        {
            if (channel1 >= 0)
                serialize_with<TK_Color>(tk, w, '"',
                                         [&](TK_Color& h)
                                         {
                                             h.SetGeometry(1);
                                             h.SetChannels(0x02);
                                             h.SetChannelColor(1, channel1, channel1, channel1);
                                         });
            serialize_with<TK_Color>(tk, w, '"',
                                     [](TK_Color& h)
                                     {
                                         h.SetGeometry(1);
                                         h.SetChannels(0x0F);
                                         h.SetChannelColor(0, 0.2f, 0.4f, 0.6f);
                                         h.SetChannelColor(2, 1, 1, 1);
                                         h.SetChannelColor(3, 0.5f, 0.5f, 0.5f);
                                         h.SetChannelColor(4, 1, 0, 0);
                                     });
        };
    };
    Bytes const fresh = write_records(material(-1));
    EXPECT_EQ(fresh, (Bytes{'"', 1, 0x0F, 0, 51, 102, 153, 0, 0, 0, 0, 0, 255, 255, 255, 0, 127,
                            127, 127}));
    Bytes const after = write_records(material(1.0f));
    ASSERT_EQ(after.size(), 7u + fresh.size());
    Bytes tail(after.end() - long(fresh.size()), after.end());
    EXPECT_EQ(tail[7], 0); // channel 1: a colour ...
    EXPECT_EQ(Bytes(tail.begin() + 8, tail.begin() + 11), (Bytes{255, 255, 255})); // ... kept
}

TEST(Colors, ChannelNamesLongerThan127BytesAreRefusedBeforeAnyByte)
{
    std::string const longest(127, 'n');
    Emit const fits = color(
        [&](TK_Color& h)
        {
            h.SetGeometry(1);
            h.SetChannelName(0, longest.c_str());
        });
    int read = 0;
    EXPECT_EQ(read_back<TK_Color>(fits,
                                  [&](TK_Color& h, BStreamFileToolkit&)
                                  {
                                      EXPECT_EQ(h.GetChannel(0).name, longest);
                                      ++read;
                                  }),
              1);

    for (int channel : {0, 4, 8, 9})
    {
        Buffered_Toolkit out;
        auto& h = dynamic_cast<TK_Color&>(out.tk.GetOpcodeHandler('"'));
        h.SetChannelName(channel, std::string(128, 'x').c_str());
        EXPECT_EQ(h.Write(out.tk), TK_Error) << channel;
        EXPECT_TRUE(out.written().empty()) << channel;
        EXPECT_NE(out.tk.LastError().find("colour channel name"), std::string::npos);
    }
    // A long name on a channel that is not announced is not written, so it is no error.
    Buffered_Toolkit out;
    auto& h = dynamic_cast<TK_Color&>(out.tk.GetOpcodeHandler('"'));
    h.GetChannel(1).name = std::string(300, 'x');
    h.SetChannels(1);
    EXPECT_EQ(h.Write(out.tk), TK_Done);

    // Read back, a length byte of 128 or more is negative: refused.
    for (unsigned length : {0x80u, 0xFFu})
    {
        Read_Result const r = read_body(Golden().u8('"').u8(1).u8(1).u8(length).text("abc"));
        EXPECT_EQ(r.status, TK_Error);
        EXPECT_EQ(r.error, "negative name length");
        Read_Result const nine =
            read_body(Golden().u8('"').u8(1).u8(0x80).u8(0x02).u8(length).text("abc"));
        EXPECT_EQ(nine.status, TK_Error);
    }
}

TEST(Colors, ChannelNumbersWithoutARecordAreProgrammingErrors)
{
    TK_Color h;
    EXPECT_THROW(h.GetChannel(5), std::out_of_range);
    EXPECT_THROW(h.GetChannel(10), std::out_of_range);
    EXPECT_THROW(h.SetValue(4, 1.0f), std::out_of_range);
    h.SetChannelName(h.GetChannel(2), "x", 2);
    EXPECT_EQ(h.GetChannels(), 0x04);
    h.SetChannelName(h.GetChannel(2), nullptr, 2);
    EXPECT_EQ(h.GetChannels(), 0);
    EXPECT_EQ(h.GetChannel(2).name, "");
    h.SetChannelName(h.GetChannel(3), "y", -1);
    EXPECT_EQ(h.GetChannels(), 0);
}

void emit_value_colors(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_with<TK_Color_By_Value>(tk, w, 0x0B,
                                      [](TK_Color_By_Value& h)
                                      {
                                          h.SetGeometry(2);
                                          h.SetSpace(3);
                                          h.SetValue(0.5f, 120.0f, -1.0f);
                                      });
    serialize_with<TK_Color_By_Index>(tk, w, 0x08,
                                      [](TK_Color_By_Index& h)
                                      {
                                          h.SetGeometry(1);
                                          h.SetIndex(255);
                                      });
    serialize_with<TK_Color_By_Index>(tk, w, 0x09,
                                      [](TK_Color_By_Index& h)
                                      {
                                          h.SetGeometry(1);
                                          h.SetIndex(0x1234);
                                      });
    serialize_with<TK_Color_By_FIndex>(tk, w, 0x0A,
                                       [](TK_Color_By_FIndex& h)
                                       {
                                           h.SetGeometry(8);
                                           h.SetIndex(2.5f);
                                       });
    serialize_with<TK_Color_Map>(tk, w, 0x0C,
                                 [](TK_Color_Map& h)
                                 {
                                     float const rgb[6] = {1, 0, 0, 0, 0.5f, 1};
                                     h.SetFormat(1);
                                     h.SetColors(2, rgb);
                                 });
    // The handler keeps its fields from record to record: the format is set again.
    serialize_with<TK_Color_Map>(tk, w, 0x0C,
                                 [](TK_Color_Map& h)
                                 {
                                     h.SetFormat(0);
                                     h.SetColors(0);
                                 });
}

TEST(Colors, ValueIndexAndMapRecordsArePinnedAndReadBack)
{
    Golden expected;
    expected.u8(0x0B).u8(2).u8(3).floats({0.5f, 120.0f, -1.0f});
    expected.u8(0x08).u8(1).u8(255);
    expected.u8(0x09).u8(1).u16(0x1234);
    expected.u8(0x0A).u8(8).f32(2.5f);
    expected.u8(0x0C).u8(1).i32(2).u8(255).u8(0).u8(0).u8(0).u8(127).u8(255);
    expected.u8(0x0C).u8(0).i32(0);
    EXPECT_EQ(hex(write_records(emit_value_colors)), hex(expected.bytes));
    EXPECT_TRUE(writes_alike_in_every_buffer(emit_value_colors));

    EXPECT_EQ(read_back<TK_Color_By_Value>(emit_value_colors,
                                           [](TK_Color_By_Value& h, BStreamFileToolkit&)
                                           {
                                               EXPECT_EQ(h.GetGeometry(), 2);
                                               EXPECT_EQ(h.GetSpace(), 3);
                                               EXPECT_EQ(h.GetValue()[1], 120.0f);
                                           }),
              1);
    std::vector<int> indices;
    EXPECT_EQ(read_back<TK_Color_By_Index>(emit_value_colors,
                                           [&](TK_Color_By_Index& h, BStreamFileToolkit&)
                                           { indices.push_back(h.GetIndex()); }),
              2);
    EXPECT_EQ(indices, (std::vector<int>{255, 0x1234}));
    EXPECT_EQ(read_back<TK_Color_By_FIndex>(emit_value_colors,
                                            [](TK_Color_By_FIndex& h, BStreamFileToolkit&)
                                            { EXPECT_EQ(h.GetIndex(), 2.5f); }),
              1);
    std::vector<int> lengths;
    EXPECT_EQ(read_back<TK_Color_Map>(emit_value_colors,
                                      [&](TK_Color_Map& h, BStreamFileToolkit&)
                                      {
                                          lengths.push_back(h.GetLength());
                                          if (h.GetLength() == 2)
                                          {
                                              EXPECT_EQ(h.GetFormat(), 1);
                                              EXPECT_EQ(h.GetColors()[0], 1.0f);
                                              EXPECT_EQ(h.GetColors()[5], 1.0f);
                                          }
                                      }),
              2);
    EXPECT_EQ(lengths, (std::vector<int>{2, 0}));
}

TEST(Colors, NamedChannelsReadBackAndColourChannelsKeepTheirNames)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Color>(tk, w, '"',
                                 [](TK_Color& h)
                                 {
                                     h.SetGeometry(0x818081);
                                     h.SetChannelName(0, "wood texture");
                                     h.SetChannelName(8, "");
                                     h.SetChannelName(9, "bump");
                                     h.SetChannels(h.GetChannels() | 0x70);
                                     h.SetChannelColor(4, 0, 1, 0);
                                     h.SetValue(5, 3.5f);
                                     h.SetValue(6, 0.125f);
                                 });
    };
    EXPECT_EQ(read_back<TK_Color>(emit,
                                  [](TK_Color& h, BStreamFileToolkit&)
                                  {
                                      EXPECT_EQ(h.GetGeometry(), 0x818081);
                                      EXPECT_EQ(h.GetChannels(), 0x03F1);
                                      EXPECT_EQ(h.GetChannel(0).name, "wood texture");
                                      EXPECT_EQ(h.GetChannel(4).name, "");
                                      EXPECT_EQ(h.GetChannel(4).rgb[1], 1.0f);
                                      EXPECT_EQ(h.GetChannel(8).name, "");
                                      EXPECT_EQ(h.GetChannel(9).name, "bump");
                                      EXPECT_EQ(h.GetValue(5), 3.5f);
                                      EXPECT_EQ(h.GetValue(6), 0.125f);
                                  }),
              1);
}

TEST(Colors, BadIndicesAndMapLengthsAreRefused)
{
    for (auto const& [opcode, index] :
         std::vector<std::pair<int, int>>{{0x08, 256}, {0x08, -1}, {0x09, 0x10000}})
    {
        Buffered_Toolkit out;
        auto& h = dynamic_cast<TK_Color_By_Index&>(out.tk.GetOpcodeHandler(opcode));
        h.SetIndex(index);
        EXPECT_EQ(h.Write(out.tk), TK_Error) << index;
        EXPECT_TRUE(out.written().empty());
    }
    // A handler serving another opcode can neither write nor read.
    Buffered_Toolkit out;
    TK_Color_By_Index stray(0x22);
    EXPECT_EQ(stray.Write(out.tk), TK_Error);

    for (int length : {-1, 257})
    {
        Read_Result const r = read_body(Golden().u8(0x0C).u8(0).i32(length).u8(1).u8(2).u8(3));
        EXPECT_EQ(r.status, TK_Error);
        EXPECT_EQ(r.error, "bad Color Map length");
        Buffered_Toolkit map_out;
        auto& map = dynamic_cast<TK_Color_Map&>(map_out.tk.GetOpcodeHandler(0x0C));
        map.SetColors(length);
        EXPECT_EQ(map.Write(map_out.tk), TK_Error);
    }
    Bytes full = Golden().u8(0x0C).u8(0).i32(256);
    full.resize(full.size() + 768, 9);
    EXPECT_EQ(read_body(full).status, TK_Ended);
}

Emit const all_colours = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_with<TK_Color>(tk, w, '"',
                             [](TK_Color& h)
                             {
                                 h.SetGeometry(0x8080FF);
                                 h.SetChannels(0x037F);
                                 h.SetChannelName(1, "one");
                                 h.SetChannelName(8, "eight");
                                 h.SetChannelName(9, "nine");
                             });
    emit_value_colors(tk, w);
};

TEST(Colors, DamagedColourStreamsFailCleanly)
{
    read_damaged_streams(write_stream(all_colours), 1, 600);
    read_damaged_streams(write_stream(all_colours, {}, true), 3, 400);
}

TEST(Colors, WritesFailCleanly)
{
    EXPECT_TRUE(write_fails_cleanly(all_colours));
}

} // namespace
