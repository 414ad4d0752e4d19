#include "dwf/w2dtk/origin.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"

WT_Result WT_Origin::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte || opcode.first_byte() != 'O')
        return WT_Result_Foreign_Opcode;
    std::int32_t xy[2];
    WT_CHECK(file.read(2, xy));
    m_origin = WT_Logical_Point(xy[0], xy[1]);
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Origin::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Single_Byte || opcode.first_byte() != 'O')
        return WT_Result_Foreign_Opcode;
    file.skip(8);
    return WT_Result_Success;
}

WT_Result WT_Origin::serialize(WT_File& file)
{
    return serialize(file, true);
}

WT_Result WT_Origin::serialize(WT_File& file, bool make_current)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_byte('O'));
    WT_CHECK(file.write_s32(m_origin.m_x));
    WT_CHECK(file.write_s32(m_origin.m_y));
    if (make_current)
        file.update_current_point(m_origin);
    return WT_Result_Success;
}

WT_Result WT_Origin::default_process(WT_File& file)
{
    file.set_current_point(m_origin);
    return WT_Result_Success;
}
