#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>
#include <vector>

// An opcode the reader does not know, kept byte for byte (token and operand)
// so that it can be written back unchanged.
class WT_Unknown : public WT_Object
{
public:
    WT_Unknown() = default;
    // Bytes of one complete opcode with its operand, to be written as they are.
    WT_Unknown(const void* bytes, std::size_t count);

    WT_Type object_type() const override { return Unknown; }
    WT_ID object_id() const override { return Unknown_ID; }
    int action_slot() const override { return 73; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;

    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
    int m_stage = 0;
};
