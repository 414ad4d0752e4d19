#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>

// How the sheet is fitted to the device: "normal", "stretch" or "chop". Only
// its own serialize or sync writes it; drawables never sync it.
class WT_Projection : public WT_Attribute
{
public:
    enum WT_Projection_Type
    {
        Normal = 0,
        Stretch = 1,
        Chop = 2,
    };

    WT_Projection() = default;
    explicit WT_Projection(std::int32_t rule) : m_rule(rule) {}

    std::int32_t projection() const { return m_rule; }
    void set(std::int32_t rule) { m_rule = rule; }

    WT_ID object_id() const override { return Projection_ID; }
    int action_slot() const override { return 63; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    // WT_Result_Not_Available for a rule outside 0 to 2.
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    // Nothing is recorded for a projection read.
    WT_Result default_process(WT_File&) override { return WT_Result_Success; }

private:
    std::int32_t m_rule = Normal;
    int m_stage = 0;
};
