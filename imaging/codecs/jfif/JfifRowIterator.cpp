#include "imaging/codecs/jfif/JfifRowIterator.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/jfif/JpegDecoder.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{
namespace
{

constexpr int kBatchRows = 4;
constexpr double kByteScale = 0.00392156862745098;  // 1 / 255

// One ink value of a CMYK pixel as the matching red, green or blue level.
std::uint8_t inkToLevel(std::uint8_t ink, double black)
{
    const double coverage = std::min(1.0, ink * kByteScale * (1.0 - black) + black);
    return static_cast<std::uint8_t>(255.0 * (1.0 - coverage) + 0.5);
}

} // namespace

JfifRowIterator::JfifRowIterator(std::unique_ptr<JpegDecoder> decoder) : decoder_(std::move(decoder))
{
    jpeg_decompress_struct& info = decoder_->info();
    width_ = static_cast<std::int32_t>(info.image_width);
    height_ = static_cast<std::int32_t>(info.image_height);
    switch (info.out_color_space)
    {
    case JCS_GRAYSCALE:
        bytesPerRow_ = width_;
        bytesPerScanline_ = width_;
        break;
    case JCS_RGB:
    case JCS_YCbCr:
#ifdef JCS_EXTENSIONS
        // libjpeg-turbo delivers red, green, blue and a filler of 255
        // itself: the rows need no widening.
        info.out_color_space = JCS_EXT_RGBX;
        bytesPerScanline_ = 4 * width_;
#else
        info.out_color_space = JCS_RGB;
        bytesPerScanline_ = 3 * width_;
#endif
        bytesPerRow_ = 4 * width_;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        bytesPerRow_ = 4 * width_;
        bytesPerScanline_ = 4 * width_;
        break;
    default:
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    }
    info.dct_method = JDCT_FLOAT;
    batch_.resize(kBatchRows * bytesPerRow_);
}

JfifRowIterator::~JfifRowIterator() = default;

void JfifRowIterator::start()
{
    currentRow_ = 0;
    decoder_->startDecompress();
    const jpeg_decompress_struct& info = decoder_->info();
    const int expected = bytesPerScanline_ / std::max(width_, 1);
    // What libjpeg will hand out must be what the buffer was laid out for.
    if (static_cast<std::int32_t>(info.output_width) != width_ || info.output_components != expected)
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    started_ = true;
    batchIndex_ = 0;
    batchCount_ = 0;
    readBatch();
}

void JfifRowIterator::readBatch()
{
    std::uint8_t* buffer = batch_.data();
    JSAMPROW rows[kBatchRows];
    for (int i = 0; i < kBatchRows; ++i)
        rows[i] = buffer + static_cast<std::size_t>(i) * static_cast<std::size_t>(bytesPerScanline_);
    const int count = decoder_->readScanlines(rows, kBatchRows);
    // The file and stream sources never suspend, so no lines means a
    // decoder that cannot go on.
    // Rows whose coded data the file lacks are refused, not made up.
    if (count < 1 || decoder_->dataRanShort())
        throwCorruptImage(decoder_->reason());
    batchCount_ = count;
    batchIndex_ = 0;

    const jpeg_decompress_struct& info = decoder_->info();
    // With the last rows decoded the file is read to its end now, before
    // they are handed out: a reader must not take a file that lacks its
    // end for a whole one.
    if (info.output_scanline >= info.output_height)
        finishDecoding();
    const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(count);
    if (info.out_color_space == JCS_RGB)
    {
        // Three bytes a pixel become four, from the last pixel backwards so
        // that nothing is overwritten before it is read.
        for (std::size_t i = pixels; i-- > 0;)
        {
            const std::uint8_t red = buffer[3 * i];
            const std::uint8_t green = buffer[3 * i + 1];
            const std::uint8_t blue = buffer[3 * i + 2];
            buffer[4 * i] = red;
            buffer[4 * i + 1] = green;
            buffer[4 * i + 2] = blue;
            buffer[4 * i + 3] = 255;
        }
    }
    else if (info.out_color_space == JCS_CMYK)
    {
        // Files carrying the Adobe marker store their inks inverted, CMYK
        // as well as YCCK; plain CMYK files store them as they are.
        const bool inverted = info.jpeg_color_space == JCS_YCCK || info.saw_Adobe_marker;
        for (std::size_t i = 0; i < pixels; ++i)
        {
            std::uint8_t* pixel = buffer + 4 * i;
            std::uint8_t ink[4];
            for (int k = 0; k < 4; ++k)
                ink[k] = inverted ? static_cast<std::uint8_t>(255 - pixel[k]) : pixel[k];
            const double black = ink[3] * kByteScale;
            pixel[0] = inkToLevel(ink[0], black);
            pixel[1] = inkToLevel(ink[1], black);
            pixel[2] = inkToLevel(ink[2], black);
            pixel[3] = 255;
        }
    }
}

void JfifRowIterator::getRow(DataBuffer& row)
{
    if (row.size() < bytesPerRow_)
        throw new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall);
    if (!started_ || currentRow_ >= height_ || batchIndex_ >= batchCount_)
    {
        std::memset(row.data(), 0, static_cast<std::size_t>(row.size()));
        return;
    }
    std::memcpy(row.data(), batch_.data() + static_cast<std::size_t>(batchIndex_) * bytesPerRow_,
                static_cast<std::size_t>(bytesPerRow_));
}

bool JfifRowIterator::next()
{
    ++currentRow_;
    ++batchIndex_;
    if (started_ && batchIndex_ >= batchCount_ && currentRow_ < height_)
        readBatch();
    return true;
}

void JfifRowIterator::finish()
{
    if (!started_ || finished_)
        return;
    while (currentRow_ < height_ && !finished_)
        next();
    if (!finished_)
        finishDecoding();
}

void JfifRowIterator::finishDecoding()
{
    finished_ = true;
    decoder_->finishDecompress();
    // The source met the end of the data and stood in for the end-of-image
    // marker the file lacks.
    if (decoder_->dataEnded())
        throwCorruptImage(decoder_->reason());
}

} // namespace Omvi
