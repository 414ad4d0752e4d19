#pragma once

#include "dwf/w2dtk/object.h"

#include <cstdint>

// The code page of the stream's 8-bit text.
class WT_Code_Page : public WT_Attribute
{
public:
    WT_Code_Page() = default;
    explicit WT_Code_Page(std::int32_t page) : m_page(page) {}

    std::int32_t number() const { return m_page; }
    void set(std::int32_t page) { m_page = page; }

    WT_ID object_id() const override { return Code_Page_ID; }
    int action_slot() const override { return 6; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    std::int32_t m_page = 1252;
    int m_stage = 0;
};
