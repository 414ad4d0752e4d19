#pragma once
// An owned block of bytes: a row of pixels, a band of tiles, a page.
#include <cstdint>
#include <memory>

namespace Omvi
{

class DataBuffer
{
public:
    DataBuffer();
    // Allocates `count` bytes (contents undefined); a count below 1 leaves no
    // array. A block that cannot be allocated throws SystemException
    // kOutOfMemory.
    explicit DataBuffer(std::int32_t count);
    // Copies behave as operator= does.
    DataBuffer(const DataBuffer& other);
    DataBuffer(DataBuffer&& other) noexcept;
    virtual ~DataBuffer();

    virtual std::int32_t size() const;
    virtual std::uint8_t* data();
    virtual const std::uint8_t* data() const;
    // Discards the contents and allocates `count` bytes (none below 1);
    // returns the new array. Throws as the constructor does.
    virtual std::uint8_t* resize(std::int32_t count);
    // Takes a copy of the other's bytes; assigning a buffer that shares this
    // one's array changes nothing.
    virtual DataBuffer& operator=(const DataBuffer& other);

    // The `count` bytes from `offset`, or null when they do not lie wholly
    // inside the buffer.
    std::uint8_t* data(std::int64_t offset, std::int64_t count);
    const std::uint8_t* data(std::int64_t offset, std::int64_t count) const;

protected:
    // For buffers over memory they do not own: the base never frees it.
    DataBuffer(std::uint8_t* borrowed, std::int32_t size);
    // Points the buffer at other memory it does not own (an owned array is
    // freed first).
    void borrow(std::uint8_t* borrowed, std::int32_t size);
    bool ownsBytes() const { return owned_; }

private:
    std::int32_t size_ = 0;
    std::uint8_t* bytes_ = nullptr;
    bool owned_ = true;
};

} // namespace Omvi
