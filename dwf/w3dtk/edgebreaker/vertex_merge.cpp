#include "dwf/w3dtk/edgebreaker/vertex_merge.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace w3d::eb
{
namespace
{
struct Record
{
    float key;   // x + y + z
    int index;   // the input vertex
    int group;   // -1 while in none
    int next;    // the next member of its group (record number), -1 at the end
    int uses;    // face entries naming it
};

float squared_distance(const float* a, const float* b, int width)
{
    float sum = 0.0f;
    for (int k = 0; k < width; ++k)
    {
        float const d = a[k] - b[k];
        float const square = d * d;
        sum = sum + square;
    }
    return sum;
}

// The face list is well formed and names existing vertices only.
bool valid_faces(const MergeInput& input)
{
    if (input.face_list_length < 0 || (input.face_list_length > 0 && !input.face_list))
        return false;
    for (int i = 0; i < input.face_list_length;)
    {
        int const count = input.face_list[i];
        if (count == -2147483647 - 1)
            return false;
        int const n = count < 0 ? -count : count;
        if (n > input.face_list_length - i - 1)
            return false;
        for (int k = 1; k <= n; ++k)
            if (input.face_list[i + k] < 0 || input.face_list[i + k] >= input.point_count)
                return false;
        i += n + 1;
    }
    return true;
}

// The shortest non-zero squared edge of the faces, each read as a closed loop;
// 0 when there is none.
double shortest_squared_edge(const MergeInput& input)
{
    double shortest = 1e30;
    for (int i = 0; i < input.face_list_length;)
    {
        int const count = input.face_list[i];
        int const n = count < 0 ? -count : count;
        const int* v = input.face_list + i + 1;
        for (int k = 0; k < n; ++k)
        {
            int const from = v[k == 0 ? n - 1 : k - 1];
            double const d = squared_distance(input.points + 3 * static_cast<std::size_t>(from),
                                              input.points + 3 * static_cast<std::size_t>(v[k]), 3);
            if (d > 0.0 && d < shortest)
                shortest = d;
        }
        i += n + 1;
    }
    return shortest < 1e30 ? shortest : 0.0;
}
} // namespace

bool default_vertex_compare(const float* points, const float* normals, int parameter_width,
                            const float* parameters, int a, int b, double distance_limit,
                            double normal_limit, double parameter_limit)
{
    if (squared_distance(points + 3 * static_cast<std::size_t>(a),
                         points + 3 * static_cast<std::size_t>(b), 3) > distance_limit)
        return false;
    if (normals && squared_distance(normals + 3 * static_cast<std::size_t>(a),
                                    normals + 3 * static_cast<std::size_t>(b), 3) > normal_limit)
        return false;
    if (parameters && parameter_width > 0)
    {
        const float* pa = parameters + static_cast<std::size_t>(parameter_width) * a;
        const float* pb = parameters + static_cast<std::size_t>(parameter_width) * b;
        for (int k = 0; k < parameter_width; ++k)
        {
            float const d = pa[k] - pb[k];
            float const square = d * d;
            if (square > parameter_limit)
                return false;
        }
    }
    return true;
}

bool merge_shell_vertices(const MergeInput& input, const MergeOutput& output)
{
    int const count = input.point_count;
    if (count < 0 || (count > 0 && !input.points) || !valid_faces(input))
        return false;
    VertexCompare const compare = input.compare ? input.compare : default_vertex_compare;
    int const parameter_width = input.parameters ? input.parameter_width : 0;
    const float* const parameters = parameter_width > 0 ? input.parameters : nullptr;

    std::vector<int> own_map;
    int* vertex_map = output.vertex_map;
    if (!vertex_map)
    {
        own_map.resize(static_cast<std::size_t>(count));
        vertex_map = own_map.data();
    }
    std::fill(vertex_map, vertex_map + count, -1);

    std::vector<Record> records(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        const float* p = input.points + 3 * static_cast<std::size_t>(i);
        float const xy = p[0] + p[1];
        records[static_cast<std::size_t>(i)] = Record{xy + p[2], i, -1, -1, 0};
    }
    if (input.used_only)
        for (int i = 0; i < input.face_list_length;)
        {
            int const n = std::abs(input.face_list[i]);
            for (int k = 1; k <= n; ++k)
                ++records[static_cast<std::size_t>(input.face_list[i + k])].uses;
            i += n + 1;
        }
    // Sorted by key, ties by index, so the order (and with it which vertex
    // starts a group) never depends on the sort's own choices.
    std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
        return a.key < b.key || (a.key == b.key && a.index < b.index);
    });

    double distance_limit;
    float window;
    if (input.distance_tolerance >= 0.0)
    {
        distance_limit = input.distance_tolerance * input.distance_tolerance;
        window = static_cast<float>(3.0 * input.distance_tolerance);
    }
    else
    {
        // A fraction of the shortest edge: -tolerance / 100 of its length.
        double const fraction = -input.distance_tolerance / 100.0;
        distance_limit = shortest_squared_edge(input) * fraction * fraction;
        window = static_cast<float>(3.0 * std::sqrt(distance_limit));
    }
    double const normal_limit = 2.0 - 2.0 * std::cos(input.normal_angle);
    double const parameter_limit = input.parameter_tolerance * input.parameter_tolerance;

    auto const accepts = [&](int a, int b) {
        return compare(input.points, input.normals, parameter_width, parameters, a, b,
                       distance_limit, normal_limit, parameter_limit);
    };
    int groups = 0;
    for (int s = 0; s < count; ++s)
    {
        Record& starter = records[static_cast<std::size_t>(s)];
        if ((input.used_only && starter.uses == 0) || starter.group >= 0)
            continue;
        int const group = groups++;
        starter.group = group;
        starter.next = -1;
        vertex_map[starter.index] = group;
        int head = s;
        for (int c = s + 1; c < count; ++c)
        {
            Record& candidate = records[static_cast<std::size_t>(c)];
            if (candidate.key - starter.key > window)
                break;
            if (input.used_only && candidate.uses == 0)
                continue;
            bool joins = true;
            for (int m = head; joins && m >= 0; m = records[static_cast<std::size_t>(m)].next)
                joins = accepts(records[static_cast<std::size_t>(m)].index, candidate.index);
            if (!joins)
                continue;
            candidate.group = group;
            candidate.next = head;
            head = c;
            vertex_map[candidate.index] = group;
        }
    }

    if (output.out_points || output.out_point_count)
    {
        int written = 0;
        int last = -1;
        for (const Record& record : records)
            if (record.group > last)
            {
                if (output.out_points)
                    std::copy_n(input.points + 3 * static_cast<std::size_t>(record.index), 3,
                                output.out_points + 3 * static_cast<std::size_t>(written));
                ++written;
                last = record.group;
            }
        if (output.out_point_count)
            *output.out_point_count = written;
    }

    int written = 0;
    int face = 0;
    int faces_out = 0;
    std::vector<int> kept;
    for (int i = 0; i < input.face_list_length;)
    {
        int const signed_count = input.face_list[i];
        int const n = std::abs(signed_count);
        const int* v = input.face_list + i + 1;
        kept.clear();
        int previous = n > 0 ? vertex_map[v[n - 1]] : -1;
        for (int k = 0; k < n; ++k)
        {
            int const mapped = vertex_map[v[k]];
            if (mapped != previous)
                kept.push_back(mapped);
            previous = mapped;
        }
        bool const survives = kept.size() >= 3;
        if (signed_count > 0)
        {
            if (output.face_map)
                output.face_map[face] = survives ? faces_out : -1;
            ++face;
        }
        if (survives)
        {
            if (signed_count > 0)
                ++faces_out;
            if (output.out_faces)
            {
                int const size = static_cast<int>(kept.size());
                output.out_faces[written] = signed_count > 0 ? size : -size;
                std::copy(kept.begin(), kept.end(), output.out_faces + written + 1);
            }
            written += static_cast<int>(kept.size()) + 1;
        }
        i += n + 1;
    }
    if (output.out_face_list_length)
        *output.out_face_list_length = written;
    return true;
}

} // namespace w3d::eb
