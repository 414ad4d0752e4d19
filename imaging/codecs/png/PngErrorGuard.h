#pragma once
// The bridge between libpng's error handling and the codec's exceptions.
//
// libpng reports an error by calling the error function, which must not
// return. Ours jumps (longjmp) back to runPngStep, the only place that sets
// the jump point. Between runPngStep and the jump lie libpng's own C frames
// and plain step functions that hold nothing with a destructor, so nothing
// is skipped and no C++ exception ever unwinds through libpng. Back in C++
// the caller turns the failure into the codec's exception. Warnings are
// dropped: a library does not print.
#include <cstdint>
#include <exception>

#include <png.h>

namespace Omvi
{

// The largest width and height a file may declare (libpng's own default,
// kept so on every structure).
constexpr std::uint32_t kPngSizeLimit = 1000000;

// Per libpng structure: what a callback caught, raised again once control is
// back in C++, and libpng's words for the error that stopped it ("IEND: CRC
// error"). Must stay where it is for the structure's life.
struct PngErrorState
{
    std::exception_ptr callbackFailure;
    char reason[128] = {};
};

// New libpng structures with the jumping error function and silent warnings;
// null when memory runs out. A reader also gets the size and chunk limits.
png_structp createPngReadStruct(PngErrorState& state);
// The limits every reading structure gets (the probe's too): width and
// height, ancillary chunks kept, and bytes one chunk (or one decompressed
// text) may take, whatever length the file declares.
void limitPngReader(png_structp png);

// The largest block libpng may take in one allocation. Rows of the widest
// image (1,000,000 pixels of 64 bits) and the largest chunk kept stay below
// it; a chunk whose declared length is larger is skipped or refused (libpng
// goes on after a length it merely warns about).
constexpr png_alloc_size_t kPngAllocationLimit = 32 * 1024 * 1024;
// The memory functions of every libpng structure: malloc and free, with
// requests above kPngAllocationLimit refused.
png_voidp allocatePngMemory(png_structp png, png_alloc_size_t size);
void freePngMemory(png_structp png, png_voidp block);
png_structp createPngWriteStruct(PngErrorState& state);

// A step of libpng work: a plain function that calls libpng and keeps no C++
// objects of its own alive across those calls.
using PngStep = void (*)(png_structp png, void* context);

// Runs `step` with the jump point set; false when libpng raised an error.
bool runPngStep(png_structp png, PngStep step, void* context);

// After a failed step: raises again what a callback caught (an imaging
// exception as it was, anything else as "Corrupt image file"), otherwise
// FormatCodecException "Corrupt image file" (code 8) with libpng's reason.
// Never returns.
[[noreturn]] void throwPngFailure(PngErrorState& state);

// For the I/O callbacks, inside their catch-all block: keeps the exception
// being handled for throwPngFailure. The callback then leaves the block
// and raises a libpng error (png_error) with nothing left to destroy.
void keepPngCallbackFailure(png_structp png);

} // namespace Omvi
