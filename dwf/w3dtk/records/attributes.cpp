#include "dwf/w3dtk/records/attributes.h"

#include "dwf/w3dtk/records/record_steps.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <cmath>

// ---- matrix

TK_Matrix::TK_Matrix(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Matrix::SetMatrix(const float* matrix)
{
    static const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::copy(matrix ? matrix : identity, (matrix ? matrix : identity) + 16, m_matrix);
}

TK_Status TK_Matrix::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        // The three values of each row the record carries.
        for (int row = 0; row < 4; ++row)
            TK_TRY(tk_steps::CheckFinite(tk, m_matrix + 4 * row, 3,
                                         "a matrix value is infinite or not a number"));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
    case 2:
    case 3:
    case 4:
        for (; m_stage <= 4; ++m_stage)
            TK_TRY(PutData(tk, m_matrix + 4 * (m_stage - 1), 3));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Matrix::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        m_matrix[3] = m_matrix[7] = m_matrix[11] = 0.0f;
        m_matrix[15] = 1.0f;
        [[fallthrough]];
    case 1:
    case 2:
    case 3:
        for (; m_stage <= 3; ++m_stage)
            TK_TRY(GetData(tk, m_matrix + 4 * m_stage, 3));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- enumerated

TK_Enumerated::TK_Enumerated(int opcode) : BBaseOpcodeHandler(opcode) {}

TK_Status TK_Enumerated::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_index));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Enumerated::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(GetData(tk, m_index));
    m_stage = -1;
    return TK_Done;
}

// ---- size

TK_Size::TK_Size(int opcode) : BBaseOpcodeHandler(opcode) {}

void TK_Size::SetSize(float size, int units)
{
    m_size = size;
    m_units = static_cast<unsigned char>(units);
}

TK_Status TK_Size::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        // The sign of the stored float tells whether units follow, so a
        // negative size would turn into one with units, or its units into the
        // next record's opcode.
        if (m_size == 0.0f)
            m_size = 0.0f;
        if (std::signbit(m_size))
            return tk.ErrorF("negative size %g", static_cast<double>(m_size));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_units == No_Units ? m_size : -m_size));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (m_units != No_Units)
            TK_TRY(PutData(tk, m_units));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Size::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(GetData(tk, m_size));
        if (!std::signbit(m_size))
        {
            m_units = No_Units;
            m_stage = -1;
            return TK_Done;
        }
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(GetData(tk, m_units));
        m_size = -m_size;
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// ---- linear pattern

TK_Linear_Pattern::TK_Linear_Pattern(int opcode) : BBaseOpcodeHandler(opcode) {}

TK_Status TK_Linear_Pattern::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_pattern));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Linear_Pattern::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    TK_TRY(GetData(tk, m_pattern));
    m_stage = -1;
    return TK_Done;
}

// ---- streaming mode

TK_Streaming::TK_Streaming() : BBaseOpcodeHandler(',') {}

TK_Status TK_Streaming::Write(BStreamFileToolkit&)
{
    return TK_Done;
}

TK_Status TK_Streaming::Read(BStreamFileToolkit&)
{
    m_stage = -1;
    return TK_Paused;
}
