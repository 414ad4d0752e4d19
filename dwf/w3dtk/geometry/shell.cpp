// The shell record: construction, the face list, and writing.
#include "dwf/w3dtk/geometry/shell.h"

#include "dwf/w3dtk/edgebreaker/edgebreaker.h"
#include "dwf/w3dtk/geometry/record_io.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace
{
// Streams from this version carry packed face lengths as signed entries.
constexpr int Signed_Faces_Version = 650;
// Edge-breaker blocks without their points need readers of this version.
constexpr int Raw_Points_After_Block_Version = 651;
// Global quantisation needs a stream of at least this version.
constexpr int Global_Quantization_Version = 806;
} // namespace

TK_Shell::TK_Shell() : TK_Polyhedron('S')
{
    TK_Shell::Reset();
}

TK_Shell::~TK_Shell() = default;

void TK_Shell::Reset()
{
    std::fill(std::begin(m_tolerances), std::end(m_tolerances), 0.0);
    m_optimize = false;
    m_shell_stage = 0;
    std::vector<int>().swap(m_faces);
    m_level = 0;
    std::vector<std::uint8_t>().swap(m_face_bytes);
    m_face_bytes_length = 0;
    m_block_length = 0;
    m_read_done = 0;
    m_raw_count = 0;
    m_index = -1;
    TK_Polyhedron::Reset();
}

void TK_Shell::SetTolerances(double distance, double normal_angle, double parameter)
{
    m_tolerances[0] = distance;
    m_tolerances[1] = normal_angle;
    m_tolerances[2] = parameter;
}

int TK_Shell::count_faces(const int* faces, int length, bool strips)
{
    long long count = 0;
    for (int i = 0; i < length;)
    {
        int const entry = faces[i];
        if (entry == INT_MIN)
            return -1;
        int const n = entry < 0 ? -entry : entry;
        if (n > length - i - 1)
            return -1;
        if (strips)
            count += n > 2 ? n - 2 : 0;
        else if (entry > 0)
            ++count;
        i += n + 1;
    }
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

TK_Status TK_Shell::SetFaces(int length, const int* faces)
{
    if (length < 0)
        return TK_Error;
    int count = 0;
    if (faces)
    {
        count = count_faces(faces, length, (m_subop & Subop_Triangle_Strips) != 0);
        if (count < 0)
            return TK_Error;
    }
    try
    {
        // A list of another length gets a buffer of its own length, so a longer
        // list never lands in a shorter buffer.
        if (faces)
            m_faces.assign(faces, faces + length);
        else
            m_faces.assign(static_cast<std::size_t>(length), 0);
        set_face_count(count);
    }
    catch (const std::bad_alloc&)
    {
        return TK_Error;
    }
    return TK_Done;
}

TK_Status TK_Shell::check_faces(BStreamFileToolkit& tk, const char* message) const
{
    int const length = GetFacesLength();
    for (int i = 0; i < length;)
    {
        int const entry = m_faces[static_cast<std::size_t>(i)];
        if (entry == INT_MIN)
            return tk.Error(message);
        int const n = entry < 0 ? -entry : entry;
        if (n > length - i - 1)
            return tk.Error(message);
        for (int k = 1; k <= n; ++k)
        {
            int const v = m_faces[static_cast<std::size_t>(i + k)];
            if (v < 0 || v >= m_point_count)
                return tk.Error(message);
        }
        i += n + 1;
    }
    return TK_Done;
}

int TK_Shell::PackedFaceWidth(const int* faces, int length, int version)
{
    bool negative = false;
    long long largest = 0;
    for (int i = 0; i < length; ++i)
    {
        long long const entry = faces[i];
        negative = negative || entry < 0;
        largest = std::max(largest, entry < 0 ? -entry : entry);
    }
    if (!negative)
        return largest <= 0xFF ? 8 : largest <= 0xFFFF ? 16 : 32;
    // Older readers take entries as unsigned: only 32 bits keep a negative one.
    if (version < Signed_Faces_Version)
        return 32;
    return largest <= 0x7F ? 8 : largest <= 0x7FFF ? 16 : 32;
}

void TK_Shell::serialize(TK_Key key)
{
    if (m_optimize)
        _optimizeThisShell();
    TK_Polyhedron::serialize(key);
}

void TK_Shell::log_index(BStreamFileToolkit& tk, int index)
{
    if (!tk.GetLogging() || !(tk.GetLoggingOptions() & TK_Log_Details) ||
        (m_subop & Subop_No_Index))
        return;
    char text[64];
    if (index < 0)
        std::snprintf(text, sizeof text, "[error: not first pass, but couldn't find key]");
    else
        std::snprintf(text, sizeof text, "[%d:%d]", index, static_cast<int>(m_level));
    tk.LogEntry(text);
}

TK_Status TK_Shell::write_raw_points(BStreamFileToolkit& tk)
{
    switch (m_shell_stage)
    {
    case 0:
        TK_TRY(PutData(tk, m_point_count));
        ++m_shell_stage;
        [[fallthrough]];
    case 1:
        if (m_point_count > 0)
            TK_TRY(PutData(tk, m_points.data(), 3 * m_point_count));
        m_shell_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Shell::write_raw_points");
    }
}

TK_Status TK_Shell::write_faces(BStreamFileToolkit& tk)
{
    switch (m_shell_stage)
    {
    case 0:
    {
        int const length = GetFacesLength();
        int const width = PackedFaceWidth(m_faces.data(), length, tk.GetTargetVersion());
        long long const bytes = 1 + static_cast<long long>(width / 8) * length;
        if (bytes > INT_MAX)
            return tk.Error("face list too long in TK_Shell::write");
        try
        {
            m_face_bytes.clear();
            m_face_bytes.reserve(static_cast<std::size_t>(bytes));
            w3d::geometry::Record_Bytes out(m_face_bytes);
            out.u8(static_cast<unsigned>(width));
            for (int const entry : m_faces)
                out.sized(entry, width / 8);
        }
        catch (const std::bad_alloc&)
        {
            return tk.Error();
        }
        m_face_bytes_length = static_cast<int>(bytes);
        TK_TRY(PutData(tk, static_cast<unsigned char>(Scheme_Trivial)));
        ++m_shell_stage;
    }
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_face_bytes_length));
        ++m_shell_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_face_bytes.data(), m_face_bytes_length));
        m_shell_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Shell::write_faces");
    }
}

