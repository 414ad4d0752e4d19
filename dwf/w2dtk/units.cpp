#include "dwf/w2dtk/units.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/point_transform.h"

WT_Logical_Point WT_Units::transform_to_logical(double x, double y) const
{
    WT_Matrix const& m = m_matrix;
    double tx = m.element(0) * x + m.element(4) * y + m.element(12);
    double ty = m.element(1) * x + m.element(5) * y + m.element(13);
    double const w = m.element(3) * x + m.element(7) * y + m.element(15);
    if (w > 0 && w != 1.0)
    {
        tx /= w;
        ty /= w;
    }
    bool clamped = false;
    return WT_Logical_Point(wt_clamp_coordinate(tx, clamped), wt_clamp_coordinate(ty, clamped));
}

WT_Result WT_Units::write_units(WT_File& file) const
{
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(Units "));
    WT_CHECK(m_name.serialize(file));
    WT_CHECK(file.write(" "));

    WT_Matrix matrix = m_matrix;
    WT_File::WT_File_Heuristics const& h = file.heuristics();
    if (h.m_apply_transform)
    {
        matrix.element(12) += h.m_transform.m_translate_x;
        matrix.element(13) += h.m_transform.m_translate_y;
        matrix.element(0) *= h.m_transform.m_x_scale;
        matrix.element(5) *= h.m_transform.m_y_scale;
        if (h.m_transform.m_rotation != 0 && h.m_apply_transform_to_units_matrix)
        {
            try
            {
                wt_rotate_matrix(matrix, h.m_transform.m_rotation);
            }
            catch (WT_Result result)
            {
                return result;
            }
        }
    }
    WT_CHECK(matrix.serialize(file));
    return file.write(")");
}

WT_Result WT_Units::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    return write_units(file);
}

WT_Result WT_Units::materialize_operand(const WT_Opcode& opcode, WT_File& file)
{
    for (;;)
    {
        switch (m_stage)
        {
        case 0:
            WT_CHECK(file.skip_whitespace());
            m_stage = 1;
            break;
        case 1:
            WT_CHECK(m_name.materialize(file));
            m_stage = 2;
            break;
        case 2:
            WT_CHECK(m_matrix.materialize(file));
            m_stage = 3;
            break;
        default:
            WT_CHECK(opcode.skip_operand(file));
            m_stage = 0;
            set_materialized();
            return WT_Result_Success;
        }
    }
}

WT_Result WT_Units::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII || !opcode.is("(Units"))
        return WT_Result_Foreign_Opcode;
    return materialize_operand(opcode, file);
}

WT_Result WT_Units::default_process(WT_File& file)
{
    file.rendition().units() = *this;
    return WT_Result_Success;
}

WT_Result WT_Units::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}
