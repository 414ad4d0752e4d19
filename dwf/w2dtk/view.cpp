#include "dwf/w2dtk/view.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/point_transform.h"

#include <algorithm>

namespace
{
WT_Logical_Box normalized(const WT_Logical_Point& a, const WT_Logical_Point& b)
{
    return WT_Logical_Box(WT_Logical_Point(std::min(a.m_x, b.m_x), std::min(a.m_y, b.m_y)),
                          WT_Logical_Point(std::max(a.m_x, b.m_x), std::max(a.m_y, b.m_y)));
}
} // namespace

WT_Result WT_View::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(View "));
    if (m_named)
        WT_CHECK(m_name.serialize(file, true));
    else
    {
        WT_Logical_Point lo = m_view.m_min;
        WT_Logical_Point hi = m_view.m_max;
        if (file.heuristics().m_apply_transform)
        {
            // A rotation swaps which corner is lowest; normalising below
            // makes the pair a box again.
            try
            {
                wt_transform_point(lo, file.heuristics().m_transform);
                wt_transform_point(hi, file.heuristics().m_transform);
            }
            catch (WT_Result result)
            {
                return result;
            }
        }
        WT_Logical_Box const box = normalized(lo, hi);
        WT_CHECK(file.write_ascii(box.m_min));
        WT_CHECK(file.write(" "));
        WT_CHECK(file.write_ascii(box.m_max));
    }
    return file.write(")");
}

WT_Result WT_View::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_drawing_info_changed(WT_Attribute_Set::View_Bit);
    if (*this == current.view() && m_named == current.view().m_named)
        return WT_Result_Success;
    if (m_named)
        return WT_Result_Undefined_Reference;
    current.view() = *this;
    return serialize(file);
}

bool WT_View::operator==(const WT_Attribute& other) const
{
    if (other.object_id() != View_ID)
        return false;
    return m_view == static_cast<const WT_View&>(other).m_view;
}

WT_Result WT_View::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII || !opcode.is("(View"))
        return WT_Result_Foreign_Opcode;
    for (;;)
    {
        switch (m_stage)
        {
        case 0:
        {
            WT_CHECK(file.skip_whitespace());
            std::uint8_t c = 0;
            WT_CHECK(file.read_byte(c));
            file.put_back(c);
            // Named views need the file's named view definitions, of which
            // it holds none: such a view cannot be resolved.
            if (c == '\'')
                return WT_Result_Corrupt_Stream;
            m_stage = 1;
            break;
        }
        case 1:
        {
            WT_Logical_Box box;
            WT_CHECK(file.read_ascii(box));
            m_view = box;
            m_named = false;
            m_stage = 2;
            break;
        }
        default:
            WT_CHECK(opcode.skip_operand(file));
            m_stage = 0;
            if (file.heuristics().m_apply_transform)
            {
                WT_Logical_Point lo = m_view.m_min;
                WT_Logical_Point hi = m_view.m_max;
                try
                {
                    if (!wt_transform_point(lo, file.heuristics().m_transform) ||
                        !wt_transform_point(hi, file.heuristics().m_transform))
                        return WT_Result_Corrupt_Stream;
                }
                catch (WT_Result result)
                {
                    return result;
                }
                m_view = normalized(lo, hi);
            }
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_View::default_process(WT_File& file)
{
    file.rendition().view() = *this;
    file.rendition().mark_drawing_info_changed(WT_Attribute_Set::View_Bit);
    return WT_Result_Success;
}

WT_Result WT_View::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}
