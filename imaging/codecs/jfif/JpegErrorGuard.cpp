#include "imaging/codecs/jfif/JpegErrorGuard.h"

#include "imaging/codecs/codec/CallbackFailure.h"

#include <algorithm>
#include <cstdlib>

#include <jerror.h>

namespace Omvi
{
namespace
{

JpegErrorGuard* guardOf(j_common_ptr object)
{
    return static_cast<JpegErrorGuard*>(object->client_data);
}

// Keeps libjpeg's text of the message at hand as the reason, unless one
// was kept already.
void keepReason(j_common_ptr object)
{
    JpegErrorGuard* guard = guardOf(object);
    if (guard->reason[0] == '\0')
        (*object->err->format_message)(object, guard->reason);
}

// error_exit: back to runJpegStep, never into the code that called libjpeg.
void jumpBack(j_common_ptr object)
{
    keepReason(object);
    std::longjmp(guardOf(object)->jump, 1);
}

// Warnings and traces go nowhere: a library does not print.
void silent(j_common_ptr) {}

void noteScanComponents(j_decompress_ptr info, JpegErrorGuard& guard)
{
    const int count = std::min(info->comps_in_scan, MAX_COMPS_IN_SCAN);
    for (int i = 0; i < count; ++i)
    {
        const jpeg_component_info* component = info->cur_comp_info[i];
        if (component != nullptr && component->component_index >= 0 && component->component_index < 32)
            guard.componentsScanned |= 1u << component->component_index;
    }
}

// Whether the scans read so far code the whole image: every component, and
// in a progressive file every coefficient of each down to its last bit.
bool scansCodeEverything(j_decompress_ptr info, const JpegErrorGuard& guard)
{
    if (info->num_components < 1 || info->num_components > 32)
        return false;
    if (info->progressive_mode)
    {
        if (info->coef_bits == nullptr)
            return false;
        for (int c = 0; c < info->num_components; ++c)
            for (int k = 0; k < DCTSIZE2; ++k)
                if (info->coef_bits[c][k] != 0)
                    return false;
        return true;
    }
    const unsigned every = info->num_components == 32 ? ~0u : (1u << info->num_components) - 1;
    return (guard.componentsScanned & every) == every;
}

// Counts warnings as libjpeg's own manager does, and notes those that tell
// the data ran out under the image.
void noteMessage(j_common_ptr object, int level)
{
    if (level >= 0)
        return;  // a trace
    jpeg_error_mgr* manager = object->err;
    ++manager->num_warnings;
    JpegErrorGuard* guard = guardOf(object);
    if (guard->warningsAreErrors)
        jumpBack(object);
    if (manager->msg_code == JWRN_JPEG_EOF)
    {
        keepReason(object);
        guard->dataEnded = true;
        if (object->is_decompressor)
        {
            auto* info = reinterpret_cast<j_decompress_ptr>(object);
            noteScanComponents(info, *guard);
            if (info->arith_code || !scansCodeEverything(info, *guard))
                guard->dataRanShort = true;
        }
    }
    else if (manager->msg_code == JWRN_HIT_MARKER && guard->dataEnded)
    {
        guard->dataRanShort = true;
    }
}

// Notes the components of the scan under way, and stops a decompression
// whose file holds more scans than any sensible one.
void watchScans(j_common_ptr object)
{
    if (!object->is_decompressor)
        return;
    auto* info = reinterpret_cast<j_decompress_ptr>(object);
    noteScanComponents(info, *guardOf(object));
    if (info->input_scan_number > kJpegScanLimit)
        ERREXIT(object, JERR_NOTIMPL);
}

void limitMemory(j_common_ptr object)
{
    // libjpeg takes JPEGMEM from the environment into the same field; a
    // limit given there stands.
    if (object->mem != nullptr && object->mem->max_memory_to_use == 0)
        object->mem->max_memory_to_use = kJpegMemoryLimit;
}

} // namespace

void installJpegErrorGuard(JpegErrorGuard& guard, j_common_ptr object)
{
    jpeg_std_error(&guard.manager);
    guard.manager.error_exit = jumpBack;
    guard.manager.output_message = silent;
    guard.manager.emit_message = noteMessage;
    guard.callbackFailure = nullptr;
    guard.dataEnded = false;
    guard.dataRanShort = false;
    guard.componentsScanned = 0;
    guard.reason[0] = '\0';
    object->err = &guard.manager;
    object->client_data = &guard;
}

bool runJpegStep(JpegErrorGuard& guard, JpegStep step, void* context)
{
    // Nothing with a destructor lives in this frame or in `step`: the jump
    // from error_exit lands here with nothing skipped.
    if (setjmp(guard.jump) != 0)
        return false;
    step(context);
    return true;
}

void throwJpegFailure(JpegErrorGuard& guard)
{
    throwKeptFailure(guard.callbackFailure, guard.reason);
}

void failJpegCallback(j_common_ptr object, int code)
{
    ERREXIT(object, code);
    // error_exit never returns; this keeps the compiler sure of it.
    std::abort();
}

void limitJpegDecompressor(j_decompress_ptr info, jpeg_progress_mgr& progress)
{
    limitMemory(reinterpret_cast<j_common_ptr>(info));
    progress.progress_monitor = watchScans;
    progress.pass_counter = 0;
    progress.pass_limit = 0;
    progress.completed_passes = 0;
    progress.total_passes = 0;
    info->progress = &progress;
}

void limitJpegCompressor(j_compress_ptr info)
{
    limitMemory(reinterpret_cast<j_common_ptr>(info));
}

} // namespace Omvi
