#pragma once

#include "dwf/w3dtk/stream/controlled_memory.h"
#include "dwf/w3dtk/stream/status.h"

#include <functional>
#include <vector>

namespace DWFCore
{
class DWFInputStream;
}

class BBaseOpcodeHandler;
class BStreamFileToolkit;

//
// Reads a W3D stream record by record through the toolkit's handler table:
// fills input buffers, has the default handler read each record (repeating the
// call with more input while it answers TK_Pending), lets an observer look at
// the record and executes it. The input bytes a pending read has not taken are
// kept and presented again in front of the next bytes.
//
// Every failure, an exception thrown underneath included, ends in TK_Error with
// the toolkit's LastError() saying why.
//
class W3DStreamReader : public BControlledMemoryObject
{
public:
    static constexpr int Default_Chunk = 4096;

    // Reads from `stream` (not owned), or, when it is null, from the file the
    // toolkit has open. Each refill asks for at most `chunk` bytes.
    explicit W3DStreamReader(BStreamFileToolkit& toolkit, DWFCore::DWFInputStream* stream = nullptr,
                             int chunk = Default_Chunk);
    ~W3DStreamReader();

    W3DStreamReader(const W3DStreamReader&) = delete;
    W3DStreamReader& operator=(const W3DStreamReader&) = delete;

    // Sees every record after it was read and before it is executed (the
    // terminator included, which is never executed).
    using Record_Observer = std::function<void(BBaseOpcodeHandler& handler)>;
    void setObserver(Record_Observer observer) { _observer = std::move(observer); }

    // Reads and executes one record. TK_Done, TK_Paused after a pause,
    // TK_Switched after a compression record, TK_Ended at the terminator (also on
    // every later call), TK_Too_New for a stream newer than accepted, TK_Error.
    TK_Status readRecord();
    // Reads records until the terminator (TK_Ended) or a failure.
    TK_Status read();

    bool ended() const { return _ended; }
    int records() const { return _records; }

private:
    TK_Status _readRecord();
    TK_Status _fill();

    BStreamFileToolkit& _toolkit;
    DWFCore::DWFInputStream* _stream;
    int _chunk;
    std::vector<char> _buffer;
    std::size_t _end = 0; // bytes of _buffer filled
    Record_Observer _observer;
    bool _ended = false;
    int _records = 0;
};
