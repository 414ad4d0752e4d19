#pragma once
// Byte strings of the imaging library: every text that crosses one of its
// interfaces (messages, paths, property names) travels as a StringBuffer, a
// counted byte array with an encoding tag. Text built from a C string keeps
// its terminating NUL in the count.
#include <cstdint>
#include <memory>
#include <string>

namespace Omvi
{

class StringBuffer
{
public:
    // Encoding 0 is single-byte text, the only one the library builds itself;
    // other tags are carried through untouched.
    static constexpr std::uint32_t kSingleByte = 0;

    StringBuffer();
    StringBuffer(std::int32_t count, const void* bytes, std::uint32_t encoding);
    StringBuffer(const StringBuffer& other);
    virtual ~StringBuffer();

    // The stored bytes, or null when the buffer is empty.
    virtual const char* data() const;
    virtual std::int32_t size() const;
    virtual std::uint32_t encoding() const;
    // Replaces the contents with a copy of `count` bytes (zeros when `bytes`
    // is null). A count below 1 leaves no array. When the copy cannot be
    // allocated the buffer is left empty; nothing is thrown.
    virtual StringBuffer& set(std::int32_t count, const void* bytes, std::uint32_t encoding);
    virtual StringBuffer& operator=(const StringBuffer& other);
    // True when nothing is stored or every stored byte is zero.
    virtual bool isEmpty() const;

    // 0 when both hold the same encoding, count and bytes, 1 otherwise; two
    // buffers without an array are unequal.
    int compare(const StringBuffer& other) const;

    // The stored text up to its first NUL (for paths and messages).
    std::string text() const;

private:
    std::int32_t count_ = 0;
    std::unique_ptr<char[]> bytes_;
    std::uint32_t encoding_ = kSingleByte;
};

// A StringBuffer made from a NUL-terminated single-byte text; the terminator
// is stored, so the count is the text's length plus one.
class AsciiStringBuffer : public StringBuffer
{
public:
    AsciiStringBuffer() = default;
    // A null text gives an empty buffer.
    explicit AsciiStringBuffer(const char* text);
    explicit AsciiStringBuffer(const std::string& text);

    virtual AsciiStringBuffer& assign(const char* text);
};

} // namespace Omvi
