// Decodes the fuzzer's bytes as one edge-breaker block, as a shell record's
// reader hands it over: sizes from the header, arrays of those sizes, then the
// decoder. The first byte chooses whether a quantisation box is supplied and
// whether normals and faces are asked for; the rest is the block.
#include "dwf/w3dtk/edgebreaker/edgebreaker.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > (1u << 24))
        return 0;
    std::uint8_t const choice = data[0];
    const std::uint8_t* block = data + 1;
    int const length = static_cast<int>(size - 1);
    int points = 0, normals = 0, faces = 0;
    if (!w3d::eb::edgebreaker_inquire_sizes(block, length, &points, &normals, &faces))
        return 0;
    std::vector<float> point_list(3 * static_cast<std::size_t>(points));
    std::vector<float> normal_list(3 * static_cast<std::size_t>(normals));
    std::vector<int> face_list(static_cast<std::size_t>(faces));
    float const box[6] = {-1, -2, -3, 4, 5, 6};
    w3d::eb::EdgeDecodeOptions options;
    if (choice & 1)
        options.box = box;
    int count = 0;
    int face_length = faces;
    bool strips = false;
    w3d::eb::edgebreaker_decompress(length, block, &count, point_list.empty() ? nullptr : point_list.data(),
                                    (choice & 2) || normal_list.empty() ? nullptr : normal_list.data(),
                                    &strips, &face_length,
                                    (choice & 4) || face_list.empty() ? nullptr : face_list.data(),
                                    &options);
    return 0;
}
