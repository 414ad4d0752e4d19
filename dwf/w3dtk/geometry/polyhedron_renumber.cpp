// Renumbering a polyhedron's points, point attributes and faces through maps
// from new to old items.
#include "dwf/w3dtk/geometry/polyhedron.h"

#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace
{
// Components per item of each per-vertex array.
constexpr int Xyz = 3;

// new[i] = old[map[i]] for i below new_count, `width` values an item. The map
// has been checked against the array.
template <class T> void remap(std::vector<T>& values, int new_count, const int* map, int width)
{
    if (values.empty())
        return;
    std::vector<T> moved(static_cast<std::size_t>(new_count) * static_cast<std::size_t>(width));
    for (int i = 0; i < new_count; ++i)
        std::copy_n(values.begin() + static_cast<long>(map[i]) * width, width,
                    moved.begin() + static_cast<long>(i) * width);
    values.swap(moved);
}

// Items of a present array; `limit` when absent.
template <class T> std::size_t items_in(const std::vector<T>& values, int width, std::size_t limit)
{
    return values.empty() ? limit
                          : std::min(limit, values.size() / static_cast<std::size_t>(width));
}

// Every entry of the first new_count names one of `items` old items.
bool valid_map(int new_count, const int* map, std::size_t items)
{
    if (new_count < 0 || (new_count > 0 && !map))
        return false;
    for (int i = 0; i < new_count; ++i)
        if (map[i] < 0 || static_cast<std::size_t>(map[i]) >= items)
            return false;
    return true;
}
} // namespace

TK_Status TK_Polyhedron::mangle_points(BStreamFileToolkit& tk, int new_count, const int* map)
{
    if (!valid_map(new_count, map, items_in(m_points, Xyz, std::size_t(m_point_count))))
        return tk.Error("bad vertex map in TK_Polyhedron::mangle_points");
    try
    {
        remap(m_points, new_count, map, Xyz);
    }
    catch (const std::bad_alloc&)
    {
        return tk.Error("Out of Memory.\n Allocation failed in TK_Polyhedron::mangle_points");
    }
    m_point_count = new_count;
    return TK_Done;
}

TK_Status TK_Polyhedron::mangle_point_attributes(BStreamFileToolkit& tk, int new_count,
                                                 const int* map)
{
    struct Array
    {
        std::vector<float>* values;
        int width;
    };
    Array arrays[2 + 2 * Channels] = {{&m_normals, Xyz}, {&m_parameters, Xyz}};
    for (int c = 0; c < Channels; ++c)
    {
        arrays[2 + c] = {&m_vertex_colors[static_cast<std::size_t>(c)], Xyz};
        arrays[2 + Channels + c] = {&m_vertex_indices[static_cast<std::size_t>(c)], 1};
    }
    // The arrays still have the old count of items (the points may have been
    // renumbered already).
    std::size_t old_items = items_in(m_vertex_flags, 1, SIZE_MAX);
    for (Array const& array : arrays)
        old_items = items_in(*array.values, array.width, old_items);
    bool const none = old_items == SIZE_MAX;
    if (!none && !valid_map(new_count, map, old_items))
        return tk.Error("bad vertex map in TK_Polyhedron::mangle_point_attributes");
    for (int a = 0; a < 2 + 2 * Channels; ++a)
    {
        try
        {
            remap(*arrays[a].values, new_count, map, arrays[a].width);
        }
        catch (const std::bad_alloc&)
        {
            return tk.ErrorF("Out of Memory in TK_Polyhedron::mangle_point_attributes(%d)", a);
        }
    }
    try
    {
        remap(m_vertex_flags, new_count, map, 1);
    }
    catch (const std::bad_alloc&)
    {
        return tk.Error("Out of Memory in TK_Polyhedron::mangle_point_attributes (flags)");
    }
    recount_vertex_attributes();
    return TK_Done;
}

TK_Status TK_Polyhedron::mangle_faces(BStreamFileToolkit& tk, int new_count, const int* map)
{
    std::size_t items = items_in(m_face_flags, 1, std::size_t(m_face_count));
    items = items_in(m_face_colors, Xyz, items);
    items = items_in(m_face_indices, 1, items);
    items = items_in(m_face_regions, 1, items);
    if (!valid_map(new_count, map, items))
        return tk.Error("bad face map in TK_Polyhedron::mangle_faces");
    static const char* const failures[] = {
        "Out of Memory (0).\n Allocation failed in TK_Polyhedron::mangle_faces",
        "Out of Memory (1).\n Allocation failed in TK_Polyhedron::mangle_faces",
        ("Out of Memory (2).\n Allocation of unsigned int array failed in "
         "TK_Polyhedron::mangle_faces"),
        "Out of Memory (3).\n Allocation failed in TK_Polyhedron::mangle_faces",
    };
    int step = 0;
    try
    {
        remap(m_face_colors, new_count, map, Xyz);
        step = 1;
        remap(m_face_indices, new_count, map, 1);
        step = 2;
        remap(m_face_flags, new_count, map, 1);
        step = 3;
        remap(m_face_regions, new_count, map, 1);
    }
    catch (const std::bad_alloc&)
    {
        return tk.Error(failures[step]);
    }
    m_face_count = new_count;
    recount_face_attributes();
    return TK_Done;
}
