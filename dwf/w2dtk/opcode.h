#pragma once

#include "dwf/w2dtk/result.h"

#include <cstdint>
#include <string>
#include <vector>

class WT_File;

// The opcode token just read from a stream: one byte, "(Name", "{" with its
// operand size and opcode number, a bare word or a closing parenthesis.
// Reading is resumable: a call that ran out of input continues where it stopped.
class WT_Opcode
{
public:
    enum WT_Type
    {
        Single_Byte = 0,
        Extended_ASCII = 1,
        Extended_Binary = 2,
        Bare_Word = 3,   // a name without "(", only where the caller allows it
        Close_Paren = 4, // ")" seen where the caller allows it; token empty
    };

    static constexpr int Max_Name_Length = 40;
    // "{", the 32-bit operand size and the 16-bit opcode number.
    static constexpr int Extended_Binary_Token_Size = 7;

    virtual ~WT_Opcode() = default;

    // Reads one opcode. With allow_close_and_words, ")" ends an option list and
    // names without "(" come back as bare words.
    WT_Result get_opcode(WT_File& file, bool allow_close_and_words = false);

    // Skips to the ")" that closes this opcode. With record set, every byte
    // passed over is appended to it (so an unknown opcode can be kept without
    // seeking back). Resumable through the file's skip state.
    virtual WT_Result skip_operand(WT_File& file,
                                   std::vector<std::uint8_t>* record = nullptr) const;

    virtual int level() const { return m_level; }
    virtual int size() const { return m_size; }
    virtual const std::uint8_t* token() const { return m_token; }
    virtual WT_Type type() const { return m_type; }

    // The token as text (names; for single bytes the byte itself).
    std::string name() const { return std::string(reinterpret_cast<const char*>(m_token), m_size); }
    bool is(const char* name) const;
    std::uint8_t first_byte() const { return m_size > 0 ? m_token[0] : 0; }

    // Extended binary frames: the operand size (which covers the opcode number
    // and everything up to and including the closing "}") and the number.
    std::uint32_t binary_size() const;
    std::uint16_t binary_number() const;

    // Builds a token by hand (tests, and options that read nested opcodes).
    void set_token(WT_Type type, const void* bytes, int size, int level = 0);
    void reset() { m_stage = 1; }
    // True when no token is half read.
    bool between_opcodes() const { return m_stage <= 1; }

private:
    WT_Result read_header_token(WT_File& file);

    int m_size = 0;
    std::uint8_t m_token[Max_Name_Length + 1] = {};
    WT_Type m_type = Single_Byte;
    int m_stage = 1;
    int m_level = 0;
};

// An opcode read inside an option list; subclasses classify the option names of
// their owner (font, text, line style, fill pattern, viewport).
class WT_Optioncode : public WT_Opcode
{
public:
    virtual int option_id_from_optioncode() const = 0;
};
