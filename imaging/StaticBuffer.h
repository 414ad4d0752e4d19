#pragma once
// A DataBuffer over memory it does not own: rows of a caller's bitmap that
// a row provider writes straight into. The memory is never freed, resized
// or replaced by the buffer; the user may move it along (setData), for
// example down the rows of an image.
#include "imaging/DataBuffer.h"

namespace Omvi
{

class StaticBuffer : public DataBuffer
{
public:
    // `size` bytes at `data`, which must stay valid while the buffer points
    // there.
    StaticBuffer(std::uint8_t* data, std::int32_t size);
    ~StaticBuffer() override;

    // Keeps the memory: a count up to the size given at construction only
    // changes how much of it the buffer shows; more throws
    // ImageFilterException 6 "Row buffer too small".
    std::uint8_t* resize(std::int32_t count) override;
    // Copies the other's bytes into the memory; more bytes than it holds
    // throw ImageFilterException 6 and change nothing.
    StaticBuffer& operator=(const DataBuffer& other) override;
    StaticBuffer& operator=(const StaticBuffer& other);

    // Points the buffer at other memory of the same size.
    void setData(std::uint8_t* data);
    std::int32_t capacity() const { return capacity_; }

private:
    std::int32_t capacity_;
};

} // namespace Omvi
