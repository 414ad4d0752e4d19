// The shell record: reading.
#include "dwf/w3dtk/geometry/shell.h"

#include "dwf/w3dtk/edgebreaker/edgebreaker.h"
#include "dwf/w3dtk/geometry/record_io.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <climits>
#include <new>

namespace
{
constexpr int Signed_Faces_Version = 650;
constexpr int Raw_Points_After_Block_Version = 651;
// The longest face list a stream may declare, in entries.
constexpr int Max_Face_Entries = BBaseOpcodeHandler::Max_Count;
} // namespace

TK_Status TK_Shell::read_bounding_body(BStreamFileToolkit& tk)
{
    switch (m_shell_stage)
    {
    case 0:
        if (m_subop & Subop_Second_Word)
            TK_TRY(GetData(tk, m_subop2));
        ++m_shell_stage;
        [[fallthrough]];
    case 1:
    {
        char level = 0;
        TK_TRY(GetData(tk, level));
        m_level = static_cast<signed char>(level);
        ++m_shell_stage;
    }
        [[fallthrough]];
    case 2:
        TK_TRY(GetData(tk, m_bbox, 6));
        m_shell_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Shell::read_bounding_body");
    }
}

TK_Status TK_Shell::read_raw_points(BStreamFileToolkit& tk)
{
    switch (m_shell_stage)
    {
    case 0:
        TK_TRY(GetCheckedCount(tk, m_raw_count, "bad Shell Point count"));
        m_read_done = 0;
        ++m_shell_stage;
        [[fallthrough]];
    case 1:
        // In pieces: the points grow only as far as the stream holds them.
        TK_TRY(w3d::geometry::read_in_pieces(tk, m_points, 3 * m_raw_count, m_read_done));
        m_points.resize(3 * static_cast<std::size_t>(m_raw_count));
        if (SetPoints(m_raw_count) != TK_Done)
            return tk.Error();
        m_shell_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Shell::read_raw_points");
    }
}

TK_Status TK_Shell::read_faces(BStreamFileToolkit& tk)
{
    switch (m_shell_stage)
    {
    case 0:
    {
        unsigned char scheme = 0; // any value: only one face form exists
        TK_TRY(GetData(tk, scheme));
        ++m_shell_stage;
    }
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, m_face_bytes_length));
        if (m_face_bytes_length < 1 ||
            m_face_bytes_length > 1 + 4LL * Max_Face_Entries)
            return tk.Error("bad Shell face list length");
        m_read_done = 0;
        ++m_shell_stage;
        [[fallthrough]];
    case 2:
    {
        TK_TRY(w3d::geometry::read_in_pieces(tk, m_face_bytes, m_face_bytes_length, m_read_done));
        int const width = m_face_bytes[0];
        if (width != 8 && width != 16 && width != 32)
            return tk.Error("bad Shell face list width");
        int const bytes = width / 8;
        if ((m_face_bytes_length - 1) % bytes != 0)
            return tk.Error("bad Shell face list length");
        int const entries = (m_face_bytes_length - 1) / bytes;
        if (entries > Max_Face_Entries)
            return tk.Error("bad Shell face list length");
        bool const sign = tk.GetReadVersion() >= Signed_Faces_Version &&
                          (m_subop2 & Subop2_Negative_Faces) != 0;
        std::vector<int> faces;
        try
        {
            faces.resize(static_cast<std::size_t>(entries));
        }
        catch (const std::bad_alloc&)
        {
            return tk.Error();
        }
        const std::uint8_t* at = m_face_bytes.data() + 1;
        for (int i = 0; i < entries; ++i, at += bytes)
        {
            int value = w3d::geometry::sized_value(at, bytes);
            if (sign && bytes == 1)
                value = static_cast<signed char>(value);
            else if (sign && bytes == 2)
                value = static_cast<short>(value);
            faces[static_cast<std::size_t>(i)] = value;
        }
        if (SetFaces(entries, faces.data()) != TK_Done)
            return tk.Error("bad Shell face list");
        TK_TRY(check_faces(tk, "bad Shell face list"));
        m_shell_stage = 0;
        return TK_Done;
    }
    default:
        return tk.Error("internal error in TK_Shell::read_faces");
    }
}

