#pragma once

#include <cstdint>

// Every operation of the W2D toolkit reports through one of these codes.
// Operations without a return value (constructors, setters) throw the code
// itself; nothing on the reading path ever throws.
enum WT_Result : std::uint32_t
{
    WT_Result_Success = 0,
    WT_Result_Waiting_For_Data = 1, // fewer bytes arrived than asked for; repeat later
    WT_Result_Corrupt_Stream = 2,   // a token or operand is malformed
    WT_Result_Stream_Failure = 3,   // the stream procedure failed (read, seek, tell)
    WT_Result_End_Of_Input = 4,     // the input stream has no more bytes
    WT_Result_Out_Of_Memory = 5,
    WT_Result_Already_Open = 6,
    WT_Result_Not_Open = 7,
    WT_Result_Write_Failed = 8,          // also: an image lacks its colour map
    WT_Result_Open_Failed = 9,           // open procedure failed, or bad open mode
    WT_Result_Not_Available = 10,        // operation not offered by this object or form
    WT_Result_Not_A_W2D_Stream = 11,     // bad six-byte header or version digits
    WT_Result_Unknown_Opcode = 14,       // single-byte opcode nobody knows
    WT_Result_Inconsistent_Operand = 15, // frame size and contents disagree
    WT_Result_End_Of_Stream = 16,        // the end-of-stream object was processed
    WT_Result_Undefined_Reference = 17,  // names a definition the file does not hold
    WT_Result_Usage_Error = 18,
    WT_Result_Compressed_Data_End = 19,    // a decompressor reached the end of its section
    WT_Result_Needs_Version_55 = 20,       // open mode refused for target versions below 55
    WT_Result_Foreign_Opcode = 21,         // the opcode read does not belong to this object
    WT_Result_Old_Header_New_Version = 22, // "(DWF V" announcing version 6.00 or newer
};

// Stops the calling operation with the first failure of a step.
#define WT_CHECK(expr)                                                                             \
    do                                                                                             \
    {                                                                                              \
        WT_Result wt_check_result_ = (expr);                                                       \
        if (wt_check_result_ != WT_Result_Success)                                                 \
            return wt_check_result_;                                                               \
    } while (0)

// For resumable readers: a failed read leaves the stage at the start, so the
// next call starts over instead of resuming half way; waiting keeps it.
inline WT_Result wt_restart_on_failure(WT_Result result, int& stage)
{
    if (result != WT_Result_Success && result != WT_Result_Waiting_For_Data)
        stage = 0;
    return result;
}
