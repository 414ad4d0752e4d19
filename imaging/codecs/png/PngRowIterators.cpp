#include "imaging/codecs/png/PngRowIterators.h"

#include "imaging/DataBuffer.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/png/PngDecoder.h"
#include "imaging/codecs/png/PngProperties.h"
#include "imaging/models/DataModel.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{
namespace
{

// The display gamma the reader corrects for when the file states its own.
constexpr double kScreenGamma = 2.2;

struct Conversions
{
    png_infop info;
    std::int32_t model;
    bool interlaced;
    int passes;
    png_size_t rowBytes;
};

// libpng's conversions into the model's layout. Grey below 8 bits is
// stretched without turning tRNS into alpha, so a grey row stays one byte a
// pixel whatever chunks the file has.
void setConversions(png_structp png, void* context)
{
    auto* c = static_cast<Conversions*>(context);
    png_infop info = c->info;
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_strip_alpha(png);
    switch (c->model)
    {
    case kColorSpaceRgb:
        if (png_get_valid(png, info, PNG_INFO_tRNS) != 0)
            png_set_tRNS_to_alpha(png);
        else if (colorType == PNG_COLOR_TYPE_RGB)
            png_set_filler(png, 255, PNG_FILLER_AFTER);
        break;
    case kColorSpacePalette:
        if (bitDepth < 8)
            png_set_packing(png);
        break;
    case kColorSpaceGray:
        if (bitDepth < 8)
            png_set_expand_gray_1_2_4_to_8(png);
        break;
    default:
        break;
    }
    double fileGamma = 0;
    if (png_get_gAMA(png, info, &fileGamma) != 0)
        png_set_gamma(png, kScreenGamma, fileGamma);
    c->passes = c->interlaced ? png_set_interlace_handling(png) : 1;
    png_read_update_info(png, info);
    c->rowBytes = png_get_rowbytes(png, info);
}

struct RowRead
{
    png_bytep row;
};

void readOneRow(png_structp png, void* context)
{
    png_read_row(png, static_cast<RowRead*>(context)->row, nullptr);
}

void checkRowBuffer(const DataBuffer& out, std::int32_t bytes)
{
    if (out.size() < bytes || out.data() == nullptr)
        throwFormatCodecException("Invalid parameter", kCodecInvalidColorModel);
}

} // namespace

std::int64_t PngRowIteratorBase::deliveredRowBytes(std::int32_t model, std::int64_t width)
{
    switch (model)
    {
    case kColorSpaceRgb:
        return 4 * width;
    case kColorSpaceBitonal:
        return (width + 7) / 8;
    default:
        return width;
    }
}

PngRowIteratorBase::PngRowIteratorBase(PngDecoder& decoder, std::int32_t model)
    : decoder_(decoder),
      model_(model),
      width_(static_cast<std::int32_t>(png_get_image_width(decoder.png(), decoder.info()))),
      height_(static_cast<std::int32_t>(png_get_image_height(decoder.png(), decoder.info()))),
      bytesPerRow_(static_cast<std::int32_t>(deliveredRowBytes(model, width_)))
{
}

int PngRowIteratorBase::prepare(bool interlaced)
{
    if (decoder_.rowsStarted())
        decoder_.restart();
    decoder_.markRowsStarted();
    Conversions conversions{decoder_.info(), model_, interlaced, 1, 0};
    decoder_.run(setConversions, &conversions);
    if (conversions.rowBytes != static_cast<png_size_t>(bytesPerRow_))
        throwFormatCodecException("Corrupt image file", kCodecCorruptImage);
    current_ = 0;
    return conversions.passes;
}

void PngRowIteratorBase::deliver(const std::uint8_t* row, DataBuffer& out) const
{
    checkRowBuffer(out, bytesPerRow_);
    std::uint8_t* target = out.data();
    if (model_ != kColorSpaceBitonal)
    {
        std::memcpy(target, row, static_cast<std::size_t>(bytesPerRow_));
        return;
    }
    for (std::int32_t i = 0; i < bytesPerRow_; ++i)
        target[i] = static_cast<std::uint8_t>(~row[i]);
    if (const int spare = (8 - width_ % 8) % 8; spare != 0 && bytesPerRow_ > 0)
        target[bytesPerRow_ - 1] &= static_cast<std::uint8_t>(0xFF << spare);
}

PngRowIterator::PngRowIterator(PngDecoder& decoder, std::int32_t model) : PngRowIteratorBase(decoder, model) {}

void PngRowIterator::start()
{
    prepare(false);
    row_.assign(static_cast<std::size_t>(bytesPerRow_), 0);
    readRow();
}

void PngRowIterator::readRow()
{
    RowRead read{row_.data()};
    decoder_.run(readOneRow, &read);
    // With the last row in, the file is read to its end before the row is
    // handed out: a reader must not take a file that lacks its end for a
    // whole one.
    if (current_ == height_ - 1)
        decoder_.readEnd();
}

bool PngRowIterator::next()
{
    if (current_ < height_)
        ++current_;
    if (current_ < height_)
        readRow();
    return true;
}

void PngRowIterator::getRow(DataBuffer& row)
{
    if (row_.empty())
        throwFormatCodecException("Invalid parameter", kCodecInvalidColorModel);
    deliver(row_.data(), row);
}

PngInterlacedRowIterator::PngInterlacedRowIterator(PngDecoder& decoder, std::int32_t model)
    : PngRowIteratorBase(decoder, model)
{
}

void PngInterlacedRowIterator::start()
{
    finish();
    const int passes = prepare(true);
    rows_.resize(static_cast<std::size_t>(height_));
    blank_.assign(static_cast<std::size_t>(bytesPerRow_), 0);
    for (int pass = 0; pass < passes; ++pass)
    {
        const bool passHasColumns = PNG_PASS_COLS(static_cast<png_uint_32>(width_), pass) != 0;
        for (std::int32_t r = 0; r < height_; ++r)
        {
            // A row gets its memory when the first pass reaches it, so a file
            // that ends early costs only the rows it filled.
            RowRead read{nullptr};
            if (passHasColumns && PNG_ROW_IN_INTERLACE_PASS(static_cast<png_uint_32>(r), pass))
            {
                std::unique_ptr<std::uint8_t[]>& row = rows_[static_cast<std::size_t>(r)];
                if (!row)
                    row.reset(new std::uint8_t[static_cast<std::size_t>(bytesPerRow_)]());
                read.row = row.get();
            }
            decoder_.run(readOneRow, &read);
        }
    }
    decoder_.readEnd();
    current_ = 0;
}

bool PngInterlacedRowIterator::next()
{
    if (current_ < height_)
        ++current_;
    return true;
}

void PngInterlacedRowIterator::getRow(DataBuffer& row)
{
    if (current_ >= height_ || rows_.empty())
        return;
    const std::uint8_t* source = rows_[static_cast<std::size_t>(current_)].get();
    deliver(source != nullptr ? source : blank_.data(), row);
}

void PngInterlacedRowIterator::finish()
{
    rows_.clear();
    rows_.shrink_to_fit();
    blank_.clear();
}

} // namespace Omvi
