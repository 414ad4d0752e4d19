#include "dwf/w2dtk/polymarker.h"

#include "dwf/w2dtk/delayed_copy.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/point_list_forms.h"

#include <memory>
#include <new>
#include <vector>

namespace
{
constexpr std::uint8_t Ascii_Opcode = 'M';
constexpr std::uint8_t Opcode_32 = 'm';
constexpr std::uint8_t Opcode_16 = 0x8D;
} // namespace

WT_Result WT_Polymarker::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_Opcode points_opcode;
    if (!wt_as_point_set_opcode(opcode, Ascii_Opcode, Opcode_32, Opcode_16, points_opcode))
        return WT_Result_Foreign_Opcode;
    WT_CHECK(read_points(points_opcode, file));
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Polymarker::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    WT_Opcode points_opcode;
    if (!wt_as_point_set_opcode(opcode, Ascii_Opcode, Opcode_32, Opcode_16, points_opcode))
        return WT_Result_Foreign_Opcode;
    return skip_points(points_opcode, file);
}

WT_Result WT_Polymarker::serialize(WT_File& file)
{
    if (count() == 0)
        return WT_Result_Usage_Error; // a count of 0 has no encoding
    WT_Attribute_Set& desired = file.desired_rendition();
    desired.mark_changed(WT_Attribute_Set::Marker_Size_Bit);
    std::uint32_t const mask = desired.marker_size().size() > 0 ? Sync_Mask_With_Symbol : Sync_Mask;
    WT_CHECK(desired.sync(file, mask));
    return file.merge_or_delay_drawable(*this);
}

WT_Result WT_Polymarker::delay(WT_File& file)
{
    return wt_delay_copy(file, *this);
}

WT_Result WT_Polymarker::dump(WT_File& file)
{
    return write_points(file, "M", Opcode_32, Opcode_16);
}

bool WT_Polymarker::merge(const WT_Drawable& other)
{
    if (other.object_id() != Polymarker_ID)
        return false;
    auto const& markers = static_cast<const WT_Polymarker&>(other);
    // Points already put through the output transform are not mixed with
    // points that are still to go through it.
    if (transformed() || markers.transformed() || markers.count() == 0)
        return false;
    // What waits to be merged stays the size of one binary record.
    if (std::size_t(count()) + std::size_t(markers.count()) > std::size_t(Max_Binary_Count))
        return false;
    append_points(markers);
    return true;
}

void WT_Polymarker::update_bounds(WT_File& file)
{
    WT_Logical_Box box;
    if (points_box(file, box))
    {
        widen_bounds(box.m_min);
        widen_bounds(box.m_max);
    }
}
