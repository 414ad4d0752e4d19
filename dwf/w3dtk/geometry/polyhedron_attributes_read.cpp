// Reading the attribute section of shells and meshes, record by record, each
// checked against the items the polyhedron has.
#include "dwf/w3dtk/geometry/polyhedron.h"

#include "dwf/w3dtk/geometry/face_regions.h"
#include "dwf/w3dtk/geometry/polyhedron_section.h"
#include "dwf/w3dtk/geometry/quantiser.h"
#include "dwf/w3dtk/geometry/record_io.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <new>

using w3d::geometry::get_sized;
using w3d::geometry::index_width;
using w3d::geometry::read_in_pieces;
using namespace w3d::geometry::section;

TK_Status TK_Polyhedron::Read(BStreamFileToolkit& tk)
{
    try
    {
        return read_section(tk);
    }
    catch (const std::bad_alloc&)
    {
        return tk.Error();
    }
}

TK_Status TK_Polyhedron::read_section(BStreamFileToolkit& tk)
{
    switch (m_section_stage)
    {
    case 0:
        if (m_vertex_flags.size() != static_cast<std::size_t>(m_point_count))
            m_vertex_flags.assign(static_cast<std::size_t>(m_point_count), 0);
        if (m_face_flags.size() != static_cast<std::size_t>(m_face_count))
            m_face_flags.assign(static_cast<std::size_t>(m_face_count), 0);
        m_record_stage = 0;
        ++m_section_stage;
        [[fallthrough]];
    case 1:
        // Every record takes at least its sub-opcode byte, so this ends with the input.
        for (;;)
        {
            if (m_record_stage == 0)
            {
                TK_TRY(GetData(tk, m_sub_opcode));
                if (m_sub_opcode == Sub_End)
                {
                    m_section_stage = 0;
                    return TK_Done;
                }
                TK_TRY(begin_record(tk));
            }
            if (m_sub_opcode == Sub_Face_Regions)
                TK_TRY(read_face_regions(tk));
            else if (m_sub_opcode == Sub_Collection)
            {
                TK_TRY(read_collection(tk));
                m_record_stage = 0;
            }
            else
                TK_TRY(read_attribute(tk));
        }
    default:
        return tk.Error("internal error in TK_Polyhedron::Read");
    }
}

TK_Status TK_Polyhedron::begin_record(BStreamFileToolkit& tk)
{
    m_item = 0;
    m_record_stage = 1;
    if (m_sub_opcode == Sub_Face_Regions || m_sub_opcode == Sub_Collection)
        return TK_Done;

    Record record;
    unsigned const sub = m_sub_opcode;
    if (sub == 1 || sub == 2)
        record.attribute = {Kind::Normals, 0};
    else if (sub >= Sub_Raw_Normals && sub <= Sub_Raw_Normals + 3)
    {
        record.attribute = {Kind::Normals, 0};
        record.raw = true;
        record.polar = sub >= Sub_Raw_Polar_Normals;
    }
    else if (sub == 3 || sub == 4)
        record.attribute = {Kind::Parameters, 0};
    else if (sub >= Sub_Vertex_Colors && sub < Sub_Vertex_Colors + 6)
        record.attribute = {Kind::Vertex_Colors, static_cast<int>(sub - Sub_Vertex_Colors) / 2};
    else if (sub >= Sub_Vertex_Indices && sub < Sub_Vertex_Indices + 6)
        record.attribute = {Kind::Vertex_Indices, static_cast<int>(sub - Sub_Vertex_Indices) / 2};
    else if (sub == Sub_Face_Colors || sub == Sub_Face_Colors + 1)
        record.attribute = {Kind::Face_Colors, 0};
    else if (sub == Sub_Face_Indices || sub == Sub_Face_Indices + 1)
        record.attribute = {Kind::Face_Indices, 0};
    else
        return tk.Error("unrecognized case in TK_Polyhedron::Read");
    // Of each pair, the odd sub-opcode is the all-items record.
    record.some = (sub & 1) == 0;
    record.layout = layout_of(record.attribute.kind, record.raw, tk.GetReadVersion());
    if (record.polar)
        record.layout.components = 2;
    record.items = items_of(record.attribute.kind);
    record.count = record.some ? 0 : record.items;
    m_record = std::move(record);

    std::fill(std::begin(m_attribute_box), std::end(m_attribute_box), 0.0f);
    if (m_record.attribute.kind == Kind::Normals)
        std::copy_n(Unit_Box, 6, m_attribute_box);
    else if (m_record.attribute.kind == Kind::Vertex_Colors ||
             m_record.attribute.kind == Kind::Face_Colors)
        std::copy_n(Colour_Box, 6, m_attribute_box);
    return TK_Done;
}

