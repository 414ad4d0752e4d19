#include "dwf/w2dtk/pattern_scale.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Option_Pattern_Scale::materialize_option(const WT_Opcode& opcode, WT_File& file)
{
    if (m_stage == 0)
    {
        WT_CHECK(file.read_ascii(m_scale));
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Option_Pattern_Scale::serialize_option(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write(m_owner == Fill_Pattern_ID ? "(FillPatternScale " : "(LinePatternScale "));
    WT_CHECK(file.write_ascii(m_scale));
    return file.write(")");
}
