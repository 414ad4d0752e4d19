#include "dwf/w2dtk/named_view.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/point_transform.h"

#include <algorithm>
#include <memory>

WT_Named_View::WT_Named_View(const WT_Named_View& other)
    : WT_Item(other), WT_Object(other), m_view(other.m_view), m_name(other.m_name)
{
}

WT_Named_View& WT_Named_View::operator=(const WT_Named_View& other)
{
    if (this != &other)
    {
        WT_Object::operator=(other);
        m_view = other.m_view;
        m_name = other.m_name;
        m_written = false;
        m_stage = 0;
    }
    return *this;
}

bool WT_Named_View::operator==(const WT_Named_View& other) const
{
    return m_view && other.m_view && m_view->m_min == other.m_view->m_min &&
           m_view->m_max == other.m_view->m_max && m_name == other.m_name;
}

WT_Result WT_Named_View::serialize(WT_File& file)
{
    if (m_written)
        return WT_Result_Success;
    if (!m_view)
        return WT_Result_Usage_Error; // nothing to name yet
    WT_CHECK(begin_serialize(file));
    WT_Logical_Point a = m_view->m_min;
    WT_Logical_Point b = m_view->m_max;
    if (file.heuristics().m_apply_transform)
    {
        a = transform_point(a, file.heuristics().m_transform);
        b = transform_point(b, file.heuristics().m_transform);
    }
    WT_Logical_Point const low(std::min(a.m_x, b.m_x), std::min(a.m_y, b.m_y));
    WT_Logical_Point const high(std::max(a.m_x, b.m_x), std::max(a.m_y, b.m_y));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(NamedView "));
    WT_CHECK(file.write_ascii(low));
    WT_CHECK(file.write(" "));
    WT_CHECK(file.write_ascii(high));
    WT_CHECK(file.write(" "));
    WT_CHECK(m_name.serialize(file));
    WT_CHECK(file.write(")"));
    m_written = true;
    return WT_Result_Success;
}

WT_Result WT_Named_View::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    auto fail = [this](WT_Result result)
    {
        if (result != WT_Result_Waiting_For_Data)
            m_stage = 0;
        return result;
    };
    if (m_stage == 0)
    {
        WT_Result r = file.read_ascii(m_read_box);
        if (r != WT_Result_Success)
            return fail(r);
        if (file.heuristics().m_apply_transform)
        {
            // Read views are moved, then scaled; no rotation applies here.
            WT_Transform const& t = file.heuristics().m_transform;
            bool clamped = false;
            auto place = [&](std::int32_t c, std::int32_t offset, double scale)
            { return wt_clamp_coordinate((double(c) + double(offset)) * scale, clamped); };
            for (WT_Logical_Point* p : {&m_read_box.m_min, &m_read_box.m_max})
                *p = WT_Logical_Point(place(p->m_x, t.m_translate_x, t.m_x_scale),
                                      place(p->m_y, t.m_translate_y, t.m_y_scale));
        }
        m_view = m_read_box;
        m_stage = 1;
    }
    if (m_stage == 1)
    {
        WT_Result r = m_name.materialize(file);
        if (r != WT_Result_Success)
            return fail(r);
        m_stage = 2;
    }
    WT_Result r = opcode.skip_operand(file);
    if (r != WT_Result_Success)
        return fail(r);
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Named_View::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}

WT_Result WT_Named_View::default_process(WT_File& file)
{
    file.rendition().mark_metadata_changed(WT_Attribute_Set::Named_Views_Bit);
    file.rendition().metadata().named_views().add(std::make_shared<WT_Named_View>(*this));
    return WT_Result_Success;
}

WT_Result WT_Named_View::record_as_last_written(WT_File& file) const
{
    return const_cast<WT_Named_View*>(this)->default_process(file);
}
