#pragma once
// The bridge between libjpeg's error handling and the codec's exceptions.
//
// libjpeg reports a fatal error by calling its error manager's error_exit,
// which must not return. Here error_exit jumps (longjmp) back to the point
// where runJpegStep called into libjpeg. Between that point and the jump lie
// only libjpeg's own C frames and the plain callbacks of this folder, none of
// which holds a C++ object with a destructor, so nothing is skipped and no
// C++ exception ever unwinds through a C frame. The caller, back in C++,
// turns the failure into the codec's exception.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <cstddef>

#include <jpeglib.h>

namespace Omvi
{

// libjpeg's working memory for one image (coefficient buffers of
// progressive and multi-scan files) when the environment sets no JPEGMEM:
// a file that would need more is refused as corrupt rather than grown
// without bound.
constexpr long kJpegMemoryLimit = 1024L * 1024L * 1024L;
// Scans a file may hold; progressive files of thousands of tiny scans take
// time out of all proportion to their size.
constexpr int kJpegScanLimit = 1000;

// One error manager per libjpeg object. It is reached from libjpeg's
// callbacks through the object's client_data, so it must stay where it is
// for the object's life.
struct JpegErrorGuard
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    // A C++ exception caught in a callback (a stream that threw), raised
    // again once control is back in C++.
    std::exception_ptr callbackFailure;
    // The compressed data ended (the source supplied an end-of-image marker
    // in its place), and the decoder lacked coded data for what it decodes
    // from there on: the rows from there on are made up, not decoded.
    // Huffman-coded data tells by the decoder needing bits it did not have;
    // arithmetic-coded data never tells, so its end is always short; a file
    // of several scans is short when its scans so far leave a component (or,
    // progressive, a coefficient) not coded in full.
    bool dataEnded = false;
    bool dataRanShort = false;
    // The components (bit i for component i) the scans so far coded.
    unsigned componentsScanned = 0;
    // Every warning of the decoder (damage it worked around: corrupt coded
    // data, a marker out of place, data ending early) stops the work as an
    // error does.
    bool warningsAreErrors = false;
    // libjpeg's words for the error that stopped the work, or for the first
    // warning that told of missing or damaged data; empty when there was
    // neither.
    char reason[JMSG_LENGTH_MAX] = {};
};

// Fills the manager (libjpeg's standard one, silent, with the jumping
// error_exit and the warnings of missing data noted) and ties it to the
// libjpeg object.
void installJpegErrorGuard(JpegErrorGuard& guard, j_common_ptr object);

// A step of libjpeg work: a plain function that calls libjpeg and keeps no
// C++ objects of its own.
using JpegStep = void (*)(void* context);

// Runs `step` with the guard's jump point set; false when libjpeg raised an
// error (the object must then be aborted or destroyed).
bool runJpegStep(JpegErrorGuard& guard, JpegStep step, void* context);

// After a failed step: raises again the exception a callback caught, an
// imaging exception as it was and anything else as "Corrupt image file";
// without one, "Corrupt image file" (code 8) with libjpeg's reason. Never
// returns.
[[noreturn]] void throwJpegFailure(JpegErrorGuard& guard);

// Called by this folder's C callbacks after they caught a C++ exception:
// keeps it for throwJpegFailure and raises a libjpeg error with `code`.
// Must be called outside the catch block.
[[noreturn]] void failJpegCallback(j_common_ptr object, int code);

// The working-memory limit and the scan limit of a decompressor, and the
// components its scans code noted; the progress manager must live as long
// as the decompressor.
void limitJpegDecompressor(j_decompress_ptr info, jpeg_progress_mgr& progress);
// The working-memory limit of a compressor.
void limitJpegCompressor(j_compress_ptr info);

} // namespace Omvi
