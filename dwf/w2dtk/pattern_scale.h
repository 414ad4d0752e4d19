#pragma once

#include "dwf/w2dtk/object.h"

// The scale of a line or fill pattern; an option of the line style and of the
// fill pattern, named after its owner in the stream.
class WT_Option_Pattern_Scale : public WT_Option
{
public:
    explicit WT_Option_Pattern_Scale(WT_ID owner, double scale = 0.0)
        : m_owner(owner), m_scale(scale)
    {
    }

    double value() const { return m_scale; }
    void set(double scale) { m_scale = scale; }

    WT_ID object_id() const override { return Line_Style_Option_ID; }
    // Reads the scale and the rest of the option up to its ")".
    WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) override;
    // "(LinePatternScale 2.5)" or "(FillPatternScale 2.5)", on a line of its own.
    WT_Result serialize_option(WT_File& file) override;

private:
    WT_ID m_owner;
    double m_scale;
    int m_stage = 0;
};
