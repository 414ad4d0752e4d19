#include "imaging/codecs/png/PngDecoder.h"

#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/pipeline/DataStreamInterface.h"

#include <algorithm>
#include <limits>
#include <new>

namespace Omvi
{
namespace
{

// Fills exactly `length` bytes from a stream that may hand them out in
// pieces; false when it ends first.
bool readStream(DataStreamInterface& stream, png_bytep data, png_size_t length)
{
    while (length > 0)
    {
        const auto piece = static_cast<std::int32_t>(
            std::min<png_size_t>(length, static_cast<png_size_t>(std::numeric_limits<std::int32_t>::max())));
        std::int32_t got = 0;
        stream.read(piece, data, &got);
        if (got < 1 || got > piece)
            return false;
        data += got;
        length -= static_cast<png_size_t>(got);
    }
    return true;
}

void readInput(png_structp png, png_bytep data, png_size_t length)
{
    auto* input = static_cast<PngDecoder::Input*>(png_get_io_ptr(png));
    bool complete = false;
    if (input->file != nullptr)
    {
        complete = input->file->read(data, length);
    }
    else
    {
        try
        {
            complete = readStream(*input->stream, data, length);
        }
        catch (...)
        {
            keepPngCallbackFailure(png);
        }
    }
    if (!complete)
        png_error(png, "Premature end of PNG file");
}

void readInfo(png_structp png, void* context)
{
    png_read_info(png, static_cast<png_infop>(context));
}

// The chunks after the image data matter only for being whole: none is kept.
void readEndChunks(png_structp png, void*)
{
    png_read_end(png, nullptr);
}

} // namespace

PngDecoder::PngDecoder(const std::string& nativePath, bool strict) : strict_(strict)
{
    if (nativePath.empty() || !file_.open(nativePath))
        return;
    fileReader_ = std::make_unique<BufferedFileReader>(file_);
    input_.file = fileReader_.get();
    readHeader();
}

PngDecoder::PngDecoder(DataStreamInterface* stream, bool strict) : strict_(strict)
{
    if (stream == nullptr)
        throwFormatCodecException("NULL parameter", kCodecNullParameter);
    input_.stream = stream;
    readHeader();
}

PngDecoder::~PngDecoder()
{
    destroyStructures();
}

void PngDecoder::destroyStructures()
{
    if (png_ != nullptr)
        png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
    png_ = nullptr;
    info_ = nullptr;
}

void PngDecoder::readHeader()
{
    destroyStructures();
    rowsStarted_ = false;
    errors_.reason[0] = '\0';
    png_ = createPngReadStruct(errors_);
    if (png_ == nullptr)
        throw std::bad_alloc();
    if (strict_)
        png_set_crc_action(png_, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    info_ = png_create_info_struct(png_);
    if (info_ == nullptr)
    {
        destroyStructures();
        throw std::bad_alloc();
    }
    png_set_read_fn(png_, &input_, readInput);
    if (!runPngStep(png_, readInfo, info_))
    {
        // A decoder whose header failed holds no structures, so a throwing
        // constructor leaves nothing behind.
        destroyStructures();
        throwPngFailure(errors_);
    }
}

void PngDecoder::run(PngStep step, void* context)
{
    if (!runPngStep(png_, step, context))
        throwPngFailure(errors_);
}

void PngDecoder::readEnd()
{
    run(readEndChunks, nullptr);
}

void PngDecoder::restart()
{
    if (input_.file != nullptr)
        input_.file->seek(0);
    else if (input_.stream == nullptr || !input_.stream->rewind())
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    readHeader();
}

} // namespace Omvi
