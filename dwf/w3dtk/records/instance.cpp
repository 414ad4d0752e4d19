#include "dwf/w3dtk/records/instance.h"

#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <cstdio>

TK_Instance::TK_Instance(int source_index, int source_variant, int target_index,
                         int target_variant, int options, const float* matrix)
    : BBaseOpcodeHandler('&'), m_options(options)
{
    SetIndices(source_index, source_variant, target_index, target_variant);
    SetMatrix(matrix);
}

void TK_Instance::SetIndices(int source_index, int source_variant, int target_index,
                             int target_variant)
{
    m_indices[0] = source_index;
    m_indices[1] = source_variant;
    m_indices[2] = target_index;
    m_indices[3] = target_variant;
}

void TK_Instance::SetMatrix(const float* matrix)
{
    if (matrix)
        std::copy(matrix, matrix + 16, m_matrix);
    else
        std::fill(m_matrix, m_matrix + 16, 0.0f);
}

void TK_Instance::log_details(BStreamFileToolkit& tk) const
{
    if (!tk.GetLogging() || !(tk.GetLoggingOptions() & TK_Log_Details))
        return;
    char line[64];
    std::snprintf(line, sizeof line, "[%d:%d - %d:%d]", m_indices[0], m_indices[1], m_indices[2],
                  m_indices[3]);
    tk.LogEntry(line);
}

TK_Status TK_Instance::Write(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
    case 2:
    case 3:
    case 4:
        for (; m_stage <= 4; ++m_stage)
            TK_TRY(PutData(tk, m_indices[m_stage - 1]));
        [[fallthrough]];
    case 5:
        TK_TRY(PutData(tk, static_cast<unsigned char>(m_options)));
        ++m_stage;
        [[fallthrough]];
    case 6:
    case 7:
    case 8:
    case 9:
        for (; m_stage <= 9; ++m_stage)
            TK_TRY(PutData(tk, m_matrix + 4 * (m_stage - 6), 3));
        [[fallthrough]];
    case 10:
        // The instance tags its keys itself; with a target variant the
        // variant's position is recorded too.
        TK_TRY(tk.TagPendingKeys(m_indices[3]));
        log_details(tk);
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Instance::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
    case 1:
    case 2:
    case 3:
        for (; m_stage <= 3; ++m_stage)
            TK_TRY(GetData(tk, m_indices[m_stage]));
        [[fallthrough]];
    case 4:
    {
        unsigned char options = 0;
        TK_TRY(GetData(tk, options));
        m_options = options;
        ++m_stage;
    }
        [[fallthrough]];
    case 5:
    case 6:
    case 7:
    case 8:
        for (; m_stage <= 8; ++m_stage)
            TK_TRY(GetData(tk, m_matrix + 4 * (m_stage - 5), 3));
        m_matrix[15] = 1.0f;
        log_details(tk);
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
