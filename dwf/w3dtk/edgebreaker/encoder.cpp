// edgebreaker_compress: the shell's connectivity as op bytes, then the side
// table and the point and normal data, every section checked against the room
// the caller gave.
#include "dwf/w3dtk/edgebreaker/edgebreaker.h"

#include "dwf/w3dtk/edgebreaker/encoder_geometry.h"
#include "dwf/w3dtk/edgebreaker/encoder_mesh.h"
#include "dwf/w3dtk/edgebreaker/shell_header.h"
#include "dwf/w3dtk/edgebreaker/side_table.h"
#include "dwf/w3dtk/edgebreaker/sort.h"

#include "dwfcore/Exception.h"

#include <climits>
#include <cstring>
#include <new>

namespace w3d::eb
{
namespace
{
using namespace detail;

constexpr int Max_Attempts = 3;
constexpr float Far = 1e20f;

// The box of the points the block uses.
void box_of(const float* points, const int* point_of, int count, float box[6])
{
    for (int axis = 0; axis < 3; ++axis)
    {
        box[axis] = Far;
        box[3 + axis] = -Far;
    }
    for (int i = 0; i < count; ++i)
        for (int axis = 0; axis < 3; ++axis)
        {
            float const value = points[3 * static_cast<std::size_t>(point_of[i]) +
                                       static_cast<std::size_t>(axis)];
            if (value < box[axis])
                box[axis] = value;
            if (value > box[3 + axis])
                box[3 + axis] = value;
        }
}

// The output buffer: sections go at increasing offsets, each checked against
// the capacity before anything is written, gaps zeroed.
class Output
{
public:
    Output(std::uint8_t* bytes, long long capacity) : m_bytes(bytes), m_capacity(capacity) {}

