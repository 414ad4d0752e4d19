// edgebreaker_decompress and edgebreaker_inquire_sizes: a block back into
// points, normals and faces. Everything taken from the block is checked before
// it sizes, indexes or bounds anything; a block this system does not write is
// refused with 0.
#include "dwf/w3dtk/edgebreaker/edgebreaker.h"

#include "dwf/w3dtk/edgebreaker/decoder_connectivity.h"
#include "dwf/w3dtk/edgebreaker/decoder_geometry.h"
#include "dwf/w3dtk/edgebreaker/proxy_hash.h"
#include "dwf/w3dtk/edgebreaker/shell_header.h"
#include "dwf/w3dtk/edgebreaker/side_table.h"
#include "dwf/w3dtk/geometry/bit_packer.h"
#include "dwf/w3dtk/geometry/quantiser.h"

#include "dwfcore/Exception.h"

#include <new>

namespace w3d::eb
{
namespace
{
using namespace detail;

// The most vertices and triangles a block may declare (a shell's counts).
constexpr int Max_Count = 1 << 24;

enum : int
{
    Plain = 0,
    Dummy = 1,
    Repeat = 2,
};

// (max - min) / (2^bits - 1) in single precision, 0 for an empty range.
float code_step(float min, float max, int bits)
{
    if (max == min)
        return 0.0f;
    return (max - min) / static_cast<float>(Bit_Mask[static_cast<std::size_t>(bits)]);
}

void codes_to_floats(const std::uint32_t* codes, int count, const float box[6], const int bits[3],
                     float* values)
{
    for (int axis = 0; axis < 3; ++axis)
    {
        float const min = box[axis];
        float const max = box[3 + axis];
        float const step = code_step(min, max, bits[axis]);
        std::uint32_t const max_code = Bit_Mask[static_cast<std::size_t>(bits[axis])];
        for (int i = 0; i < count; ++i)
        {
            std::size_t const at = 3 * static_cast<std::size_t>(i) + static_cast<std::size_t>(axis);
            values[at] = dequantise_value(codes[at], min, max, step, max_code);
        }
    }
}

// Every decoded vertex is a corner of some triangle, so a block of n ops never
// yields more than 3n vertices; holding the header to that keeps what a caller
// allocates from inquire_sizes in proportion to the block's own length.
bool header_in_range(const ShellHeader& header, long long length)
{
    return header.op_count <= Max_Count && header.vertex_count <= Max_Count &&
           header.op_count <= length - header.size() &&
           header.vertex_count <= 3LL * header.op_count;
}

// The strip list the geometry stream named: for each strip its length, then
// its vertices, first along the strip's first triangle and then one across
// each next edge. False when a strip runs off the linked triangles or the list
// would not match the triangles (the caller then returns triangles).
bool expand_strips(const CornerTable& corners, const IntStack& starts, const IntStack& lengths,
                   int triangles, int capacity, int* out, int& written)
{
    long long total = 0;
    long long covered = 0;
    for (int s = 0; s < starts.size(); ++s)
    {
        total += 1 + lengths[s];
        covered += lengths[s] - 2;
    }
    if (covered != triangles || total > capacity)
        return false;
    written = 0;
    for (int s = 0; s < starts.size(); ++s)
    {
        int const length = lengths[s];
        int c = starts[s];
        int v[3] = {corners.vertex(c), corners.vertex(CornerTable::next(c)),
                    corners.vertex(CornerTable::prev(c))};
        if (v[0] < 0 || v[1] < 0 || v[2] < 0)
            return false;
        out[written++] = length;
        for (int k = 0; k < 3; ++k)
            out[written++] = v[k];
        int older = v[1];
        int newer = v[2];
        for (int k = 3; k < length; ++k)
        {
            // The corner of the triangle's third vertex faces the edge the
            // strip goes on across.
            int far_corner = c;
            for (int j = 0; j < 3; ++j)
            {
                int const corner = 3 * CornerTable::triangle(c) + j;
                int const u = corners.vertex(corner);
                if (u != older && u != newer)
                    far_corner = corner;
            }
            int const o = corners.twin(CornerTable::next(far_corner));
            if (!CornerTable::linked(o))
                return false;
            int const far = corners.vertex(CornerTable::prev(o));
            if (far < 0)
                return false;
            out[written++] = far;
            older = newer;
            newer = far;
            c = o;
        }
    }
    return true;
}

int decompress_block(int length, const void* block_bytes, int* point_count, float* points,
                     float* normals, bool* strips, int* face_list_length, int* face_list,
                     const EdgeDecodeOptions* options)
{
    auto const* const block = static_cast<const std::uint8_t*>(block_bytes);
    int const face_capacity = *face_list_length;
    ShellHeader header;
    if (length < 0 || !header.read(block, length) || !header_in_range(header, length) ||
        face_capacity < 0)
        return 0;
    if (header.op_count == 0)
    {
        *point_count = 0;
        *face_list_length = 0;
        return 1;
    }
    EdgeAllocator const allocator(options ? options->allocate : nullptr,
                                  options ? options->release : nullptr,
                                  options ? options->spare : nullptr,
                                  options ? options->user_data : nullptr);

    // Sections.
    long long const side_start = align4(header.size() + static_cast<long long>(header.op_count));
    long long const side_end = side_start + header.side_length;
    if (side_end > length)
        return 0;
    SideTable side(allocator);
    if (!side.read(block + side_start, header.side_length))
        return 0;
    long long const data_start = align4(side_end);
    int const scheme = header.scheme;
    bool const stream_scheme = scheme == ShellHeader::Scheme_Geometry_Stream;
    bool has_points, has_normals;
    if (stream_scheme)
    {
        if ((header.point_coding != ShellHeader::Coding_None &&
             header.point_coding != ShellHeader::Coding_Stream) ||
            (header.normal_coding != ShellHeader::Coding_None &&
             header.normal_coding != ShellHeader::Coding_Stream) ||
            header.point_length < 4 ||
            (header.normal_coding == ShellHeader::Coding_Stream) != (header.normal_length > 0) ||
            (header.normal_length > 0 && header.normal_length != header.point_length) ||
            data_start + header.point_length > length)
            return 0;
        has_points = header.point_coding == ShellHeader::Coding_Stream;
        has_normals = header.normal_coding == ShellHeader::Coding_Stream;
    }
    else
    {
        if (header.point_coding > ShellHeader::Coding_Ladder || header.normal_coding != 0 ||
            (scheme == ShellHeader::Scheme_Pre_651 && header.normal_length != 0))
            return 0;
        has_points = header.point_length > 0;
        has_normals = header.normal_length > 0;
        long long const normal_start = align4(data_start + header.point_length);
        if (data_start + header.point_length > length ||
            (has_normals && normal_start + header.normal_length > length))
            return 0;
        if (header.point_coding == ShellHeader::Coding_None && has_points)
        {
            if (header.point_length < 6LL * header.vertex_count)
                return 0;
            for (int const bits : side.point_bits)
                if (bits > 16)
                    return 0;
        }
    }
    const float* box = side.has_box ? side.box : options ? options->box : nullptr;
    if (has_points && !box)
        return 0;

    // Connectivity.
    ConnectivityDecoder connectivity(allocator, !stream_scheme, !stream_scheme);
    if (!connectivity.decode(block + header.size(), header.op_count))
        return 0;
    CornerTable& corners = connectivity.corners();
    int const decoded = connectivity.vertex_count();

    // Dummies go, repeats become the vertex they repeat; the others are
    // numbered in order.
    EdgeArray<int> kind(allocator, static_cast<std::size_t>(decoded), Plain);
    for (int i = 0; i < side.dummies.size(); ++i)
    {
        int const position = side.dummies[i];
        if (position >= decoded || kind[static_cast<std::size_t>(position)] != Plain)
            return 0;
        kind[static_cast<std::size_t>(position)] = Dummy;
    }
    ProxyHash repeats(allocator, side.repeats.size() / 2 + 2);
    for (int i = 0; i < side.repeats.size(); i += 2)
    {
        int const position = side.repeats[i];
        if (position >= decoded || kind[static_cast<std::size_t>(position)] != Plain)
            return 0;
        kind[static_cast<std::size_t>(position)] = Repeat;
        repeats.insert(static_cast<std::uint32_t>(position),
                       static_cast<std::uint32_t>(side.repeats[i + 1]));
    }
    EdgeArray<int> final_of(allocator, static_cast<std::size_t>(decoded), -1);
    int vertices = 0;
    for (int position = 0; position < decoded; ++position)
    {
        int const what = kind[static_cast<std::size_t>(position)];
        if (what == Plain)
            final_of[static_cast<std::size_t>(position)] = vertices++;
        else if (what == Repeat)
        {
            std::uint32_t first = 0;
            repeats.lookup(static_cast<std::uint32_t>(position), first);
            // A repeat names a vertex met before it.
            if (first >= static_cast<std::uint32_t>(vertices))
                return 0;
            final_of[static_cast<std::size_t>(position)] = static_cast<int>(first);
        }
    }
    if (vertices != header.vertex_count)
        return 0;

    // Triangles on final vertices; those on a dummy go, unlinked on both sides.
    int const triangles = corners.count() / 3;
    int kept = 0;
    for (int t = 0; t < triangles; ++t)
    {
        int v[3];
        bool dummy = false;
        for (int k = 0; k < 3; ++k)
        {
            v[k] = final_of[static_cast<std::size_t>(corners.vertex(3 * t + k))];
            dummy = dummy || v[k] < 0;
        }
        if (dummy)
        {
            for (int k = 0; k < 3; ++k)
            {
                int const twin = corners.twin(3 * t + k);
                if (CornerTable::linked(twin))
                    corners[twin].twin = Edge_None;
                corners[3 * t + k] = CornerTable::Entry{-1, Edge_None};
            }
            continue;
        }
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2])
            return 0;
        for (int k = 0; k < 3; ++k)
            corners[3 * t + k].vertex = v[k];
        ++kept;
    }

