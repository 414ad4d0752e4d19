#include "imaging/codecs/png/PngErrorGuard.h"

#include "imaging/codecs/codec/CallbackFailure.h"

#include <cstdlib>
#include <cstring>

namespace Omvi
{
namespace
{

// Ancillary chunks a reader keeps, and the bytes one chunk (or one
// decompressed text) may take: a file cannot make the reader hold more.
constexpr png_uint_32 kChunkCacheLimit = 1000;
constexpr png_alloc_size_t kChunkMemoryLimit = 8 * 1024 * 1024;

PngErrorState* stateOf(png_structp png)
{
    return static_cast<PngErrorState*>(png_get_error_ptr(png));
}

void jumpBack(png_structp png, png_const_charp message)
{
    if (PngErrorState* state = stateOf(png); state != nullptr && message != nullptr)
    {
        std::strncpy(state->reason, message, sizeof state->reason - 1);
        state->reason[sizeof state->reason - 1] = '\0';
    }
    png_longjmp(png, 1);
}

void silent(png_structp, png_const_charp) {}

} // namespace

png_voidp allocatePngMemory(png_structp, png_alloc_size_t size)
{
    return size <= kPngAllocationLimit ? std::malloc(size) : nullptr;
}

void freePngMemory(png_structp, png_voidp block)
{
    std::free(block);
}

png_structp createPngReadStruct(PngErrorState& state)
{
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &state, jumpBack, silent, nullptr,
                                               allocatePngMemory, freePngMemory);
    if (png != nullptr)
        limitPngReader(png);
    return png;
}

void limitPngReader(png_structp png)
{
    png_set_user_limits(png, kPngSizeLimit, kPngSizeLimit);
    png_set_chunk_cache_max(png, kChunkCacheLimit);
    png_set_chunk_malloc_max(png, kChunkMemoryLimit);
}

png_structp createPngWriteStruct(PngErrorState& state)
{
    return png_create_write_struct_2(PNG_LIBPNG_VER_STRING, &state, jumpBack, silent, nullptr, allocatePngMemory,
                                     freePngMemory);
}

bool runPngStep(png_structp png, PngStep step, void* context)
{
    // Nothing with a destructor lives in this frame or in `step`: the jump
    // from the error function lands here with nothing skipped.
    if (setjmp(png_jmpbuf(png)) != 0)
        return false;
    step(png, context);
    return true;
}

void throwPngFailure(PngErrorState& state)
{
    throwKeptFailure(state.callbackFailure, state.reason);
}

void keepPngCallbackFailure(png_structp png)
{
    stateOf(png)->callbackFailure = std::current_exception();
}

} // namespace Omvi
