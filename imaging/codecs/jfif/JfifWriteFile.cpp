#include "imaging/codecs/jfif/JfifWriteFile.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/jfif/JfifFormatCodec.h"
#include "imaging/codecs/jfif/JfifWriteFileFrame.h"
#include "imaging/codecs/jfif/JpegEncoder.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace Omvi
{

static_assert(JfifFormatCodec::kMaxSide == JPEG_MAX_DIMENSION, "the codec's limit is the JPEG library's");

namespace
{

// The output file of a file writer: removed again unless the image was
// completed and the file closed without error.
class OutputFile
{
public:
    explicit OutputFile(std::string path) : path_(std::move(path))
    {
        file_ = std::fopen(path_.c_str(), "w+b");
        if (file_ == nullptr)
            throw new FileIOException("Unable to create the image file", FileIOException::kOtherFailure);
    }
    ~OutputFile()
    {
        if (file_ != nullptr)
        {
            std::fclose(file_);
            std::remove(path_.c_str());
        }
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* get() const { return file_; }

    // Closes the file; a write the system could not complete throws (the
    // file is removed).
    void close()
    {
        const bool failed = std::ferror(file_) != 0;
        std::FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0 || failed)
        {
            std::remove(path_.c_str());
            throw new FileIOException("Unable to write the image file", FileIOException::kOtherFailure);
        }
    }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
};

// JFIF density units of the property's units (none, per centimetre, per
// inch).
UINT8 jfifUnit(std::int32_t unit)
{
    switch (unit)
    {
    case FormatCodecDensity::kPerCentimetre:
        return 2;
    case FormatCodecDensity::kPerInch:
        return 1;
    default:
        return 0;
    }
}

bool storableDensity(double value)
{
    return value > 0.0 && value < 65536.0;  // false for a NaN too
}

// The frame's settings and properties into the compressor, in the order
// the properties were added (a later one of a kind overrides).
void applySettings(JpegEncoder& encoder, const JfifWriteFileFrame& frame)
{
    jpeg_compress_struct& info = encoder.info();
    info.image_width = static_cast<JDIMENSION>(frame.width());
    info.image_height = static_cast<JDIMENSION>(frame.height());
    const bool gray = frame.color() == JfifWriteFileFrame::kGray;
#ifdef JCS_EXTENSIONS
    // libjpeg-turbo takes the 32-bit pixels as they are, skipping the fourth
    // byte; the coded file is the same as from packed RGB.
    info.input_components = gray ? 1 : 4;
    info.in_color_space = gray ? JCS_GRAYSCALE : JCS_EXT_RGBX;
#else
    info.input_components = gray ? 1 : 3;
    info.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
#endif
    encoder.setDefaults();
    info.dct_method = JDCT_FLOAT;

    const JfifPropertySetIterator& properties = frame.properties();
    for (std::int32_t i = 0; i < properties.count(); ++i)
    {
        FormatCodecPropertyInterface* property = properties.at(i);
        if (const auto* progressive = dynamic_cast<const JfifProgressiveOutput*>(property))
        {
            // libjpeg resets the flag when no scan script is given: the file
            // stays sequential.
            info.progressive_mode = progressive->value() ? TRUE : FALSE;
        }
        else if (const auto* density = dynamic_cast<const JfifDensity*>(property))
        {
            double x = 0;
            double y = 0;
            density->getDensity(&x, &y);
            if (storableDensity(x) && storableDensity(y))
            {
                info.density_unit = jfifUnit(density->unit());
                info.X_density = static_cast<UINT16>(x);
                info.Y_density = static_cast<UINT16>(y);
            }
        }
        else if (const auto* quality = dynamic_cast<const JfifCompression*>(property))
        {
            if (quality->value() >= 0 && quality->value() <= 100)
                encoder.setQuality(quality->value());
        }
        else if (auto* external = dynamic_cast<FormatCodecExternalCorrelation*>(property))
        {
            if (external->isValid())
            {
                external->setImageSize(frame.height(), frame.width());
                external->setBitsPerPixel(8);
                external->write();
            }
        }
    }
}

void writeComments(JpegEncoder& encoder, const JfifWriteFileFrame& frame)
{
    const JfifPropertySetIterator& properties = frame.properties();
    for (std::int32_t i = 0; i < properties.count(); ++i)
    {
        const auto* comment = dynamic_cast<const JfifComment*>(properties.at(i));
        if (comment == nullptr)
            continue;
        const std::int32_t length = comment->markerLength();
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(comment->text().data());
        encoder.writeMarker(JPEG_COM, bytes, static_cast<unsigned>(length));
    }
}

void writeRows(JpegEncoder& encoder, const JfifWriteFileFrame& frame, RowIteratorInterface& rows)
{
    const bool gray = frame.color() == JfifWriteFileFrame::kGray;
    DataBuffer row(rows.bytesPerRow());
    rows.start();
    const std::int32_t width = frame.width();
    for (std::int32_t r = 0; r < rows.rowCount(); ++r)
    {
        rows.getRow(row);
        rows.next();
        std::uint8_t* pixels = row.data();
        if (!gray && encoder.info().input_components == 3)
        {
            // Red, green and blue of each 32-bit pixel, packed in place.
            for (std::int32_t x = 0; x < width; ++x)
            {
                pixels[3 * x] = pixels[4 * x];
                pixels[3 * x + 1] = pixels[4 * x + 1];
                pixels[3 * x + 2] = pixels[4 * x + 2];
            }
        }
        if (encoder.info().next_scanline < encoder.info().image_height)
            encoder.writeScanline(pixels);
    }
    rows.finish();
}

} // namespace

JfifWriteFile::JfifWriteFile(const JfifFormatCodec* codec) : CodecWriteFile(codec) {}

JfifWriteFile::JfifWriteFile(const JfifFormatCodec* codec, DataStreamInterface* stream)
    : CodecWriteFile(codec, true), stream_(stream)
{
}

JfifWriteFile::~JfifWriteFile() = default;

WriteImageFileFrameInterface* JfifWriteFile::createFrame()
{
    return new JfifWriteFileFrame(newWritingCorrelations());
}

bool JfifWriteFile::open(const FileSpecifier& file)
{
    if (file.kind() != FileSpecifier::kFile)
        return false;
    setFileSpecifier(file);
    return true;
}

int JfifWriteFile::writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows)
{
    auto* jfifFrame = dynamic_cast<JfifWriteFileFrame*>(frame);
    if (jfifFrame == nullptr || rows == nullptr || written_)
        return 0;
    if (!jfifFrame->requiredPropertiesSet())
        throwFormatCodecException("Required Properties Not Set", kCodecRequiredPropertiesNotSet);
    if (rows->rowCount() < 1 || rows->width() < 1)
        throwFormatCodecException("Invalid RowIterator dimensions", kCodecInvalidRowIteratorSize);
    if (jfifFrame->width() > JfifFormatCodec::kMaxSide || jfifFrame->height() > JfifFormatCodec::kMaxSide)
        throwFormatCodecException("Image too large for a JPEG file", kCodecInvalidSize);
    const std::int64_t rowBytes = static_cast<std::int64_t>(jfifFrame->width()) *
                                  (jfifFrame->color() == JfifWriteFileFrame::kGray ? 1 : 4);
    if (rows->rowCount() != jfifFrame->height() || rows->width() != jfifFrame->width() ||
        rows->bytesPerRow() < rowBytes)
        throwFormatCodecException("RowIterator-Set Parameters mismatch", kCodecRowIteratorMismatch);
    write(*jfifFrame, *rows);
    written_ = true;
    return 0;
}

void JfifWriteFile::write(const JfifWriteFileFrame& frame, RowIteratorInterface& rows)
{
    std::unique_ptr<OutputFile> output;
    std::unique_ptr<JpegEncoder> encoder;
    if (writesStream())
    {
        encoder = std::make_unique<JpegEncoder>(stream_);
    }
    else
    {
        const auto path = CodecFile::nativePath(fileSpecifier());
        if (!path)
            throw new FileIOException("Unable to create the image file", FileIOException::kOtherFailure);
        output = std::make_unique<OutputFile>(*path);
        encoder = std::make_unique<JpegEncoder>(output->get());
    }
    applySettings(*encoder, frame);
    encoder->startCompress();
    writeComments(*encoder, frame);
    writeRows(*encoder, frame, rows);
    encoder->finishCompress();
    encoder.reset();
    if (output)
        output->close();
}

} // namespace Omvi
