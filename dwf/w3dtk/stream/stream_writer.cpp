#include "dwf/w3dtk/stream/stream_writer.h"

#include "dwf/w3dtk/stream/opcode_names.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include "dwfcore/Exception.h"
#include "dwfcore/OutputStream.h"

#include <new>
#include <string>

namespace
{
std::u16string widen(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}
} // namespace

W3DStreamWriter::W3DStreamWriter(DWFCore::DWFOutputStream& stream, BStreamFileToolkit& toolkit,
                                 int bufferSize)
    : _stream(stream), _toolkit(toolkit), _size(bufferSize)
{
    if (bufferSize < 1 || bufferSize > Buffer_Size)
        DWFCORE_THROW(DWFInvalidArgumentException, u"Stream writer buffer size out of range",
                      "W3DStreamWriter::W3DStreamWriter");
}

W3DStreamWriter::~W3DStreamWriter()
{
    if (!_open)
        return;
    try
    {
        close();
    }
    catch (...)
    {
    }
}

TK_Status W3DStreamWriter::open()
{
    TK_Status const status = _toolkit.PrepareBuffer(_buffer, _size);
    _open = true;
    return status;
}

void W3DStreamWriter::_write(const char* bytes, int count, const char* function)
{
    if (_stream.write(bytes, static_cast<std::size_t>(count)) != static_cast<std::size_t>(count))
        DWFCORE_THROW(DWFIOException, u"Failed to write W3D stream", function);
}

void W3DStreamWriter::_handOver(const char* function)
{
    for (;;)
    {
        int const filled = _toolkit.CurrentBufferLength();
        if (filled > 0)
            _write(_buffer, filled, function);
        TK_Status const status = _toolkit.PrepareBuffer(_buffer, _size);
        if (status == TK_Done)
            return;
        if (status != TK_Pending)
            DWFCORE_THROW(DWFIOException, u"Failed to compress W3D stream", function);
    }
}

void W3DStreamWriter::_fail(const BBaseOpcodeHandler& handler, const char* function)
{
    std::string text = "Failed to write W3D record " + TK_Opcode_Text(handler.Opcode());
    if (!_toolkit.LastError().empty())
        text += ": " + _toolkit.LastError();
    DWFCORE_THROW(DWFUnexpectedException, widen(text).c_str(), function);
}

void W3DStreamWriter::notify(BBaseOpcodeHandler& handler, TK_Key key)
{
    static const char* const function = "W3DStreamWriter::notify";
    try
    {
        if (!_open)
            DWFCORE_THROW(DWFIllegalStateException, u"Stream writer must be open", function);
        _toolkit.ClearLastError();
        // The record's own key is pending while it is written, so records that
        // tag their keys themselves tag this one.
        if (key != 0)
            _toolkit.set_last_key(key);
        else
            _toolkit.ClearLastKey();
        TK_Status status = handler.Write(_toolkit);
        while (status == TK_Pending)
        {
            _handOver(function);
            status = handler.Write(_toolkit);
        }
        if (status != TK_Done)
            _fail(handler, function);
        if (key != 0)
        {
            // A tag that meets a full buffer is written after the hand-over, so
            // every keyed record gets its index.
            _toolkit.set_last_key(key);
            status = _toolkit.TagPendingKeys(-1);
            while (status == TK_Pending)
            {
                _handOver(function);
                status = _toolkit.TagPendingKeys(-1);
            }
            if (status != TK_Done)
                _fail(handler, function);
        }
    }
    catch (const DWFCore::DWFException&)
    {
        handler.Reset();
        throw;
    }
    catch (const std::bad_alloc&)
    {
        handler.Reset();
        DWFCORE_THROW(DWFMemoryException, u"Out of memory writing W3D record", function);
    }
    handler.Reset();
}

void W3DStreamWriter::close()
{
    static const char* const function = "W3DStreamWriter::close";
    // Whatever happens below, the writer is closed: a failed close is reported
    // once, not again by the destructor.
    _open = false;
    // Bytes may still wait in the toolkit's overflow area when the last record
    // did not end in the buffer: hand over until both are empty.
    for (;;)
    {
        int const filled = _toolkit.CurrentBufferLength();
        if (filled > 0)
            _write(_buffer, filled, function);
        TK_Status const status = _toolkit.PrepareBuffer(_buffer, _size);
        if (status == TK_Error)
            DWFCORE_THROW(DWFIOException, u"Failed to compress W3D stream", function);
        if (status == TK_Done && _toolkit.CurrentBufferLength() == 0)
            break;
    }
    _stream.flush();
}
