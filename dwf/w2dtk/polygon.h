#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/point_set.h"

// A filled area bounded by its points.
class WT_Polygon : public WT_Drawable, public WT_Point_Set
{
public:
    // Attributes a polygon depends on (the fill is forced on on top).
    static constexpr std::uint32_t Sync_Mask = 0x2F210D;

    WT_Polygon() = default;
    WT_Polygon(int count, const WT_Logical_Point* points, bool copy)
        : WT_Point_Set(count, points, copy)
    {
    }

    WT_ID object_id() const override { return Polygon_ID; }
    int action_slot() const override { return 59; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    void update_bounds(WT_File& file) override;
};
