#pragma once

// Streams of the attribute, geometry and data records, for the seed corpus of
// the W3D reader's fuzz target (fuzz_seeds_test.cpp) and the tests that read
// every kind of record back.

#include "memory_streams.h"

#include "dwf/w3dtk/records/attributes.h"
#include "dwf/w3dtk/records/color.h"
#include "dwf/w3dtk/records/color_values.h"
#include "dwf/w3dtk/records/curves.h"
#include "dwf/w3dtk/records/font.h"
#include "dwf/w3dtk/records/heuristics.h"
#include "dwf/w3dtk/records/instance.h"
#include "dwf/w3dtk/records/nurbs_curve.h"
#include "dwf/w3dtk/records/referenced_segment.h"
#include "dwf/w3dtk/records/references.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/records/text.h"
#include "dwf/w3dtk/records/text_font.h"
#include "dwf/w3dtk/records/texture.h"
#include "dwf/w3dtk/records/user_data.h"
#include "dwf/w3dtk/records/user_options.h"
#include "dwf/w3dtk/records/visibility.h"
#include "dwf/w3dtk/records/w3d_image.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace w3d_test
{

// Bytes written as they stand, for records no handler writes (the streaming marker).
class Raw_Record : public BBaseOpcodeHandler
{
public:
    explicit Raw_Record(Bytes bytes) : BBaseOpcodeHandler(0), m_bytes(std::move(bytes)) {}
    TK_Status Read(BStreamFileToolkit& tk) override { return tk.Error(); }
    TK_Status Write(BStreamFileToolkit& tk) override
    {
        if (m_stage != 0)
            return tk.Error();
        TK_TRY(PutData(tk, m_bytes.data(), static_cast<int>(m_bytes.size())));
        m_stage = -1;
        return TK_Done;
    }

private:
    Bytes m_bytes;
};

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
    serialize_with<TK_NURBS_Curve>(tk, w, 'N',
                                   [&](TK_NURBS_Curve& h)
                                   { h.SetCurve(3, 4, points, weights, knots, 0.25f, 0.75f); });
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
    serialize_with<TK_Referenced_Segment>(
        tk, w, '<', [](TK_Referenced_Segment& h) { h.SetSegment("?Include Library/2"); });
    serialize_with<TK_Referenced_Segment>(
        tk, w, '{',
        [](TK_Referenced_Segment& h) { h.SetSegment("?Style Library/_dwfw3d_PublishedEdges"); });
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

// An image, a texture made from it, and one with every optional parameter.
inline void record_textures(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_with<W3D_Image>(tk, w, W3D_Image::Opcode,
                              [](W3D_Image& h)
                              {
                                  h.SetName("oak");
                                  h.SetSize(64, 32);
                                  h.SetBitDepth(24);
                              });
    serialize_with<TK_Texture>(tk, w, 't',
                               [](TK_Texture& h)
                               {
                                   h.SetImage("oak");
                                   h.SetName("oak texture");
                               });
    serialize_with<TK_Texture>(tk, w, 't',
                               [](TK_Texture& h)
                               {
                                   h.SetImage("oak");
                                   h.SetName("all");
                                   h.SetFlags(0x0FFF);
                                   h.SetOptionPair(1, 2);
                                   h.SetOptionString("options");
                               });
}

// Every attribute record in its widest form, and the streaming marker.
inline void record_attributes(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_with<TK_Heuristics>(tk, w, 'H',
                                  [](TK_Heuristics& h)
                                  {
                                      h.SetMask(0x1C0CC);
                                      h.SetValue(0x1C0CC);
                                  });
    serialize_with<TK_Visibility>(tk, w, 'V',
                                  [](TK_Visibility& h)
                                  {
                                      h.SetGeometry(0x8081);
                                      h.SetValue(0x8001);
                                  });
    serialize_with<TK_Selectability>(tk, w, '!', [](TK_Selectability& h) { h.SetGeometry(0x81); });
    for (int opcode : {'%', '$'})
        serialize_with<TK_Matrix>(tk, w, opcode, [](TK_Matrix& h) { h.SetMatrix(nullptr); });
    for (int opcode : {'P', 'p', '@', '*', '#', 'h'})
        serialize_with<TK_Enumerated>(tk, w, opcode, [](TK_Enumerated& h) { h.SetIndex(3); });
    int units = 0;
    for (int opcode : {0x0E, int('='), int('+'), int(' ')})
        serialize_with<TK_Size>(tk, w, opcode,
                                [&](TK_Size& h) { h.SetSize(0.5f, units++ * 2 + 1); });
    for (int opcode : {0x0D, int('-')})
        serialize_with<TK_Linear_Pattern>(tk, w, opcode,
                                          [](TK_Linear_Pattern& h) { h.SetPattern(0x0F0F); });
    serialize_with<TK_Text_Font>(tk, w, 'F',
                                 [](TK_Text_Font& h)
                                 {
                                     h.SetMask(0x3FF);
                                     h.SetValue(0x3FF);
                                     h.SetNames("Arial");
                                 });
    Raw_Record streaming_marker({','});
    serialize_own(streaming_marker, w);
}

// Options, user indices, values and data, XML, references, URLs, callbacks.
inline void record_user_data(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_with<TK_User_Options>(tk, w, 'U',
                                    [](TK_User_Options& h) { h.SetOptions("node,edges"); });
    serialize_with<TK_Unicode_Options>(tk, w, 0x16,
                                       [](TK_Unicode_Options& h) { h.SetOptions(u"n\u00E9"); });
    int const indices[3] = {1, 2, 3};
    serialize_with<TK_User_Index>(tk, w, 'n',
                                  [&](TK_User_Index& h) { h.SetIndices(3, indices, indices); });
    serialize_with<TK_User_Value>(tk, w, 'v', [](TK_User_Value& h) { h.SetValue(42); });
    serialize_with<TK_User_Data>(tk, w, '[', [](TK_User_Data& h) { h.SetUserData("\0\1]", 3); });
    serialize_with<TK_XML>(tk, w, 0x18, [](TK_XML& h) { h.SetXML("<a b='c'/>"); });
    serialize_with<TK_External_Reference>(
        tk, w, 0x12, [](TK_External_Reference& h) { h.SetString("../parts/bolt.w3d"); });
    serialize_with<TK_URL>(tk, w, 0x15,
                           [](TK_URL& h) { h.SetString(std::string(300, 'u').c_str()); });
    serialize_with<TK_Callback>(tk, w, 0x07, [](TK_Callback& h) { h.SetCallback("draw"); });
}

// The records a published part puts into its model, with the publisher's
// write settings: segments with their user options and edge style, a texture
// with its image and the colour that names it, a material colour, an edge
// holding a B-spline curve under its visibility and heuristics, a thread's
// colour, line pattern and arc, a modelling matrix, the include of the part's
// geometry.
namespace part_mix
{

inline std::string const Edge_Style = "?Style Library/_dwfw3d_PublishedEdges";
inline std::string const Include_Path = "?Include Library/2";
inline std::string const Image_Name = "Ctexmywood1png";
inline std::string const Texture_Name = "Ctexmywood1png texture";

inline float const Curve_Points[12] = {0, 0, 0, 1, 2, 0, 3, 2, 0, 4, 0, 0};
inline float const Curve_Knots[7] = {0, 0, 0, 0.5f, 1, 1, 1};
inline float const Arc[9] = {1, 0, 0, 0, 1, 0, -1, 0, 0};
inline float const Transform[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};

inline void open(BStreamFileToolkit& tk, W3DStreamWriter& w, const std::string& name, TK_Key key)
{
    serialize_with<TK_Open_Segment>(
        tk, w, '(', [&](TK_Open_Segment& h) { h.SetSegment(name.c_str()); }, key);
}

inline void close(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_own(tk.GetOpcodeHandler(')'), w);
}

inline void style(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_with<TK_Referenced_Segment>(
        tk, w, '{', [](TK_Referenced_Segment& h) { h.SetSegment(Edge_Style.c_str()); });
}

inline void user_options(BStreamFileToolkit& tk, W3DStreamWriter& w, const char* text)
{
    serialize_with<TK_User_Options>(tk, w, 'U', [&](TK_User_Options& h) { h.SetOptions(text); });
}

// Material values as the host gives them: colour, then the factors of
// channels 0 and 2, the grey of channel 3 and the factor of channel 4.
inline float const M[9] = {0.8f, 0.6f, 0.4f, 0.0f, 1.0f, 0.5f, 0.0f, 0.25f, 1.0f};

inline void record_published_part(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    open(tk, w, "", 1); // the root, unnamed

    // the part's geometry: a named include segment with published edges
    style(tk, w);
    open(tk, w, Include_Path, 2);
    user_options(tk, w, "node,edges");

    serialize_with<W3D_Image>(tk, w, W3D_Image::Opcode,
                              [](W3D_Image& h)
                              {
                                  h.SetName(Image_Name.c_str());
                                  h.SetSize(512, 256);
                                  h.SetBitDepth(24);
                              });
    serialize_with<TK_Texture>(tk, w, 't',
                               [](TK_Texture& h)
                               {
                                   h.SetFlags(0);
                                   h.SetImage(Image_Name.c_str());
                                   h.SetName(Texture_Name.c_str());
                               });
    serialize_with<TK_Color>(tk, w, '"',
                             [](TK_Color& h)
                             {
                                 h.SetGeometry(1);
                                 h.SetChannels(1);
                                 h.SetChannelName(h.GetChannel(0), Texture_Name.c_str(), 0);
                             });
    // The material colour announces channels 0-3 and fills 0, 2, 3 and 4:
    // channel 1 carries what the handler holds (zeros), channel 4 is not sent.
    serialize_with<TK_Color>(tk, w, '"',
                             [](TK_Color& h)
                             {
                                 h.SetGeometry(1);
                                 h.SetChannels(0x0F);
                                 h.SetChannelColor(0, M[0] * M[4], M[1] * M[4], M[2] * M[4]);
                                 h.SetChannelColor(2, M[0] * M[5], M[1] * M[5], M[2] * M[5]);
                                 h.SetChannelColor(3, M[7], M[7], M[7]);
                                 h.SetChannelColor(4, M[0] * M[8], M[1] * M[8], M[2] * M[8]);
                             });

    // an edge: its own unnamed segment with edges, holding one B-spline curve
    open(tk, w, "", 3);
    style(tk, w);
    user_options(tk, w, "edges");
    serialize_with<TK_Visibility>(tk, w, 'V',
                                  [](TK_Visibility& h)
                                  {
                                      h.SetGeometry(1);
                                      h.SetValue(-2);
                                  });
    serialize_with<TK_Heuristics>(tk, w, 'H',
                                  [](TK_Heuristics& h)
                                  {
                                      h.SetMask(2);
                                      h.SetValue(-3);
                                  });
    serialize_with<TK_NURBS_Curve>(
        tk, w, 'N',
        [](TK_NURBS_Curve& h)
        { h.SetCurve(2, 4, Curve_Points, nullptr, Curve_Knots, 0.0f, 1.0f); });
    close(tk, w);

    // a cosmetic thread: black, line pattern 2, a half circle
    serialize_with<TK_Color_RGB>(tk, w, '~',
                                 [](TK_Color_RGB& h)
                                 {
                                     h.SetGeometry(4);
                                     h.SetRGB(0, 0, 0);
                                 });
    serialize_with<TK_Linear_Pattern>(tk, w, '-', [](TK_Linear_Pattern& h) { h.SetPattern(2); });
    serialize_with<TK_Circle>(tk, w, 'c', [](TK_Circle& h) { h.SetPoints(Arc, Arc + 3, Arc + 6); });
    close(tk, w);

    // placed in the root: a transform, the include, the root's options
    serialize_with<TK_Matrix>(tk, w, '%', [](TK_Matrix& h) { h.SetMatrix(Transform); });
    serialize_with<TK_Referenced_Segment>(
        tk, w, '<', [](TK_Referenced_Segment& h) { h.SetSegment(Include_Path.c_str()); });
    user_options(tk, w, "node");
    close(tk, w);
}

inline void publisher_settings(BStreamFileToolkit& tk)
{
    tk.SetWriteFlags(0x1A06);
    tk.SetNumNormalBits(24);
}

} // namespace part_mix

using part_mix::publisher_settings;
using part_mix::record_published_part;

// name -> (the fuzzer's chunk byte, stream)
inline std::map<std::string, std::pair<std::uint8_t, Bytes>> record_seeds()
{
    std::map<std::string, std::pair<std::uint8_t, Bytes>> all;
    all["records_curves"] = {1, write_stream(record_curves)};
    all["records_curves_compressed"] = {0x07, write_stream(record_curves, {}, true)};
    all["records_colors"] = {0x02, write_stream(record_colors)};
    all["records_attributes"] = {0x05, write_stream(record_attributes)};
    all["records_attributes_version_700"] = {0x06,
                                             write_stream(record_attributes, target_version(700))};
    all["records_user_data"] = {0x08, write_stream(record_user_data)};
    all["records_user_data_compressed"] = {0x0D, write_stream(record_user_data, {}, true)};
    all["records_published_part"] = {0x09, write_stream(record_published_part, publisher_settings)};
    all["records_published_part_compressed"] = {
        0x01, write_stream(record_published_part, publisher_settings, true)};
    all["records_textures"] = {0x04, write_stream(record_textures)};
    all["records_texts_references"] = {0x03, write_stream(record_texts_and_references)};
    all["records_texts_version_600"] = {
        0x0B, write_stream(record_texts_and_references, target_version(600))};
    return all;
}

} // namespace w3d_test
