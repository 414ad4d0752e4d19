// The shell's optimisation before writing: coincident vertices merged,
// collapsed faces dropped.
#include "dwf/w3dtk/geometry/shell.h"

#include "dwf/w3dtk/edgebreaker/vertex_merge.h"

#include "dwfcore/Exception.h"

#include <new>

namespace
{
const char* const Function = "TK_Shell::_optimizeThisShell";

// A zeroed array of `count` values, or DWFMemoryException with `message`.
template <class T> std::vector<T> allocate(std::size_t count, const char16_t* message)
{
    try
    {
        return std::vector<T>(count);
    }
    catch (const std::bad_alloc&)
    {
        throw DWFCore::DWFMemoryException(message, Function, u"BOpcodeShell", __LINE__);
    }
}
} // namespace

void TK_Shell::_optimizeThisShell()
{
    // Colours and index values per vertex are not compared by the merge:
    // merging would lose them.
    for (int c = 0; c < Channels; ++c)
        if (!m_vertex_colors[static_cast<std::size_t>(c)].empty() ||
            !m_vertex_indices[static_cast<std::size_t>(c)].empty())
            return;
    std::size_t const points = static_cast<std::size_t>(m_point_count);
    bool const has_normals = !m_normals.empty();
    bool const has_parameters = !m_parameters.empty();
    auto new_points = allocate<float>(3 * points, u"Failed to allocate new point array");
    auto new_faces = allocate<int>(m_faces.size(), u"Failed to allocate new face list");
    auto vertex_map = allocate<int>(points, u"Failed to allocate new vertex map");
    auto face_map = allocate<int>(static_cast<std::size_t>(m_face_count),
                                  u"Failed to allocate new face map");
    auto new_normals = allocate<float>(has_normals ? 3 * points : 0,
                                       u"Failed to allocate new normals array");
    auto new_parameters = allocate<float>(has_parameters ? 3 * points : 0,
                                          u"Failed to allocate new texture parameters array");

    w3d::eb::MergeInput input;
    input.point_count = m_point_count;
    input.points = m_points.data();
    input.normals = has_normals ? m_normals.data() : nullptr;
    input.parameter_width = has_parameters ? 3 : 0;
    input.parameters = has_parameters ? m_parameters.data() : nullptr;
    input.face_list_length = GetFacesLength();
    input.face_list = m_faces.data();
    input.distance_tolerance = m_tolerances[0];
    input.normal_angle = m_tolerances[1];
    input.parameter_tolerance = m_tolerances[2];
    input.used_only = true;
    int point_count = 0;
    int face_length = 0;
    w3d::eb::MergeOutput output;
    output.out_point_count = &point_count;
    output.out_points = new_points.data();
    output.out_face_list_length = &face_length;
    output.out_faces = new_faces.data();
    output.vertex_map = vertex_map.data();
    // The face map counts polygons; a list in strip form has none to map.
    bool const strips = (m_subop & Subop_Triangle_Strips) != 0;
    output.face_map = strips ? nullptr : face_map.data();
    bool merged;
    try
    {
        merged = !strips && w3d::eb::merge_shell_vertices(input, output);
    }
    catch (const std::bad_alloc&)
    {
        throw DWFCore::DWFMemoryException(u"Failed to allocate vertex merge records", Function,
                                          u"BOpcodeShell", __LINE__);
    }
    // A list the merge refuses (an index outside the points) is left for the
    // writer to report.
    if (!merged || point_count >= m_point_count)
        return;

    for (std::size_t i = 0; i < points; ++i)
    {
        int const to = vertex_map[i];
        if (to < 0)
            continue;
        for (int axis = 0; axis < 3; ++axis)
        {
            std::size_t const from = 3 * i + static_cast<std::size_t>(axis);
            std::size_t const at = 3 * static_cast<std::size_t>(to) + static_cast<std::size_t>(axis);
            if (has_normals)
                new_normals[at] = m_normals[from];
            if (has_parameters)
                new_parameters[at] = m_parameters[from];
        }
    }
    // Face attributes follow their faces.
    int const old_faces = m_face_count;
    int kept_faces = 0;
    for (int f = 0; f < old_faces; ++f)
        if (face_map[static_cast<std::size_t>(f)] >= 0)
            ++kept_faces;
    auto keep = [&](auto& values, std::size_t width) {
        using Value = typename std::decay_t<decltype(values)>::value_type;
        if (values.empty())
            return;
        std::vector<Value> kept =
            allocate<Value>(static_cast<std::size_t>(kept_faces) * width, u"Failed to allocate array");
        for (int f = 0; f < old_faces; ++f)
        {
            int const to = face_map[static_cast<std::size_t>(f)];
            if (to >= 0)
                for (std::size_t k = 0; k < width; ++k)
                    kept[static_cast<std::size_t>(to) * width + k] =
                        values[static_cast<std::size_t>(f) * width + k];
        }
        values.swap(kept);
    };
    std::vector<float> face_colors = m_face_colors;
    std::vector<float> face_indices = m_face_indices;
    std::vector<int> face_regions = m_face_regions;
    std::vector<std::uint32_t> face_flags = m_face_flags;
    keep(face_colors, 3);
    keep(face_indices, 1);
    keep(face_regions, 1);
    keep(face_flags, 1);

    new_points.resize(3 * static_cast<std::size_t>(point_count));
    auto const failed = [] {
        throw DWFCore::DWFMemoryException(u"Failed to allocate array", Function, u"BOpcodeShell",
                                          __LINE__);
    };
    if (SetPoints(point_count, new_points.data()) != TK_Done)
        failed();
    if (has_normals && SetVertexNormals(new_normals.data()) != TK_Done)
        failed();
    if (has_parameters && SetVertexParameters(new_parameters.data()) != TK_Done)
        failed();
    // The new list goes in even when the merge left no face: the old one names
    // points that are gone.
    if (SetFaces(face_length, new_faces.data()) != TK_Done)
        failed();
    m_face_colors.swap(face_colors);
    m_face_indices.swap(face_indices);
    m_face_regions.swap(face_regions);
    m_face_flags.swap(face_flags);
    m_face_color_count = 0;
    m_face_index_count = 0;
    for (std::uint32_t const flags : m_face_flags)
    {
        m_face_color_count += (flags & Face_Color) ? 1 : 0;
        m_face_index_count += (flags & Face_Index) ? 1 : 0;
    }
}
