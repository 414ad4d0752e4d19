#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>

// The width of lines, in logical units.
class WT_Line_Weight : public WT_Attribute
{
public:
    WT_Line_Weight() = default;
    explicit WT_Line_Weight(std::int32_t weight) : m_weight(weight) {}

    std::int32_t weight_value() const { return m_weight; }
    void set_weight_value(std::int32_t weight) { m_weight = weight; }

    WT_ID object_id() const override { return Line_Weight_ID; }
    int action_slot() const override { return 42; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    std::int32_t m_weight = 0;
    int m_stage = 0;
};
