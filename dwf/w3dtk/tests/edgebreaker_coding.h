#pragma once

// Compressing and decompressing meshes of the corpus for the edge-breaker and
// shell tests, and comparing what comes back.

#include "dwf/w3dtk/edgebreaker/edgebreaker.h"
#include "dwf/w3dtk/edgebreaker/shell_header.h"

#include "mesh_corpus.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace w3d_test
{

using Block = std::vector<std::uint8_t>;

// Little-endian 32-bit words from bits written most significant first (spaces
// ignored), the last word padded with zeros.
inline Block words_from_bits(const std::string& text)
{
    std::string bits;
    for (char const c : text)
        if (c == '0' || c == '1')
            bits += c;
    Block bytes(4 * ((bits.size() + 31) / 32), 0);
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1')
            bytes[4 * (i / 32) + 3 - (i % 32) / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    return bytes;
}

// Appends `word` as four little-endian bytes.
inline void append_word(Block& block, std::uint32_t word)
{
    block.resize(block.size() + 4);
    w3d::eb::put_le32(block.data() + block.size() - 4, word);
}

struct Compressed
{
    bool ok = false;
    Block block;
    std::vector<int> vertex_map;
};

// Compresses `mesh` for `version`; with `with_points` / `with_normals` false the
// block leaves them out. The block is sized to exactly what was written, so
// that the sanitizers see any read beyond it.
inline Compressed compress(const Mesh& mesh, int version, bool with_points = true,
                           bool with_normals = true, w3d::eb::EdgeOptions options = {},
                           int capacity = -1)
{
    int estimate = 0;
    options.version = version;
    Compressed result;
    if (capacity < 0 &&
        !w3d::eb::edgebreaker_estimate_size(mesh.point_count(), mesh.face_list_length(),
                                            mesh.faces.data(), &estimate, nullptr, &options))
        return result;
    Block out(static_cast<std::size_t>(capacity < 0 ? estimate : capacity));
    int size = static_cast<int>(out.size());
    int vertices = 0;
    result.vertex_map.assign(static_cast<std::size_t>(mesh.point_count()), -1);
    result.ok = w3d::eb::edgebreaker_compress(
                    mesh.point_count(), with_points ? mesh.points.data() : nullptr,
                    with_normals && !mesh.normals.empty() ? mesh.normals.data() : nullptr,
                    mesh.face_list_length(), mesh.faces.data(), &size, out.data(), &vertices,
                    result.vertex_map.data(), &options) != 0;
    if (result.ok)
    {
        out.resize(static_cast<std::size_t>(size));
        result.block = std::move(out);
        result.vertex_map.resize(static_cast<std::size_t>(vertices));
    }
    return result;
}

struct Decompressed
{
    bool ok = false;
    bool strips = false;
    int point_count = 0;
    std::vector<float> points;
    std::vector<float> normals;
    std::vector<int> faces;
};

inline Decompressed decompress(const Block& block, const float* box = nullptr)
{
    Decompressed result;
    int points = 0, normals = 0, faces = 0;
    if (!w3d::eb::edgebreaker_inquire_sizes(block.data(), static_cast<int>(block.size()), &points,
                                            &normals, &faces))
        return result;
    result.points.assign(3 * static_cast<std::size_t>(points), 0.0f);
    result.normals.assign(3 * static_cast<std::size_t>(normals), 0.0f);
    result.faces.assign(static_cast<std::size_t>(faces), 0);
    int length = faces;
    w3d::eb::EdgeDecodeOptions options;
    options.box = box;
    result.ok = w3d::eb::edgebreaker_decompress(
                    static_cast<int>(block.size()), block.data(), &result.point_count,
                    result.points.empty() ? nullptr : result.points.data(),
                    result.normals.empty() ? nullptr : result.normals.data(), &result.strips,
                    &length, result.faces.empty() ? nullptr : result.faces.data(),
                    &options) != 0;
    result.faces.resize(static_cast<std::size_t>(length));
    return result;
}

using Triangle = std::array<int, 3>;

// A triangle turned so that its smallest vertex comes first (orientation kept).
inline Triangle canonical(int a, int b, int c)
{
    if (b < a && b < c)
        return {b, c, a};
    if (c < a && c < b)
        return {c, a, b};
    return {a, b, c};
}

// The triangles of a face list (triangles, polygons as fans, or strips), each
// mapped through `map` when given, sorted; degenerate ones left out.
inline std::vector<Triangle> triangles_of(const std::vector<int>& faces, bool strips,
                                          const std::vector<int>* map = nullptr)
{
    std::vector<Triangle> triangles;
    auto const at = [map](int v) { return map ? (*map)[static_cast<std::size_t>(v)] : v; };
    for (std::size_t i = 0; i < faces.size();)
    {
        int const n = faces[i] < 0 ? -faces[i] : faces[i];
        const int* v = faces.data() + i + 1;
        for (int k = 0; k + 2 < n; ++k)
        {
            int a, b, c;
            if (strips)
            {
                a = k % 2 == 0 ? v[k] : v[k + 1];
                b = k % 2 == 0 ? v[k + 1] : v[k];
                c = v[k + 2];
            }
            else
            {
                a = v[0];
                b = v[k + 1];
                c = v[k + 2];
            }
            a = at(a);
            b = at(b);
            c = at(c);
            if (a != b && b != c && a != c)
                triangles.push_back(canonical(a, b, c));
        }
        i += static_cast<std::size_t>(n) + 1;
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

inline std::string block_hex(const Block& block)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t const byte : block)
    {
        text += digits[byte >> 4];
        text += digits[byte & 15];
        text += ' ';
    }
    return text;
}

inline w3d::eb::ShellHeader header_of(const Block& block)
{
    w3d::eb::ShellHeader header;
    header.read(block.data(), static_cast<long long>(block.size()));
    return header;
}

// How many op bytes of each kind (0 .. 4) the block holds.
inline std::array<int, 5> op_counts(const Block& block)
{
    std::array<int, 5> counts{};
    w3d::eb::ShellHeader const header = header_of(block);
    for (int i = 0; i < header.op_count; ++i)
    {
        std::uint8_t const op = block[static_cast<std::size_t>(header.size() + i)];
        if (op < 5)
            ++counts[op];
    }
    return counts;
}

} // namespace w3d_test
