#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

//
// Repeats an object the stream has already defined, named by index and
// variant, under a transformation: opcode '&'. After the opcode: source index,
// source variant, target index, target variant (int32 each), the options'
// low byte, and the matrix's four rows of which the first three floats each
// travel; the fourth column is not stored. 66 bytes in all.
//
// Writing it always tags the pending keys (whatever the write flags) and,
// for a target variant other than -1, records that variant's position for them.
//
class TK_Instance : public BBaseOpcodeHandler
{
public:
    // `matrix`: 16 floats, row by row, or null for all zeros.
    TK_Instance(int source_index = 0, int source_variant = 0, int target_index = 0,
                int target_variant = 0, int options = 0, const float* matrix = nullptr);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetIndices(int source_index, int source_variant, int target_index, int target_variant);
    int GetSourceIndex() const { return m_indices[0]; }
    int GetSourceVariant() const { return m_indices[1]; }
    int GetTargetIndex() const { return m_indices[2]; }
    int GetTargetVariant() const { return m_indices[3]; }
    void SetOptions(int options) { m_options = options; }
    int GetOptions() const { return m_options; }
    void SetMatrix(const float* matrix);
    const float* GetMatrix() const { return m_matrix; }

private:
    void log_details(BStreamFileToolkit& tk) const;

    int m_indices[4] = {};
    int m_options = 0;
    float m_matrix[16] = {};
};
