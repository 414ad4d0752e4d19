#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>

// The size of polymarker symbols, in logical units.
class WT_Marker_Size : public WT_Attribute
{
public:
    WT_Marker_Size() = default;
    explicit WT_Marker_Size(std::int32_t size) : m_size(size) {}

    std::int32_t size() const { return m_size; }
    void set(std::int32_t size) { m_size = size; }

    WT_ID object_id() const override { return Marker_Size_ID; }
    int action_slot() const override { return 43; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    std::int32_t m_size = 0;
};
