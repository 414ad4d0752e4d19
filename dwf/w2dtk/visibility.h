#pragma once

#include "dwf/w2dtk/object.h"

// Whether the drawables that follow are shown: "V" on, "v" off.
class WT_Visibility : public WT_Attribute
{
public:
    WT_Visibility() = default;
    explicit WT_Visibility(bool visible) : m_visible(visible) {}

    bool visibility() const { return m_visible; }
    void set(bool visible) { m_visible = visible; }

    WT_ID object_id() const override { return Visibility_ID; }
    int action_slot() const override { return 78; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    bool m_visible = true;
};
