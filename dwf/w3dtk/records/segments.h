#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

// Opens a segment: opcode '(', the name's length as one unsigned byte, the name.
// Everything up to the matching close-segment record belongs to the segment.
class TK_Open_Segment : public BBaseOpcodeHandler
{
public:
    TK_Open_Segment();

    TK_Status Read(BStreamFileToolkit& tk) override;
    // Refuses a name longer than 255 bytes before anything is written.
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    void SetSegment(const char* name) { m_name = name ? name : ""; }
    // Makes room for a name of `length` bytes, to be filled by Read.
    void SetSegmentLength(int length) { m_name.assign(static_cast<std::size_t>(length), '\0'); }
    const std::string& GetSegment() const { return m_name; }
    int GetLength() const { return static_cast<int>(m_name.size()); }

private:
    std::string m_name;
};

// Closes the innermost open segment: opcode ')'.
class TK_Close_Segment : public BBaseOpcodeHandler
{
public:
    TK_Close_Segment();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
};

// Enters an existing segment again by its stream index: opcode 's', int32.
class TK_Reopen_Segment : public BBaseOpcodeHandler
{
public:
    TK_Reopen_Segment();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    void SetIndex(int index) { m_index = index; }
    int GetIndex() const { return m_index; }

private:
    int m_index = 0;
};
