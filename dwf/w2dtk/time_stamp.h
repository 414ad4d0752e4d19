#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

#include <cstdint>

// A time stamp of the drawing or of its source: a time and two texts, which
// the toolkit carries without interpreting: "(Created 1170000000 'x' 'y')".
// Written even when both texts are empty.
class WT_Timestamp : public WT_Object
{
public:
    WT_Timestamp() = default;
    WT_Timestamp(std::int32_t time, const WT_String& first, const WT_String& second)
        : m_first(first), m_time(time), m_second(second)
    {
    }

    std::int32_t time() const { return m_time; }
    const WT_String& first_text() const { return m_first; }
    const WT_String& second_text() const { return m_second; }
    void set(std::int32_t time, const WT_String& first, const WT_String& second)
    {
        m_time = time;
        m_first = first;
        m_second = second;
    }

    virtual const char* opcode_name() const = 0;
    virtual std::uint32_t metadata_bit() const = 0;

    WT_Type object_type() const override { return Definition; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result default_process(WT_File& file) override;

    bool operator==(const WT_Timestamp& other) const
    {
        return object_id() == other.object_id() && m_time == other.m_time &&
               m_first == other.m_first && m_second == other.m_second;
    }

private:
    WT_String m_first;
    std::int32_t m_time = 0;
    WT_String m_second;
    int m_stage = 0;
};

class WT_Created : public WT_Timestamp
{
public:
    using WT_Timestamp::WT_Timestamp;
    WT_ID object_id() const override { return Created_ID; }
    int action_slot() const override { return 13; }
    const char* opcode_name() const override { return "Created"; }
    std::uint32_t metadata_bit() const override { return 0x10; }
};

class WT_Modified : public WT_Timestamp
{
public:
    using WT_Timestamp::WT_Timestamp;
    WT_ID object_id() const override { return Modified_ID; }
    int action_slot() const override { return 46; }
    const char* opcode_name() const override { return "Modified"; }
    std::uint32_t metadata_bit() const override { return 0x20; }
};

class WT_Source_Created : public WT_Timestamp
{
public:
    using WT_Timestamp::WT_Timestamp;
    WT_ID object_id() const override { return Source_Created_ID; }
    int action_slot() const override { return 65; }
    const char* opcode_name() const override { return "SourceCreated"; }
    std::uint32_t metadata_bit() const override { return 0x80; }
};

class WT_Source_Modified : public WT_Timestamp
{
public:
    using WT_Timestamp::WT_Timestamp;
    WT_ID object_id() const override { return Source_Modified_ID; }
    int action_slot() const override { return 67; }
    const char* opcode_name() const override { return "SourceModified"; }
    std::uint32_t metadata_bit() const override { return 0x100; }
};
