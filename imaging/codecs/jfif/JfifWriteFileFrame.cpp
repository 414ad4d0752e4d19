#include "imaging/codecs/jfif/JfifWriteFileFrame.h"

#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/jfif/JfifStrings.h"
#include "imaging/codecs/strings/CodecStrings.h"

namespace Omvi
{
namespace
{

[[noreturn]] void refuseBits()
{
    throwFormatCodecException("Invalid bits used per pixel", kCodecInvalidBitsPerPixel);
}

} // namespace

JfifWriteFileFrame::JfifWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : correlations_(std::move(correlations)), properties_(std::make_unique<JfifPropertySetIterator>())
{
}

JfifWriteFileFrame::~JfifWriteFileFrame() = default;

void JfifWriteFileFrame::setSize(int height, int width)
{
    height_ = height;
    width_ = width;
}

void JfifWriteFileFrame::setDataModelKind(int kind)
{
    if (kind == 1)
        color_ = kRgb;
    else if (kind == 3)
        color_ = kGray;
    clearProperties();
}

void JfifWriteFileFrame::setThirdValue(int bits)
{
    const bool accepted = color_ == kGray ? bits == 8 : color_ == kRgb ? bits == 32 : bits == 8 || bits == 32;
    if (!accepted)
        refuseBits();
}

void JfifWriteFileFrame::setBitsPerPixel(int bits)
{
    const bool accepted = color_ == kGray  ? bits == 8
                          : color_ == kRgb ? bits == 24 || bits == 32
                                           : bits == 8 || bits == 24 || bits == 32;
    if (!accepted)
        refuseBits();
}

void JfifWriteFileFrame::setPaletteCount(int)
{
    throwFormatCodecException("Invalid parameter", kCodecInvalidColorModel);
}

void JfifWriteFileFrame::setPalette(const std::uint8_t*)
{
    throwFormatCodecException("Invalid parameter", kCodecInvalidColorModel);
}

FormatCodecPropertySetIterator* JfifWriteFileFrame::getProperties()
{
    auto supported = std::make_unique<JfifPropertySetIterator>();
    const JfifDensity density;
    supported->append(&density);
    const JfifCompression quality;
    supported->append(&quality);
    const JfifComment comment(StringBuffer(), JfifComment::kWriterLimit);
    supported->append(&comment);
    const JfifProgressiveOutput progressive;
    supported->append(&progressive);
    appendCorrelations(correlations_.get(), *supported);
    supported_ = std::move(supported);
    return supported_.get();
}

FormatCodecPropertyInterface* JfifWriteFileFrame::getProperty(const StringBuffer& name)
{
    if (equalsCodecString(name, JfifStringId::kDensityName))
        return new JfifDensity();
    if (equalsCodecString(name, JfifStringId::kCommentName))
        return new JfifComment(StringBuffer(), JfifComment::kWriterLimit);
    if (equalsCodecString(name, JfifStringId::kProgressiveName))
        return new JfifProgressiveOutput();
    if (equalsCodecString(name, JfifStringId::kQualityName))
        return new JfifCompression();
    return nullptr;
}

FormatCodecPropertyInterface* JfifWriteFileFrame::getPropertyOfType(int propertyType)
{
    switch (propertyType)
    {
    case FormatCodecPropertyInterface::kCompression:
        return new JfifCompression();
    case FormatCodecPropertyInterface::kDensity:
        return new JfifDensity();
    case FormatCodecPropertyInterface::kCorrelation:
        return cloneFirstCorrelation(correlations_.get());
    default:
        return nullptr;
    }
}

bool JfifWriteFileFrame::setProperty(const FormatCodecPropertyInterface* property)
{
    if (property == nullptr)
        return false;
    const std::int32_t type = property->propertyType();
    bool accepted = false;
    if (type == FormatCodecPropertyInterface::kDensity || type == FormatCodecPropertyInterface::kCompression)
    {
        accepted = true;
    }
    else if (type == FormatCodecPropertyInterface::kCorrelation)
    {
        const auto* correlation = dynamic_cast<const FormatCodecCorrelation*>(property);
        accepted = correlation != nullptr && correlation->isValid();
    }
    else if (dynamic_cast<const JfifProperty*>(property) != nullptr)
    {
        // A comment marker holds at most 65533 bytes; past the writer's bound
        // libjpeg would fail in the middle of the file.
        const auto* comment = dynamic_cast<const JfifComment*>(property);
        accepted = comment == nullptr || comment->markerLength() <= JfifComment::kWriterLimit;
    }
    if (accepted)
        properties_->append(property);
    return accepted;
}

void JfifWriteFileFrame::clearProperties()
{
    properties_ = std::make_unique<JfifPropertySetIterator>();
}

bool JfifWriteFileFrame::requiredPropertiesSet() const
{
    return color_ != kUnset && width_ >= 1 && height_ >= 1;
}

} // namespace Omvi
