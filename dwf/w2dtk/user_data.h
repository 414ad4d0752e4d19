#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

#include <cstdint>
#include <vector>

// Opaque bytes of an application, with a description of what they are.
class WT_User_Data : public WT_Object
{
public:
    WT_User_Data() = default;
    WT_User_Data(const WT_String& description, std::vector<std::uint8_t> data)
        : m_description(description), m_data(std::move(data))
    {
    }

    const WT_String& description() const { return m_description; }
    const std::vector<std::uint8_t>& data() const { return m_data; }
    void set(const WT_String& description, std::vector<std::uint8_t> data)
    {
        m_description = description;
        m_data = std::move(data);
    }

    WT_Type object_type() const override { return Structure; }
    WT_ID object_id() const override { return User_Data_ID; }
    int action_slot() const override { return 75; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;

private:
    WT_Result read_body(const WT_Opcode& opcode, WT_File& file);

    WT_String m_description;
    std::vector<std::uint8_t> m_data;

    int m_stage = 0;
    std::uint64_t m_operand_start = 0;
    std::uint32_t m_size = 0;
};

// Bytes a description takes as an always-quoted 8-bit string.
std::uint64_t wt_quoted_length(const char* text);
