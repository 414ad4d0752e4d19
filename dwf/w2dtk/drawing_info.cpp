#include "dwf/w2dtk/drawing_info.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/point_transform.h"

namespace
{
bool waiting(WT_Result result)
{
    return result == WT_Result_Waiting_For_Data || result == WT_Result_End_Of_Input;
}

// These attributes exist only in the extended ASCII form; whatever form is
// met, skipping passes over the operand so that reading stays in step.
WT_Result skip_ascii_operand(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    return opcode.skip_operand(file);
}
} // namespace

// ---------------------------------------------------------------- plot optimized

WT_Result WT_Plot_Optimized::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    if (m_stage == 0)
    {
        std::int32_t value = 0;
        WT_CHECK(file.read_ascii(value));
        m_optimized = value != 0;
        m_stage = 1;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Plot_Optimized::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return skip_ascii_operand(opcode, file);
}

WT_Result WT_Plot_Optimized::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(PlotOptimized "));
    WT_CHECK(file.write(m_optimized ? "1" : "0"));
    return file.write(")");
}

WT_Result WT_Plot_Optimized::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_drawing_info_changed(WT_Attribute_Set::Plot_Optimized_Bit);
    if (*this == current.plot_optimized())
        return WT_Result_Success;
    current.plot_optimized() = *this;
    return serialize(file);
}

bool WT_Plot_Optimized::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Plot_Optimized_ID &&
           static_cast<const WT_Plot_Optimized&>(other).m_optimized == m_optimized;
}

WT_Result WT_Plot_Optimized::default_process(WT_File& file)
{
    file.rendition().plot_optimized() = *this;
    file.rendition().mark_drawing_info_changed(WT_Attribute_Set::Plot_Optimized_Bit);
    return WT_Result_Success;
}

// ---------------------------------------------------------------- inked area

WT_Result WT_Inked_Area::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    while (m_stage < 4)
    {
        WT_Result result = file.read_ascii(m_reading[std::size_t(m_stage)]);
        if (result != WT_Result_Success)
        {
            if (!waiting(result))
                m_stage = 0;
            return result;
        }
        ++m_stage;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    m_corners = m_reading;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Inked_Area::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return skip_ascii_operand(opcode, file);
}

WT_Result WT_Inked_Area::serialize(WT_File& file)
{
    if (file.target_version() >= 600)
        return WT_Result_Usage_Error;
    WT_CHECK(begin_serialize(file));
    if (!m_corners)
        return WT_Result_Success;
    Corners corners = *m_corners;
    if (file.heuristics().m_apply_transform)
    {
        try
        {
            for (WT_Logical_Point& corner : corners)
                wt_transform_point(corner, file.heuristics().m_transform);
        }
        catch (WT_Result result)
        {
            return result; // a rotation other than the four right angles
        }
    }
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(InkedArea "));
    WT_CHECK(file.write_ascii(corners.size(), corners.data()));
    return file.write(")");
}

WT_Result WT_Inked_Area::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_drawing_info_changed(WT_Attribute_Set::Inked_Area_Bit);
    if (*this == current.inked_area())
        return WT_Result_Success;
    current.inked_area() = *this;
    return serialize(file);
}

bool WT_Inked_Area::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Inked_Area_ID &&
           static_cast<const WT_Inked_Area&>(other).m_corners == m_corners;
}

WT_Result WT_Inked_Area::default_process(WT_File& file)
{
    file.rendition().inked_area() = *this;
    file.rendition().mark_drawing_info_changed(WT_Attribute_Set::Inked_Area_Bit);
    return WT_Result_Success;
}

// ---------------------------------------------------------------- pen pattern options

WT_Result WT_Pen_Pat_Options::materialize(const WT_Opcode& opcode, WT_File& file)
{
    if (opcode.type() != WT_Opcode::Extended_ASCII)
        return WT_Result_Foreign_Opcode;
    while (m_stage < 4)
    {
        std::int32_t value = 0;
        WT_Result result = file.read_ascii(value);
        if (result != WT_Result_Success)
        {
            if (!waiting(result))
                m_stage = 0;
            return result;
        }
        m_reading[std::size_t(m_stage)] = value != 0;
        ++m_stage;
    }
    WT_CHECK(opcode.skip_operand(file));
    m_stage = 0;
    m_flags = m_reading;
    set_materialized();
    return WT_Result_Success;
}

WT_Result WT_Pen_Pat_Options::skip_operand(const WT_Opcode& opcode, WT_File& file)
{
    return skip_ascii_operand(opcode, file);
}

WT_Result WT_Pen_Pat_Options::serialize(WT_File& file)
{
    WT_CHECK(begin_serialize(file));
    WT_CHECK(file.write_tab_level());
    WT_CHECK(file.write("(PenPat_Options "));
    for (bool on : m_flags)
        WT_CHECK(file.write(on ? "1 " : "0 "));
    return file.write(")");
}

WT_Result WT_Pen_Pat_Options::sync(WT_File& file)
{
    WT_Attribute_Set& current = file.rendition();
    current.mark_drawing_info_changed(WT_Attribute_Set::Pen_Pat_Options_Bit);
    if (*this == current.pen_pat_options())
        return WT_Result_Success;
    current.pen_pat_options() = *this;
    return serialize(file);
}

bool WT_Pen_Pat_Options::operator==(const WT_Attribute& other) const
{
    return other.object_id() == Pen_Pat_Options_ID &&
           static_cast<const WT_Pen_Pat_Options&>(other).m_flags == m_flags;
}

WT_Result WT_Pen_Pat_Options::default_process(WT_File& file)
{
    file.rendition().pen_pat_options() = *this;
    file.rendition().mark_drawing_info_changed(WT_Attribute_Set::Pen_Pat_Options_Bit);
    return WT_Result_Success;
}
