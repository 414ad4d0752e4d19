#pragma once

#include "dwf/w2dtk/object.h"

// "(EndOfDWF)": the last object of a stream. Processing it ends a reading loop
// with WT_Result_End_Of_Stream.
class WT_End_Of_DWF : public WT_Object
{
public:
    WT_Type object_type() const override { return Structure; }
    WT_ID object_id() const override { return End_Of_DWF_ID; }
    int action_slot() const override { return 23; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result default_process(WT_File& file) override;
};