TK_Status TK_Shell::write_edgebreaker_block(BStreamFileToolkit& tk)
{
    switch (m_shell_stage)
    {
    case 0:
        TK_TRY(PutData(tk, static_cast<unsigned char>(Scheme_Edgebreaker)));
        ++m_shell_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_encoded_length));
        ++m_shell_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_encoded.data(), m_encoded_length));
        ++m_shell_stage;
        [[fallthrough]];
    case 3:
        // Points the block does not carry follow it, in its vertex order.
        if (!(m_subop & Subop_Quantized) &&
            tk.GetTargetVersion() >= Raw_Points_After_Block_Version && m_point_count > 0)
            TK_TRY(PutData(tk, m_points.data(), 3 * m_point_count));
        m_shell_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Shell::write_edgebreaker_block");
    }
}

// The bounding-only record: its second word, when flagged, is written as its
// reader takes it.
TK_Status TK_Shell::write_bounding(BStreamFileToolkit& tk)
{
    switch (m_shell_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk, 0));
        ++m_shell_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_subop));
        ++m_shell_stage;
        [[fallthrough]];
    case 2:
        if (m_subop & Subop_Second_Word)
            TK_TRY(PutData(tk, m_subop2));
        ++m_shell_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, static_cast<char>(m_level)));
        ++m_shell_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(PutData(tk, m_bbox, 6));
        ++m_shell_stage;
        [[fallthrough]];
    case 5:
        TK_TRY(tk.TagPendingKeys(-1));
        m_shell_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Shell::write_bounding");
    }
}

