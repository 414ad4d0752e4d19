#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>

// The symbol drawn by polymarkers, by number.
class WT_Marker_Symbol : public WT_Attribute
{
public:
    WT_Marker_Symbol() = default;
    explicit WT_Marker_Symbol(std::int32_t symbol) : m_symbol(symbol) {}

    std::int32_t symbol() const { return m_symbol; }
    void set(std::int32_t symbol) { m_symbol = symbol; }

    WT_ID object_id() const override { return Marker_Symbol_ID; }
    int action_slot() const override { return 44; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    // "G" and the number, in binary files too.
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    std::int32_t m_symbol = 0;
};
