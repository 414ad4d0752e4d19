#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/matrix.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/string.h"

// The drawing's own units: the matrix from drawing units to logical units and
// the units' name ("mm", "in", ...).
class WT_Units : public WT_Object
{
public:
    WT_Units() = default;
    WT_Units(const WT_Matrix& matrix, const WT_String& name) : m_matrix(matrix), m_name(name) {}

    const WT_Matrix& application_to_dwf_transform() const { return m_matrix; }
    const WT_String& units() const { return m_name; }
    void set_application_to_dwf_transform(const WT_Matrix& matrix) { m_matrix = matrix; }
    void set_units(const WT_String& name) { m_name = name; }

    // Maps a point in drawing units to logical units: through the matrix,
    // divided by w when w is positive and not 1, truncated towards zero and
    // saturated to the 32-bit range.
    WT_Logical_Point transform_to_logical(double x, double y) const;

    bool operator==(const WT_Units& other) const
    {
        return m_name == other.m_name && m_matrix == other.m_matrix;
    }
    bool operator!=(const WT_Units& other) const { return !(*this == other); }

    WT_Type object_type() const override { return Definition; }
    WT_ID object_id() const override { return Units_ID; }
    int action_slot() const override { return 72; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    // Passes over the operand to its closing parenthesis without reading it.
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result default_process(WT_File& file) override;

    // The operand after "(Units": name and matrix, then the closing ")".
    WT_Result materialize_operand(const WT_Opcode& opcode, WT_File& file);
    // "(Units name matrix)" with the file's transform folded into the matrix.
    WT_Result write_units(WT_File& file) const;

private:
    WT_Matrix m_matrix;
    WT_String m_name;
    int m_stage = 0;
};