    // Geometry.
    EdgeArray<std::uint32_t> point_codes(allocator,
                                         has_points ? 3 * static_cast<std::size_t>(vertices) : 0);
    EdgeArray<std::uint32_t> normal_codes(allocator,
                                          has_normals ? 3 * static_cast<std::size_t>(vertices) : 0);
    IntStack strip_corners(allocator);
    IntStack strip_lengths(allocator);
    if (stream_scheme)
    {
        EdgeBitStream stream = EdgeBitStream::for_reading(block + data_start, header.point_length);
        if (!read_geometry_stream(allocator, corners, vertices, side.point_bits, side.normal_bits,
                                  stream, 8LL * header.point_length,
                                  has_points ? point_codes.data() : nullptr,
                                  has_normals ? normal_codes.data() : nullptr, face_list != nullptr,
                                  strip_corners, strip_lengths))
            return 0;
    }
    else if (has_points || has_normals)
    {
        // Each vertex's triple, without the dummies' and renumbered.
        const IntStack& raw_triples = connectivity.triples();
        EdgeArray<int> triples(allocator, 3 * static_cast<std::size_t>(vertices), -1);
        for (int position = 0, i = 0; position < decoded && i < vertices; ++position)
        {
            if (kind[static_cast<std::size_t>(position)] == Dummy)
                continue;
            for (int k = 0; k < 3; ++k)
            {
                int const entry = raw_triples[3 * position + k];
                triples[3 * static_cast<std::size_t>(i) + static_cast<std::size_t>(k)] =
                    entry >= 0 && entry < decoded ? final_of[static_cast<std::size_t>(entry)] : -1;
            }
            ++i;
        }
        DecodedVertices const coded{vertices, triples.data()};
        if (has_points)
        {
            if (header.point_coding == ShellHeader::Coding_Ladder)
            {
                EdgeBitStream stream =
                    EdgeBitStream::for_reading(block + data_start, header.point_length);
                if (!read_triple_residuals(coded, side.point_bits, &stream, nullptr,
                                           point_codes.data()))
                    return 0;
            }
            else if (!read_triple_residuals(coded, side.point_bits, nullptr, block + data_start,
                                            point_codes.data()))
                return 0;
        }
        if (has_normals)
        {
            long long const normal_start = align4(data_start + header.point_length);
            EdgeBitStream stream =
                EdgeBitStream::for_reading(block + normal_start, header.normal_length);
            if (!read_triple_residuals(coded, side.normal_bits, &stream, nullptr,
                                       normal_codes.data()))
                return 0;
        }
    }

