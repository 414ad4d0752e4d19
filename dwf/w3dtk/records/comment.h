#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

// A line of text: opcode ';', the text, a line feed. The first comment of a
// stream names the format and its version ("; HSF V10.00 ").
class TK_Comment : public BBaseOpcodeHandler
{
public:
    // Longest comment written or read; a longer one is refused.
    static constexpr int Max_Length = 1 << 16;

    explicit TK_Comment(const char* text = nullptr);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // The first comment executed after a restart must carry the format's name
    // and version: the version becomes the toolkit's read version.
    TK_Status Execute(BStreamFileToolkit& tk) override;
    void Reset() override;

    void SetComment(const char* text) { m_text = text ? text : ""; }
    const std::string& GetComment() const { return m_text; }
    int GetLength() const { return static_cast<int>(m_text.size()); }

private:
    std::string m_text;
};
