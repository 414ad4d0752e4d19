#pragma once

#include "dwf/w3dtk/geometry/polyhedron.h"

//
// Opcode 'M': a regular grid of rows x columns points, row after row, whose
// connectivity the grid implies: each cell of four neighbouring points makes
// two triangles, so the mesh has (2 x columns - 2) x (rows - 1) faces.
//
// The record: opcode; sub-option byte (0x01 quantised points, 0x08 attribute
// section, 0x80 second sub-option word, whose bit 0x0008 quantises against the
// toolkit's world bounding box); the second word when 0x80 is set; rows and
// columns (int32); the points, raw (rows x columns x 3 float32) or as the
// polyhedron's scheme-1 point record; the attribute section when 0x08 is set.
// Whoever fills the mesh sets the sub-option byte (SetSubop).
//
class TK_Mesh : public TK_Polyhedron
{
public:
    TK_Mesh();

    // rows x columns points, copied when given; the face count follows.
    TK_Status SetMesh(int rows, int columns, const float* points = nullptr);
    int GetRows() const { return m_rows; }
    int GetColumns() const { return m_columns; }

    // The triangles of a grid: (2 x columns - 2) x (rows - 1), and none when
    // there are fewer than two rows or columns.
    static int FaceCount(int rows, int columns);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

private:
    int m_rows = 0;
    int m_columns = 0;
};
