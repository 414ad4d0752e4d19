#include "dwfcore/zip/EntryBoundStream.h"

#include "dwfcore/Exception.h"
#include "dwfcore/zip/Format.h"

#include <string>

namespace DWFCore
{

DWFZipEntryBoundStream::DWFZipEntryBoundStream(DWFOutputStream& target, const char16_t* what)
    : _target(target), _what(what)
{
}

void DWFZipEntryBoundStream::flush()
{
    _target.flush();
}

size_t DWFZipEntryBoundStream::write(const void* buffer, size_t bytes)
{
    const uint64_t limit = zipio::zipLimits().bytes;
    if (_written > limit || bytes > limit - _written)
    {
        const std::u16string message =
            std::u16string(_what) + u" would pass the ZIP format's limit of 4 GiB for an entry";
        DWFCORE_THROW(DWFOverflowException, message.c_str(),
                      "DWFCore::DWFZipEntryBoundStream::write");
    }
    const size_t accepted = _target.write(buffer, bytes);
    _written += accepted;
    return accepted;
}

} // namespace DWFCore
