#include "imaging/DataBuffer.h"

#include "imaging/OMVIException.h"

#include <cstring>
#include <new>
#include <utility>

namespace Omvi
{

namespace
{
std::uint8_t* allocate(std::int32_t count)
{
    if (count < 1)
        return nullptr;
    auto* bytes = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(count)];
    if (!bytes)
        throw new SystemException("Out of memory", SystemException::kOutOfMemory);
    return bytes;
}
} // namespace

DataBuffer::DataBuffer() = default;

DataBuffer::DataBuffer(std::int32_t count) : size_(count < 1 ? 0 : count), bytes_(allocate(count))
{
}

DataBuffer::DataBuffer(const DataBuffer& other)
    : size_(other.size_ < 1 ? 0 : other.size_), bytes_(allocate(other.size_))
{
    if (bytes_ && other.bytes_)
        std::memcpy(bytes_, other.bytes_, static_cast<std::size_t>(size_));
}

DataBuffer::DataBuffer(DataBuffer&& other) noexcept
    : size_(std::exchange(other.size_, 0)),
      bytes_(std::exchange(other.bytes_, nullptr)),
      owned_(std::exchange(other.owned_, true))
{
}

DataBuffer::DataBuffer(std::uint8_t* borrowed, std::int32_t size)
    : size_(size < 1 ? 0 : size), bytes_(borrowed), owned_(false)
{
}

void DataBuffer::borrow(std::uint8_t* borrowed, std::int32_t size)
{
    if (owned_)
        delete[] bytes_;
    bytes_ = borrowed;
    size_ = size < 1 ? 0 : size;
    owned_ = false;
}

DataBuffer::~DataBuffer()
{
    if (owned_)
        delete[] bytes_;
}

std::int32_t DataBuffer::size() const
{
    return size_;
}

std::uint8_t* DataBuffer::data()
{
    return bytes_;
}

const std::uint8_t* DataBuffer::data() const
{
    return bytes_;
}

std::uint8_t* DataBuffer::resize(std::int32_t count)
{
    std::uint8_t* fresh = allocate(count);
    if (owned_)
        delete[] bytes_;
    bytes_ = fresh;
    size_ = fresh ? count : 0;
    owned_ = true;
    return bytes_;
}

DataBuffer& DataBuffer::operator=(const DataBuffer& other)
{
    if (this == &other || (bytes_ && bytes_ == other.bytes_))
        return *this;
    std::uint8_t* fresh = allocate(other.size_);
    if (fresh && other.bytes_)
        std::memcpy(fresh, other.bytes_, static_cast<std::size_t>(other.size_));
    if (owned_)
        delete[] bytes_;
    bytes_ = fresh;
    size_ = fresh ? other.size_ : 0;
    owned_ = true;
    return *this;
}

std::uint8_t* DataBuffer::data(std::int64_t offset, std::int64_t count)
{
    if (!bytes_ || offset < 0 || count < 0 || offset > size_ || count > size_ - offset)
        return nullptr;
    return bytes_ + offset;
}

const std::uint8_t* DataBuffer::data(std::int64_t offset, std::int64_t count) const
{
    return const_cast<DataBuffer*>(this)->data(offset, count);
}

} // namespace Omvi
