#pragma once

#include "dwf/w3dtk/stream/controlled_memory.h"
#include "dwf/w3dtk/stream/opcode_handler.h"

namespace DWFCore
{
class DWFOutputStream;
}

class BStreamFileToolkit;

//
// Connects the handlers of a W3D stream to a DWF output stream. A client sets
// the writer as a handler's observer, fills the handler and calls its serialize;
// the writer runs the handler's Write against the toolkit's buffer, hands every
// filled buffer to the output stream, tags the record's key and resets the
// handler.
//
// A record that cannot be written (the handler answers an error) is a
// DWFCore::DWFUnexpectedException: part of it may already be in the stream, so
// the stream is not to be finished as if nothing happened.
//
class W3DStreamWriter : public BControlledMemoryObject, public BaseOpcodeHandlerObserver
{
public:
    static constexpr int Buffer_Size = 4096;

    // Neither the stream nor the toolkit is owned. A smaller buffer (at least 1
    // byte) only serves tests that cut records at every position.
    W3DStreamWriter(DWFCore::DWFOutputStream& stream, BStreamFileToolkit& toolkit,
                    int bufferSize = Buffer_Size);
    // Closes a writer still open, swallowing any failure: call close to see it.
    ~W3DStreamWriter() override;

    W3DStreamWriter(const W3DStreamWriter&) = delete;
    W3DStreamWriter& operator=(const W3DStreamWriter&) = delete;

    // Gives the writer's buffer to the toolkit; the toolkit's status.
    TK_Status open();
    // Writes one record completely, tags its key when it is not 0 and resets the
    // handler, also when writing throws.
    void notify(BBaseOpcodeHandler& handler, TK_Key key) override;
    // Hands over everything still buffered, the overflow included, and flushes.
    void close();

    bool isOpen() const { return _open; }

private:
    void _handOver(const char* function);
    void _write(const char* bytes, int count, const char* function);
    [[noreturn]] void _fail(const BBaseOpcodeHandler& handler, const char* function);

    DWFCore::DWFOutputStream& _stream;
    BStreamFileToolkit& _toolkit;
    int _size;
    bool _open = false;
    char _buffer[Buffer_Size];
};
