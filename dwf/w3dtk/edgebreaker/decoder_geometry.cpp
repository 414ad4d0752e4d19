#include "dwf/w3dtk/edgebreaker/decoder_geometry.h"

#include "dwf/w3dtk/edgebreaker/predictors.h"
#include "dwf/w3dtk/geometry/bit_packer.h"

namespace w3d::eb::detail
{
namespace
{
bool in_range(long long code, int bits)
{
    return code >= 0 && code <= static_cast<long long>(Bit_Mask[static_cast<std::size_t>(bits)]);
}
} // namespace

bool read_triple_residuals(const DecodedVertices& vertices, const int bits[3],
                           EdgeBitStream* stream, const std::uint8_t* raw, std::uint32_t* codes)
{
    for (int i = 0; i < vertices.count; ++i)
    {
        const int* const triple = vertices.triples + 3 * static_cast<std::size_t>(i);
        for (int k = 0; k < 3; ++k)
            if (triple[k] >= i)
                return false;
        Code3 const prediction = predict_parallelogram(triple[0], triple[1], triple[2], codes);
        for (int axis = 0; axis < 3; ++axis)
        {
            long long code;
            if (stream)
            {
                long long residual = 0;
                if (!stream->get_ladder(ResidualReadLadder, residual))
                    return false;
                code = prediction.v[axis] + residual;
            }
            else
            {
                const std::uint8_t* const at = raw + 6 * static_cast<std::size_t>(i) + 2 * axis;
                auto const residual = static_cast<std::int16_t>(at[0] | at[1] << 8);
                code = (prediction.v[axis] + residual) & 0xFFFF;
            }
            if (!in_range(code, bits[axis]))
                return false;
            codes[3 * static_cast<std::size_t>(i) + static_cast<std::size_t>(axis)] =
                static_cast<std::uint32_t>(code);
        }
    }
    return true;
}

bool read_geometry_stream(const EdgeAllocator& allocator, const CornerTable& corners,
                          int vertex_count, const int point_bits[3], const int normal_bits[3],
                          EdgeBitStream& stream, long long stream_bits, std::uint32_t* point_codes,
                          std::uint32_t* normal_codes, bool want_strips, IntStack& strip_corners,
                          IntStack& strip_lengths)
{
    strip_corners.clear();
    strip_lengths.clear();
    long long flag = 0, starts = 0, predicted = 0;
    if (!stream.get_ladder(ResidualReadLadder, flag) || flag < 0 || flag > 1 ||
        !stream.get_ladder(CountLadder, starts) || !stream.get_ladder(CountLadder, predicted) ||
        starts < 0 || predicted < 0 || starts + predicted != vertex_count)
        return false;
    // Each raw code takes 16 bits at least and each residual 2: counts that
    // the stream cannot hold are refused before anything is allocated.
    int const sets = (point_codes ? 1 : 0) + (normal_codes ? 1 : 0);
    if (sets * (48 * starts + 6 * predicted) > stream_bits)
        return false;
    EdgeArray<long long> values(
        allocator, sets > 0 ? 2 * 3 * static_cast<std::size_t>(vertex_count) : 0, 0);
    // values[0 .. 3V): points (raw codes of the starts, then residuals);
    // values[3V .. 6V): normals.
    std::uint32_t* const codes[2] = {point_codes, normal_codes};
    const int* const bits[2] = {point_bits, normal_bits};
    for (int set = 0; set < 2; ++set)
    {
        if (!codes[set])
            continue;
        long long* const out = values.data() + 3 * static_cast<std::size_t>(vertex_count) * set;
        for (long long i = 0; i < 3 * starts; ++i)
            if (!stream.get_ladder(CountLadder, out[i]) || !in_range(out[i], bits[set][i % 3]))
                return false;
        for (long long i = 3 * starts; i < 3 * (starts + predicted); ++i)
            if (!stream.get_ladder(ResidualReadLadder, out[i]))
                return false;
    }
    if (flag && want_strips)
    {
        long long strips = 0;
        int const corner_count = corners.count();
        if (!stream.get_ladder(CountLadder, strips) || strips < 0 || strips > corner_count / 3)
            return false;
        long long corner = 0;
        for (long long i = 0; i < strips; ++i)
        {
            long long step = 0;
            if (!stream.get_ladder(CountLadder, step) || (i > 0 && step < 1) || step < 0)
                return false;
            corner += step;
            if (corner >= corner_count)
                return false;
            strip_corners.push(static_cast<int>(corner));
        }
        for (long long i = 0; i < strips; ++i)
        {
            long long length = 0;
            if (!stream.get_ladder(ResidualReadLadder, length) || length < 0 ||
                length > corner_count)
                return false;
            strip_lengths.push(static_cast<int>(length + 3));
        }
    }
    if (!stream.ok())
        return false;

    // The walk: the same order as the encoder's, so each vertex meets its own
    // raw code or residual.
    EdgeArray<std::uint8_t> seen(allocator, static_cast<std::size_t>(vertex_count), 0);
    IntStack work(allocator);
    long long next_start = 0;
    long long next_predicted = starts;
    auto const assign_raw = [&](int v) {
        for (int set = 0; set < 2; ++set)
            if (codes[set])
                for (int axis = 0; axis < 3; ++axis)
                    codes[set][3 * static_cast<std::size_t>(v) + static_cast<std::size_t>(axis)] =
                        static_cast<std::uint32_t>(
                            values[3 * static_cast<std::size_t>(vertex_count) * set +
                                   3 * static_cast<std::size_t>(next_start) +
                                   static_cast<std::size_t>(axis)]);
        ++next_start;
    };
    auto const identity = [](int v) { return v; };
    int const corner_count = corners.count();
    for (int c = 0; c < corner_count; ++c)
    {
        int const v = corners.vertex(c);
        if (v < 0 || seen[static_cast<std::size_t>(v)])
            continue;
        int const round[3] = {c, CornerTable::next(c), CornerTable::prev(c)};
        for (int const x : round)
        {
            int const u = corners.vertex(x);
            if (u < 0)
                return false;
            if (seen[static_cast<std::size_t>(u)])
                continue;
            if (next_start >= starts)
                return false;
            seen[static_cast<std::size_t>(u)] = 1;
            assign_raw(u);
        }
        for (int const x : round)
            if (CornerTable::linked(corners.twin(x)))
                work.push(x);
        while (!work.empty())
        {
            int const k = work.pop();
            int const o = corners.twin(k);
            int const far = corners.vertex(CornerTable::prev(o));
            if (far < 0 || seen[static_cast<std::size_t>(far)])
                continue;
            int const a = corners.vertex(o);
            int const b = corners.vertex(CornerTable::next(o));
            int const across = corners.vertex(CornerTable::prev(k));
            if (a < 0 || b < 0 || across < 0 || !seen[static_cast<std::size_t>(a)] ||
                !seen[static_cast<std::size_t>(b)] || !seen[static_cast<std::size_t>(across)] ||
                next_predicted >= starts + predicted)
                return false;
            for (int set = 0; set < 2; ++set)
            {
                if (!codes[set])
                    continue;
                Code3 const prediction = predict_corner(corners, o, identity, codes[set]);
                for (int axis = 0; axis < 3; ++axis)
                {
                    long long const code =
                        prediction.v[axis] -
                        values[3 * static_cast<std::size_t>(vertex_count) * set +
                               3 * static_cast<std::size_t>(next_predicted) +
                               static_cast<std::size_t>(axis)];
                    if (!in_range(code, bits[set][axis]))
                        return false;
                    codes[set][3 * static_cast<std::size_t>(far) + static_cast<std::size_t>(axis)] =
                        static_cast<std::uint32_t>(code);
                }
            }
            ++next_predicted;
            seen[static_cast<std::size_t>(far)] = 1;
            for (int const x : {CornerTable::next(o), CornerTable::prev(o)})
                if (CornerTable::linked(corners.twin(x)))
                    work.push(x);
        }
    }
    return next_start == starts && next_predicted == starts + predicted;
}

} // namespace w3d::eb::detail
