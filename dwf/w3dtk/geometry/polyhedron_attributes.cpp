// The attribute section of shells and meshes: one record per attribute (all
// items or the listed ones), face regions, a collection, then a 0 byte.
// Its layouts and how it is written; polyhedron_attributes_read.cpp reads it.
#include "dwf/w3dtk/geometry/polyhedron.h"

#include "dwf/w3dtk/geometry/face_regions.h"
#include "dwf/w3dtk/geometry/polyhedron_section.h"
#include "dwf/w3dtk/geometry/quantiser.h"
#include "dwf/w3dtk/geometry/record_io.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <new>

using w3d::geometry::index_width;
using w3d::geometry::Record_Bytes;
using namespace w3d::geometry::section;

TK_Polyhedron::Layout TK_Polyhedron::layout_of(Kind kind, bool raw, int version)
{
    Layout layout;
    if (raw)
    {
        layout.data = Layout::Floats;
        return layout;
    }
    bool const indices = kind == Kind::Vertex_Indices || kind == Kind::Face_Indices;
    layout.components = indices ? 1 : 3;
    if (version < Packed_Version)
    {
        layout.scheme = layout.bits = kind == Kind::Normals || kind == Kind::Parameters;
        layout.box_after_bits = kind == Kind::Parameters;
        layout.data = indices ? Layout::Floats : Layout::Bytes;
        return layout;
    }
    layout.scheme = layout.bits = layout.length = true;
    layout.box_before_bits = kind == Kind::Parameters || indices;
    layout.data = Layout::Packed;
    return layout;
}

// ---- writing

TK_Status TK_Polyhedron::Write(BStreamFileToolkit& tk)
{
    try
    {
        return write_section(tk);
    }
    catch (const std::bad_alloc&)
    {
        return tk.Error();
    }
}

TK_Status TK_Polyhedron::write_section(BStreamFileToolkit& tk)
{
    static const Attribute order[] = {
        {Kind::Normals, 0},        {Kind::Parameters, 0},     {Kind::Vertex_Colors, 0},
        {Kind::Vertex_Colors, 1},  {Kind::Vertex_Colors, 2},  {Kind::Vertex_Indices, 0},
        {Kind::Vertex_Indices, 1}, {Kind::Vertex_Indices, 2}, {Kind::Face_Colors, 0},
        {Kind::Face_Indices, 0},
    };
    constexpr int Attributes = static_cast<int>(sizeof order / sizeof order[0]);
    constexpr int Regions = Attributes, Collection = Attributes + 1, End = Attributes + 2;

    if (m_section_stage == 0 && m_record_stage == 0)
        TK_TRY(check_arrays(tk));
    while (m_section_stage < Attributes)
    {
        TK_TRY(write_attribute(tk, order[m_section_stage]));
        ++m_section_stage;
    }
    if (m_section_stage == Regions)
    {
        if (!m_face_regions.empty() && m_face_count > 0 && tk.GetTargetVersion() >= Regions_Version)
            TK_TRY(write_face_regions(tk));
        ++m_section_stage;
    }
    if (m_section_stage == Collection)
    {
        if (!m_collection.empty())
            TK_TRY(write_section_collection(tk));
        ++m_section_stage;
    }
    if (m_section_stage == End)
    {
        TK_TRY(PutData(tk, static_cast<unsigned char>(Sub_End)));
        m_section_stage = 0;
        return TK_Done;
    }
    return tk.Error("internal error in TK_Polyhedron::Write");
}

TK_Status TK_Polyhedron::write_attribute(BStreamFileToolkit& tk, const Attribute& attribute)
{
    switch (m_record_stage)
    {
    case 0:
    {
        bool skip = false;
        TK_TRY(prepare_attribute(tk, attribute, skip));
        if (skip)
            return TK_Done;
        ++m_record_stage;
    }
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_header.data(), static_cast<int>(m_header.size())));
        ++m_record_stage;
        [[fallthrough]];
    case 2:
        if (m_payload_packed)
            TK_TRY(PutData(tk, m_encoded.data(), m_encoded_length));
        else
            TK_TRY(PutData(tk, m_raw.data(), static_cast<int>(m_raw.size())));
        m_record_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Polyhedron::write_attribute");
    }
}

