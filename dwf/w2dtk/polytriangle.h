#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/point_set.h"

// A triangle strip: each point after the second closes a triangle with the
// two before it. Consecutive strips that share an edge are joined into one
// while the first waits in the file.
class WT_Polytriangle : public WT_Drawable, public WT_Point_Set
{
public:
    // Attributes a polytriangle depends on.
    static constexpr std::uint32_t Sync_Mask = 0x2F210D;

    WT_Polytriangle() = default;
    WT_Polytriangle(int count, const WT_Logical_Point* points, bool copy)
        : WT_Point_Set(count, points, copy)
    {
    }
    WT_Polytriangle(const WT_Polytriangle& other) = default;

    WT_ID object_id() const override { return Polytriangle_ID; }
    int action_slot() const override { return 62; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // Fewer than three points draw nothing and write nothing.
    WT_Result serialize(WT_File& file) override;
    WT_Result delay(WT_File& file) override;
    WT_Result dump(WT_File& file) override;
    // Joins a strip that shares an edge with an end of this one; a single
    // triangle is turned so that it continues the strip.
    bool merge(const WT_Drawable& other) override;
    void update_bounds(WT_File& file) override;
};
