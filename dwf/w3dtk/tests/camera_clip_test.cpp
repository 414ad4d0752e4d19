// Cameras, views, windows and clip regions.
#include "raw_records.h"
#include "record_bytes.h"
#include "stream_harness.h"

#include "dwf/w3dtk/records/camera.h"
#include "dwf/w3dtk/records/window_clip.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;

float const Settings[11] = {0, 0, -5, 0, 0, 0, 0, 1, 0, 2, 1.5f};

void camera(BStreamFileToolkit& tk, W3DStreamWriter& writer, int opcode, int flags,
            const std::string& view = "")
{
    serialize_with<TK_Camera>(tk, writer, opcode,
                              [&](TK_Camera& h)
                              {
                                  h.SetSettings(Settings);
                                  h.SetFlags(flags);
                                  h.SetExtraA(0.25f);
                                  h.SetExtraB(-4);
                                  h.SetView(view.c_str());
                              });
}

void clip_region(BStreamFileToolkit& tk, W3DStreamWriter& writer, int count)
{
    std::vector<float> points;
    for (int i = 0; i < 3 * count; ++i)
        points.push_back(float(i) / 2);
    serialize_with<TK_Clip_Region>(tk, writer, 'O',
                                   [&](TK_Clip_Region& h)
                                   {
                                       h.SetOptions(0x102);
                                       h.SetPoints(count, points.data());
                                   });
}

void everything(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    camera(tk, writer, '>', 0x0C);
    camera(tk, writer, '>', 0x03);
    camera(tk, writer, '}', 0x04, "front");
    camera(tk, writer, '}', 0, "");
    serialize_with<TK_Window>(tk, writer, 'W',
                              [](TK_Window& h) { h.SetWindow(-1, 1, -0.5f, 0.5f); });
    serialize_with<TK_Clip_Rectangle>(tk, writer, 'o',
                                      [](TK_Clip_Rectangle& h)
                                      {
                                          h.SetOptions(0x1FF);
                                          h.SetRectangle(-1, 0, -1, 0);
                                      });
    clip_region(tk, writer, 0);
    clip_region(tk, writer, 2);
}

Golden settings(Golden golden)
{
    for (float const value : Settings)
        golden.f32(value);
    return golden;
}

TEST(CameraAndClip, RecordsArePinned)
{
    Golden expected;
    // Flags 0x0C: both extra values after the 44 bytes of settings.
    expected = settings(expected.u8('>').u8(0x0C)).floats({0.25f, -4});
    expected = settings(expected.u8('>').u8(0x03));
    expected = settings(expected.u8('}').u8(0x04)).f32(0.25f).u8(5).text("front");
    expected = settings(expected.u8('}').u8(0)).u8(0); // an empty name: one zero byte
    expected.u8('W').floats({-1, 1, -0.5f, 0.5f});
    expected.u8('o').u8(0xFF).floats({-1, 0, -1, 0});
    expected.u8('O').u8(0x02).i32(0);
    expected.u8('O').u8(0x02).i32(2).floats({0, 0.5f, 1, 1.5f, 2, 2.5f});
    EXPECT_EQ(write_records(everything), expected.bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(everything));
}

TEST(CameraAndClip, ReadBackOneByteAtATime)
{
    std::vector<std::string> views;
    std::vector<std::vector<float>> values;
    std::vector<int> options;
    Read_Result const result =
        read_stream(write_stream(everything), 1,
                    [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&)
                    {
                        if (auto* h = dynamic_cast<TK_Camera*>(&handler))
                        {
                            EXPECT_EQ(std::vector<float>(h->GetSettings(), h->GetSettings() + 11),
                                      std::vector<float>(Settings, Settings + 11));
                            values.push_back({h->GetExtraA(), h->GetExtraB()});
                            options.push_back(h->GetFlags());
                            if (h->Opcode() == '}')
                                views.push_back(h->GetView());
                        }
                        else if (auto* h = dynamic_cast<TK_Window*>(&handler))
                            values.emplace_back(h->GetWindow(), h->GetWindow() + 4);
                        else if (auto* h = dynamic_cast<TK_Clip_Rectangle*>(&handler))
                        {
                            values.emplace_back(h->GetRectangle(), h->GetRectangle() + 4);
                            options.push_back(h->GetOptions());
                        }
                        else if (auto* h = dynamic_cast<TK_Clip_Region*>(&handler))
                        {
                            values.emplace_back(h->GetPoints(), h->GetPoints() + 3 * h->GetCount());
                            options.push_back(h->GetOptions());
                        }
                    });
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    EXPECT_EQ(views, (std::vector<std::string>{"front", ""}));
    EXPECT_EQ(options, (std::vector<int>{0x0C, 0x03, 0x04, 0, 0xFF, 0x02, 0x02}));
    std::vector<std::vector<float>> const expected = {
        // Values that do not travel keep what the handler held: the camera's
        // from its first record, the view's its initial zero.
        {0.25f, -4},          {0.25f, -4},    {0.25f, 0}, {0.25f, 0},
        {-1, 1, -0.5f, 0.5f}, {-1, 0, -1, 0}, {},         {0, 0.5f, 1, 1.5f, 2, 2.5f},
    };
    EXPECT_EQ(values, expected);
}

