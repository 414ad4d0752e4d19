#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/point_set.h"

// Marker positions. Consecutive polymarkers are joined into one while the
// first waits in the file.
class WT_Polymarker : public WT_Drawable, public WT_Point_Set
{
public:
    // Attributes a polymarker depends on; the marker symbol joins them when
    // markers have a size.
    static constexpr std::uint32_t Sync_Mask = 0x2C214D;
    static constexpr std::uint32_t Sync_Mask_With_Symbol = 0x2C21CD;

    WT_Polymarker() = default;
    WT_Polymarker(int count, const WT_Logical_Point* points, bool copy)
        : WT_Point_Set(count, points, copy)
    {
    }
    WT_Polymarker(const WT_Polymarker& other) = default;

    WT_ID object_id() const override { return Polymarker_ID; }
    int action_slot() const override { return 61; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result delay(WT_File& file) override;
    WT_Result dump(WT_File& file) override;
    // Always joins: the other's points follow this one's.
    bool merge(const WT_Drawable& other) override;
    void update_bounds(WT_File& file) override;
};
