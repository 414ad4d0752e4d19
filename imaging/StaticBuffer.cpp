#include "imaging/StaticBuffer.h"

#include "imaging/OMVIException.h"

#include <cstring>

namespace Omvi
{

namespace
{
[[noreturn]] void tooSmall()
{
    throw static_cast<OMVIException*>(
        new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall));
}
} // namespace

StaticBuffer::StaticBuffer(std::uint8_t* data, std::int32_t size)
    : DataBuffer(data, size), capacity_(size < 1 ? 0 : size)
{
}

StaticBuffer::~StaticBuffer()
{
    // The memory stays with its owner.
    borrow(nullptr, 0);
}

std::uint8_t* StaticBuffer::resize(std::int32_t count)
{
    if (count > capacity_)
        tooSmall();
    borrow(data(), count);
    return data();
}

StaticBuffer& StaticBuffer::operator=(const DataBuffer& other)
{
    if (this == &other)
        return *this;
    const std::int32_t count = other.size();
    if (count > capacity_)
        tooSmall();
    if (count > 0 && other.data() != nullptr && other.data() != data())
        std::memmove(data(), other.data(), static_cast<std::size_t>(count));
    borrow(data(), count);
    return *this;
}

StaticBuffer& StaticBuffer::operator=(const StaticBuffer& other)
{
    return operator=(static_cast<const DataBuffer&>(other));
}

void StaticBuffer::setData(std::uint8_t* data)
{
    borrow(data, size());
}

} // namespace Omvi