// The null shell: no geometry. The second word is always written, so its
// flag is always set for the reader.
TK_Status TK_Shell::write_null(BStreamFileToolkit& tk)
{
    switch (m_shell_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk, 0));
        ++m_shell_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, static_cast<unsigned char>((m_subop & 0x90) | Subop_Second_Word)));
        ++m_shell_stage;
        [[fallthrough]];
    case 2:
        TK_TRY(PutData(tk, m_subop2));
        ++m_shell_stage;
        [[fallthrough]];
    case 3:
        TK_TRY(PutData(tk, static_cast<char>(m_level)));
        ++m_shell_stage;
        [[fallthrough]];
    case 4:
        TK_TRY(tk.TagPendingKeys(-1));
        m_shell_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Shell::write_null");
    }
}

TK_Status TK_Shell::write_advanced(BStreamFileToolkit& tk)
{
    int const version = tk.GetTargetVersion();
    bool const quantized = (m_subop & Subop_Quantized) != 0;
    if ((version < Raw_Points_After_Block_Version && !quantized) || !m_face_colors.empty() ||
        !m_face_indices.empty() || !m_face_regions.empty())
        return TK_Not_Applicable;

    w3d::eb::EdgeOptions options;
    options.version = version;
    options.flags = (m_subop & Subop_Triangle_Strips) ? w3d::eb::EdgeOptions::Strips : 0u;
    if (quantized)
        for (int& bits : options.point_bits)
            bits = tk.GetNumVertexBits() / 3;
    int const normal_bits = tk.GetNumNormalBits();
    bool const normals = version >= Raw_Points_After_Block_Version &&
                         !tk.GetWriteFlag(TK_Option_Raw_Normals) && !m_normals.empty() &&
                         m_normal_count == m_point_count && normal_bits != 8 &&
                         normal_bits != 10 && (version >= 1000 || normal_bits < 49);
    if (normals)
        for (int& bits : options.normal_bits)
            bits = normal_bits / 3;
    if (m_subop2 & Subop2_Global_Quantization)
        options.box = tk.GetWorldBounding();

    int estimate = 0;
    int points_out = 0;
    if (!w3d::eb::edgebreaker_estimate_size(m_point_count, GetFacesLength(), m_faces.data(),
                                            &estimate, &points_out, &options))
        return TK_Not_Applicable;
    std::vector<int> map;
    try
    {
        if (static_cast<int>(m_encoded.size()) < estimate)
            m_encoded.resize(static_cast<std::size_t>(estimate));
        map.resize(static_cast<std::size_t>(points_out));
    }
    catch (const std::bad_alloc&)
    {
        return tk.Error();
    }
    int size = static_cast<int>(m_encoded.size());
    int vertices = 0;
    if (!w3d::eb::edgebreaker_compress(m_point_count, quantized ? m_points.data() : nullptr,
                                       normals ? m_normals.data() : nullptr, GetFacesLength(),
                                       m_faces.data(), &size, m_encoded.data(), &vertices,
                                       map.data(), &options))
    {
        m_encoded_length = 0;
        return TK_Not_Applicable;
    }
    m_encoded_length = size;
    if (normals)
    {
        // The block carries them now.
        std::vector<float>().swap(m_normals);
        m_normal_count = 0;
        for (std::uint32_t& flags : m_vertex_flags)
            flags &= ~std::uint32_t{Vertex_Normal};
    }
    // Whatever follows the block is in the block's vertex order.
    TK_TRY(mangle_point_attributes(tk, vertices, map.data()));
    TK_TRY(mangle_points(tk, vertices, map.data()));
    m_subop &= static_cast<unsigned char>(~Subop_Triangle_Strips);
    return TK_Done;
}

