#ifndef DWFCORE_ENCODINGOUTPUTSTREAM_H
#define DWFCORE_ENCODINGOUTPUTSTREAM_H

#include "dwfcore/Memory.h"
#include "dwfcore/OutputStream.h"

#include <vector>

namespace DWFCore
{

// Takes UTF-16 text (the byte count is 2 x characters) and passes its UTF-8
// form to the chained stream.
class DWFUTF8EncodingOutputStream : public DWFCoreMemory, public DWFOutputStream
{
public:
    DWFUTF8EncodingOutputStream(DWFOutputStream* stream, bool own);
    ~DWFUTF8EncodingOutputStream() override;

    DWFUTF8EncodingOutputStream(const DWFUTF8EncodingOutputStream&) = delete;
    DWFUTF8EncodingOutputStream& operator=(const DWFUTF8EncodingOutputStream&) = delete;

    void flush() override;
    // Returns what the chained stream's write returns.
    size_t write(const void* buffer, size_t bytes) override;

    // UTF-8 bytes produced so far.
    size_t bytesEncoded() const { return _encoded; }

private:
    DWFOutputStream* _stream;
    bool _own;
    size_t _encoded = 0;
    std::vector<char> _scratch;
};

// Escapes XML character data on its way to the chained stream: narrow text
// byte by byte, or (with the wide flag) zero-terminated UTF-16 text into
// UTF-16 text.
class DWFXMLEncodingOutputStream : public DWFCoreMemory, public DWFOutputStream
{
public:
    DWFXMLEncodingOutputStream(DWFOutputStream* stream, bool own, bool wideInput = false);
    ~DWFXMLEncodingOutputStream() override;

    DWFXMLEncodingOutputStream(const DWFXMLEncodingOutputStream&) = delete;
    DWFXMLEncodingOutputStream& operator=(const DWFXMLEncodingOutputStream&) = delete;

    // Replaces the chained stream (deleting an owned one) and restarts the
    // count.
    void attach(DWFOutputStream* stream, bool own);

    void flush() override;
    size_t write(const void* buffer, size_t bytes) override;

    size_t bytesEncoded() const { return _encoded; }

private:
    DWFOutputStream* _stream;
    bool _own;
    bool _wide;
    size_t _encoded = 0;
    std::vector<char> _narrow;
    std::vector<char16_t> _wideScratch;
};

} // namespace DWFCore

#endif
