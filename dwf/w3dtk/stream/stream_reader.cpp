#include "dwf/w3dtk/stream/stream_reader.h"

#include "dwf/w3dtk/stream/opcode_handler.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include "dwfcore/Exception.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

W3DStreamReader::W3DStreamReader(BStreamFileToolkit& toolkit, DWFCore::DWFInputStream* stream,
                                 int chunk)
    : _toolkit(toolkit), _stream(stream), _chunk(chunk < 1 ? Default_Chunk : chunk)
{
    if (_stream)
        _toolkit.AttachStream(_stream);
}

W3DStreamReader::~W3DStreamReader()
{
    if (_stream)
        _toolkit.DetachStream();
}

TK_Status W3DStreamReader::_fill()
{
    // The bytes the toolkit has not taken are the tail of what it was given last.
    std::size_t const left = static_cast<std::size_t>(_toolkit.BytesLeft());
    std::size_t start = _end - std::min(left, _end);
    // Move the tail to the front once it is no longer than what was consumed
    // before it, so each byte is moved a bounded number of times.
    if (start > 0 && start >= _end - start)
    {
        std::memmove(_buffer.data(), _buffer.data() + start, _end - start);
        _end -= start;
        start = 0;
    }
    std::size_t const chunk = static_cast<std::size_t>(_chunk);
    if (_buffer.size() - _end < chunk)
        _buffer.resize(_end + chunk);
    int amount = 0;
    TK_TRY(_toolkit.ReadBuffer(_buffer.data() + _end, _chunk, amount));
    if (amount <= 0)
        return _toolkit.Error("unexpected end of W3D stream");
    _end += static_cast<std::size_t>(amount);
    return _toolkit.PrepareBuffer(_buffer.data() + start, static_cast<int>(_end - start));
}

TK_Status W3DStreamReader::_readRecord()
{
    BBaseOpcodeHandler& reader = _toolkit.GetDefaultHandler();
    TK_Status status = reader.Read(_toolkit);
    while (status == TK_Pending)
    {
        TK_Status const filled = _fill();
        if (filled != TK_Done)
        {
            // The next call starts with a fresh opcode, not inside a broken record.
            reader.Reset();
            return filled;
        }
        status = reader.Read(_toolkit);
    }
    if (status != TK_Done && status != TK_Paused && status != TK_Ended)
        return status;
    ++_records;
    BBaseOpcodeHandler& record = _toolkit.GetCurrentHandler();
    if (_observer)
        _observer(record);
    if (status == TK_Ended)
    {
        _ended = true;
        return TK_Ended;
    }
    TK_Status const executed = record.Execute(_toolkit);
    return executed != TK_Done ? executed : status;
}

TK_Status W3DStreamReader::readRecord()
{
    if (_ended)
        return TK_Ended;
    try
    {
        return _readRecord();
    }
    catch (const DWFCore::DWFException& exception)
    {
        std::string message;
        for (const char16_t* c = exception.message(); *c; ++c)
            message.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
        return _toolkit.Error(message.c_str());
    }
    catch (const std::bad_alloc&)
    {
        return _toolkit.Error("out of memory reading W3D stream");
    }
}

TK_Status W3DStreamReader::read()
{
    for (;;)
    {
        TK_Status const status = readRecord();
        if (status != TK_Done && status != TK_Paused && status != TK_Switched)
            return status;
    }
}
