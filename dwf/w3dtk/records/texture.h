#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

//
// A named texture made from a named image: opcode 't'. After the opcode: the
// texture's name and the image's name (each its length as one unsigned byte,
// then its bytes), a 16-bit flag word, and the optional parameters the flags
// select, in this order: one byte for each of the bits 0x0001 to 0x0200 that
// is set, lowest bit first; two floats for 0x0800; a string (length byte and
// bytes) for 0x0400. The system carries the optional parameters unchanged.
//
// Names and the option string hold at most 255 bytes: a longer one is
// refused before anything is written.
//
class TK_Texture : public BBaseOpcodeHandler
{
public:
    enum Flags : unsigned short
    {
        Option_Byte_Bits = 0x03FF, // one option byte per bit
        Option_String = 0x0400,
        Option_Pair = 0x0800,
    };

    TK_Texture();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Empties both names and the option string and clears the flags.
    void Reset() override;

    void SetName(const char* name) { m_name = name ? name : ""; }
    const std::string& GetName() const { return m_name; }
    void SetImage(const char* image) { m_image = image ? image : ""; }
    const std::string& GetImage() const { return m_image; }
    void SetFlags(int flags) { m_flags = static_cast<unsigned short>(flags); }
    int GetFlags() const { return m_flags; }

    // The byte of one of the flag bits 0x0001 .. 0x0200 (other bits are ignored).
    void SetOptionByte(int bit, int value);
    int GetOptionByte(int bit) const;
    void SetOptionPair(float first, float second);
    const float* GetOptionPair() const { return m_pair; }
    void SetOptionString(const char* text) { m_option_string = text ? text : ""; }
    const std::string& GetOptionString() const { return m_option_string; }

private:
    std::string m_name;
    std::string m_image;
    unsigned short m_flags = 0;
    unsigned char m_option_bytes[10] = {}; // by bit, lowest first
    float m_pair[2] = {};
    std::string m_option_string;
};
