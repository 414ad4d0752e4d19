// Point and normal data of the edge-breaker block: quantised codes coded as
// differences from predictions that the decoder can make from what it has
// decoded before.
#include "dwf/w3dtk/edgebreaker/encoder_geometry.h"

#include "dwf/w3dtk/edgebreaker/predictors.h"
#include "dwf/w3dtk/geometry/bit_packer.h"
#include "dwf/w3dtk/geometry/quantiser.h"

namespace w3d::eb::detail
{

void quantise_codes(const float* values, const int* point_of, int count, const float box[6],
                    const int bits[3], std::uint32_t* codes)
{
    for (int axis = 0; axis < 3; ++axis)
    {
        float const min = box[axis];
        float const max = box[3 + axis];
        std::uint32_t const max_code = Bit_Mask[static_cast<std::size_t>(bits[axis])];
        float const scale = quantisation_scale(min, max, bits[axis]);
        for (int i = 0; i < count; ++i)
        {
            float const value = values[3 * static_cast<std::size_t>(point_of[i]) +
                                       static_cast<std::size_t>(axis)];
            codes[3 * static_cast<std::size_t>(i) + static_cast<std::size_t>(axis)] =
                quantise_value(value, min, scale, max_code);
        }
    }
}

bool write_triple_residuals(const EncoderMesh& mesh, const CodedVertices& vertices,
                            const std::uint32_t* codes, EdgeBitStream* stream, std::uint8_t* raw)
{
    const IntStack& triples = mesh.triples();
    auto const renumber = [&vertices](int position) {
        if (position < 0 || position >= vertices.positions)
            return -1;
        return vertices.compact_of_position[position];
    };
    // The i-th vertex pairs with the i-th triple of the order without its
    // dummies; repeats keep their triples, so after the first repeat a vertex
    // is predicted by the triple of a later position. The decoder pairs them
    // the same way.
    int position = 0;
    for (int i = 0; i < vertices.count; ++i, ++position)
    {
        while (vertices.compact_of_position[position] < 0)
            ++position;
        int const a = renumber(triples[3 * position]);
        int const b = renumber(triples[3 * position + 1]);
        int const c = renumber(triples[3 * position + 2]);
        Code3 const prediction = predict_parallelogram(a, b, c, codes);
        for (int axis = 0; axis < 3; ++axis)
        {
            long long const residual =
                static_cast<long long>(codes[3 * static_cast<std::size_t>(i) +
                                             static_cast<std::size_t>(axis)]) -
                prediction.v[axis];
            if (stream)
            {
                if (!stream->put_ladder(residual, ResidualLadder))
                    return false;
            }
            else
            {
                std::uint8_t* const at = raw + 6 * static_cast<std::size_t>(i) + 2 * axis;
                at[0] = static_cast<std::uint8_t>(residual);
                at[1] = static_cast<std::uint8_t>(residual >> 8);
            }
        }
    }
    return !stream || stream->ok();
}

bool write_geometry_stream(const EdgeAllocator& allocator, const EncoderMesh& mesh,
                           const CodedVertices& vertices, const std::uint32_t* point_codes,
                           const std::uint32_t* normal_codes, EdgeBitStream& stream)
{
    const CornerTable& edges = mesh.edges();
    const IntStack& gates = mesh.gates();
    int const count = vertices.count;
    // The compacted vertex of a half-edge's vertex, -1 for a dummy.
    auto const vertex_of = [&mesh, &vertices](int id) {
        int const point = mesh.resolve(id);
        return point >= 0 ? vertices.compact_of_point[point] : -1;
    };
    auto const has_dummy = [&edges, &vertex_of](int e) {
        int const first = 3 * CornerTable::triangle(e);
        return vertex_of(edges.vertex(first)) < 0 || vertex_of(edges.vertex(first + 1)) < 0 ||
               vertex_of(edges.vertex(first + 2)) < 0;
    };

    EdgeArray<std::uint8_t> seen(allocator, static_cast<std::size_t>(count), 0);
    IntStack starts(allocator);
    IntStack predicted(allocator); // vertex, then the half-edge it is predicted across
    IntStack work(allocator);
    IntStack strip_corners(allocator);
    IntStack strip_records(allocator);
    bool const strips = mesh.strips();

    // Triangles in coding order, corners as the decoder numbers them: the
    // gate's vertex, then round the triangle.
    for (int k = 0; k < gates.size(); ++k)
    {
        int const gate = gates[k];
        int const corners[3] = {gate, CornerTable::next(gate), CornerTable::prev(gate)};
        for (int j = 0; j < 3; ++j)
        {
            int const h = corners[j];
            if (strips && h % 3 == 0)
            {
                int const strip = mesh.strip_starting_at(h);
                if (strip >= 0)
                {
                    strip_corners.push(3 * k + j);
                    strip_records.push(strip);
                }
            }
            int const v = vertex_of(edges.vertex(h));
            if (v < 0 || seen[static_cast<std::size_t>(v)] || has_dummy(h))
                continue;
            // A seed: the triangle's new vertices are stored as they are.
            int const round[3] = {h, CornerTable::next(h), CornerTable::prev(h)};
            for (int const x : round)
            {
                int const u = vertex_of(edges.vertex(x));
                if (!seen[static_cast<std::size_t>(u)])
                {
                    seen[static_cast<std::size_t>(u)] = 1;
                    starts.push(u);
                }
            }
            for (int const x : round)
                if (CornerTable::linked(edges.twin(x)))
                    work.push(x);
            // Then across every edge: the far vertex of each neighbour,
            // predicted from the triangle it is reached from.
            while (!work.empty())
            {
                int const c = work.pop();
                int const o = edges.twin(c);
                int const far = vertex_of(edges.vertex(CornerTable::prev(o)));
                if (far < 0 || seen[static_cast<std::size_t>(far)])
                    continue;
                seen[static_cast<std::size_t>(far)] = 1;
                predicted.push(far);
                predicted.push(o);
                for (int const x : {CornerTable::next(o), CornerTable::prev(o)})
                    if (CornerTable::linked(edges.twin(x)))
                        work.push(x);
            }
        }
    }
    int const start_count = starts.size();
    int const predicted_count = predicted.size() / 2;
    if (start_count + predicted_count != count)
        return false;

    bool ok = stream.put_ladder(strips ? 1 : 0, ResidualLadder) &&
              stream.put_ladder(start_count, CountLadder) &&
              stream.put_ladder(predicted_count, CountLadder);
    for (const std::uint32_t* codes : {point_codes, normal_codes})
    {
        if (!codes || !ok)
            continue;
        for (int i = 0; ok && i < start_count; ++i)
            for (int axis = 0; ok && axis < 3; ++axis)
                ok = stream.put_ladder(
                    codes[3 * static_cast<std::size_t>(starts[i]) + static_cast<std::size_t>(axis)],
                    CountLadder);
        for (int i = 0; ok && i < predicted_count; ++i)
        {
            int const far = predicted[2 * i];
            Code3 const prediction = predict_corner(edges, predicted[2 * i + 1], vertex_of, codes);
            for (int axis = 0; ok && axis < 3; ++axis)
                ok = stream.put_ladder(
                    prediction.v[axis] - static_cast<long long>(
                                             codes[3 * static_cast<std::size_t>(far) +
                                                   static_cast<std::size_t>(axis)]),
                    ResidualLadder);
        }
    }
    if (ok && strips)
    {
        int const strip_count = strip_corners.size();
        ok = stream.put_ladder(strip_count, CountLadder);
        for (int i = 0; ok && i < strip_count; ++i)
            ok = stream.put_ladder(i == 0 ? strip_corners[0] : strip_corners[i] - strip_corners[i - 1],
                                   CountLadder);
        for (int i = 0; ok && i < strip_count; ++i)
            ok = stream.put_ladder(mesh.strip_length(strip_records[i]) - 3, ResidualLadder);
    }
    return ok && stream.ok();
}

} // namespace w3d::eb::detail
