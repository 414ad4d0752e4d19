// The points of a polyhedron quantised against a box: the scheme-1 point record.
#include "dwf/w3dtk/geometry/polyhedron.h"

#include "dwf/w3dtk/geometry/quantiser.h"
#include "dwf/w3dtk/geometry/record_io.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <climits>
#include <new>

namespace
{
// Streams below this version store every quantised sample in the byte form
// and give no packed lengths.
constexpr int Packed_Length_Version = 650;
} // namespace

TK_Status TK_Polyhedron::write_trivial_points(BStreamFileToolkit& tk)
{
    bool const global = (m_subop2 & Subop2_Global_Quantization) != 0;
    bool const lengths = tk.GetTargetVersion() >= Packed_Length_Version;
    switch (m_points_stage)
    {
    case 0:
        // Quantise first: the box the quantiser settles on is written before the data.
        if (m_point_count > 0)
        {
            if (global)
            {
                const float* world = tk.GetWorldBounding();
                if (!world)
                    return tk.Error("internal error: global quantization requested but no "
                                    "bounding is available");
                std::copy_n(world, 6, m_bbox);
            }
            int const bits = lengths ? tk.GetNumVertexBits() / 3 : 8;
            if (bits < 1 || bits > 32)
                return tk.Error("internal error from TK_Polyhedron::write_trivial_points");
            m_bits_per_sample = static_cast<unsigned char>(bits);
            TK_Status const status =
                bits == 8 ? w3d::eb::quantize_and_pack_bytes(tk, m_point_count, m_points.data(),
                                                             m_bbox, nullptr, 0, m_bbox, m_encoded,
                                                             &m_encoded_length)
                          : w3d::eb::quantize_and_pack_floats(tk, m_point_count, 3, m_points.data(),
                                                              m_bbox, bits, m_bbox, m_encoded,
                                                              &m_encoded_length);
            if (status != TK_Done)
                return status;
        }
        ++m_points_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, static_cast<unsigned char>(Scheme_Trivial)));
        ++m_points_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_point_count));
        if (m_point_count == 0)
        {
            m_points_stage = 0;
            return TK_Done;
        }
        ++m_points_stage;
        [[fallthrough]];
    case 3:
        if (!global)
            TK_TRY(PutData(tk, m_bbox, 6));
        ++m_points_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(PutData(tk, m_bits_per_sample));
        ++m_points_stage;
        [[fallthrough]];
    case 5:
        if (lengths)
            TK_TRY(PutData(tk, m_encoded_length));
        ++m_points_stage;
        [[fallthrough]];
    case 6:
        TK_TRY(PutData(tk, m_encoded.data(), m_encoded_length));
        m_points_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error from TK_Polyhedron::write_trivial_points");
    }
}

TK_Status TK_Polyhedron::read_trivial_points(BStreamFileToolkit& tk)
{
    bool const lengths = tk.GetReadVersion() >= Packed_Length_Version;
    switch (m_points_stage)
    {
    case 0:
        TK_TRY(GetCheckedCount(tk, m_read_count, "bad point count"));
        if (m_read_count == 0)
        {
            if (SetPoints(0) != TK_Done)
                return tk.Error();
            m_points_stage = 0;
            return TK_Done;
        }
        ++m_points_stage;
        [[fallthrough]];
    case 1:
        if (m_subop2 & Subop2_Global_Quantization)
        {
            const float* world = tk.GetWorldBounding();
            if (!world)
                return tk.Error("internal error: global quantization requested but no "
                                "bounding is available");
            std::copy_n(world, 6, m_bbox);
        }
        else
            TK_TRY(GetData(tk, m_bbox, 6));
        ++m_points_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(GetData(tk, m_bits_per_sample));
        ++m_points_stage;
        [[fallthrough]];
    case 3:
    {
        bool const bytes = !lengths || m_bits_per_sample == 8;
        if (lengths)
            TK_TRY(GetData(tk, m_read_length));
        else
            m_read_length = m_read_count * 3;
        int const needed =
            bytes ? m_read_count * 3 : w3d::eb::packed_length(m_read_count, 3, m_bits_per_sample);
        if (needed < 0)
            return tk.Error("bad bits per sample in TK_Polyhedron::read_trivial_points");
        if (m_read_length < needed)
            return tk.Error("bad packed length in TK_Polyhedron::read_trivial_points");
        m_item = 0;
        ++m_points_stage;
    }
        [[fallthrough]];
    case 4:
        TK_TRY(w3d::geometry::read_in_pieces(tk, m_encoded, m_read_length, m_item));
        m_item = 0;
        ++m_points_stage;
        [[fallthrough]];
    case 5:
    {
        if (SetPoints(m_read_count) != TK_Done)
            return tk.Error();
        bool const bytes = !lengths || m_bits_per_sample == 8;
        TK_Status const status =
            bytes ? w3d::eb::unpack_and_dequantize_bytes(
                        tk, m_point_count, m_bbox, m_encoded.data(), m_read_length, m_points.data())
                  : w3d::eb::unpack_and_dequantize_floats(tk, m_point_count, 3, m_bits_per_sample,
                                                          m_bbox, m_encoded.data(), m_read_length,
                                                          m_points.data());
        if (status != TK_Done)
            return status;
        m_points_stage = 0;
        return TK_Done;
    }
    default:
        return tk.Error("internal error from TK_Polyhedron::read_trivial_points");
    }
}
