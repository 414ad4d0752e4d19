#include "dwf/w2dtk/polygon.h"

#include "dwf/w2dtk/drawable_attributes.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Polygon::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_CHECK(read_points(opcode, file));
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Polygon::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return skip_points(opcode, file);
}

WT_Result WT_Polygon::serialize(WT_File& file)
{
    if (count() == 0)
        return WT_Result_Usage_Error;
    WT_CHECK(begin_serialize(file));
    std::uint32_t mask = Sync_Mask;
    wt_require_fill(file, true, mask);
    WT_CHECK(file.desired_rendition().sync(file, mask));
    return write_points(file, "P", 'p', 0x10);
}

void WT_Polygon::update_bounds(WT_File& file)
{
    WT_Logical_Box box;
    if (points_box(file, box))
    {
        widen_bounds(box.m_min);
        widen_bounds(box.m_max);
    }
}