TK_Status TK_Shell::read_advanced(BStreamFileToolkit& tk)
{
    switch (m_shell_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_block_length));
        if (m_block_length < 0)
            return tk.Error("edgebreaker read failed, called from TK_Shell::read_advanced");
        m_read_done = 0;
        ++m_shell_stage;
        [[fallthrough]];
    case 1:
    {
        // In pieces: a length read from the stream allocates no more than the
        // stream holds.
        TK_TRY(w3d::geometry::read_in_pieces(tk, m_encoded, m_block_length, m_read_done));
        m_encoded_length = m_block_length;
        int points = 0, normals = 0, faces = 0;
        if (!w3d::eb::edgebreaker_inquire_sizes(m_encoded.data(), m_block_length, &points, &normals,
                                                &faces))
            return tk.Error("edgebreaker read failed, called from TK_Shell::read_advanced");
        std::vector<int> face_list;
        std::vector<float> normal_list;
        try
        {
            face_list.resize(static_cast<std::size_t>(faces));
            normal_list.resize(3 * static_cast<std::size_t>(normals));
        }
        catch (const std::bad_alloc&)
        {
            return tk.Error();
        }
        if (SetPoints(points) != TK_Done)
            return tk.Error();
        w3d::eb::EdgeDecodeOptions options;
        if (m_subop2 & Subop2_Global_Quantization)
            options.box = tk.GetWorldBounding();
        bool strips = false;
        int count = 0;
        int length = faces;
        if (!w3d::eb::edgebreaker_decompress(
                m_block_length, m_encoded.data(), &count, m_points.empty() ? nullptr : m_points.data(),
                normal_list.empty() ? nullptr : normal_list.data(), &strips, &length,
                face_list.empty() ? nullptr : face_list.data(), &options) ||
            count != points)
            return tk.Error("edgebreaker read failed, called from TK_Shell::read_advanced");
        if (strips)
            m_subop |= Subop_Triangle_Strips;
        if (SetFaces(length, face_list.data()) != TK_Done ||
            (normals > 0 && SetVertexNormals(normal_list.data()) != TK_Done))
            return tk.Error();
        m_read_done = 0;
        ++m_shell_stage;
    }
        [[fallthrough]];
    case 2:
        if (!(m_subop & Subop_Quantized) && tk.GetReadVersion() >= Raw_Points_After_Block_Version &&
            m_point_count > 0)
            TK_TRY(w3d::geometry::read_in_pieces(tk, m_points, 3 * m_point_count, m_read_done));
        m_shell_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error: unrecognized case in TK_Shell::read_advanced");
    }
}

TK_Status TK_Shell::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_subop));
        m_shell_stage = 0;
        if (m_subop & Subop_Bounding_Only)
        {
            m_stage = 20;
            return Read(tk);
        }
        ++m_stage;
        [[fallthrough]];
    case 1:
        if (m_subop & Subop_Second_Word)
            TK_TRY(GetData(tk, m_subop2));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (!(m_subop & Subop_No_Index))
        {
            TK_TRY(GetData(tk, m_index));
            TK_Key key = -1;
            if (tk.IndexToKey(m_index, key) != TK_Done)
                return tk.Error("bad Shell index");
            m_key = key;
        }
        ++m_stage;
        [[fallthrough]];
    case 3:
    {
        char level = 0;
        TK_TRY(GetData(tk, level));
        m_level = static_cast<signed char>(level);
        ++m_stage;
    }
        [[fallthrough]];
    case 4:
        if (m_subop2 & Subop2_Null)
        {
            m_stage = -1;
            return TK_Done;
        }
        if (m_subop2 & Subop2_Collection)
        {
            TK_TRY(read_collection(tk));
            m_stage = -1;
            return TK_Done;
        }
        if (!(m_subop & (Subop_Quantized | Subop_Connectivity)))
            m_compression_scheme = Scheme_Raw;
        else
            TK_TRY(GetData(tk, m_compression_scheme));
        ++m_stage;
        [[fallthrough]];
    case 5:
        switch (m_compression_scheme)
        {
        case Scheme_Trivial:
            TK_TRY(read_trivial_points(tk));
            break;
        case Scheme_Raw:
            TK_TRY(read_raw_points(tk));
            break;
        case Scheme_Edgebreaker:
            TK_TRY(read_advanced(tk));
            break;
        default:
            return tk.Error("unknown Shell point scheme");
        }
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_compression_scheme != Scheme_Edgebreaker)
            TK_TRY(read_faces(tk));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_subop & Subop_Attributes)
            TK_TRY(TK_Polyhedron::Read(tk));
        log_index(tk, m_index);
        m_stage = -1;
        return TK_Done;
    case 20:
        TK_TRY(read_bounding_body(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
