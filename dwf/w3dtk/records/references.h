#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

// A text with a length code, shared by references to other files (0x12) and
// URLs (0x15). After the opcode: one byte, the length itself when below 254,
// 254 and an unsigned 16-bit length up to 65535, or 255 and an int32 length;
// then the text. Written only into streams of version 805 or newer. Lengths
// read below 0 or above 2^24 are refused.
class TK_Length_Coded_Text : public BBaseOpcodeHandler
{
public:
    static constexpr int First_Version = 805;

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    void SetString(const char* text) { m_text = text ? text : ""; }
    const std::string& GetString() const { return m_text; }
    int GetLength() const { return static_cast<int>(m_text.size()); }

protected:
    explicit TK_Length_Coded_Text(int opcode) : BBaseOpcodeHandler(opcode) {}

private:
    std::string m_text;
    int m_length = 0; // the length read, kept across a pending read
};

// A reference to another file. Executing one read from a stream adds it to the
// toolkit's external references, a relative one resolved against the
// directory of the file being read.
class TK_External_Reference : public TK_Length_Coded_Text
{
public:
    TK_External_Reference();
    TK_Status Execute(BStreamFileToolkit& tk) override;
};

// A URL.
class TK_URL : public TK_Length_Coded_Text
{
public:
    TK_URL();
};

// The name of a callback: opcode 0x07, the length as a signed 16-bit number,
// the name. A record with an empty name is not written; a name of more than
// 32767 bytes is refused, as is a negative length read.
class TK_Callback : public BBaseOpcodeHandler
{
public:
    static constexpr int Max_Length = 0x7FFF;

    TK_Callback();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    void SetCallback(const char* name) { m_name = name ? name : ""; }
    const std::string& GetCallback() const { return m_name; }
    int GetLength() const { return static_cast<int>(m_name.size()); }

private:
    std::string m_name;
    int m_length = 0;
};
