#include "dwf/w3dtk/geometry/polyhedron.h"

#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace
{
// Components per item of each per-vertex array.
constexpr int Xyz = 3;

template <class T> void release(std::vector<T>& values)
{
    std::vector<T>().swap(values);
}

// Resizes a present array to `items` items of `width` values; an absent one stays absent.
template <class T> void fit(std::vector<T>& values, int items, int width)
{
    if (!values.empty())
        values.resize(static_cast<std::size_t>(items) * static_cast<std::size_t>(width));
}

bool matches(const std::vector<float>& values, int items, int width)
{
    return values.empty() ||
           values.size() == static_cast<std::size_t>(items) * static_cast<std::size_t>(width);
}

// Copies `source` into `values` (items x width), allocating zeros when absent
// and `source` is null.
template <class T> void fill(std::vector<T>& values, const T* source, int items, int width)
{
    std::size_t const size = static_cast<std::size_t>(items) * static_cast<std::size_t>(width);
    if (source)
        values.assign(source, source + size);
    else if (values.size() != size)
        values.assign(size, T{});
}

} // namespace

TK_Polyhedron::TK_Polyhedron(int opcode) : BBaseOpcodeHandler(opcode)
{
    TK_Polyhedron::Reset();
}

TK_Polyhedron::~TK_Polyhedron() = default;

void TK_Polyhedron::serialize(TK_Key key)
{
    m_key = key != 0 ? key : -1;
    BBaseOpcodeHandler::serialize(key);
}

void TK_Polyhedron::release_arrays()
{
    release(m_points);
    release(m_normals);
    release(m_parameters);
    release(m_face_colors);
    release(m_face_indices);
    for (int c = 0; c < Channels; ++c)
    {
        release(m_vertex_colors[static_cast<std::size_t>(c)]);
        release(m_vertex_indices[static_cast<std::size_t>(c)]);
    }
    release(m_face_regions);
    release(m_vertex_flags);
    release(m_face_flags);
}

