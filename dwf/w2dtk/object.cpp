#include "dwf/w2dtk/object.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Object::process(WT_File& file)
{
    return file.call_action(action_slot(), *this);
}

WT_Result WT_Object::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return materialize(opcode, file);
}

WT_Result WT_Object::begin_serialize(WT_File& file)
{
    WT_CHECK(file.dump_delayed_drawable());
    file.desired_rendition().mark_changed(WT_Attribute_Set::Block_Ref_Bit);
    return file.desired_rendition().sync(file, WT_Attribute_Set::Block_Ref_Bit);
}

WT_Result WT_Object::default_process(WT_File&)
{
    return WT_Result_Success;
}

WT_Result WT_Drawable::delay(WT_File&)
{
    return WT_Result_Not_Available;
}

WT_Result WT_Drawable::dump(WT_File&)
{
    return WT_Result_Not_Available;
}

bool WT_Drawable::merge(const WT_Drawable&)
{
    throw WT_Result_Not_Available;
}

void WT_Drawable::update_bounds(WT_File&) {}

void WT_Drawable::widen_bounds(const WT_Logical_Point& point)
{
    if (!m_has_bounds)
    {
        m_bounds = WT_Logical_Box(point, point);
        m_has_bounds = true;
        return;
    }
    if (point.m_x < m_bounds.m_min.m_x)
        m_bounds.m_min.m_x = point.m_x;
    if (point.m_y < m_bounds.m_min.m_y)
        m_bounds.m_min.m_y = point.m_y;
    if (point.m_x > m_bounds.m_max.m_x)
        m_bounds.m_max.m_x = point.m_x;
    if (point.m_y > m_bounds.m_max.m_y)
        m_bounds.m_max.m_y = point.m_y;
}

WT_Result WT_Option::skip_option(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.first_byte() == '(')
        return opcode.skip_operand(file);
    return WT_Result_Success;
}
