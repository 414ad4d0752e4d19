#ifndef DWFPACKAGE_BYTESINPUTSTREAM_H
#define DWFPACKAGE_BYTESINPUTSTREAM_H

#include "dwfcore/BufferInputStream.h"

#include <utility>
#include <vector>

namespace DWFToolkit
{

namespace detail
{
// Holds the bytes; a base listed first, so they exist before the stream over them.
struct DWFBytesHolder
{
    explicit DWFBytesHolder(std::vector<unsigned char>&& bytes) : held(std::move(bytes)) {}
    std::vector<unsigned char> held;
};
} // namespace detail

//
// A buffer stream that owns its bytes, so that it may outlive whatever
// produced them (a built document, an inflated package entry).
//
class DWFBytesInputStream : private detail::DWFBytesHolder, public DWFCore::DWFBufferInputStream
{
public:
    explicit DWFBytesInputStream(std::vector<unsigned char>&& bytes)
        : DWFBytesHolder(std::move(bytes)), DWFBufferInputStream(held.data(), held.size())
    {
    }
};

} // namespace DWFToolkit

#endif
