#ifndef DWFCORE_STRING_H
#define DWFCORE_STRING_H

#include "dwfcore/Memory.h"

#include <cstddef>
#include <string>

namespace DWFCore
{

//
// The text type of the DWF libraries: UTF-16 code units in one heap buffer of
// exactly length + 1 units. Narrow text given to any member is UTF-8.
//
// An empty string owns no buffer, so its text pointer is null; test chars()
// (or use the comparison operators, which treat null as empty) before reading.
//
class DWFString : public DWFCoreMemory
{
public:
    DWFString() noexcept = default;
    DWFString(const DWFString& other);
    DWFString(DWFString&& other) noexcept;
    DWFString(const char* utf8);
    DWFString(const char16_t* text);
    DWFString(const std::u16string& text);
    ~DWFString();

    // Frees the buffer: the string becomes empty.
    void destroy() noexcept;

    DWFString& operator=(const DWFString& other);
    DWFString& operator=(DWFString&& other) noexcept;
    DWFString& operator=(const char* utf8);
    DWFString& operator=(const char16_t* text);

    void assign(const DWFString& other);
    // Decodes exactly `bytes` bytes of UTF-8 (null or 0 gives the empty string).
    void assign(const char* utf8, std::size_t bytes);

    void append(const DWFString& other);
    void append(const char* utf8);
    void append(const char16_t* text);

    bool operator==(const DWFString& other) const noexcept;
    bool operator==(const char16_t* text) const noexcept;
    bool operator!=(const DWFString& other) const noexcept { return !(*this == other); }
    // A null pointer counts as the empty text.
    bool operator!=(const char16_t* text) const noexcept { return !(*this == text); }
    // Code-unit order; the empty string sorts before every other string.
    bool operator<(const DWFString& other) const noexcept;

    // Length in UTF-16 code units, terminator excluded.
    std::size_t chars() const noexcept { return _length; }
    // Size of the text in bytes (2 x chars()), terminator excluded.
    std::size_t bytes() const noexcept { return _length * sizeof(char16_t); }
    // The zero-terminated text, or null for the empty string.
    operator const char16_t*() const noexcept { return _buffer; }
    std::u16string toU16String() const;

    //
    // Encodes the text as UTF-8 into `buffer` of `bufferBytes` bytes and returns
    // the bytes written, terminator excluded.
    //
    std::size_t getUTF8(char* buffer, std::size_t bufferBytes) const;
    //
    // Allocates a zero-terminated UTF-8 copy with new[] into *destination (the
    // caller releases it with delete[]) and returns its length.
    //
    std::size_t getUTF8(char** destination) const;
    std::string toUTF8() const;

    //
    // Raw-buffer codecs. Sizes are in bytes; each returns the bytes (or for
    // Base64 the characters) produced and throws DWFOverflowException when the
    // output buffer is too small. Invalid or truncated UTF-8 decodes to U+FFFD,
    // lone surrogates encode as U+FFFD; surrogate pairs map to four-byte forms.
    //
    static std::size_t DecodeUTF8(const char* in, std::size_t inBytes, char16_t* out,
                                  std::size_t outBytes);
    // A null `out` only measures.
    static std::size_t EncodeUTF8(const char16_t* in, std::size_t inBytes, char* out,
                                  std::size_t outBytes);
    // `standard` selects "+/" with "=" padding, otherwise "+_" without padding.
    static std::size_t EncodeBase64(const void* in, std::size_t inBytes, char* out,
                                    std::size_t outBytes, bool standard = true);
    // XML character data escaping; a null `out` only measures.
    static std::size_t EncodeXML(const char* in, std::size_t inBytes, char* out,
                                 std::size_t outBytes);
    static std::size_t EncodeXML(const char16_t* in, std::size_t inBytes, char16_t* out,
                                 std::size_t outBytes);
    // Turns a locale's decimal separator between two digits into "." in place.
    static char16_t* FixDecimalSeparators(char16_t* text) noexcept;
    // Locale-free number reading; accepts "." or any other separator.
    static double ParseDouble(const char* text);

private:
    void _store(const void* data, std::size_t bytes, bool decode);
    void _append(const void* data, std::size_t bytes, bool decode);

    char16_t* _buffer = nullptr;
    std::size_t _capacity = 0; // in code units, terminator included
    std::size_t _length = 0;   // in code units, terminator excluded
};

inline bool operator==(const char16_t* text, const DWFString& string) noexcept
{
    return string == text;
}

inline bool operator!=(const char16_t* text, const DWFString& string) noexcept
{
    return string != text;
}

} // namespace DWFCore

#endif
