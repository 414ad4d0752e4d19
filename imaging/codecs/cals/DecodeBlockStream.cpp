#include "imaging/codecs/cals/DecodeBlockStream.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

DecodeBlockStream::DecodeBlockStream(const std::uint8_t* data, std::int32_t size)
    : data_(data), size_(data != nullptr ? std::max(size, 0) : 0)
{
}

DecodeBlockStream::~DecodeBlockStream() = default;

void DecodeBlockStream::read(std::int32_t count, void* buffer, std::int32_t* bytesRead)
{
    std::int32_t got = 0;
    if (mode_ == kRead && count > 0 && buffer != nullptr && cursor_ < size_)
    {
        got = std::min(count, size_ - cursor_);
        std::memcpy(buffer, data_ + cursor_, static_cast<std::size_t>(got));
        cursor_ += got;
    }
    if (bytesRead != nullptr)
        *bytesRead = got;
}

bool DecodeBlockStream::write(std::int32_t, const void*)
{
    return false;
}

bool DecodeBlockStream::open(std::int32_t mode)
{
    if (mode_ != 0 || mode != kRead)
        return false;
    mode_ = kRead;
    cursor_ = 0;
    return true;
}

bool DecodeBlockStream::rewind()
{
    if (mode_ != kRead)
        return false;
    cursor_ = 0;
    return true;
}

void DecodeBlockStream::close()
{
    mode_ = 0;
}

} // namespace Omvi
