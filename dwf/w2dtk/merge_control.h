#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>

// How coincident lines combine: "(LinesOverwrite 'opaque')".
class WT_Merge_Control : public WT_Attribute
{
public:
    // The stored numbers, compared as they are.
    enum WT_Merge_Format
    {
        Opaque = 309,
        Merge = 310,
        Transparent = 311,
    };

    WT_Merge_Control() = default;
    explicit WT_Merge_Control(std::int32_t rule) : m_rule(rule) {}

    std::int32_t merge_control() const { return m_rule; }
    void set_merge_control(std::int32_t rule) { m_rule = rule; }

    WT_ID object_id() const override { return Merge_Control_ID; }
    int action_slot() const override { return 45; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    std::int32_t m_rule = Opaque;
    int m_stage = 0;
};