    // Outputs.
    bool as_strips = false;
    int written = 0;
    if (face_list && !strip_corners.empty())
        as_strips = expand_strips(corners, strip_corners, strip_lengths, kept, face_capacity,
                                  face_list, written);
    if (!as_strips)
    {
        if (4LL * kept > face_capacity || (kept > 0 && !face_list))
            return 0;
        written = 0;
        for (int t = 0; t < triangles; ++t)
        {
            if (corners.vertex(3 * t) < 0)
                continue;
            face_list[written++] = 3;
            for (int k = 0; k < 3; ++k)
                face_list[written++] = corners.vertex(3 * t + k);
        }
    }
    if (points && has_points)
        codes_to_floats(point_codes.data(), vertices, box, side.point_bits, points);
    if (normals && has_normals)
    {
        float const unit_box[6] = {-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
        codes_to_floats(normal_codes.data(), vertices, unit_box, side.normal_bits, normals);
    }
    *strips = as_strips;
    *face_list_length = written;
    *point_count = vertices;
    return 1;
}
} // namespace

int edgebreaker_inquire_sizes(const void* block, int length, int* point_count, int* normal_count,
                              int* face_list_size)
{
    ShellHeader header;
    if (length < 0 || !header.read(static_cast<const std::uint8_t*>(block), length) ||
        !header_in_range(header, length))
        return 0;
    if (point_count)
        *point_count = header.vertex_count;
    if (normal_count)
        *normal_count = header.scheme >= 1 && header.normal_length != 0 ? header.vertex_count : 0;
    if (face_list_size)
        *face_list_size = 4 * header.op_count;
    return 1;
}

int edgebreaker_decompress(int length, const void* block, int* point_count, float* points,
                           float* normals, bool* strips, int* face_list_length, int* face_list,
                           const EdgeDecodeOptions* options)
{
    if (!block || !point_count || !strips || !face_list_length)
        return 0;
    *strips = false;
    int result = 0;
    try
    {
        result = decompress_block(length, block, point_count, points, normals, strips,
                                  face_list_length, face_list, options);
    }
    catch (const DWFCore::DWFMemoryException&)
    {
        result = 0;
    }
    catch (const std::bad_alloc&)
    {
        result = 0;
    }
    if (result != 1)
    {
        *strips = false;
        *point_count = 0;
        *face_list_length = 0;
    }
    return result;
}

} // namespace w3d::eb
