#include "imaging/codecs/jfif/JfifReadFileFrame.h"

#include "dwfcore/RegularFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/jfif/JfifRowIterator.h"
#include "imaging/codecs/jfif/JpegDecoder.h"
#include "imaging/pipeline/DataStreamInterface.h"

#include <sys/stat.h>

namespace Omvi
{
namespace
{

// Correlation unit codes of the JFIF density units.
constexpr std::int32_t kCorrelationPerInch = 5;
constexpr std::int32_t kCorrelationPerCentimetre = 2;

// Opens a regular file for reading (a device or a pipe would block).
std::shared_ptr<std::FILE> openRegularFile(const std::string& path)
{
    std::FILE* file = DWFCore::openRegularFileStream(path);
    if (file == nullptr)
        return nullptr;
    return std::shared_ptr<std::FILE>(file, [](std::FILE* open) { std::fclose(open); });
}

} // namespace

JfifReadFileFrame::JfifReadFileFrame(const std::string& nativePath,
                                     const CorrelationPropertySetIterator* correlations, bool strict)
    : name_(AsciiStringBuffer(nativePath)), strict_(strict)
{
    correlations_ = copyCorrelations(correlations);
    file_ = openRegularFile(nativePath);
    if (file_)
        readHeader(newDecoder());
}

JfifReadFileFrame::JfifReadFileFrame(DataStreamInterface* stream, bool strict) : stream_(stream), strict_(strict)
{
    if (stream_ != nullptr)
        readHeader(newDecoder());
}

JfifReadFileFrame::~JfifReadFileFrame() = default;

std::unique_ptr<JpegDecoder> JfifReadFileFrame::newDecoder()
{
    if (stream_ != nullptr)
        return std::make_unique<JpegDecoder>(stream_, strict_);
    return std::make_unique<JpegDecoder>(file_, strict_);
}

void JfifReadFileFrame::readHeader(std::unique_ptr<JpegDecoder> decoder)
{
    decoder->readHeader(true);
    const jpeg_decompress_struct& info = decoder->info();
    height_ = static_cast<int>(info.image_height);
    width_ = static_cast<int>(info.image_width);
    switch (info.out_color_space)
    {
    case JCS_GRAYSCALE:
        model_ = 3;
        samples_ = 1;
        bits_ = 8;
        break;
    case JCS_RGB:
    case JCS_YCbCr:
    case JCS_CMYK:
    case JCS_YCCK:
        model_ = 1;
        samples_ = 3;
        bits_ = 24;
        break;
    default:
        // Two components, or a colour space libjpeg does not know: no
        // layout of ours fits its scanlines.
        break;
    }

    std::int32_t unit = FormatCodecDensity::kNoUnit;
    std::int32_t correlationUnit = FormatCodecCorrelation::kUnitNone;
    if (info.density_unit == 1)
    {
        unit = FormatCodecDensity::kPerInch;
        correlationUnit = kCorrelationPerInch;
    }
    else if (info.density_unit == 2)
    {
        unit = FormatCodecDensity::kPerCentimetre;
        correlationUnit = kCorrelationPerCentimetre;
    }
    const bool meaningful = unit != FormatCodecDensity::kNoUnit || info.X_density != 1 || info.Y_density != 1;
    if (meaningful && info.X_density != 0 && info.Y_density != 0)
    {
        const JfifDensity density(info.X_density, info.Y_density, unit);
        properties_.append(&density);
    }

    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next)
    {
        if (marker->marker != JPEG_COM)
            continue;
        // Single-byte texts end in a NUL, which the marker does not hold.
        std::string text(reinterpret_cast<const char*>(marker->data), marker->data_length);
        text.push_back('\0');
        const StringBuffer value(static_cast<std::int32_t>(text.size()), text.data(), StringBuffer::kSingleByte);
        const JfifComment comment(value, JfifComment::kReaderLimit);
        properties_.append(&comment);
    }

    readExternalCorrelations(correlations_.get(), height_, width_,
                             [&info, correlationUnit](FormatCodecExternalCorrelation& external) {
                                 external.setScale(Vector2d(info.X_density, info.Y_density));
                                 external.setUnit(correlationUnit);
                             });
    decoder_ = std::move(decoder);
}

bool JfifReadFileFrame::isRowAccessSupported(int kind) const
{
    return kind == kSequentialRows;
}

void JfifReadFileFrame::getSize(int* height, int* width) const
{
    if (height)
        *height = height_;
    if (width)
        *width = width_;
}

RowIteratorInterface* JfifReadFileFrame::newRowIterator()
{
    if (model_ == 0)
        return nullptr;
    std::unique_ptr<JpegDecoder> decoder = std::move(decoder_);
    if (!decoder)
    {
        if (stream_ != nullptr)
        {
            if (!stream_->rewind())
                return nullptr;
        }
        else if (!file_ || std::fseek(file_.get(), 0, SEEK_SET) != 0)
        {
            return nullptr;
        }
        decoder = newDecoder();
        decoder->readHeader(false);
    }
    return new JfifRowIterator(std::move(decoder));
}

FormatCodecPropertySetIterator* JfifReadFileFrame::getProperties()
{
    auto set = std::make_unique<JfifPropertySetIterator>(properties_);
    appendValidCorrelations(correlations_.get(), *set);
    return set.release();
}

FormatCodecPropertyInterface* JfifReadFileFrame::getProperty(const StringBuffer& name)
{
    const FormatCodecPropertyInterface* found = properties_.findByName(name);
    return found != nullptr ? found->clone() : nullptr;
}

FormatCodecPropertyInterface* JfifReadFileFrame::getPropertyOfType(int propertyType)
{
    const FormatCodecPropertyInterface* found = nullptr;
    if (propertyType == FormatCodecPropertyInterface::kDensity)
        found = properties_.findByType(propertyType);
    else if (propertyType == FormatCodecPropertyInterface::kCorrelation)
        found = firstValidCorrelation(correlations_.get());
    return found != nullptr ? found->clone() : nullptr;
}

} // namespace Omvi
