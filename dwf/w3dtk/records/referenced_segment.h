#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

//
// A reference from the current segment to another one by its path: opcode
// '<' includes the other segment's contents, '{' applies it as a style. After
// the opcode: the path's length as one unsigned byte, then its bytes.
//
// Paths are UTF-8 bytes and hold at most 255 of them: a longer path is refused
// before anything is written.
//
class TK_Referenced_Segment : public BBaseOpcodeHandler
{
public:
    explicit TK_Referenced_Segment(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Empties the path.
    void Reset() override;

    void SetSegment(const char* path) { m_path = path ? path : ""; }
    const std::string& GetSegment() const { return m_path; }
    int GetLength() const { return static_cast<int>(m_path.size()); }

private:
    std::string m_path;
};
