#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

// Brackets a named group of opcodes. Reading a group switches the current
// object node: to the node of that name (defining it when new), and back to
// node 0 at the group's end.
class WT_Group_Begin : public WT_Object
{
public:
    WT_Group_Begin() = default;
    explicit WT_Group_Begin(const WT_String& name) : m_name(name) {}

    const WT_String& name() const { return m_name; }
    void set_name(const WT_String& name) { m_name = name; }

    WT_Type object_type() const override { return Structure; }
    WT_ID object_id() const override { return Group_Begin_ID; }
    int action_slot() const override { return 32; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;

private:
    WT_String m_name;
    int m_stage = 0;
};

class WT_Group_End : public WT_Object
{
public:
    WT_Type object_type() const override { return Structure; }
    WT_ID object_id() const override { return Group_End_ID; }
    int action_slot() const override { return 33; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
};
