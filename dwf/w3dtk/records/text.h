#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

//
// A text string placed at a point: opcode 'T', or 'x' (text with an encoding
// byte). After the opcode: the position (three floats), the encoding ('x'
// only), the length, the string's bytes.
//
// The length is one byte for 0-253 bytes, 254 and an unsigned 16-bit length
// up to 65535, 255 and an int32 length beyond. Streams of version 600 or
// older know only the one byte: their texts hold at most 255 bytes, and a
// longer text is cut to 255 when written for such a stream. An 'x' record
// with encoding 5 (two bytes per character) carries its length rounded down
// to an even number of bytes.
//
class TK_Text : public BBaseOpcodeHandler
{
public:
    static constexpr int Two_Byte_Encoding = 5;

    explicit TK_Text(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // The length and the encoding become 0; the buffer stays.
    void Reset() override;

    void SetPosition(float x, float y, float z);
    const float* GetPosition() const { return m_position; }
    void SetEncoding(int encoding) { m_encoding = static_cast<unsigned char>(encoding); }
    int GetEncoding() const { return m_encoding; }
    // A NUL-terminated string, or `length` bytes that may hold NULs (16-bit text).
    void SetString(const char* text);
    void SetString(const char* bytes, int length);
    // The text's bytes, followed by two NUL bytes.
    const char* GetString() const { return m_buffer.c_str(); }
    int GetLength() const { return m_length; }

private:
    bool has_encoding() const { return m_opcode == 'x'; }
    // Bytes of the string a record carries, for a length field of `length`.
    int carried(int length) const;

    float m_position[3] = {};
    unsigned char m_encoding = 0;
    int m_length = 0;
    std::string m_buffer = std::string(1, '\0'); // the bytes, one NUL, and the string's own
    int m_written_length = 0;                    // the length field of the record in hand
};
