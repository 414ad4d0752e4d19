#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/object.h"

// Sets the file's current point, from which the relative point forms count.
class WT_Origin : public WT_Drawable
{
public:
    WT_Origin() = default;
    explicit WT_Origin(const WT_Logical_Point& origin) : m_origin(origin) {}

    const WT_Logical_Point& origin() const { return m_origin; }

    WT_ID object_id() const override { return Origin_ID; }
    int action_slot() const override { return 51; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // Writes the origin and makes it the current point.
    WT_Result serialize(WT_File& file) override;
    // "O" and the absolute point. Point lists that announce their first point
    // this way have already moved the current point themselves, so they pass
    // make_current false.
    WT_Result serialize(WT_File& file, bool make_current);
    WT_Result default_process(WT_File& file) override;

private:
    WT_Logical_Point m_origin;
};
