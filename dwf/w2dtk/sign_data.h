#pragma once

#include "dwf/w2dtk/guid_list.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"

#include <cstdint>
#include <vector>

// Signature bytes, optionally with the GUIDs of what they sign. Streams of
// version 6 and later have none.
class WT_Sign_Data : public WT_Object
{
public:
    WT_Sign_Data() = default;

    WT_Guid_List& guids() { return m_guids; }
    const WT_Guid_List& guids() const { return m_guids; }
    const std::vector<std::uint8_t>& data() const { return m_data; }
    void set_data(std::vector<std::uint8_t> data) { m_data = std::move(data); }

    WT_Type object_type() const override { return Structure; }
    WT_ID object_id() const override { return Sign_Data_ID; }
    int action_slot() const override { return 64; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;

private:
    WT_Result read_body(const WT_Opcode& opcode, WT_File& file);

    WT_Guid_List m_guids;
    std::vector<std::uint8_t> m_data;

    int m_stage = 0;
    std::uint64_t m_operand_start = 0;
    std::uint32_t m_size = 0;
    WT_Opcode m_scratch;
};