namespace
{
const char* invalid_index_message(int kind, bool second_form)
{
    static const char* const messages[][2] = {
        {"invalid vertex normal index", "invalid vertex normal index (2)"},
        {"invalid vertex parameter index", "invalid vertex parameter index (2)"},
        {"invalid vertex index during set color", "invalid vertex index during set color(2)"},
        {"invalid vertex index during set color by index",
         "invalid vertex index during set color by index (2)"},
        {"invalid face index during set color", "invalid face index during set color (2)"},
        {"invalid face index during set color by index",
         "invalid face index during set color by index (2)"},
    };
    return messages[kind][second_form ? 1 : 0];
}
} // namespace

TK_Status TK_Polyhedron::read_attribute(BStreamFileToolkit& tk)
{
    Record& record = m_record;
    Layout& layout = record.layout;
    switch (m_record_stage)
    {
    case 1:
        if (layout.scheme)
        {
            TK_TRY(GetData(tk, m_compression_scheme));
            if (record.attribute.kind == Kind::Normals && !record.raw)
            {
                if (m_compression_scheme == Scheme_Repulse)
                    return tk.Error(
                        "Function not implemented build with repulse compression disabled");
                if (m_compression_scheme == Scheme_Polar && layout.data == Layout::Packed)
                {
                    record.polar = true;
                    layout.components = 2;
                    std::copy_n(Polar_Box, 4, m_attribute_box);
                }
            }
        }
        ++m_record_stage;
        [[fallthrough]];
    case 2:
        if (layout.box_before_bits)
            TK_TRY(GetData(tk, m_attribute_box, 6));
        ++m_record_stage;
        [[fallthrough]];
    case 3:
        if (layout.bits)
        {
            TK_TRY(GetData(tk, m_bits_per_sample));
            if (layout.data == Layout::Packed && (m_bits_per_sample < 1 || m_bits_per_sample > 32))
                return tk.Error("bad bits per sample in TK_Polyhedron::Read");
        }
        ++m_record_stage;
        [[fallthrough]];
    case 4:
        if (layout.box_after_bits)
            TK_TRY(GetData(tk, m_attribute_box, 6));
        ++m_record_stage;
        [[fallthrough]];
    case 5:
        if (record.some)
        {
            int count = 0;
            TK_TRY(get_sized(tk, index_width(record.items), count));
            if (count < 0 || count > record.items)
                return tk.Error("bad attribute count in TK_Polyhedron::Read");
            record.count = count;
        }
        m_item = 0;
        ++m_record_stage;
        [[fallthrough]];
    case 6:
        if (record.some)
        {
            int const width = index_width(record.items);
            TK_TRY(read_in_pieces(tk, record.list_bytes, record.count * width, m_item));
            record.list.resize(static_cast<std::size_t>(record.count));
            bool const second_form = record.raw || tk.GetReadVersion() < Packed_Version;
            for (int j = 0; j < record.count; ++j)
            {
                int const index = w3d::geometry::sized_value(
                    &record.list_bytes[static_cast<std::size_t>(j) * width], width);
                if (index < 0 || index >= record.items)
                    return tk.Error(invalid_index_message(static_cast<int>(record.attribute.kind),
                                                          second_form));
                record.list[static_cast<std::size_t>(j)] = index;
            }
        }
        m_item = 0;
        ++m_record_stage;
        [[fallthrough]];
    case 7:
    {
        int const d = layout.components;
        switch (layout.data)
        {
        case Layout::Packed:
        {
            TK_TRY(GetData(tk, record.length));
            int const needed = w3d::eb::packed_length(record.count, d, m_bits_per_sample);
            if (needed < 0 || record.length < needed)
                return tk.Error("bad packed length in TK_Polyhedron::Read");
            break;
        }
        case Layout::Bytes:
            record.length = record.count * 3;
            break;
        case Layout::Floats:
            record.length = record.count * d;
            break;
        }
        m_item = 0;
        ++m_record_stage;
    }
        [[fallthrough]];
    case 8:
        if (layout.data == Layout::Floats)
            TK_TRY(read_in_pieces(tk, record.values, record.length, m_item));
        else
            TK_TRY(read_in_pieces(tk, m_encoded, record.length, m_item));
        m_item = 0;
        ++m_record_stage;
        [[fallthrough]];
    case 9:
        TK_TRY(store_attribute(tk));
        m_record_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Polyhedron::read_attribute");
    }
}

