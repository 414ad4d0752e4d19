#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

// Option strings of a segment, 8-bit ('U') or 16-bit (0x16). After the
// opcode: the length as an unsigned 16-bit number, or 65535 and the length as
// an int32 when it is 65535 or more; then the text. A record whose text is
// empty is not written at all. Lengths above 2^24 are refused both ways.

class TK_User_Options : public BBaseOpcodeHandler
{
public:
    TK_User_Options();

    TK_Status Read(BStreamFileToolkit& tk) override;
    // After its own record (or in its place when the text is empty) writes the
    // attached handlers' records.
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Empties the text, resets and forgets the attached handlers.
    void Reset() override;

    void SetOptions(const char* options) { m_text = options ? options : ""; }
    void SetOptions(const char* bytes, int length);
    const std::string& GetOptions() const { return m_text; }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    // Records written right after this one (not owned; null for none).
    void SetAttachedHandlers(BBaseOpcodeHandler* first, BBaseOpcodeHandler* second)
    {
        m_attached[0] = first;
        m_attached[1] = second;
    }

private:
    std::string m_text;
    BBaseOpcodeHandler* m_attached[2] = {nullptr, nullptr};
    int m_length = 0; // a length read, kept across a pending read
};

// The 16-bit form, with the length counted in 16-bit units; written only into
// streams of version 905 or newer.
class TK_Unicode_Options : public BBaseOpcodeHandler
{
public:
    static constexpr int First_Version = 905;

    TK_Unicode_Options();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    void SetOptions(const char16_t* options) { m_text = options ? options : u""; }
    void SetOptions(const std::u16string& options) { m_text = options; }
    const std::u16string& GetOptions() const { return m_text; }
    int GetLength() const { return static_cast<int>(m_text.size()); }

private:
    std::u16string m_text;
    int m_length = 0;
};
