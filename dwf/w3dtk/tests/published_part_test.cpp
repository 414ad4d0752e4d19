// The mix of records a published part puts into its model: segments with
// their user options and edge style, a texture with its image and the colour
// that names it, a material colour, an edge holding a B-spline curve under
// its visibility and heuristics, a thread's colour, line pattern and arc, a
// modelling matrix and the include of the part's geometry. The bytes are
// spelled out field by field from the record layouts.
#include "record_bytes.h"
#include "record_streams.h"

#include "dwf/w3dtk/records/color.h"
#include "dwf/w3dtk/records/nurbs_curve.h"
#include "dwf/w3dtk/records/referenced_segment.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;
using namespace part_mix;

Bytes expected_part()
{
    auto name = [](Golden& g, const std::string& text) { g.u8(unsigned(text.size())).text(text); };
    Golden g;
    g.u8('(').u8(0).u8('q');
    g.u8('{');
    name(g, Edge_Style);
    g.u8('(');
    name(g, Include_Path);
    g.u8('q');
    g.u8('U').u16(10).text("node,edges");
    g.u8(0xE0);
    name(g, Image_Name);
    g.i32(512).i32(256).u8(24);
    g.u8('t');
    name(g, Texture_Name);
    name(g, Image_Name);
    g.u16(0);
    g.u8('"').u8(1).u8(1);
    name(g, Texture_Name);
    // channel bytes: trunc(value * 255.999)
    g.u8('"').u8(1).u8(0x0F);
    g.u8(0).u8(204).u8(153).u8(102); // 0.8 0.6 0.4
    g.u8(0).u8(0).u8(0).u8(0);       // channel 1: what the handler held
    g.u8(0).u8(102).u8(76).u8(51);   // 0.4 0.3 0.2
    g.u8(0).u8(63).u8(63).u8(63);    // 0.25
    g.u8('(').u8(0).u8('q');
    g.u8('{');
    name(g, Edge_Style);
    g.u8('U').u16(5).text("edges");
    g.u8('V').u8(0x01).u8(0xFE);
    g.u8('H').u16(0x0002).u16(0xFFFD);
    g.u8('N').u8(0x02).u8(2).i32(4).floats(Curve_Points, 12).floats(Curve_Knots, 7);
    g.u8(')');
    g.u8('~').u8(4).u8(0).u8(0).u8(0);
    g.u8('-').u16(2);
    g.u8('c').floats(Arc, 9);
    g.u8(')');
    g.u8('%').floats({0, 1, 0, -1, 0, 0, 0, 0, 1, 10, 20, 30});
    g.u8('<');
    name(g, Include_Path);
    g.u8('U').u16(4).text("node");
    g.u8(')');
    return g.bytes;
}

TEST(PublishedPart, RecordMixMatchesTheRecordLayouts)
{
    EXPECT_EQ(
        hex(write_records(record_published_part, W3DStreamWriter::Buffer_Size, publisher_settings)),
        hex(expected_part()));
    EXPECT_TRUE(writes_alike_in_every_buffer(record_published_part, publisher_settings));
}

TEST(PublishedPart, ReadsBackOneByteAtATimePlainAndCompressed)
{
    for (bool const compressed : {false, true})
    {
        std::vector<std::string> names;
        std::string texture_channel;
        int curve_knots = 0;
        Read_Result const r =
            read_stream(write_stream(record_published_part, publisher_settings, compressed), 1,
                        [&](BBaseOpcodeHandler& h, BStreamFileToolkit&)
                        {
                            if (auto* s = dynamic_cast<TK_Referenced_Segment*>(&h))
                                names.push_back(s->GetSegment());
                            else if (auto* c = dynamic_cast<TK_Color*>(&h))
                            {
                                if (c->GetChannels() == 1)
                                    texture_channel = c->GetChannel(0).name;
                            }
                            else if (auto* n = dynamic_cast<TK_NURBS_Curve*>(&h))
                                curve_knots = n->GetKnotCount();
                        });
        ASSERT_EQ(r.status, TK_Ended) << r.error;
        std::vector<int> body(r.opcodes.begin() + 2, r.opcodes.end());
        if (compressed)
            body = std::vector<int>(body.begin() + 1, body.end() - 2);
        else
            body.pop_back();
        EXPECT_EQ(body, (std::vector<int>{'(', 'q', '{', '(', 'q', 'U', 0xE0, 't', '"',
                                          '"', '(', 'q', '{', 'U', 'V', 'H',  'N', ')',
                                          '~', '-', 'c', ')', '%', '<', 'U',  ')'}));
        EXPECT_EQ(names, (std::vector<std::string>{Edge_Style, Edge_Style, Include_Path}));
        EXPECT_EQ(texture_channel, Texture_Name);
        EXPECT_EQ(curve_knots, 7);
        EXPECT_EQ(r.depth, 0);
        EXPECT_EQ(r.next_tag, 3);
    }
}

TEST(PublishedPart, DamagedPartStreamsFailCleanly)
{
    read_damaged_streams(write_stream(record_published_part, publisher_settings), 3, 800);
    read_damaged_streams(write_stream(record_published_part, publisher_settings, true), 1, 400);
}

} // namespace
