#pragma once

// Streams of the attribute, geometry and data records, for the seed corpus of
// the W3D reader's fuzz target (fuzz_seeds_test.cpp) and the tests that read
// every kind of record back.

#include "memory_streams.h"

#include "dwf/w3dtk/records/color.h"
#include "dwf/w3dtk/records/color_values.h"
#include "dwf/w3dtk/records/curves.h"
#include "dwf/w3dtk/records/font.h"
#include "dwf/w3dtk/records/instance.h"
#include "dwf/w3dtk/records/nurbs_curve.h"
#include "dwf/w3dtk/records/referenced_segment.h"
#include "dwf/w3dtk/records/text.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace w3d_test
{

// Every curve record, the B-spline with all its optional fields.
inline void record_curves(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    float const a[3] = {0, 0, 0};
    float const b[3] = {1, 0, 0};
    float const c[3] = {0, 1, 0};
    serialize_with<TK_Line>(tk, w, 'l', [&](TK_Line& h) { h.SetPoints(a, b); });
    float const square[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    serialize_with<TK_Polypoint>(tk, w, 'L', [&](TK_Polypoint& h) { h.SetPoints(4, square); });
    serialize_with<TK_Polypoint>(tk, w, 'G', [&](TK_Polypoint& h) { h.SetPoints(3, square); });
    for (int opcode : {'C', 'c', '\\', 'w'})
        serialize_with<TK_Circle>(tk, w, opcode, [&](TK_Circle& h) { h.SetPoints(b, c, a); });
    for (int opcode : {'E', 'e'})
        serialize_with<TK_Ellipse>(tk, w, opcode,
                                   [&](TK_Ellipse& h)
                                   {
                                       h.SetCentre(a);
                                       h.SetMajor(b);
                                       h.SetMinor(c);
                                       h.SetLimits(0.125f, 0.5f);
                                   });
    float const points[12] = {0, 0, 0, 1, 2, 0, 3, 2, 0, 4, 0, 0};
    float const weights[4] = {1, 0.5f, 0.5f, 1};
    float const knots[8] = {0, 0, 0, 0, 1, 1, 1, 1};
    serialize_with<TK_NURBS_Curve>(
        tk, w, 'N', [&](TK_NURBS_Curve& h) { h.SetCurve(3, 4, points, weights, knots, 0.25f, 0.75f); });
    serialize_with<TK_NURBS_Curve>(tk, w, 'N',
                                   [&](TK_NURBS_Curve& h) { h.SetCurve(1, 2, points); });
}

// Every colour record: channels named and coloured, values, indices, a map.
inline void record_colors(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_with<TK_Color>(tk, w, '"',
                             [](TK_Color& h)
                             {
                                 h.SetGeometry(0x8081);
                                 h.SetChannels(0x037F);
                                 h.SetChannelName(0, "oak texture");
                                 h.SetChannelColor(1, 0.5f, 0.25f, 1.0f);
                                 h.SetValue(5, 0.5f);
                                 h.SetValue(6, 2.0f);
                                 h.SetChannelName(8, "eight");
                                 h.SetChannelName(9, "nine");
                             });
    serialize_with<TK_Color_RGB>(tk, w, '~',
                                 [](TK_Color_RGB& h)
                                 {
                                     h.SetGeometry(4);
                                     h.SetRGB(0.1f, 0.2f, 0.3f);
                                 });
    serialize_with<TK_Color_By_Value>(tk, w, 0x0B,
                                      [](TK_Color_By_Value& h)
                                      {
                                          h.SetGeometry(1);
                                          h.SetSpace(1);
                                          h.SetValue(0.1f, 0.2f, 0.3f);
                                      });
    serialize_with<TK_Color_By_Index>(tk, w, 0x08, [](TK_Color_By_Index& h) { h.SetIndex(7); });
    serialize_with<TK_Color_By_Index>(tk, w, 0x09, [](TK_Color_By_Index& h) { h.SetIndex(700); });
    serialize_with<TK_Color_By_FIndex>(tk, w, 0x0A,
                                       [](TK_Color_By_FIndex& h) { h.SetIndex(1.5f); });
    float const map[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    serialize_with<TK_Color_Map>(tk, w, 0x0C, [&](TK_Color_Map& h) { h.SetColors(3, map); });
}

// Texts in every length form, a font, includes, styles and instances.
inline void record_texts_and_references(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    for (int length : {3, 254, 300})
        serialize_with<TK_Text>(tk, w, 'T',
                                [&](TK_Text& h)
                                {
                                    h.SetPosition(1, 2, 3);
                                    h.SetString(std::string(std::size_t(length), 't').c_str());
                                });
    serialize_with<TK_Text>(tk, w, 'x',
                            [](TK_Text& h)
                            {
                                h.SetEncoding(5);
                                h.SetString("a\0b\0c", 5);
                            });
    serialize_with<TK_Font>(tk, w, 'f',
                            [](TK_Font& h)
                            {
                                h.SetName("Sans");
                                h.SetLookup("sans");
                                h.SetFontData("\1\2\3\4", 4);
                            });
    serialize_with<TK_Referenced_Segment>(tk, w, '<', [](TK_Referenced_Segment& h)
                                          { h.SetSegment("?Include Library/2"); });
    serialize_with<TK_Referenced_Segment>(tk, w, '{', [](TK_Referenced_Segment& h)
                                          { h.SetSegment("?Style Library/_dwfw3d_PublishedEdges"); });
    float const matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    serialize_with<TK_Instance>(
        tk, w, '&',
        [&](TK_Instance& h)
        {
            h.SetIndices(1, 0, 2, 1);
            h.SetMatrix(matrix);
        },
        31);
}

// name -> (the fuzzer's chunk byte, stream)
inline std::map<std::string, std::pair<std::uint8_t, Bytes>> record_seeds()
{
    std::map<std::string, std::pair<std::uint8_t, Bytes>> all;
    all["records_curves"] = {1, write_stream(record_curves)};
    all["records_curves_compressed"] = {0x07, write_stream(record_curves, {}, true)};
    all["records_colors"] = {0x02, write_stream(record_colors)};
    all["records_texts_references"] = {0x03, write_stream(record_texts_and_references)};
    all["records_texts_version_600"] = {
        0x0B, write_stream(record_texts_and_references,
                           [](BStreamFileToolkit& tk) { tk.SetTargetVersion(600); })};
    return all;
}

} // namespace w3d_test
