#include "dwf/w3dtk/records/comment.h"

#include "dwf/w3dtk/stream/toolkit.h"

#include <cstring>

namespace
{
constexpr char Line_Feed = '\n';
constexpr char Format_Prefix[] = "; HSF V";
// Versions are three or four digits; anything far beyond is not a version.
constexpr int Max_Version = 1000000;
constexpr std::size_t Logged_Characters = 64;
} // namespace

TK_Comment::TK_Comment(const char* text) : BBaseOpcodeHandler(';')
{
    SetComment(text);
}

void TK_Comment::Reset()
{
    m_text.clear();
    BBaseOpcodeHandler::Reset();
}

TK_Status TK_Comment::Write(BStreamFileToolkit& tk)
{
    bool const ends_line = !m_text.empty() && m_text.back() == Line_Feed;
    switch (m_stage)
    {
    case 0:
        // A reader ends the comment at its first line feed: one inside the text
        // would turn the rest into records.
        if (m_text.size() > static_cast<std::size_t>(Max_Length))
            return tk.Error("comment too long");
        if (m_text.find(Line_Feed) < m_text.size() - (ends_line ? 1 : 0))
            return tk.Error("comment holds a line feed before its end");
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(PutData(tk, m_text.data(), static_cast<int>(m_text.size())));
        ++m_stage;
        [[fallthrough]];
    case 2:
        if (!ends_line)
            TK_TRY(PutData(tk, Line_Feed));
        if (tk.GetLogging())
            tk.LogEntry(m_text.substr(0, Logged_Characters).c_str());
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

TK_Status TK_Comment::Read(BStreamFileToolkit& tk)
{
    if (m_stage != 0)
        return tk.Error();
    for (;;)
    {
        char c = 0;
        TK_TRY(GetData(tk, c));
        if (c == Line_Feed)
            break;
        if (m_text.size() >= static_cast<std::size_t>(Max_Length))
            return tk.Error("comment too long");
        m_text.push_back(c);
    }
    if (tk.GetLogging())
        tk.LogEntry(m_text.substr(0, Logged_Characters).c_str());
    m_stage = -1;
    return TK_Done;
}

TK_Status TK_Comment::Execute(BStreamFileToolkit& tk)
{
    if (tk.GetHeaderFlag())
        return TK_Done;
    tk.SetHeaderFlag(true);
    std::size_t const prefix = sizeof Format_Prefix - 1;
    if (m_text.compare(0, prefix, Format_Prefix) != 0)
        return tk.Error("file does not appear to be HSF format");
    int version = 0;
    for (std::size_t i = prefix;; ++i)
    {
        if (i >= m_text.size())
            return tk.Error("error reading version number");
        char const c = m_text[i];
        if (c == ' ')
            break;
        if (c == '.')
            continue;
        if (c < '0' || c > '9')
            return tk.Error("error reading version number");
        version = version * 10 + (c - '0');
        if (version > Max_Version)
            return tk.Error("error reading version number");
    }
    tk.SetReadVersion(version);
    if (version > BStreamFileToolkit::Current_Version &&
        !(tk.GetReadFlags() & TK_Read_Newer_Versions))
        return TK_Too_New;
    return TK_Done;
}
