// The debug log: one line per record read or written, plus whatever handlers add.
#include "dwf/w3dtk/stream/toolkit.h"

#include "dwf/w3dtk/stream/opcode_names.h"

#include <cstdio>

void BStreamFileToolkit::close_log()
{
    if (m_log_file)
    {
        std::fclose(m_log_file);
        m_log_file = nullptr;
    }
}

void BStreamFileToolkit::SetLogFile(const char* name)
{
    close_log();
    m_log_name = name ? name : "";
    SetLogging(m_logging);
}

void BStreamFileToolkit::SetLogging(bool on)
{
    m_logging = on;
    if (on && !m_log_file && !m_log_name.empty())
        m_log_file = std::fopen(m_log_name.c_str(), "w");
}

TK_Status BStreamFileToolkit::LogEntry(const char* text)
{
    if (!m_logging)
        return TK_Done;
    if (!m_log_file)
        return Error("Log file not open");
    std::fputs(text, m_log_file);
    for (const char* c = text; *c; ++c)
        m_log_column = *c == '\n' ? 0 : m_log_column + 1;
    return TK_Done;
}

void BStreamFileToolkit::LogOpcode(int opcode)
{
    if (!m_logging)
        return;
    opcode &= 0xFF;
    if (m_log_column != 0)
        LogEntry("\n");
    char line[96];
    if (m_log_options & TK_Log_Counts)
    {
        std::snprintf(line, sizeof line, "%6d: ", m_opcode_count);
        LogEntry(line);
    }
    if (opcode >= 0x20 && opcode <= 0x7E)
        std::snprintf(line, sizeof line, "0x%02X (%c)    %-20s", opcode, opcode,
                      TK_Opcode_Name(opcode));
    else
        std::snprintf(line, sizeof line, "0x%02X        %-20s", opcode, TK_Opcode_Name(opcode));
    LogEntry(line);
}
