#include "imaging/codecs/png/PngEncoder.h"

#include "imaging/pipeline/DataStreamInterface.h"

#include <algorithm>
#include <limits>
#include <new>

namespace Omvi
{
namespace
{

bool writeStream(DataStreamInterface& stream, png_bytep data, png_size_t length)
{
    while (length > 0)
    {
        const auto piece = static_cast<std::int32_t>(
            std::min<png_size_t>(length, static_cast<png_size_t>(std::numeric_limits<std::int32_t>::max())));
        if (!stream.write(piece, data))
            return false;
        data += piece;
        length -= static_cast<png_size_t>(piece);
    }
    return true;
}

void writeOutput(png_structp png, png_bytep data, png_size_t length)
{
    auto* output = static_cast<PngEncoder::Output*>(png_get_io_ptr(png));
    bool complete = false;
    if (output->file != nullptr)
    {
        complete = output->file->write(data, length);
    }
    else if (output->stream != nullptr)
    {
        try
        {
            complete = writeStream(*output->stream, data, length);
        }
        catch (...)
        {
            keepPngCallbackFailure(png);
        }
    }
    if (!complete)
        png_error(png, "write failed");
}

// The output is flushed once, when it is finished.
void flushNothing(png_structp) {}

} // namespace

PngEncoder::PngEncoder()
{
    png_ = createPngWriteStruct(errors_);
    if (png_ == nullptr)
        throw std::bad_alloc();
    info_ = png_create_info_struct(png_);
    if (info_ == nullptr)
    {
        png_destroy_write_struct(&png_, nullptr);
        throw std::bad_alloc();
    }
    png_set_write_fn(png_, &output_, writeOutput, flushNothing);
}

PngEncoder::~PngEncoder()
{
    png_destroy_write_struct(&png_, &info_);
}

void PngEncoder::run(PngStep step, void* context)
{
    if (!runPngStep(png_, step, context))
        throwPngFailure(errors_);
}

bool PngEncoder::createFile(const std::string& nativePath)
{
    if (nativePath.empty() || !file_.create(nativePath, CodecOutputFile::Creation::kReplace))
        return false;
    output_.file = &file_;
    output_.stream = nullptr;
    return true;
}

void PngEncoder::useStream(DataStreamInterface* stream)
{
    output_.file = nullptr;
    output_.stream = stream;
}

bool PngEncoder::finishOutput()
{
    if (output_.file != nullptr)
        return file_.finish();
    if (output_.stream != nullptr)
        output_.stream->close();
    return true;
}

} // namespace Omvi
