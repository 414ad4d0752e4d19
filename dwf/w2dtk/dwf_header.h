#pragma once

#include "dwf/w2dtk/object.h"

// "(W2D V06.00)": names the format and its version at the start of a stream.
class WT_DWF_Header : public WT_Object
{
public:
    WT_Type object_type() const override { return Structure; }
    WT_ID object_id() const override { return DWF_Header_ID; }
    int action_slot() const override { return 19; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;

    int major_version() const { return m_major; }
    int minor_version() const { return m_minor; }

private:
    int m_major = 0;
    int m_minor = 0;
};
