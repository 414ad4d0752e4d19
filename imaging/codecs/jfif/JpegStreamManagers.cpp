#include "imaging/codecs/jfif/JpegStreamManagers.h"

#include "imaging/codecs/jfif/JpegErrorGuard.h"
#include "imaging/pipeline/DataStreamInterface.h"

#include <cstdio>

#include <jerror.h>

namespace Omvi
{
namespace
{

constexpr int kBufferSize = 4096;

// Plain records in libjpeg's pools: nothing here has a constructor or a
// destructor, so libjpeg may free them and the error jump may skip them.
struct StreamSource
{
    jpeg_source_mgr pub;
    DataStreamInterface* stream;
    JOCTET* buffer;
    boolean startOfFile;
};

struct StreamDestination
{
    jpeg_destination_mgr pub;
    DataStreamInterface* stream;
    JOCTET* buffer;
};

JpegErrorGuard* guardOf(j_common_ptr object)
{
    return static_cast<JpegErrorGuard*>(object->client_data);
}

void initSource(j_decompress_ptr info)
{
    reinterpret_cast<StreamSource*>(info->src)->startOfFile = TRUE;
}

// Reads the next block; the stream's exceptions are kept for the codec.
std::int32_t readBlock(j_decompress_ptr info, StreamSource* source, bool& threw)
{
    std::int32_t got = 0;
    threw = false;
    try
    {
        source->stream->read(kBufferSize, source->buffer, &got);
    }
    catch (...)
    {
        guardOf(reinterpret_cast<j_common_ptr>(info))->callbackFailure = std::current_exception();
        threw = true;
    }
    return got;
}

boolean fillSource(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<StreamSource*>(info->src);
    bool threw = false;
    std::int32_t got = readBlock(info, source, threw);
    if (threw)
        failJpegCallback(reinterpret_cast<j_common_ptr>(info), JERR_FILE_READ);
    if (got < 1)
    {
        if (source->startOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        got = 2;
    }
    if (got > kBufferSize)
        got = kBufferSize;  // a stream that claims more than it was asked for
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = static_cast<std::size_t>(got);
    source->startOfFile = FALSE;
    return TRUE;
}

void skipSource(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    auto* source = reinterpret_cast<StreamSource*>(info->src);
    while (count > static_cast<long>(source->pub.bytes_in_buffer))
    {
        count -= static_cast<long>(source->pub.bytes_in_buffer);
        fillSource(info);
    }
    source->pub.next_input_byte += count;
    source->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void termSource(j_decompress_ptr) {}

void initDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<StreamDestination*>(info->dest);
    destination->buffer = static_cast<JOCTET*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, kBufferSize));
    destination->pub.next_output_byte = destination->buffer;
    destination->pub.free_in_buffer = kBufferSize;
}

// Writes `count` bytes of the buffer; false when the stream refused them or
// threw (kept for the codec).
bool writeBlock(j_compress_ptr info, StreamDestination* destination, std::size_t count, bool close)
{
    bool written = false;
    try
    {
        written = count == 0 ||
                  destination->stream->write(static_cast<std::int32_t>(count), destination->buffer);
        if (written && close)
            destination->stream->close();
    }
    catch (...)
    {
        guardOf(reinterpret_cast<j_common_ptr>(info))->callbackFailure = std::current_exception();
        written = false;
    }
    return written;
}

boolean emptyDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<StreamDestination*>(info->dest);
    if (!writeBlock(info, destination, kBufferSize, false))
        failJpegCallback(reinterpret_cast<j_common_ptr>(info), JERR_FILE_WRITE);
    destination->pub.next_output_byte = destination->buffer;
    destination->pub.free_in_buffer = kBufferSize;
    return TRUE;
}

void termDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<StreamDestination*>(info->dest);
    const std::size_t pending = kBufferSize - destination->pub.free_in_buffer;
    if (!writeBlock(info, destination, pending, true))
        failJpegCallback(reinterpret_cast<j_common_ptr>(info), JERR_FILE_WRITE);
}

} // namespace

void jpegStreamSource(j_decompress_ptr info, DataStreamInterface* stream)
{
    auto* common = reinterpret_cast<j_common_ptr>(info);
    if (info->src == nullptr)
    {
        auto* source = static_cast<StreamSource*>(
            (*info->mem->alloc_small)(common, JPOOL_PERMANENT, sizeof(StreamSource)));
        source->buffer =
            static_cast<JOCTET*>((*info->mem->alloc_small)(common, JPOOL_PERMANENT, kBufferSize));
        info->src = &source->pub;
    }
    auto* source = reinterpret_cast<StreamSource*>(info->src);
    source->pub.init_source = initSource;
    source->pub.fill_input_buffer = fillSource;
    source->pub.skip_input_data = skipSource;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = termSource;
    source->pub.bytes_in_buffer = 0;
    source->pub.next_input_byte = nullptr;
    source->stream = stream;
    source->startOfFile = TRUE;
}

void jpegStreamDestination(j_compress_ptr info, DataStreamInterface* stream)
{
    if (info->dest == nullptr)
    {
        info->dest = static_cast<jpeg_destination_mgr*>((*info->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, sizeof(StreamDestination)));
    }
    auto* destination = reinterpret_cast<StreamDestination*>(info->dest);
    destination->pub.init_destination = initDestination;
    destination->pub.empty_output_buffer = emptyDestination;
    destination->pub.term_destination = termDestination;
    destination->stream = stream;
    destination->buffer = nullptr;
}

} // namespace Omvi
