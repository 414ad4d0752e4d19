#include "imaging/shears/ScrollingDataBuffer.h"

#include "imaging/OMVIException.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Omvi
{

ScrollingDataBuffer::~ScrollingDataBuffer() = default;

void ScrollingDataBuffer::allocate(std::int32_t lineCount, std::int32_t lineBytes)
{
    storage_.clear();
    storage_.shrink_to_fit();
    lines_.clear();
    lineBytes_ = 0;
    if (lineBytes < 1)
        return;
    lineCount = std::max(lineCount, 1);
    try
    {
        storage_.resize(static_cast<std::size_t>(lineCount) * static_cast<std::size_t>(lineBytes));
        lines_.resize(static_cast<std::size_t>(lineCount));
    }
    catch (const std::bad_alloc&)
    {
        storage_.clear();
        lines_.clear();
        throw static_cast<OMVIException*>(new SystemException("Out of memory", SystemException::kOutOfMemory));
    }
    for (std::int32_t i = 0; i < lineCount; ++i)
        lines_[static_cast<std::size_t>(i)] = storage_.data() + static_cast<std::size_t>(i) * lineBytes;
    lineBytes_ = lineBytes;
}

void ScrollingDataBuffer::scroll()
{
    if (lines_.size() > 1)
        std::rotate(lines_.begin(), lines_.begin() + 1, lines_.end());
}

std::int32_t ScrollingDataBuffer::size() const
{
    return lineBytes_;
}

std::uint8_t* ScrollingDataBuffer::data()
{
    return lines_.empty() ? nullptr : lines_.back();
}

const std::uint8_t* ScrollingDataBuffer::data() const
{
    return lines_.empty() ? nullptr : lines_.back();
}

std::uint8_t* ScrollingDataBuffer::data(std::int64_t offset, std::int64_t count)
{
    if (lines_.empty() || offset < 0 || count < 0 || offset > lineBytes_ || count > lineBytes_ - offset)
        return nullptr;
    return lines_.back() + offset;
}

std::uint8_t* ScrollingDataBuffer::resize(std::int32_t count)
{
    allocate(lineCount(), count);
    return data();
}

DataBuffer& ScrollingDataBuffer::operator=(const DataBuffer& other)
{
    if (this == &other)
        return *this;
    if (other.size() != lineBytes_)
        resize(other.size());
    if (lineBytes_ > 0 && other.data() != nullptr)
        std::memcpy(data(), other.data(), static_cast<std::size_t>(lineBytes_));
    return *this;
}

} // namespace Omvi
