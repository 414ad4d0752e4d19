#include "addin/texture/WriteBufferedStream.h"

#include <cstring>
#include <limits>
#include <new>

WriteBufferedStream::~WriteBufferedStream() = default;

void WriteBufferedStream::read(std::int32_t, void*, std::int32_t* bytesRead)
{
    if (bytesRead)
        *bytesRead = -1;
}

bool WriteBufferedStream::write(std::int32_t count, const void* buffer)
{
    if (count < 0)
        return false;
    return append(buffer, static_cast<std::size_t>(count));
}

bool WriteBufferedStream::append(const void* buffer, std::size_t count)
{
    if (count == 0)
        return true;
    if (buffer == nullptr)
        return false;
    constexpr std::size_t most = std::numeric_limits<std::size_t>::max();
    if (count > most - size_)
        return false;
    if (capacity_ - size_ < count)
    {
        // The capacity grows by the step, or by the count when the step is
        // too small.
        if (count > most - capacity_)
            return false;
        std::size_t grown = capacity_ <= most - step_ ? capacity_ + step_ : most;
        if (grown < size_ + count)
            grown = capacity_ + count;
        std::unique_ptr<std::uint8_t[]> larger(new (std::nothrow) std::uint8_t[grown]);
        if (!larger)
            return false;
        if (size_ > 0)
            std::memcpy(larger.get(), bytes_.get(), size_);
        bytes_ = std::move(larger);
        capacity_ = grown;
        step_ = step_ <= most / 2 ? step_ * 2 : most;
        ++growths_;
    }
    std::memcpy(bytes_.get() + size_, buffer, count);
    size_ += count;
    return true;
}

bool WriteBufferedStream::rewind()
{
    size_ = 0;
    return true;
}