// Quantises (or gathers) the attribute's values and assembles the record's
// bytes up to its data, so the record is then written in two steps.
TK_Status TK_Polyhedron::prepare_attribute(BStreamFileToolkit& tk, const Attribute& attribute,
                                           bool& skip)
{
    int const version = tk.GetTargetVersion();
    std::vector<float>& values = array_of(attribute);
    int const items = items_of(attribute.kind);
    skip = values.empty() || count_of(attribute) <= 0 || items <= 0;
    if (skip)
        return TK_Done;
    std::vector<std::uint32_t> const& flags = flags_of(attribute.kind);
    std::uint32_t const flag = flag_of(attribute);
    std::vector<int> listed;
    for (int i = 0; i < items && static_cast<std::size_t>(i) < flags.size(); ++i)
        if (flags[static_cast<std::size_t>(i)] & flag)
            listed.push_back(i);
    skip = listed.empty();
    if (skip)
        return TK_Done;
    bool const all = static_cast<int>(listed.size()) == items;
    int const count = static_cast<int>(listed.size());

    bool const normals = attribute.kind == Kind::Normals;
    bool const raw = normals && tk.GetWriteFlag(TK_Option_Raw_Normals);
    bool const polar = normals && version >= Polar_Version;
    Layout layout = layout_of(attribute.kind, raw, version);
    if (polar)
        layout.components = 2;
    unsigned char sub_opcode = 0;
    int bits = 8;
    const float* fixed_box = nullptr;
    switch (attribute.kind)
    {
    case Kind::Normals:
        sub_opcode = raw ? (polar ? Sub_Raw_Polar_Normals : Sub_Raw_Normals) : Sub_Normals;
        if (version >= Packed_Version)
            bits = tk.GetNumNormalBits() / (polar ? 2 : 3);
        fixed_box = polar ? Polar_Box : Unit_Box;
        break;
    case Kind::Parameters:
        sub_opcode = Sub_Parameters;
        if (version >= Packed_Version)
            bits = tk.GetNumParameterBits() / 3;
        break;
    case Kind::Vertex_Colors:
        sub_opcode = static_cast<unsigned char>(Sub_Vertex_Colors + 2 * attribute.channel);
        if (version >= Packed_Version)
            bits = tk.GetNumColorBits() / 3;
        fixed_box = Colour_Box;
        break;
    case Kind::Vertex_Indices:
        sub_opcode = static_cast<unsigned char>(Sub_Vertex_Indices + 2 * attribute.channel);
        bits = tk.GetNumIndexBits();
        break;
    case Kind::Face_Colors:
        sub_opcode = Sub_Face_Colors;
        if (version >= Packed_Version)
            bits = tk.GetNumColorBits() / 3;
        fixed_box = Colour_Box;
        break;
    case Kind::Face_Indices:
        sub_opcode = Sub_Face_Indices;
        bits = tk.GetNumIndexBits();
        break;
    }
    if (!all)
        ++sub_opcode;
    bool const vertex = attribute.kind < Kind::Face_Colors;
    if (vertex)
        m_compression_scheme = polar ? Scheme_Polar : Scheme_Trivial;

    // Polar pairs go to scratch memory: the normals stay as they are, so a
    // write that is repeated or fails leaves them intact.
    std::vector<float> pairs;
    const float* source = values.data();
    if (polar)
    {
        pairs.resize(static_cast<std::size_t>(items) * 2);
        for (int const i : listed)
            to_polar(&values[static_cast<std::size_t>(i) * 3],
                     &pairs[static_cast<std::size_t>(i) * 2]);
        source = pairs.data();
    }
    int const d = layout.components;

    std::fill(std::begin(m_attribute_box), std::end(m_attribute_box), 0.0f);
    m_raw.clear();
    m_payload_packed = layout.data != Layout::Floats;
    const std::uint32_t* some = all ? nullptr : flags.data();
    if (layout.data == Layout::Floats)
    {
        m_raw.reserve(static_cast<std::size_t>(count) * static_cast<std::size_t>(d));
        for (int const i : listed)
            m_raw.insert(m_raw.end(), source + static_cast<std::size_t>(i) * d,
                         source + static_cast<std::size_t>(i + 1) * d);
    }
    else if (layout.data == Layout::Bytes)
        TK_TRY(w3d::eb::quantize_and_pack_bytes(tk, items, source, fixed_box, some, flag,
                                                m_attribute_box, m_encoded, &m_encoded_length));
    else
        TK_TRY(w3d::eb::quantize_and_pack_floats(tk, items, d, source, fixed_box, some, flag, bits,
                                                 fixed_box ? nullptr : m_attribute_box, m_encoded,
                                                 &m_encoded_length));
    m_bits_per_sample = static_cast<unsigned char>(bits);

    Record_Bytes out(m_header);
    out.u8(sub_opcode);
    if (layout.scheme)
        out.u8(m_compression_scheme);
    if (layout.box_before_bits)
        for (float const value : m_attribute_box)
            out.f32(value);
    if (layout.bits)
        out.u8(static_cast<unsigned>(bits));
    if (layout.box_after_bits)
        for (float const value : m_attribute_box)
            out.f32(value);
    if (!all)
    {
        int const w = index_width(items);
        out.sized(count, w);
        for (int const i : listed)
            out.sized(i, w);
    }
    if (layout.length)
        out.i32(m_encoded_length);
    return TK_Done;
}

TK_Status TK_Polyhedron::write_face_regions(BStreamFileToolkit& tk)
{
    switch (m_record_stage)
    {
    case 0:
        m_header = w3d::geometry::encode_face_regions(m_face_regions.data(), m_face_count);
        m_header.insert(m_header.begin(), Sub_Face_Regions);
        ++m_record_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_header.data(), static_cast<int>(m_header.size())));
        m_record_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Polyhedron::write_face_regions");
    }
}

TK_Status TK_Polyhedron::write_section_collection(BStreamFileToolkit& tk)
{
    switch (m_record_stage)
    {
    case 0:
        if (tk.GetTargetVersion() >= Regions_Version)
            TK_TRY(PutData(tk, static_cast<unsigned char>(Sub_Collection)));
        ++m_record_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(write_collection(tk, false, 0));
        m_record_stage = 0;
        return TK_Done;
    default:
        return tk.Error("internal error in TK_Polyhedron::write_collection");
    }
}
