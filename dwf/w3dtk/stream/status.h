#pragma once

// Results and keys shared by every part of the W3D toolkit.

#include <cstdint>

// What every handler and toolkit operation answers. An int, so that a caller
// can pass on whatever a callee returned without translating it.
typedef int TK_Status;

enum : TK_Status
{
    TK_Done = 0,           // the operation is complete
    TK_Error = 1,          // failure, reported through BStreamFileToolkit::Error
    TK_Paused = 2,         // a pause or streaming-mode record was read
    TK_Pending = 4,        // the buffer is full or more input is needed: call again
    TK_Switched = 5,       // a compression record was executed
    TK_Ended = 6,          // the terminator was read
    TK_Too_New = 7,        // the stream's version is newer than this reader accepts
    TK_Not_Found = 8,      // a key or index has no entry
    TK_Not_Applicable = 9, // an optional encoding does not apply to this data
};

// An application's name for an object of the stream. Always a 32-bit value of the
// application's own numbering: a pointer does not fit and is never used as a key.
typedef std::int32_t TK_Key;