TEST(CameraAndClip, ViewsNeedVersion610AndShortNames)
{
    auto at = [](int version, int opcode)
    {
        return write_records([=](BStreamFileToolkit& tk, W3DStreamWriter& w)
                             { camera(tk, w, opcode, 0, "v"); },
                             W3DStreamWriter::Buffer_Size, target_version(version));
    };
    EXPECT_TRUE(at(600, '}').empty());
    EXPECT_EQ(at(600, '>').size(), 46u);
    EXPECT_EQ(at(610, '}').size(), 48u);

    // 255 bytes travel; 256 are refused before the opcode.
    std::string const longest(255, 'v');
    std::string read_name;
    Read_Result const result =
        read_stream(write_stream([&](BStreamFileToolkit& tk, W3DStreamWriter& w)
                                 { camera(tk, w, '}', 0, longest); }),
                    3,
                    [&](BBaseOpcodeHandler& h, BStreamFileToolkit&)
                    {
                        if (auto* view = dynamic_cast<TK_Camera*>(&h))
                            read_name = view->GetView();
                    });
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    EXPECT_EQ(read_name, longest);

    BStreamFileToolkit tk;
    std::vector<char> buffer(512);
    tk.PrepareBuffer(buffer.data(), 512);
    auto& view = dynamic_cast<TK_Camera&>(tk.GetOpcodeHandler('}'));
    view.SetView(std::string(256, 'v').c_str());
    EXPECT_EQ(view.Write(tk), TK_Error);
    EXPECT_EQ(tk.CurrentBufferLength(), 0);
    EXPECT_EQ(tk.LastError(),
              "view name of 256 bytes is longer than the 255 bytes a record can hold");
}

TEST(CameraAndClip, ClipRegionCountsAreChecked)
{
    int count_after = -1;
    Seen const keep_count = [&](BBaseOpcodeHandler& h, BStreamFileToolkit&)
    {
        if (auto* region = dynamic_cast<TK_Clip_Region*>(&h))
            count_after = region->GetCount();
    };
    for (std::int64_t const count : {-1LL, (1LL << 24) + 1})
    {
        Golden record;
        record.u8('O').u8(0).i32(count);
        BStreamFileToolkit tk;
        Read_Result const result = read_stream(write_stream(raw_record(record)), 1, {}, {}, &tk);
        EXPECT_EQ(result.status, TK_Error);
        EXPECT_EQ(result.error, "bad Clip Region count");
        // The refused count is not kept.
        EXPECT_EQ(dynamic_cast<TK_Clip_Region&>(tk.GetOpcodeHandler('O')).GetCount(), 0);
    }
    Golden record;
    record.u8('O').u8(0).i32(1 << 24).floats({1, 2, 3});
    Read_Result const result = read_stream(write_stream(raw_record(record)), 4096, keep_count);
    EXPECT_EQ(result.error, "end of stream"); // accepted, but its points never arrive
    EXPECT_EQ(count_after, -1);

    BStreamFileToolkit tk;
    std::vector<char> buffer(64);
    tk.PrepareBuffer(buffer.data(), 64);
    auto& region = dynamic_cast<TK_Clip_Region&>(tk.GetOpcodeHandler('O'));
    region.SetPoints((1 << 24) + 1);
    EXPECT_EQ(region.Write(tk), TK_Error);
    EXPECT_EQ(tk.CurrentBufferLength(), 0);
}

TEST(CameraAndClip, DamagedStreamsAndFailingWritesEndCleanly)
{
    Bytes const stream = write_stream(everything);
    read_damaged_streams(stream, 1, 800);
    read_damaged_streams(stream, 33, 400);
    EXPECT_TRUE(write_fails_cleanly(everything, {}, 40));
}

} // namespace
