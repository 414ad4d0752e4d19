#include "imaging/StringBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Omvi
{

StringBuffer::StringBuffer() = default;

StringBuffer::StringBuffer(std::int32_t count, const void* bytes, std::uint32_t encoding)
{
    set(count, bytes, encoding);
}

StringBuffer::StringBuffer(const StringBuffer& other)
{
    set(other.count_, other.bytes_.get(), other.encoding_);
}

StringBuffer::~StringBuffer() = default;

const char* StringBuffer::data() const
{
    return bytes_.get();
}

std::int32_t StringBuffer::size() const
{
    return count_;
}

std::uint32_t StringBuffer::encoding() const
{
    return encoding_;
}

StringBuffer& StringBuffer::set(std::int32_t count, const void* bytes, std::uint32_t encoding)
{
    // Copy before letting go of the old array: `bytes` may point into it.
    std::unique_ptr<char[]> copy;
    if (count > 0)
    {
        copy.reset(new (std::nothrow) char[static_cast<std::size_t>(count)]);
        if (!copy)
        {
            bytes_.reset();
            count_ = 0;
            encoding_ = encoding;
            return *this;
        }
        if (bytes)
            std::memcpy(copy.get(), bytes, static_cast<std::size_t>(count));
        else
            std::memset(copy.get(), 0, static_cast<std::size_t>(count));
    }
    bytes_ = std::move(copy);
    count_ = bytes_ ? count : 0;
    encoding_ = encoding;
    return *this;
}

StringBuffer& StringBuffer::operator=(const StringBuffer& other)
{
    if (this != &other)
        set(other.count_, other.bytes_.get(), other.encoding_);
    return *this;
}

bool StringBuffer::isEmpty() const
{
    if (count_ < 1 || !bytes_)
        return true;
    return std::all_of(bytes_.get(), bytes_.get() + count_, [](char c) { return c == 0; });
}

int StringBuffer::compare(const StringBuffer& other) const
{
    if (encoding() != other.encoding() || size() != other.size())
        return 1;
    if (!data() || !other.data())
        return 1;
    return std::memcmp(data(), other.data(), static_cast<std::size_t>(size())) == 0 ? 0 : 1;
}

std::string StringBuffer::text() const
{
    if (!data() || size() < 1)
        return {};
    const char* end = static_cast<const char*>(std::memchr(data(), 0, static_cast<std::size_t>(size())));
    return std::string(data(), end ? end : data() + size());
}

AsciiStringBuffer::AsciiStringBuffer(const char* text)
{
    assign(text);
}

AsciiStringBuffer::AsciiStringBuffer(const std::string& text)
{
    assign(text.c_str());
}

AsciiStringBuffer& AsciiStringBuffer::assign(const char* text)
{
    if (!text)
    {
        set(0, nullptr, kSingleByte);
        return *this;
    }
    const std::size_t length = std::strlen(text);
    // A text too long for the signed count cannot be stored whole.
    if (length >= static_cast<std::size_t>(INT32_MAX))
        set(0, nullptr, kSingleByte);
    else
        set(static_cast<std::int32_t>(length + 1), text, kSingleByte);
    return *this;
}

} // namespace Omvi
