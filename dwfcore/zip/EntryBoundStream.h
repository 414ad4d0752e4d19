#ifndef DWFCORE_ZIP_ENTRYBOUNDSTREAM_H
#define DWFCORE_ZIP_ENTRYBOUNDSTREAM_H

#include "dwfcore/OutputStream.h"

#include <cstdint>

namespace DWFCore
{

//
// Passes bytes on to another stream (not owned) until they would pass what
// one ZIP entry can hold (zipio::zipLimits().bytes), and then refuses them
// with a DWFOverflowException. A stream that is written first and packaged
// later (a sheet or a model in its temporary file) so fails as soon as it is
// too large for its entry, not after the whole stream has been written.
//
class DWFZipEntryBoundStream : public DWFOutputStream
{
public:
    // `what` names the stream in the failure ("The sheet's W2D stream").
    DWFZipEntryBoundStream(DWFOutputStream& target, const char16_t* what);

    void flush() override;
    size_t write(const void* buffer, size_t bytes) override;

    uint64_t written() const noexcept { return _written; }

private:
    DWFOutputStream& _target;
    const char16_t* _what;
    uint64_t _written = 0;
};

} // namespace DWFCore

#endif
