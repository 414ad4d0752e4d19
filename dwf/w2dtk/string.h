#pragma once

#include "dwf/w2dtk/result.h"

#include <cstddef>
#include <cstdint>
#include <string>

class WT_File;

// Text of the W2D toolkit (names, text strings, file names). Held as 8-bit
// ASCII when every character is below 128, else as 16-bit UTF-16 code units.
class WT_String
{
public:
    enum WT_Encoding
    {
        Unset = 0,
        ASCII = 1,
        Unicode = 2,
    };

    // Longest 8-bit token the reader accepts, and most code units of the 16-bit form.
    static constexpr std::size_t Max_ASCII_Token = 65536;
    static constexpr std::size_t Max_Units = std::size_t(1) << 24;

    WT_String() = default;
    WT_String(const char* text);
    WT_String(const char16_t* text);
    // UTF-32 text of the host; characters above U+FFFF become surrogate pairs.
    WT_String(const wchar_t* text);
    WT_String(std::size_t length, const char16_t* text);

    WT_String& operator=(const char* text);

    // Throws WT_Result_Usage_Error for a byte of 128 or more.
    void set(std::size_t length, const char* text);
    void set(std::size_t length, const char16_t* text);
    // Bytes read from a stream: bytes of 128 or more are taken as Latin-1
    // characters, so reading never throws.
    void set_from_stream_bytes(std::size_t length, const char* bytes);

    // UTF-8 text; unpaired surrogates become U+FFFD.
    std::string utf8() const { return encoded(false); }
    // From UTF-8 text; invalid sequences become U+FFFD.
    static WT_String from_utf8(const char* text) { return decoded(text, false); }
    // A file name is the system's bytes, which need not be UTF-8. As a
    // string, each byte that is not part of valid UTF-8 is carried as one
    // unpaired surrogate U+DC80..U+DCFF, as the callers carry such names;
    // the bytes come back unchanged.
    std::string file_name_bytes() const { return encoded(true); }
    static WT_String from_file_name_bytes(const char* bytes) { return decoded(bytes, true); }

    const char* ascii() const;       // ASCII strings only; 16-bit text keeps each unit's low byte
    const char16_t* unicode() const; // always available
    bool is_ascii() const { return m_encoding == ASCII; }
    WT_Encoding encoding() const { return m_encoding; }
    std::size_t length() const { return m_length; }
    bool empty() const { return m_length == 0; }

    bool equals(const WT_String& other, bool case_sensitive = true) const;
    bool equals(const char* text, bool case_sensitive) const
    {
        return equals(WT_String(text), case_sensitive);
    }
    bool equals_no_case(const char* text) const { return equals(text, false); }
    bool operator==(const WT_String& other) const { return equals(other, true); }
    bool operator!=(const WT_String& other) const { return !equals(other, true); }

    // The most code units a string of this one's encoding can have when
    // `file` writes it, so that a reader takes it back: an 8-bit string is
    // one token of at most Max_ASCII_Token bytes; a 16-bit one is either
    // counted (binary output, Max_Units) or a token of four hex digits a unit.
    std::size_t writable_length(const WT_File& file) const;
    // Refuses (WT_Result_Usage_Error, nothing written) a string longer than
    // writable_length.
    WT_Result serialize(WT_File& file, bool force_quotes = false) const;
    WT_Result materialize(WT_File& file);

    // Value of a hexadecimal digit, or -1 for any other byte.
    static int hex_value(int byte);

private:
    // UTF-8 of the text; `carry_bytes` turns U+DC80..U+DCFF back into the
    // bytes they carry instead of U+FFFD.
    std::string encoded(bool carry_bytes) const;
    // `carry_bytes` keeps each byte of an invalid sequence as U+DC80..U+DCFF
    // instead of one U+FFFD for the sequence.
    static WT_String decoded(const char* text, bool carry_bytes);

    void clear();

    int m_stage = 0;
    WT_Encoding m_encoding = Unset;
    std::size_t m_length = 0;
    mutable std::string m_ascii;    // valid when m_has_ascii
    mutable std::u16string m_units; // valid when m_has_units
    mutable bool m_has_ascii = false;
    mutable bool m_has_units = false;
    std::uint8_t m_opener = 0;
    std::uint32_t m_read_length = 0;
    std::u16string m_read_units;
};
