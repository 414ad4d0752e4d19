#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/point_set.h"

// A chain of line segments; two points make a line. Consecutive polylines
// that share an end point are joined while the first one waits in the file.
class WT_Polyline : public WT_Drawable, public WT_Point_Set
{
public:
    // Attributes a polyline depends on (the fill is forced off on top).
    static constexpr std::uint32_t Sync_Mask = 0x2FA53D;

    WT_Polyline() = default;
    WT_Polyline(int count, const WT_Logical_Point* points, bool copy)
        : WT_Point_Set(count, points, copy)
    {
    }
    WT_Polyline(const WT_Polyline& other) = default;

    WT_ID object_id() const override { return Polyline_ID; }
    int action_slot() const override { return 60; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // Syncs the rendition, then joins the pending polyline or waits itself.
    WT_Result serialize(WT_File& file) override;
    WT_Result delay(WT_File& file) override;
    WT_Result dump(WT_File& file) override;
    bool merge(const WT_Drawable& other) override;
    void update_bounds(WT_File& file) override;
};
