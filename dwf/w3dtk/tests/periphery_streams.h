#pragma once

// Streams of the periphery records (images, NURBS surfaces, solids, lights,
// points, bounding, rendering options, cameras, windows and clips,
// poly-polypoints), for the seed corpus of the W3D reader's fuzz target and the
// benchmarks.

#include "memory_streams.h"

#include "dwf/w3dtk/geometry/poly_cylinder.h"
#include "dwf/w3dtk/geometry/poly_polypoint.h"
#include "dwf/w3dtk/records/bounding.h"
#include "dwf/w3dtk/records/camera.h"
#include "dwf/w3dtk/records/image.h"
#include "dwf/w3dtk/records/lights.h"
#include "dwf/w3dtk/records/nurbs_surface.h"
#include "dwf/w3dtk/records/point.h"
#include "dwf/w3dtk/records/rendering_options.h"
#include "dwf/w3dtk/records/solids.h"
#include "dwf/w3dtk/records/window_clip.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace w3d_test
{

// width x height pixels of `format`: smooth, so JPEG and run-length coding
// have something to work with.
inline std::vector<unsigned char> periphery_pixels(int width, int height, int format)
{
    int const bytes = TK_Image::BytesPerPixel(format);
    std::vector<unsigned char> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                   static_cast<std::size_t>(bytes));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < bytes; ++c)
                pixels.push_back(format == TK_Image::TK_Image_Mapped
                                     ? static_cast<unsigned char>((x / 37 + y / 29) * 16)
                                     : static_cast<unsigned char>((x * (c + 1) + y * (3 - c)) / 4));
    return pixels;
}

inline void periphery_image(BStreamFileToolkit& tk, W3DStreamWriter& w, int format, int compression,
                            int width, int height, const char* name = "")
{
    std::vector<unsigned char> const pixels = periphery_pixels(width, height, format);
    serialize_with<TK_Image>(tk, w, 'i',
                             [&](TK_Image& h)
                             {
                                 h.SetFormat(format);
                                 h.SetCompression(compression);
                                 h.SetSize(width, height);
                                 h.SetBytes(pixels.data(), pixels.size());
                                 h.SetName(name);
                                 h.SetPosition(1, 2, 3);
                             });
}

inline void periphery_surface(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_with<TK_NURBS_Surface>(
        tk, w, 'A',
        [](TK_NURBS_Surface& h)
        {
            std::vector<float> points;
            for (int i = 0; i < 27; ++i)
                points.push_back(float(i % 7));
            float const weights[9] = {1, 1, 1, 1, 2, 1, 1, 1, 1};
            float const knots[6] = {0, 0, 0, 1, 1, 1};
            h.SetSurface(2, 2, 3, 3, points.data(), weights, knots, knots);
            h.SetOptions(h.GetOptions() | TK_NURBS_Surface::Trims);
            float const loop[8] = {0, 0, 1, 0, 1, 1, 0, 0};
            float const curve_knots[8] = {0, 0, 0, 0.5f, 1, 1, 1, 1};
            float const curve_weights[4] = {1, 0.5f, 0.5f, 1};
            h.NewTrim(HT_NURBS_Trim::Curve)->SetCurve(3, 4, loop, curve_weights, curve_knots);
            HT_NURBS_Trim* collection = h.NewTrim(HT_NURBS_Trim::Collection);
            collection->NewTrim(HT_NURBS_Trim::Polyline)->SetPoints(4, loop);
            collection->NewTrim(HT_NURBS_Trim::Collection)
                ->NewTrim(HT_NURBS_Trim::Curve)
                ->SetCurve(1, 2, loop);
        });
}