TK_Status TK_Shell::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    {
        if (m_replacement)
            return m_replacement->Write(tk);
        int index = -1;
        if (tk.KeyToIndex(m_key, index) != TK_Done)
            m_subop |= Subop_No_Index;
        else
            m_subop2 &= static_cast<unsigned short>(~Subop2_Null);
        m_shell_stage = 0;
        if (m_subop2 & Subop2_Null)
        {
            m_stage = 20;
            return Write(tk);
        }
        if (m_subop & Subop_Bounding_Only)
        {
            m_stage = 21;
            return Write(tk);
        }
        TK_TRY(check_arrays(tk));
        TK_TRY(check_faces(tk, "bad Shell face list"));
        if (HasVertexAttributes() || HasFaceAttributes() ||
            (m_subop2 == 0 && !m_collection.empty()))
            m_subop |= Subop_Attributes;
        if (m_point_count == 0)
            m_subop &= static_cast<unsigned char>(~(Subop_Quantized | Subop_Connectivity));
        // Global quantisation is settled before the encoder takes the world
        // box: a block quantised against it must be read against it too.
        if ((m_subop2 & Subop2_Global_Quantization) &&
            (tk.GetTargetVersion() < Global_Quantization_Version || !tk.GetWorldBounding()))
        {
            m_subop2 &= static_cast<unsigned short>(~Subop2_Global_Quantization);
            if (m_subop2 == 0)
                m_subop &= static_cast<unsigned char>(~Subop_Second_Word);
        }
        unsigned char const plain = (m_subop & Subop_Quantized) ? Scheme_Trivial : Scheme_Raw;
        m_compression_scheme = plain;
        if (m_subop & Subop_Connectivity)
        {
            TK_Status const status = write_advanced(tk);
            if (status == TK_Done)
                m_compression_scheme = Scheme_Edgebreaker;
            else if (status == TK_Not_Applicable)
                m_subop &= static_cast<unsigned char>(~Subop_Connectivity);
            else
                return status;
        }
        for (int i = 0; i < GetFacesLength();)
        {
            int const entry = m_faces[static_cast<std::size_t>(i)];
            if (entry < 0)
            {
                m_subop2 |= Subop2_Negative_Faces;
                break;
            }
            i += entry + 1;
        }
        if (m_subop2 != 0)
            m_subop |= Subop_Second_Word;
        ++m_stage;
    }
        [[fallthrough]];
    case 1:
        TK_TRY(PutOpcode(tk, m_level == 0 && (m_point_count > 0 || tk.GetPauseCount() != 0) ? 1 : 0));
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
        if (!(m_subop & Subop_No_Index))
        {
            if (tk.KeyToIndex(m_key, m_index) != TK_Done)
                return tk.Error();
            TK_TRY(PutData(tk, m_index));
        }
        ++m_stage;
        [[fallthrough]];
    case 5:
        TK_TRY(PutData(tk, static_cast<char>(m_level)));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_subop2 & Subop2_Collection)
        {
            TK_TRY(write_collection(tk, true, (m_subop & Subop_No_Index) ? -1 : m_level));
            m_stage = -1;
            return TK_Done;
        }
        switch (m_compression_scheme)
        {
        case Scheme_Trivial:
            TK_TRY(write_trivial_points(tk));
            break;
        case Scheme_Raw:
            TK_TRY(write_raw_points(tk));
            break;
        case Scheme_Edgebreaker:
            TK_TRY(write_edgebreaker_block(tk));
            break;
        default:
            return tk.Error("internal error in TK_Shell::write");
        }
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (m_compression_scheme == Scheme_Trivial || m_compression_scheme == Scheme_Raw)
        {
            // The face writer's scheme byte is 1 whatever the points' scheme:
            // face attribute records repeat it.
            TK_TRY(write_faces(tk));
            m_compression_scheme = Scheme_Trivial;
        }
        else if (m_compression_scheme != Scheme_Edgebreaker)
            return tk.Error("internal error(2) in TK_Shell::write");
        ++m_stage;
        [[fallthrough]];
    case 8:
        if (m_subop & Subop_Attributes)
            TK_TRY(TK_Polyhedron::Write(tk));
        ++m_stage;
        [[fallthrough]];
    case 9:
    {
        int const variant = (m_subop & Subop_No_Index) ? -1 : m_level;
        TK_TRY(tk.TagPendingKeys(variant));
        if (!tk.GetWriteFlag(TK_Option_No_Instances))
            tk.AddInstance(m_key, variant, m_opcode, m_point_count, GetFacesLength(), 0);
        int index = -1;
        if (!(m_subop & Subop_No_Index) && tk.KeyToIndex(m_key, index) != TK_Done)
            index = -1;
        log_index(tk, index);
        m_stage = -1;
        return TK_Done;
    }
    case 20:
        TK_TRY(write_null(tk));
        m_stage = -1;
        return TK_Done;
    case 21:
        TK_TRY(write_bounding(tk));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