    // Room for `length` bytes at `at`.
    bool fits(long long at, long long length) const
    {
        return at >= 0 && length >= 0 && at + length <= m_capacity;
    }
    std::uint8_t* at(long long offset) { return m_bytes + offset; }
    // Zeroes the gap bytes from `from` to the next multiple of 4; false when
    // that passes the capacity.
    bool pad(long long from, long long& aligned)
    {
        aligned = align4(from);
        if (aligned > m_capacity)
            return false;
        if (aligned > from)
            std::memset(m_bytes + from, 0, static_cast<std::size_t>(aligned - from));
        return true;
    }
    long long capacity() const { return m_capacity; }

private:
    std::uint8_t* m_bytes;
    long long m_capacity;
};

int compress_shell(int point_count, const float* points, const float* normals,
                   int face_list_length, const int* face_list, int* size, void* out,
                   int* vertex_count, int* vertex_map, const EdgeOptions* options)
{
    EdgeOptions own;
    if (!edgebreaker_set_options(options, own))
        return 0;
    if (point_count < 1 || face_list_length < 1 || !face_list || !size || *size < 0 || !out ||
        !vertex_count || !vertex_map)
        return 0;
    long long const slots = static_cast<long long>(static_cast<double>(point_count) * own.ratio);
    if (slots > INT_MAX / 4)
        return 0;
    EdgeAllocator const allocator(own.allocate, own.release, own.spare, own.user_data);
    int const scheme = ShellHeader::scheme_for_version(own.version);

    EncoderMesh mesh(allocator, point_count, static_cast<int>(slots < point_count ? point_count : slots));
    if (!mesh.add_faces(face_list_length, face_list, (own.flags & EdgeOptions::Strips) != 0) ||
        !mesh.build())
        return 0;
    // A handle stops an attempt; the mesh is cut along the loop it was found
    // on and coded again. Blocks below scheme 2 hold one component only.
    Traversal result = Traversal::Failed;
    for (int attempt = 0; attempt < Max_Attempts; ++attempt)
    {
        result = mesh.traverse(scheme < ShellHeader::Scheme_Geometry_Stream);
        if (result != Traversal::Handle)
            break;
        if (attempt + 1 == Max_Attempts || !mesh.cut_handle() || !mesh.rebuild_closing_every_loop())
            return 0;
    }
    if (result != Traversal::Done)
        return 0;

    // The coded order: dummies leave it (list D), second occurrences of a
    // point leave it too (list E names their first occurrence).
    const IntStack& order = mesh.order();
    int const positions = order.size();
    SideTable side(allocator);
    EdgeArray<int> compact_of_point(allocator, static_cast<std::size_t>(point_count), -1);
    EdgeArray<int> compact_of_position(allocator, static_cast<std::size_t>(positions), -1);
    int coded = 0;
    for (int k = 0; k < positions; ++k)
    {
        int const point = mesh.resolve(order[k]);
        if (point < 0 || point >= point_count)
        {
            side.dummies.push(k);
            continue;
        }
        int& first = compact_of_point[static_cast<std::size_t>(point)];
        if (first < 0)
        {
            first = coded;
            vertex_map[coded++] = point;
        }
        else
        {
            side.repeats.push(k);
            side.repeats.push(first);
        }
        compact_of_position[static_cast<std::size_t>(k)] = first;
    }
    if (side.dummies.size() > 1)
        sort_ints(side.dummies.data(), 0, side.dummies.size() - 1);
    CodedVertices const vertices{coded, compact_of_point.data(), compact_of_position.data(),
                                 positions};

    float computed_box[6];
    const float* box = own.box;
    if (!box && points)
    {
        box_of(points, vertex_map, coded, computed_box);
        side.has_box = true;
        std::memcpy(side.box, computed_box, sizeof computed_box);
        box = side.box;
    }
    for (int axis = 0; axis < 3; ++axis)
    {
        side.point_bits[axis] = own.point_bits[axis];
        side.normal_bits[axis] = own.normal_bits[axis];
    }
    bool const with_normals = normals && scheme != ShellHeader::Scheme_Pre_651;

    EdgeArray<std::uint32_t> point_codes(allocator, points ? 3 * static_cast<std::size_t>(coded) : 0);
    EdgeArray<std::uint32_t> normal_codes(allocator,
                                          with_normals ? 3 * static_cast<std::size_t>(coded) : 0);
    if (points)
        quantise_codes(points, vertex_map, coded, box, own.point_bits, point_codes.data());
    if (with_normals)
    {
        float const unit_box[6] = {-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
        quantise_codes(normals, vertex_map, coded, unit_box, own.normal_bits, normal_codes.data());
    }

    ShellHeader header;
    header.scheme = scheme;
    header.op_count = mesh.op_count();
    header.vertex_count = coded;
    Output output(static_cast<std::uint8_t*>(out), *size);
    long long at = header.size();
    if (!output.fits(0, at) || !output.fits(at, header.op_count))
        return 0;
    std::memcpy(output.at(at), mesh.ops(), static_cast<std::size_t>(header.op_count));
    if (!output.pad(at + header.op_count, at))
        return 0;
    long long const side_length = side.size();
    if (!output.fits(at, side_length))
        return 0;
    side.write(output.at(at));
    header.side_length = static_cast<int>(side_length);
    if (!output.pad(at + side_length, at))
        return 0;

    if (scheme == ShellHeader::Scheme_Geometry_Stream)
    {
        EdgeBitStream stream =
            EdgeBitStream::for_writing(output.at(at), static_cast<int>(output.capacity() - at));
        if (!write_geometry_stream(allocator, mesh, vertices, points ? point_codes.data() : nullptr,
                                   with_normals ? normal_codes.data() : nullptr, stream))
            return 0;
        header.point_coding = points ? ShellHeader::Coding_Stream : ShellHeader::Coding_None;
        header.normal_coding = with_normals ? ShellHeader::Coding_Stream : ShellHeader::Coding_None;
        header.point_length = stream.packed_bytes();
        header.normal_length = with_normals ? stream.packed_bytes() : 0;
        at += stream.packed_bytes();
    }
    else
    {
        if (points)
        {
            if (own.version > 600)
            {
                EdgeBitStream stream = EdgeBitStream::for_writing(
                    output.at(at), static_cast<int>(output.capacity() - at));
                if (!write_triple_residuals(mesh, vertices, point_codes.data(), &stream, nullptr))
                    return 0;
                header.point_coding = ShellHeader::Coding_Ladder;
                header.point_length = stream.packed_bytes();
            }
            else
            {
                long long const length = 6LL * coded;
                if (!output.fits(at, length) ||
                    !write_triple_residuals(mesh, vertices, point_codes.data(), nullptr,
                                            output.at(at)))
                    return 0;
                header.point_length = static_cast<int>(length);
            }
            if (!output.pad(at + header.point_length, at))
                return 0;
        }
        if (with_normals)
        {
            EdgeBitStream stream =
                EdgeBitStream::for_writing(output.at(at), static_cast<int>(output.capacity() - at));
            if (!write_triple_residuals(mesh, vertices, normal_codes.data(), &stream, nullptr))
                return 0;
            header.normal_length = stream.packed_bytes();
            at += header.normal_length;
        }
    }
    long long end = 0;
    if (!output.pad(at, end) || end > INT_MAX)
        return 0;
    header.write(output.at(0));
    *size = static_cast<int>(end);
    *vertex_count = coded;
    return 1;
}
} // namespace

int edgebreaker_compress(int point_count, const float* points, const float* normals,
                         int face_list_length, const int* face_list, int* size, void* out,
                         int* vertex_count, int* vertex_map, const EdgeOptions* options)
{
    try
    {
        return compress_shell(point_count, points, normals, face_list_length, face_list, size, out,
                              vertex_count, vertex_map, options);
    }
    catch (const DWFCore::DWFMemoryException&)
    {
        return 0;
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}

} // namespace w3d::eb
