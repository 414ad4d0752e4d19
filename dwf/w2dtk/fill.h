#pragma once

#include "dwf/w2dtk/object.h"

// Whether closed figures are filled: "F" on, "f" off, in both stream forms.
class WT_Fill : public WT_Attribute
{
public:
    WT_Fill() = default;
    explicit WT_Fill(bool on) : m_on(on) {}

    bool fill() const { return m_on; }
    void set(bool on) { m_on = on; }

    WT_ID object_id() const override { return Fill_ID; }
    int action_slot() const override { return 25; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    bool m_on = false;
};
