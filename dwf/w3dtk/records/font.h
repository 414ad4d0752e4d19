#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

//
// A font carried in the stream: opcode 'f'. After the opcode: the type (one
// byte; only 0 is defined), the name (its length as one byte, then its
// bytes), the encoding (one byte), the lookup string (length byte, bytes),
// the data length (int32) and the font's data bytes.
//
// Name and lookup hold at most 255 bytes: a writer refuses longer ones before
// it writes anything. A reader refuses an unknown type and a data length
// below 0 or above 2^24.
//
class TK_Font : public BBaseOpcodeHandler
{
public:
    TK_Font();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Frees name, lookup and data; the encoding becomes 0.
    void Reset() override;

    void SetType(int type) { m_type = static_cast<unsigned char>(type); }
    int GetType() const { return m_type; }
    void SetName(const char* name) { m_name = name ? name : ""; }
    const std::string& GetName() const { return m_name; }
    void SetLookup(const char* lookup) { m_lookup = lookup ? lookup : ""; }
    const std::string& GetLookup() const { return m_lookup; }
    void SetEncoding(int encoding) { m_encoding = static_cast<unsigned char>(encoding); }
    int GetEncoding() const { return m_encoding; }
    void SetFontData(const char* bytes, int length);
    const std::string& GetFontData() const { return m_data; }

private:
    unsigned char m_type = 0;
    std::string m_name;
    unsigned char m_encoding = 0;
    std::string m_lookup;
    std::string m_data;
    int m_length = 0; // a length read, kept across a pending read
};
