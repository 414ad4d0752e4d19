#include "imaging/codecs/jfif/JpegEncoder.h"

#include "imaging/codecs/jfif/JpegStreamManagers.h"

namespace Omvi
{

JpegEncoder::JpegEncoder(std::FILE* file) : file_(file)
{
    create();
}

JpegEncoder::JpegEncoder(DataStreamInterface* stream) : stream_(stream)
{
    create();
}

JpegEncoder::~JpegEncoder()
{
    jpeg_destroy_compress(&info_);
}

void JpegEncoder::create()
{
    installJpegErrorGuard(guard_, reinterpret_cast<j_common_ptr>(&info_));
    try
    {
        run([](void* context) {
            auto* self = static_cast<JpegEncoder*>(context);
            jpeg_create_compress(&self->info_);
            if (self->stream_ != nullptr)
                jpegStreamDestination(&self->info_, self->stream_);
            else
                jpeg_stdio_dest(&self->info_, self->file_);
        });
    }
    catch (...)
    {
        jpeg_destroy_compress(&info_);
        throw;
    }
    limitJpegCompressor(&info_);
}

void JpegEncoder::run(JpegStep step)
{
    if (!runJpegStep(guard_, step, this))
    {
        jpeg_abort_compress(&info_);
        throwJpegFailure(guard_);
    }
}

void JpegEncoder::setDefaults()
{
    run([](void* context) {
        auto* self = static_cast<JpegEncoder*>(context);
        jpeg_set_defaults(&self->info_);
    });
}

void JpegEncoder::setQuality(int quality)
{
    quality_ = quality;
    run([](void* context) {
        auto* self = static_cast<JpegEncoder*>(context);
        jpeg_set_quality(&self->info_, self->quality_, TRUE);
    });
}

void JpegEncoder::startCompress()
{
    run([](void* context) {
        auto* self = static_cast<JpegEncoder*>(context);
        jpeg_start_compress(&self->info_, TRUE);
    });
}

void JpegEncoder::writeMarker(int marker, const std::uint8_t* data, unsigned length)
{
    marker_ = marker;
    markerData_ = data;
    markerLength_ = length;
    run([](void* context) {
        auto* self = static_cast<JpegEncoder*>(context);
        jpeg_write_marker(&self->info_, self->marker_, self->markerData_, self->markerLength_);
    });
}

void JpegEncoder::writeScanline(JSAMPROW row)
{
    row_ = row;
    run([](void* context) {
        auto* self = static_cast<JpegEncoder*>(context);
        jpeg_write_scanlines(&self->info_, &self->row_, 1);
    });
}

void JpegEncoder::finishCompress()
{
    run([](void* context) {
        auto* self = static_cast<JpegEncoder*>(context);
        jpeg_finish_compress(&self->info_);
    });
}

} // namespace Omvi
