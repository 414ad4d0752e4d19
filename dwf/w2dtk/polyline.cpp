#include "dwf/w2dtk/polyline.h"

#include "dwf/w2dtk/delayed_copy.h"
#include "dwf/w2dtk/drawable_attributes.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

#include <memory>
#include <new>

namespace
{
bool is_line_opcode(const WT_Opcode& opcode)
{
    std::uint8_t const b = opcode.first_byte();
    return b == 0x0C || b == 'l' || b == 'L';
}
} // namespace

WT_Result WT_Polyline::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    WT_CHECK(is_line_opcode(opcode) ? read_line(opcode, file) : read_points(opcode, file));
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Polyline::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte)
        return WT_Result_Foreign_Opcode;
    return is_line_opcode(opcode) ? skip_line(opcode, file) : skip_points(opcode, file);
}

WT_Result WT_Polyline::serialize(WT_File& file)
{
    if (count() == 0)
        return WT_Result_Usage_Error;
    // No flush of the pending drawable here: it may be this one's neighbour
    // in a chain. An attribute that has to be written flushes it itself.
    std::uint32_t mask = Sync_Mask;
    wt_require_fill(file, false, mask);
    WT_CHECK(file.desired_rendition().sync(file, mask));
    return file.merge_or_delay_drawable(*this);
}

WT_Result WT_Polyline::delay(WT_File& file)
{
    return wt_delay_copy(file, *this);
}

WT_Result WT_Polyline::dump(WT_File& file)
{
    if (count() == 2)
        return write_line(file);
    return write_points(file, "P", 'p', 0x10);
}

bool WT_Polyline::merge(const WT_Drawable& other)
{
    if (other.object_id() != Polyline_ID)
        return false;
    return merge_points(static_cast<const WT_Polyline&>(other));
}

void WT_Polyline::update_bounds(WT_File& file)
{
    WT_Logical_Box box;
    if (points_box(file, box))
    {
        widen_bounds(box.m_min);
        widen_bounds(box.m_max);
    }
}
