#include "dwf/w3dtk/edgebreaker/edge_options.h"

#include <climits>

namespace w3d::eb
{
namespace
{
constexpr int Default_Bits = 11;
constexpr float Default_Ratio = 1.5f;
constexpr int Default_Version = 100000;

bool take_bits(const int given[3], int own[3], int limit)
{
    for (int axis = 0; axis < 3; ++axis)
    {
        own[axis] = given && given[axis] != -1 ? given[axis] : Default_Bits;
        if (own[axis] < 1 || own[axis] > limit)
            return false;
    }
    return true;
}
} // namespace

bool edgebreaker_set_options(const EdgeOptions* given, EdgeOptions& own)
{
    // The limits look at the version as the caller gave it (signed, so the
    // marker counts as old); the version the block is written for defaults.
    int const given_version = given ? given->version : -1;
    int const limit = given_version >= 1000 ? 32 : 16;
    if (!take_bits(given ? given->point_bits : nullptr, own.point_bits, limit))
        return false;
    if (!take_bits(given && given_version >= 651 ? given->normal_bits : nullptr, own.normal_bits,
                   limit))
        return false;
    own.ratio = given && given->ratio != -1.0f ? given->ratio : Default_Ratio;
    if (!(own.ratio >= 1.0f) || own.ratio > 64.0f)
        return false;
    own.box = given ? given->box : nullptr;
    own.flags = given && given->flags != ~0u ? given->flags : 0;
    own.allocate = given ? given->allocate : nullptr;
    own.release = given ? given->release : nullptr;
    own.spare = given ? given->spare : nullptr;
    own.user_data = given ? given->user_data : nullptr;
    own.version = given_version != -1 ? given_version : Default_Version;
    return true;
}

int edgebreaker_estimate_size(int point_count, int face_list_length, const int* face_list,
                              int* size_out, int* point_count_out, const EdgeOptions* options)
{
    if (point_count < 0 || face_list_length < 0 || (face_list_length > 0 && !face_list))
        return 0;
    if (point_count != 0 && face_list_length / point_count > 8)
        return 0;
    long long triangles = 0;
    for (int i = 0; i < face_list_length;)
    {
        int const n = face_list[i];
        if (n < 0 || n > face_list_length - i - 1)
            return 0;
        if (n > 2)
            triangles += n - 2;
        i += n + 1;
    }
    float ratio = Default_Ratio;
    if (options && options->ratio != -1.0f)
        ratio = options->ratio;
    if (!(ratio >= 0.0f) || ratio > 64.0f)
        return 0;
    long long const slots = static_cast<long long>(12.0 * static_cast<double>(ratio) * point_count);
    long long const size = 18 * triangles + 2 * slots + 82;
    if (size > INT_MAX)
        return 0;
    if (size_out)
        *size_out = static_cast<int>(size);
    if (point_count_out)
        *point_count_out = point_count;
    return 1;
}

} // namespace w3d::eb