// Decodes the record's values and gives them to the items it names.
TK_Status TK_Polyhedron::store_attribute(BStreamFileToolkit& tk)
{
    Record& record = m_record;
    int const d = record.layout.components;
    int const n = record.count;
    std::vector<float> decoded;
    switch (record.layout.data)
    {
    case Layout::Packed:
        decoded.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(d));
        TK_TRY(w3d::eb::unpack_and_dequantize_floats(tk, n, d, m_bits_per_sample, m_attribute_box,
                                                     m_encoded.data(), record.length,
                                                     decoded.data()));
        break;
    case Layout::Bytes:
        decoded.resize(static_cast<std::size_t>(n) * 3);
        TK_TRY(w3d::eb::unpack_and_dequantize_bytes(tk, n, m_attribute_box, m_encoded.data(),
                                                    record.length, decoded.data()));
        break;
    case Layout::Floats:
        decoded.swap(record.values);
        break;
    }
    if (record.polar)
    {
        std::vector<float> xyz(static_cast<std::size_t>(n) * 3);
        for (int j = 0; j < n; ++j)
            from_polar(&decoded[static_cast<std::size_t>(j) * 2],
                       &xyz[static_cast<std::size_t>(j) * 3]);
        decoded.swap(xyz);
    }

    Attribute const& attribute = record.attribute;
    int const width =
        attribute.kind == Kind::Vertex_Indices || attribute.kind == Kind::Face_Indices ? 1 : 3;
    int const items = record.items;
    std::vector<float>& values = array_of(attribute);
    std::size_t const size = static_cast<std::size_t>(items) * static_cast<std::size_t>(width);
    if (values.size() != size)
        values.assign(size, 0.0f);
    std::vector<std::uint32_t>& flags = flags_of(attribute.kind);
    flags.resize(static_cast<std::size_t>(items));
    std::uint32_t const flag = flag_of(attribute);
    if (!record.some)
    {
        std::copy_n(decoded.begin(), size, values.begin());
        for (std::uint32_t& f : flags)
            f |= flag;
        count_of(attribute) = items;
        return TK_Done;
    }
    for (std::uint32_t& f : flags)
        f &= ~flag;
    for (int j = 0; j < n; ++j)
    {
        int const i = record.list[static_cast<std::size_t>(j)];
        std::copy_n(decoded.begin() + static_cast<long>(j) * width, width,
                    values.begin() + static_cast<long>(i) * width);
        flags[static_cast<std::size_t>(i)] |= flag;
    }
    int& count = count_of(attribute);
    count = 0;
    for (std::uint32_t const f : flags)
        count += (f & flag) != 0;
    return TK_Done;
}

TK_Status TK_Polyhedron::read_face_regions(BStreamFileToolkit& tk)
{
    using namespace w3d::geometry;
    switch (m_record_stage)
    {
    case 1:
        TK_TRY(GetData(tk, m_region_compression));
        if (region_entry_width(m_region_compression) == 0)
            return tk.Error("unknown region compression");
        m_region_runs = m_face_count;
        ++m_record_stage;
        [[fallthrough]];
    case 2:
        if ((m_region_compression & Region_Form_Mask) != 0)
        {
            TK_TRY(get_sized(tk, region_entry_width(m_region_compression), m_region_runs));
            if (m_region_runs < 0 || m_region_runs > m_face_count)
                return tk.Error("bad face region count in TK_Polyhedron::read_face_regions");
        }
        m_item = 0;
        ++m_record_stage;
        [[fallthrough]];
    case 3:
    {
        int const width = region_entry_width(m_region_compression);
        long long const entries =
            region_entry_count(m_region_compression, m_region_runs, m_face_count);
        TK_TRY(read_in_pieces(tk, m_header, static_cast<int>(entries * width), m_item));
        m_region_entries.resize(static_cast<std::size_t>(entries));
        for (long long k = 0; k < entries; ++k)
        {
            const std::uint8_t* at = &m_header[static_cast<std::size_t>(k * width)];
            int const value = width == 1   ? static_cast<std::int8_t>(at[0])
                              : width == 2 ? static_cast<std::int16_t>(sized_value(at, 2))
                                           : sized_value(at, 4);
            m_region_entries[static_cast<std::size_t>(k)] = value;
        }
        m_item = 0;
        ++m_record_stage;
    }
        [[fallthrough]];
    case 4:
        if (!expand_face_regions(m_region_compression, m_region_entries, m_region_runs,
                                 m_face_count, m_face_regions))
            return tk.Error("bad face regions in TK_Polyhedron::read_face_regions");
        m_record_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Polyhedron::read_face_regions");
    }
}