inline void periphery_rendering_options(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    serialize_with<TK_Rendering_Options>(tk, w, 'R',
                                         [](TK_Rendering_Options& o)
                                         {
                                             o.mask[0] = o.value[0] = 0xFFFFFFFF;
                                             o.mask[1] = o.value[1] = 0x1B;
                                             o.p.sub_mask = o.p.sub_value = 0x08000004;
                                             o.q.sub_mask = o.q.sub_value = 1;
                                             o.s.selector = 0x019C;
                                             o.h.sub_mask = o.h.sub_value = 0x07F3;
                                             o.t.sub_mask = o.t.sub_value = 0x000BBF80;
                                             o.t.t2.count = 2;
                                             o.t.t3.count = 8;
                                             o.t.t10.count = 1;
                                             o.u.u1 = 0x01;
                                             o.u.u2_count = 3;
                                             o.u.u4 = 0x03;
                                         });
}

inline void periphery_poly_polypoints(BStreamFileToolkit& tk, W3DStreamWriter& w, int subop)
{
    std::vector<float> points;
    std::vector<int> lengths = {3, 1, 4};
    for (int i = 0; i < 8; ++i)
        points.insert(points.end(), {float(i), std::sin(float(i)), i < 3 ? 0.0f : 2.0f});
    serialize_with<TK_PolyPolypoint>(tk, w, 0x10,
                                     [&](TK_PolyPolypoint& h)
                                     {
                                         h.SetPoints(8, points.data());
                                         h.SetLineLengths(3, lengths.data());
                                         h.SetSubop(subop);
                                     });
}