void TK_Polyhedron::Reset()
{
    release_arrays();
    m_point_count = 0;
    m_face_count = 0;
    m_normal_count = m_parameter_count = m_face_color_count = m_face_index_count = 0;
    m_vertex_color_count.fill(0);
    m_vertex_index_count.fill(0);
    m_subop = 0;
    m_subop2 = 0;
    m_compression_scheme = 0;
    m_bits_per_sample = 0;
    std::fill(std::begin(m_bbox), std::end(m_bbox), 0.0f);
    m_key = -1;
    m_replacement.reset();
    // The encoded-data buffer is kept: consecutive records reuse it.
    m_encoded_length = 0;
    m_collection.clear();

    m_points_stage = m_section_stage = m_record_stage = m_item = 0;
    m_collection_stage = m_collection_item = 0;
    m_sub_opcode = 0;
    m_read_count = m_read_length = 0;
    release(m_header);
    release(m_raw);
    m_payload_packed = false;
    m_record = Record();
    std::fill(std::begin(m_attribute_box), std::end(m_attribute_box), 0.0f);
    m_region_compression = 0;
    m_region_runs = 0;
    release(m_region_entries);
    m_reading_collection = false;
    m_member_opcode = 0;
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Polyhedron::InitSubop(BStreamFileToolkit& tk, int lod_level, bool bounding_allowed)
{
    m_subop = 0;
    m_subop2 = 0;
    if (bounding_allowed && tk.GetWriteFlag(TK_Option_Bounding_Shells) && lod_level != 0)
        m_subop |= Subop_Bounding_Only;
    if (!tk.GetWriteFlag(TK_Option_Raw_Points))
        m_subop |= Subop_Quantized;
    if (tk.GetWriteFlag(TK_Option_Connectivity))
        m_subop |= Subop_Connectivity;
    m_subop |= Subop_Always;
    if (tk.GetWriteFlag(TK_Option_Global_Quantisation) && tk.GetWorldBounding())
    {
        m_subop |= Subop_Second_Word;
        m_subop2 = Subop2_Global_Quantization;
    }
    if (!tk.GetWriteFlag(TK_Option_Plain_Faces))
        m_subop |= Subop_Triangle_Strips;
    return TK_Done;
}

// ---- setters

TK_Status TK_Polyhedron::SetPoints(int count, const float* points)
{
    if (count < 0)
        return TK_Error;
    try
    {
        fill(m_points, points, count, Xyz);
        m_point_count = count;
        fit_vertex_arrays();
    }
    catch (const std::bad_alloc&)
    {
        return TK_Error;
    }
    return TK_Done;
}

TK_Status TK_Polyhedron::SetVertexNormals(const float* normals)
{
    try
    {
        fill(m_normals, normals, m_point_count, Xyz);
        m_vertex_flags.resize(static_cast<std::size_t>(m_point_count));
    }
    catch (const std::bad_alloc&)
    {
        return TK_Error;
    }
    m_normal_count = 0;
    for (int i = 0; i < m_point_count; ++i)
    {
        const float* n = &m_normals[static_cast<std::size_t>(i) * Xyz];
        std::uint32_t& flags = m_vertex_flags[static_cast<std::size_t>(i)];
        if (n[0] != 0.0f || n[1] != 0.0f || n[2] != 0.0f)
        {
            flags |= Vertex_Normal;
            ++m_normal_count;
        }
        else
            flags &= ~std::uint32_t{Vertex_Normal};
    }
    return TK_Done;
}

namespace
{
// Sets `flag` on every item.
void flag_all(std::vector<std::uint32_t>& flags, int items, std::uint32_t flag)
{
    flags.resize(static_cast<std::size_t>(items));
    for (std::uint32_t& f : flags)
        f |= flag;
}
} // namespace

TK_Status TK_Polyhedron::SetVertexParameters(const float* parameters)
{
    Attribute const attribute{Kind::Parameters, 0};
    try
    {
        fill(m_parameters, parameters, m_point_count, Xyz);
        flag_all(m_vertex_flags, m_point_count, flag_of(attribute));
    }
    catch (const std::bad_alloc&)
    {
        return TK_Error;
    }
    m_parameter_count = m_point_count;
    return TK_Done;
}

TK_Status TK_Polyhedron::SetVertexColors(int channel, const float* colors)
{
    if (channel < 0 || channel >= Channels)
        return TK_Error;
    Attribute const attribute{Kind::Vertex_Colors, channel};
    try
    {
        fill(array_of(attribute), colors, m_point_count, Xyz);
        flag_all(m_vertex_flags, m_point_count, flag_of(attribute));
    }
    catch (const std::bad_alloc&)
    {
        return TK_Error;
    }
    count_of(attribute) = m_point_count;
    return TK_Done;
}

TK_Status TK_Polyhedron::SetVertexIndices(int channel, const float* indices)
{
    if (channel < 0 || channel >= Channels)
        return TK_Error;
    Attribute const attribute{Kind::Vertex_Indices, channel};
    try
    {
        fill(array_of(attribute), indices, m_point_count, 1);
        flag_all(m_vertex_flags, m_point_count, flag_of(attribute));
    }
    catch (const std::bad_alloc&)
    {
        return TK_Error;
    }
    count_of(attribute) = m_point_count;
    return TK_Done;
}

TK_Status TK_Polyhedron::SetFaceColors(const float* colors)
{
    try
    {
        fill(m_face_colors, colors, m_face_count, Xyz);
        flag_all(m_face_flags, m_face_count, Face_Color);
    }
    catch (const std::bad_alloc&)
    {
        return TK_Error;
    }
    m_face_color_count = m_face_count;
    return TK_Done;
}

TK_Status TK_Polyhedron::SetFaceIndices(const float* indices)
{
    try
    {
        fill(m_face_indices, indices, m_face_count, 1);
        flag_all(m_face_flags, m_face_count, Face_Index);
    }
    catch (const std::bad_alloc&)
    {
        return TK_Error;
    }
    m_face_index_count = m_face_count;
    return TK_Done;
}

TK_Status TK_Polyhedron::SetFaceRegions(const int* regions)
{
    try
    {
        fill(m_face_regions, regions, m_face_count, 1);
    }
    catch (const std::bad_alloc&)
    {
        return TK_Error;
    }
    return TK_Done;
}

namespace
{
// Makes one item carry an attribute of `width` values: allocates the array and
// the flags when absent, copies the values, sets the flag and counts the item
// when it did not carry the attribute yet.
TK_Status set_item(std::vector<float>& values, std::vector<std::uint32_t>& flags, int& count,
                   int items, int item, const float* value, int width, std::uint32_t flag)
{
    if (item < 0 || item >= items || !value)
        return TK_Error;
    try
    {
        if (values.empty())
            values.assign(static_cast<std::size_t>(items) * static_cast<std::size_t>(width), 0.0f);
        flags.resize(static_cast<std::size_t>(items));
    }
    catch (const std::bad_alloc&)
    {
        return TK_Error;
    }
    std::copy_n(value, width, values.begin() + static_cast<long>(item) * width);
    std::uint32_t& f = flags[static_cast<std::size_t>(item)];
    if (!(f & flag))
    {
        f |= flag;
        ++count;
    }
    return TK_Done;
}
} // namespace

TK_Status TK_Polyhedron::SetVertexNormal(int vertex, const float normal[3])
{
    return set_item(m_normals, m_vertex_flags, m_normal_count, m_point_count, vertex, normal, Xyz,
                    Vertex_Normal);
}

TK_Status TK_Polyhedron::SetVertexParameter(int vertex, const float parameter[3])
{
    return set_item(m_parameters, m_vertex_flags, m_parameter_count, m_point_count, vertex,
                    parameter, Xyz, Vertex_Parameter);
}

TK_Status TK_Polyhedron::SetVertexColor(int channel, int vertex, const float color[3])
{
    if (channel < 0 || channel >= Channels)
        return TK_Error;
    Attribute const attribute{Kind::Vertex_Colors, channel};
    return set_item(array_of(attribute), m_vertex_flags, count_of(attribute), m_point_count, vertex,
                    color, Xyz, flag_of(attribute));
}

TK_Status TK_Polyhedron::SetVertexIndex(int channel, int vertex, float index)
{
    if (channel < 0 || channel >= Channels)
        return TK_Error;
    Attribute const attribute{Kind::Vertex_Indices, channel};
    return set_item(array_of(attribute), m_vertex_flags, count_of(attribute), m_point_count, vertex,
                    &index, 1, flag_of(attribute));
}

TK_Status TK_Polyhedron::SetFaceColor(int face, const float color[3])
{
    return set_item(m_face_colors, m_face_flags, m_face_color_count, m_face_count, face, color, Xyz,
                    Face_Color);
}

TK_Status TK_Polyhedron::SetFaceIndex(int face, float index)
{
    return set_item(m_face_indices, m_face_flags, m_face_index_count, m_face_count, face, &index, 1,
                    Face_Index);
}

void TK_Polyhedron::SetBounding(const float box[6])
{
    std::copy_n(box, 6, m_bbox);
}

const float* TK_Polyhedron::GetVertexColors(int channel) const
{
    return channel >= 0 && channel < Channels
               ? data_or_null(m_vertex_colors[static_cast<std::size_t>(channel)])
               : nullptr;
}

const float* TK_Polyhedron::GetVertexIndices(int channel) const
{
    return channel >= 0 && channel < Channels
               ? data_or_null(m_vertex_indices[static_cast<std::size_t>(channel)])
               : nullptr;
}

int TK_Polyhedron::GetVertexColorCount(int channel) const
{
    return channel >= 0 && channel < Channels
               ? m_vertex_color_count[static_cast<std::size_t>(channel)]
               : 0;
}

int TK_Polyhedron::GetVertexIndexCount(int channel) const
{
    return channel >= 0 && channel < Channels
               ? m_vertex_index_count[static_cast<std::size_t>(channel)]
               : 0;
}

bool TK_Polyhedron::HasVertexAttributes() const
{
    if (!m_normals.empty() || !m_parameters.empty())
        return true;
    for (int c = 0; c < Channels; ++c)
        if (!m_vertex_colors[static_cast<std::size_t>(c)].empty() ||
            !m_vertex_indices[static_cast<std::size_t>(c)].empty())
            return true;
    return false;
}

bool TK_Polyhedron::HasFaceAttributes() const
{
    return !m_face_colors.empty() || !m_face_indices.empty() || !m_face_regions.empty();
}

void TK_Polyhedron::AppendToCollection(std::unique_ptr<BBaseOpcodeHandler> member)
{
    if (member)
        m_collection.push_back(std::move(member));
}

void TK_Polyhedron::SetReplacement(std::unique_ptr<BBaseOpcodeHandler> replacement)
{
    m_replacement = std::move(replacement);
}

// ---- attribute bookkeeping

std::vector<float>& TK_Polyhedron::array_of(const Attribute& attribute)
{
    auto const channel = static_cast<std::size_t>(attribute.channel);
    switch (attribute.kind)
    {
    case Kind::Normals:
        return m_normals;
    case Kind::Parameters:
        return m_parameters;
    case Kind::Vertex_Colors:
        return m_vertex_colors[channel];
    case Kind::Vertex_Indices:
        return m_vertex_indices[channel];
    case Kind::Face_Colors:
        return m_face_colors;
    case Kind::Face_Indices:
    default:
        return m_face_indices;
    }
}

std::vector<std::uint32_t>& TK_Polyhedron::flags_of(Kind kind)
{
    return kind >= Kind::Face_Colors ? m_face_flags : m_vertex_flags;
}

std::uint32_t TK_Polyhedron::flag_of(const Attribute& attribute) const
{
    switch (attribute.kind)
    {
    case Kind::Normals:
        return Vertex_Normal;
    case Kind::Parameters:
        return Vertex_Parameter;
    case Kind::Vertex_Colors:
        return std::uint32_t{Vertex_Color} << attribute.channel;
    case Kind::Vertex_Indices:
        return std::uint32_t{Vertex_Index} << attribute.channel;
    case Kind::Face_Colors:
        return Face_Color;
    case Kind::Face_Indices:
    default:
        return Face_Index;
    }
}

int& TK_Polyhedron::count_of(const Attribute& attribute)
{
    auto const channel = static_cast<std::size_t>(attribute.channel);
    switch (attribute.kind)
    {
    case Kind::Normals:
        return m_normal_count;
    case Kind::Parameters:
        return m_parameter_count;
    case Kind::Vertex_Colors:
        return m_vertex_color_count[channel];
    case Kind::Vertex_Indices:
        return m_vertex_index_count[channel];
    case Kind::Face_Colors:
        return m_face_color_count;
    case Kind::Face_Indices:
    default:
        return m_face_index_count;
    }
}

namespace
{
struct Counted
{
    std::vector<float>* values;
    std::uint32_t flag;
    int* count;
};

// Counts the items whose flags carry each attribute; an absent attribute's bit
// is cleared everywhere.
void recount(std::vector<std::uint32_t>& flags, Counted* attributes, int n)
{
    for (int a = 0; a < n; ++a)
    {
        Counted& attribute = attributes[a];
        *attribute.count = 0;
        for (std::uint32_t& f : flags)
        {
            if (attribute.values->empty())
                f &= ~attribute.flag;
            else if (f & attribute.flag)
                ++*attribute.count;
        }
    }
}
} // namespace

void TK_Polyhedron::recount_vertex_attributes()
{
    Counted attributes[2 + 2 * Channels] = {
        {&m_normals, Vertex_Normal, &m_normal_count},
        {&m_parameters, Vertex_Parameter, &m_parameter_count},
    };
    for (int c = 0; c < Channels; ++c)
    {
        auto const at = static_cast<std::size_t>(c);
        attributes[2 + c] = {&m_vertex_colors[at], std::uint32_t{Vertex_Color} << c,
                             &m_vertex_color_count[at]};
        attributes[2 + Channels + c] = {&m_vertex_indices[at], std::uint32_t{Vertex_Index} << c,
                                        &m_vertex_index_count[at]};
    }
    recount(m_vertex_flags, attributes, 2 + 2 * Channels);
}

void TK_Polyhedron::recount_face_attributes()
{
    Counted attributes[2] = {
        {&m_face_colors, Face_Color, &m_face_color_count},
        {&m_face_indices, Face_Index, &m_face_index_count},
    };
    recount(m_face_flags, attributes, 2);
}

void TK_Polyhedron::fit_vertex_arrays()
{
    fit(m_normals, m_point_count, Xyz);
    fit(m_parameters, m_point_count, Xyz);
    for (int c = 0; c < Channels; ++c)
    {
        fit(m_vertex_colors[static_cast<std::size_t>(c)], m_point_count, Xyz);
        fit(m_vertex_indices[static_cast<std::size_t>(c)], m_point_count, 1);
    }
    fit(m_vertex_flags, m_point_count, 1);
    recount_vertex_attributes();
}

void TK_Polyhedron::set_face_count(int count)
{
    m_face_count = count < 0 ? 0 : count;
    fit(m_face_colors, m_face_count, Xyz);
    fit(m_face_indices, m_face_count, 1);
    fit(m_face_regions, m_face_count, 1);
    fit(m_face_flags, m_face_count, 1);
    recount_face_attributes();
}

TK_Status TK_Polyhedron::check_arrays(BStreamFileToolkit& tk) const
{
    bool ok =
        matches(m_points, m_point_count, Xyz) && matches(m_normals, m_point_count, Xyz) &&
        matches(m_parameters, m_point_count, Xyz) && matches(m_face_colors, m_face_count, Xyz) &&
        matches(m_face_indices, m_face_count, 1) &&
        (m_face_regions.empty() ||
         m_face_regions.size() == static_cast<std::size_t>(m_face_count)) &&
        (m_vertex_flags.empty() ||
         m_vertex_flags.size() == static_cast<std::size_t>(m_point_count)) &&
        (m_face_flags.empty() || m_face_flags.size() == static_cast<std::size_t>(m_face_count));
    for (int c = 0; c < Channels; ++c)
        ok = ok && matches(m_vertex_colors[static_cast<std::size_t>(c)], m_point_count, Xyz) &&
             matches(m_vertex_indices[static_cast<std::size_t>(c)], m_point_count, 1);
    if (!ok)
        return tk.Error("polyhedron attribute arrays do not match its point and face counts");
    return TK_Done;
}
