#include "imaging/codecs/png/PngWriteFile.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/png/PngChunks.h"
#include "imaging/codecs/png/PngCustomProperties.h"
#include "imaging/codecs/png/PngEncoder.h"
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/png/PngRowIterators.h"
#include "imaging/codecs/png/PngWriteFileFrame.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Omvi
{
namespace
{

// The smallest PNG depth (1, 2, 4 or 8) that holds `bits`.
std::int32_t pngDepthFor(std::int32_t bits)
{
    if (bits <= 1)
        return 1;
    if (bits <= 2)
        return 2;
    if (bits <= 4)
        return 4;
    return 8;
}

bool hasAlphaChannel(const PngPropertySetIterator& properties)
{
    for (std::int32_t i = 0; i < properties.count(); ++i)
    {
        const auto* transparency = dynamic_cast<const FormatCodecTransparency*>(properties.at(i));
        if (transparency != nullptr && transparency->propertyType() == FormatCodecPropertyInterface::kTransparency &&
            transparency->kind() == FormatCodecTransparency::kAlphaChannel)
            return true;
    }
    return false;
}

// The PNG header a frame asks for. Colour is written with 8-bit samples
// (RGBA when 32 bits are used and an alpha channel is declared), bitonal
// frames as 1-bit grey, palette and grey frames in the smallest depth that
// holds their bits (at most 8).
PngImageLayout layoutOf(const PngWriteFileFrame& frame)
{
    PngImageLayout layout;
    layout.colorType = frame.colorType();
    const std::int32_t bits = frame.bitsUsedPerPixel() > 0 ? frame.bitsUsedPerPixel() : frame.bitsPerPixel();
    switch (frame.kind())
    {
    case kColorSpaceRgb:
        layout.bitDepth = 8;
        if (bits == 32 && hasAlphaChannel(frame.properties()))
            layout.colorType = kPngRgbAlpha;
        break;
    case kColorSpaceBitonal:
        layout.bitDepth = 1;
        layout.bitonal = true;
        break;
    default:
        layout.bitDepth = pngDepthFor(bits);
        break;
    }
    if (layout.colorType == kPngPalette)
        layout.paletteCount = std::min(frame.paletteCount(), 1 << layout.bitDepth);
    return layout;
}

struct HeaderStep
{
    png_infop info;
    std::int32_t width;
    std::int32_t height;
    const PngImageLayout* layout;
};

void setHeader(png_structp png, void* context)
{
    const auto* c = static_cast<HeaderStep*>(context);
    png_set_IHDR(png, c->info, static_cast<png_uint_32>(c->width), static_cast<png_uint_32>(c->height),
                 c->layout->bitDepth, c->layout->colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
}

struct PropertyStep
{
    png_infop info;
    const PngImageLayout* layout;
    const FormatCodecPropertyInterface* property;
    const PngCustomProperty* custom;
};

void setTypedProperty(png_structp png, void* context)
{
    const auto* c = static_cast<PropertyStep*>(context);
    writeTypedPngProperty(png, c->info, *c->layout, *c->property);
}

void setCustomProperty(png_structp png, void* context)
{
    const auto* c = static_cast<PropertyStep*>(context);
    c->custom->write(png, c->info);
}

struct PaletteStep
{
    png_infop info;
    const std::uint8_t* rgb;
    int count;
};

void setPalette(png_structp png, void* context)
{
    const auto* c = static_cast<PaletteStep*>(context);
    png_color entries[256];
    for (int i = 0; i < c->count; ++i)
    {
        entries[i].red = c->rgb[3 * i];
        entries[i].green = c->rgb[3 * i + 1];
        entries[i].blue = c->rgb[3 * i + 2];
    }
    png_set_PLTE(png, c->info, entries, c->count);
}

struct StartStep
{
    png_infop info;
    const PngImageLayout* layout;
};

void writeHeaderAndSetConversions(png_structp png, void* context)
{
    const auto* c = static_cast<StartStep*>(context);
    png_write_info(png, c->info);
    // Colour rows carry a fourth byte per pixel that RGB files leave out;
    // palette and grey rows below 8 bits hold one value per byte.
    if (c->layout->colorType == kPngRgb)
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    if (c->layout->bitDepth < 8 && !c->layout->bitonal)
        png_set_packing(png);
}

void writeOneRow(png_structp png, void* context)
{
    png_write_row(png, static_cast<png_bytep>(context));
}

void writeEnd(png_structp png, void*)
{
    png_write_flush(png);
    png_write_end(png, nullptr);
}

bool hasSrgb(const PngPropertySetIterator& properties)
{
    for (std::int32_t i = 0; i < properties.count(); ++i)
        if (dynamic_cast<const PngSRGB*>(properties.at(i)) != nullptr)
            return true;
    return false;
}

void writeProperties(PngEncoder& encoder, const PngWriteFileFrame& frame, const PngImageLayout& layout,
                     bool beforePalette)
{
    const PngPropertySetIterator& properties = frame.properties();
    // The sRGB chunk brings its own gamma; libpng refuses a second one that
    // differs, so a gamma property gives way to it.
    const bool srgb = hasSrgb(properties);
    for (std::int32_t i = 0; i < properties.count(); ++i)
    {
        FormatCodecPropertyInterface* property = properties.at(i);
        const auto* custom = dynamic_cast<const PngCustomProperty*>(property);
        PropertyStep step{encoder.info(), &layout, property, custom};
        if (custom != nullptr)
        {
            if (srgb && custom->customKind() == PngCustomProperty::kGamma)
                continue;
            if (custom->isBeforePalette() == beforePalette)
                encoder.run(setCustomProperty, &step);
            continue;
        }
        if (!beforePalette)
            continue;
        if (property->propertyType() == FormatCodecPropertyInterface::kCorrelation)
        {
            auto* external = dynamic_cast<FormatCodecExternalCorrelation*>(property);
            if (external != nullptr && external->isValid())
            {
                external->setImageSize(frame.height(), frame.width());
                external->setBitsPerPixel(frame.bitsUsedPerPixel());
                external->write();
            }
            continue;
        }
        encoder.run(setTypedProperty, &step);
    }
}

} // namespace

PngWriteFile::PngWriteFile(const PngFormatCodec* codec) : CodecWriteFile(codec) {}

PngWriteFile::PngWriteFile(const PngFormatCodec* codec, DataStreamInterface* stream)
    : CodecWriteFile(codec, true), stream_(stream)
{
}

PngWriteFile::~PngWriteFile() = default;

WriteImageFileFrameInterface* PngWriteFile::createFrame()
{
    return new PngWriteFileFrame(newWritingCorrelations());
}

bool PngWriteFile::open(const FileSpecifier& file)
{
    if (writesStream() || file.kind() != FileSpecifier::kFile)
        return false;
    setFileSpecifier(file);
    return true;
}

int PngWriteFile::writeFrame(WriteImageFileFrameInterface* frameInterface, RowIteratorInterface* rows)
{
    auto* frame = dynamic_cast<PngWriteFileFrame*>(frameInterface);
    if (frame == nullptr || rows == nullptr || written_)
        return 0;
    if (!frame->requiredPropertiesSet())
        throwFormatCodecException("Required Properties Not Set", kCodecRequiredPropertiesNotSet);
    if (rows->width() < 1 || rows->rowCount() < 1)
        throwFormatCodecException("Invalid RowIterator dimensions", kCodecInvalidRowIteratorSize);
    if (rows->width() != frame->width() || rows->rowCount() != frame->height())
        throwFormatCodecException("RowIterator-Set Parameters mismatch", kCodecRowIteratorMismatch);
    const PngImageLayout layout = layoutOf(*frame);
    if (layout.colorType == kPngPalette && layout.paletteCount < 1)
        throwFormatCodecException("Parameters Set mismatch", kCodecParametersMismatch);
    if (writesStream() && stream_ == nullptr)
        throwFormatCodecException("NULL parameter", kCodecNullParameter);
    written_ = true;

    PngEncoder encoder;
    HeaderStep header{encoder.info(), frame->width(), frame->height(), &layout};
    encoder.run(setHeader, &header);
    writeProperties(encoder, *frame, layout, true);
    if (layout.colorType == kPngPalette)
    {
        PaletteStep palette{encoder.info(), frame->palette(), layout.paletteCount};
        encoder.run(setPalette, &palette);
    }
    writeProperties(encoder, *frame, layout, false);

    if (writesStream())
        encoder.useStream(stream_);
    else if (!encoder.createFile(CodecFile::nativePath(fileSpecifier()).value_or(std::string())))
        throw new FileIOException("Unable to create the image file", FileIOException::kOtherFailure);

    StartStep start{encoder.info(), &layout};
    encoder.run(writeHeaderAndSetConversions, &start);

    // libpng reads a whole input row; a row iterator that hands out fewer
    // bytes leaves the rest zero.
    const std::int64_t inputBytes = PngRowIteratorBase::deliveredRowBytes(frame->kind(), frame->width());
    DataBuffer row(static_cast<std::int32_t>(std::max<std::int64_t>(inputBytes, rows->bytesPerRow())));
    std::memset(row.data(), 0, static_cast<std::size_t>(row.size()));
    rows->start();
    for (std::int32_t r = 0; r < frame->height(); ++r)
    {
        rows->getRow(row);
        rows->next();
        if (layout.bitonal)
        {
            std::uint8_t* bytes = row.data();
            for (std::int64_t i = 0; i < inputBytes; ++i)
                bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
        }
        encoder.run(writeOneRow, row.data());
    }
    rows->finish();
    encoder.run(writeEnd, nullptr);
    if (!encoder.finishOutput())
        throw new FileIOException("Unable to write the image file", FileIOException::kOtherFailure);
    return 0;
}

} // namespace Omvi
