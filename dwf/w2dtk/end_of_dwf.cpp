#include "dwf/w2dtk/end_of_dwf.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_End_Of_DWF::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(EndOfDWF)"));
    // Both forms end with a line break, so the trailer can be found from the end.
    return file.write("\r\n");
}

WT_Result WT_End_Of_DWF::materialize(const WT_Opcode& opcode, WT_File& file)
{
    WT_CHECK(opcode.skip_operand(file));
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_End_Of_DWF::default_process(WT_File&)
{
    return WT_Result_End_Of_Stream;
}
