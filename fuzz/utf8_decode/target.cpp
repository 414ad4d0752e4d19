// UTF-8 bytes from anywhere (ZIP entry names, XML text) through DWFString.
#include "dwfcore/Exception.h"
#include "dwfcore/String.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using DWFCore::DWFString;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);

    // A buffer of 2 x bytes + 2 always suffices.
    std::vector<char16_t> wide(size + 1);
    const std::size_t written = DWFString::DecodeUTF8(bytes, size, wide.data(), wide.size() * 2);
    if (written > size * 2 || wide[written / 2] != 0)
    {
        std::abort();
    }

    // Decoded text is well formed, so encoding and decoding again is exact.
    DWFString text;
    text.assign(bytes, size);
    if (text.bytes() != written)
    {
        std::abort();
    }
    const std::string utf8 = text.toUTF8();
    DWFString again;
    again.assign(utf8.data(), utf8.size());
    if (!(again == text))
    {
        std::abort();
    }

    // Too small a buffer is refused, never overrun.
    if (size > 0)
    {
        std::vector<char16_t> small(size / 4 + 1);
        try
        {
            DWFString::DecodeUTF8(bytes, size, small.data(), small.size() * 2);
        }
        catch (const DWFCore::DWFOverflowException&)
        {
        }
    }
    return 0;
}
