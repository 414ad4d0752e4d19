#include "imaging/codecs/jfif/JpegDecoder.h"

#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/jfif/JpegStreamManagers.h"

#include <jerror.h>

namespace Omvi
{
namespace
{

constexpr int kCommentMarker = JPEG_COM;
constexpr unsigned kCommentLengthLimit = 65536;

} // namespace

JpegDecoder::JpegDecoder(std::shared_ptr<std::FILE> file, bool strict) : file_(std::move(file))
{
    create(strict);
}

JpegDecoder::JpegDecoder(DataStreamInterface* stream, bool strict) : stream_(stream)
{
    create(strict);
}

JpegDecoder::~JpegDecoder()
{
    // Safe on an object whose creation failed half-way: libjpeg frees what
    // its memory manager holds and nothing else.
    jpeg_destroy_decompress(&info_);
}

void JpegDecoder::create(bool strict)
{
    installJpegErrorGuard(guard_, reinterpret_cast<j_common_ptr>(&info_));
    guard_.warningsAreErrors = strict;
    try
    {
        run([](void* context) {
            auto* self = static_cast<JpegDecoder*>(context);
            jpeg_create_decompress(&self->info_);
            if (self->stream_ != nullptr)
                jpegStreamSource(&self->info_, self->stream_);
            else
                jpeg_stdio_src(&self->info_, self->file_.get());
        });
    }
    catch (...)
    {
        // No destructor runs for an object whose constructor throws.
        jpeg_destroy_decompress(&info_);
        throw;
    }
    limitJpegDecompressor(&info_, progress_);
}

void JpegDecoder::run(JpegStep step)
{
    if (!runJpegStep(guard_, step, this))
    {
        // The object is left usable for destruction only; a later call on it
        // fails again on libjpeg's state checks.
        jpeg_abort_decompress(&info_);
        if (!guard_.callbackFailure && guard_.manager.msg_code == JERR_IMAGE_TOO_BIG)
            throwFormatCodecException(
                "The JPEG image is wider or taller than the 65,500 pixels a side that can be decoded",
                kCodecInvalidSize);
        throwJpegFailure(guard_);
    }
}

void JpegDecoder::readHeader(bool saveComments)
{
    saveComments_ = saveComments;
    run([](void* context) {
        auto* self = static_cast<JpegDecoder*>(context);
        if (self->saveComments_)
            jpeg_save_markers(&self->info_, kCommentMarker, kCommentLengthLimit - 1);
        jpeg_read_header(&self->info_, TRUE);
    });
}

void JpegDecoder::startDecompress()
{
    run([](void* context) {
        auto* self = static_cast<JpegDecoder*>(context);
        jpeg_start_decompress(&self->info_);
    });
}

int JpegDecoder::readScanlines(JSAMPROW* rows, int count)
{
    rows_ = rows;
    wanted_ = static_cast<JDIMENSION>(count);
    read_ = 0;
    run([](void* context) {
        auto* self = static_cast<JpegDecoder*>(context);
        self->read_ = jpeg_read_scanlines(&self->info_, self->rows_, self->wanted_);
    });
    return static_cast<int>(read_);
}

void JpegDecoder::finishDecompress()
{
    run([](void* context) {
        auto* self = static_cast<JpegDecoder*>(context);
        jpeg_finish_decompress(&self->info_);
    });
}

} // namespace Omvi