// Every periphery record, in each of its main forms.
inline void periphery_records(BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    float const a[3] = {0, 0, 0};
    float const b[3] = {1, 2, 3};
    float const axis[6] = {0, 0, 0, 0, 0, 5};
    float const box_min[3] = {-10, -10, -10};
    float const box_max[3] = {10, 10, 10};
    serialize_with<TK_Bounding>(tk, w, 'B', [&](TK_Bounding& h) { h.SetBox(box_min, box_max); });
    serialize_with<TK_Bounding>(tk, w, 'b', [&](TK_Bounding& h) { h.SetSphere(b, 2); });
    periphery_image(tk, w, TK_Image::TK_Image_Mapped, TK_Image::TK_Image_RLE, 40, 30, "rle");
    periphery_image(tk, w, TK_Image::TK_Image_RGB, TK_Image::TK_Image_JPEG, 16, 8);
    periphery_image(tk, w, TK_Image::TK_Image_RGBA, TK_Image::TK_Image_None, 3, 2, "raw");
    periphery_surface(tk, w);
    serialize_with<TK_Cylinder>(tk, w, 'Y',
                                [&](TK_Cylinder& h)
                                {
                                    h.SetAxis(axis);
                                    h.SetRadius(1);
                                    h.SetCaps(3);
                                });
    float const chain[9] = {0, 0, 0, 0, 0, 1, 1, 0, 2};
    float const normals[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    float const radii[3] = {0.5f, 0.25f, 0.125f};
    serialize_with<TK_PolyCylinder>(tk, w, 'Q',
                                    [&](TK_PolyCylinder& h)
                                    {
                                        h.SetPoints(3, chain);
                                        h.SetRadii(3, radii);
                                        h.SetFlags(0x1F);
                                        h.SetStartVector(a);
                                        h.SetEndVector(b);
                                        h.SetVertexNormals(normals);
                                    });
    serialize_with<TK_PolyCylinder>(tk, w, 'Q',
                                    [&](TK_PolyCylinder& h)
                                    {
                                        h.SetPoints(3, chain);
                                        h.SetRadii(1, radii);
                                    });
    serialize_with<TK_Grid>(tk, w, 'g',
                            [&](TK_Grid& h)
                            {
                                h.SetType(1);
                                h.SetOrigin(a);
                                h.SetRef1(b);
                                h.SetRef2(b);
                                h.SetCounts(4, 4);
                            });
    serialize_with<TK_Cutting_Plane>(tk, w, '/',
                                     [](TK_Cutting_Plane& h) { h.SetPlane(0, 0, 1, -1); });
    for (int opcode : {'.', 'd', 'X', '|'})
        serialize_with<TK_Point>(tk, w, opcode, [&](TK_Point& h) { h.SetPoint(b); });
    serialize_with<TK_Spot_Light>(tk, w, '^',
                                  [&](TK_Spot_Light& h)
                                  {
                                      h.SetPosition(b);
                                      h.SetTarget(a);
                                      h.SetOptions(0x2F);
                                  });
    float const square[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    serialize_with<TK_Area_Light>(tk, w, 'a', [&](TK_Area_Light& h) { h.SetPoints(4, square); });
    periphery_rendering_options(tk, w);
    float const settings[11] = {0, 0, -5, 0, 0, 0, 0, 1, 0, 2, 2};
    serialize_with<TK_Camera>(tk, w, '>',
                              [&](TK_Camera& h)
                              {
                                  h.SetSettings(settings);
                                  h.SetFlags(0x0C);
                              });
    serialize_with<TK_Camera>(tk, w, '}',
                              [&](TK_Camera& h)
                              {
                                  h.SetSettings(settings);
                                  h.SetView("front");
                              });
    serialize_with<TK_Window>(tk, w, 'W', [](TK_Window& h) { h.SetWindow(-1, 1, -1, 1); });
    serialize_with<TK_Clip_Rectangle>(tk, w, 'o',
                                      [](TK_Clip_Rectangle& h) { h.SetRectangle(-1, 0, -1, 0); });
    serialize_with<TK_Clip_Region>(tk, w, 'O', [&](TK_Clip_Region& h) { h.SetPoints(4, square); });
    periphery_poly_polypoints(tk, w, 0);
    periphery_poly_polypoints(tk, w,
                              TK_PolyPolypoint::Compressed | TK_PolyPolypoint::Has_Line_Count);
    periphery_poly_polypoints(tk, w,
                              TK_PolyPolypoint::Compressed | TK_PolyPolypoint::Global_Quantisation);
}

// A single-line poly-polypoint of line-extend codes, which no writer produces.
inline void periphery_line_extend(BStreamFileToolkit& tk, W3DStreamWriter&)
{
    std::vector<float> values;
    for (int i = 0; i < 12; ++i)
        values.insert(values.end(), {float(i), float(i * i) / 10, 1.0f});
    float box[6] = {0, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> packed;
    int length = 0;
    TK_PolyPolypoint::PackLineExtend(tk, 12, 3, values.data(), box, 9, packed, length);
    std::vector<std::uint8_t> record = {0x10, 0x05, 0x00, 12, 0, 0, 0, 6};
    auto put = [&](const void* data, std::size_t size)
    {
        auto const* bytes = static_cast<const std::uint8_t*>(data);
        record.insert(record.end(), bytes, bytes + size);
    };
    int const bits = 9;
    put(box, sizeof box);
    put(&bits, 4);
    put(&length, 4);
    put(packed.data(), static_cast<std::size_t>(length));
    tk.Accumulator().write(reinterpret_cast<const char*>(record.data()),
                           static_cast<int>(record.size()));
}

// name -> (the fuzzer's chunk byte, stream)
inline std::map<std::string, std::pair<std::uint8_t, Bytes>> periphery_seeds()
{
    std::map<std::string, std::pair<std::uint8_t, Bytes>> all;
    all["periphery_records"] = {0x01, write_stream(periphery_records)};
    all["periphery_records_compressed"] = {0x06, write_stream(periphery_records, {}, true)};
    all["periphery_records_big_chunks"] = {0x40, write_stream(periphery_records)};
    all["periphery_version_700"] = {0x0B, write_stream(periphery_records, target_version(700))};
    all["periphery_version_907_tagged"] = {
        0x0D, write_stream(periphery_records, target_version(907, TK_Option_Tag_All))};
    all["periphery_line_extend"] = {0x02, write_stream(periphery_line_extend)};
    return all;
}

} // namespace w3d_test
