#pragma once

// Streams of the attribute, geometry and data records, for the seed corpus of
// the W3D reader's fuzz target (fuzz_seeds_test.cpp) and the tests that read
// every kind of record back.

#include "memory_streams.h"

#include "dwf/w3dtk/records/curves.h"
#include "dwf/w3dtk/records/nurbs_curve.h"

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

// name -> (the fuzzer's chunk byte, stream)
inline std::map<std::string, std::pair<std::uint8_t, Bytes>> record_seeds()
{
    std::map<std::string, std::pair<std::uint8_t, Bytes>> all;
    all["records_curves"] = {1, write_stream(record_curves)};
    all["records_curves_compressed"] = {0x07, write_stream(record_curves, {}, true)};
    return all;
}

} // namespace w3d_test
