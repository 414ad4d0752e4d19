#include "dwf/w3dtk/geometry/mesh.h"

#include "dwf/w3dtk/geometry/record_io.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <cstdint>

namespace
{
// Global quantisation needs a stream of at least this version.
constexpr int Global_Quantization_Version = 806;
// Streams up to this version have no sub-option byte in their meshes.
constexpr int Subop_Version = 100;
} // namespace

TK_Mesh::TK_Mesh() : TK_Polyhedron('M')
{
    TK_Mesh::Reset();
}

void TK_Mesh::Reset()
{
    m_rows = 0;
    m_columns = 0;
    TK_Polyhedron::Reset();
}

int TK_Mesh::FaceCount(int rows, int columns)
{
    if (rows < 2 || columns < 2)
        return 0;
    long long const faces = (2LL * columns - 2) * (rows - 1LL);
    return faces > INT32_MAX ? INT32_MAX : static_cast<int>(faces);
}

TK_Status TK_Mesh::SetMesh(int rows, int columns, const float* points)
{
    long long const count = static_cast<long long>(rows) * columns;
    if (rows < 0 || columns < 0 || count > Max_Count)
        return TK_Error;
    TK_TRY(SetPoints(static_cast<int>(count), points));
    m_rows = rows;
    m_columns = columns;
    set_face_count(FaceCount(rows, columns));
    return TK_Done;
}

TK_Status TK_Mesh::Write(BStreamFileToolkit& tk)
{
    if (m_replacement)
        return m_replacement->Write(tk);
    switch (m_stage)
    {
    case 0:
        if (m_rows < 0 || m_columns < 0 ||
            static_cast<long long>(m_rows) * m_columns != m_point_count)
            return tk.Error("mesh points do not match its rows and columns");
        TK_TRY(check_arrays(tk));
        if ((m_subop2 & Subop2_Global_Quantization) &&
            (tk.GetTargetVersion() < Global_Quantization_Version || !tk.GetWorldBounding()))
        {
            m_subop2 &= static_cast<unsigned short>(~Subop2_Global_Quantization);
            if (m_subop2 == 0)
                m_subop &= static_cast<unsigned char>(~Subop_Second_Word);
        }
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutOpcode(tk, 1));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_subop));
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (m_subop & Subop_Second_Word)
            TK_TRY(PutData(tk, m_subop2));
        ++m_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(PutData(tk, m_rows));
        ++m_stage;
        [[fallthrough]];
    case 5:
        TK_TRY(PutData(tk, m_columns));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_subop & Subop_Quantized)
        {
            m_compression_scheme = Scheme_Trivial;
            TK_TRY(write_trivial_points(tk));
        }
        else
            TK_TRY(PutData(tk, m_points.data(), 3 * m_point_count));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_subop & Subop_Attributes)
            TK_TRY(TK_Polyhedron::Write(tk));
        ++m_stage;
        [[fallthrough]];
    case 8:
        if (!tk.GetWriteFlag(TK_Option_No_Instances))
        {
            TK_TRY(tk.TagPendingKeys(-1));
            tk.AddInstance(m_key, -1, m_opcode, m_rows, m_columns, 0);
        }
        else if (tk.GetWriteFlag(TK_Option_Tag_All))
            TK_TRY(tk.TagPendingKeys(-1));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Mesh::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        if (tk.GetReadVersion() > Subop_Version)
            TK_TRY(GetData(tk, m_subop));
        else
            m_subop = 0;
        ++m_stage;
        [[fallthrough]];
    case 1:
        // The writer gives the second word whenever bit 0x80 is set; so is it read.
        if (m_subop & Subop_Second_Word)
            TK_TRY(GetData(tk, m_subop2));
        ++m_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(GetData(tk, m_rows));
        ++m_stage;
        [[fallthrough]];
    case 3:
    {
        TK_TRY(GetData(tk, m_columns));
        int count = 0;
        TK_TRY(CheckProduct(tk, m_rows, m_columns, count, "bad Mesh Point count"));
        set_face_count(FaceCount(m_rows, m_columns));
        m_progress = 0;
        ++m_stage;
    }
        [[fallthrough]];
    case 4:
        if (m_subop & Subop_Quantized)
            TK_TRY(GetData(tk, m_compression_scheme));
        ++m_stage;
        [[fallthrough]];
    case 5:
    {
        int const count = m_rows * m_columns;
        if (m_subop & Subop_Quantized)
        {
            TK_TRY(read_trivial_points(tk));
            if (m_point_count != count)
                return tk.Error("bad Mesh Point count");
        }
        else
        {
            // Read in pieces: the array grows only as far as the stream holds points.
            TK_TRY(w3d::geometry::read_in_pieces(tk, m_points, 3 * count, m_progress));
            m_progress = 0;
            m_points.resize(3 * static_cast<std::size_t>(count));
            if (SetPoints(count, nullptr) != TK_Done)
                return tk.Error();
        }
        ++m_stage;
    }
        [[fallthrough]];
    case 6:
        if (m_subop & Subop_Attributes)
            TK_TRY(TK_Polyhedron::Read(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
