#include "imaging/codecs/codec/BufferedFileReader.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

BufferedFileReader::BufferedFileReader(const CodecFile& file, std::size_t bufferSize)
    : file_(file), buffer_(std::max<std::size_t>(bufferSize, 16))
{
}

bool BufferedFileReader::refill()
{
    bufferStart_ += static_cast<std::int64_t>(next_);
    next_ = 0;
    end_ = 0;
    if (bufferStart_ >= file_.size())
        return false;
    end_ = file_.readSomeAt(bufferStart_, buffer_.data(), buffer_.size());
    return end_ > 0;
}

int BufferedFileReader::refillAndGet()
{
    if (!refill())
        return -1;
    return buffer_[next_++];
}

bool BufferedFileReader::read(void* out, std::size_t count)
{
    auto* bytes = static_cast<std::uint8_t*>(out);
    while (count > 0)
    {
        if (next_ == end_ && !refill())
            return false;
        const std::size_t take = std::min(count, end_ - next_);
        std::memcpy(bytes, buffer_.data() + next_, take);
        next_ += take;
        bytes += take;
        count -= take;
    }
    return true;
}

bool BufferedFileReader::skip(std::int64_t count)
{
    if (count < 0)
        return false;
    const std::int64_t target = position() + count;
    seek(std::min(target, file_.size()));
    return target <= file_.size();
}

void BufferedFileReader::seek(std::int64_t position)
{
    position = std::max<std::int64_t>(position, 0);
    if (position >= bufferStart_ && position <= bufferStart_ + static_cast<std::int64_t>(end_))
    {
        next_ = static_cast<std::size_t>(position - bufferStart_);
        return;
    }
    bufferStart_ = position;
    next_ = 0;
    end_ = 0;
}

} // namespace Omvi
