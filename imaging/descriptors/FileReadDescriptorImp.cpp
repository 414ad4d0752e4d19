#include "imaging/descriptors/FileReadDescriptorImp.h"

#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/DirectTileReadInterface.h"
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/codecs/ImageFormatCodecStreamingInterface.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/SubRegionRowIteratorInterface.h"
#include "imaging/codecs/SubSamplingInterface.h"
#include "imaging/descriptors/FrameDataModel.h"
#include "imaging/descriptors/ReadRowProviderImp.h"
#include "imaging/descriptors/ScaledRows.h"
#include "imaging/filters/ReorientFilter.h"
#include "imaging/images/RegionCheck.h"
#include "imaging/models/DataModel.h"
#include "imaging/session/OMVISession.h"

#include <cmath>
#include <limits>

namespace Omvi
{

namespace
{
constexpr const char* kConstruct = "FileReadDescriptorImp::construct";
constexpr std::int32_t kStreamOrganisation = 6;
constexpr std::int32_t kAssociationProperty = 5;

[[noreturn]] void descriptorFails(const char* message, std::int32_t code)
{
    throw static_cast<OMVIException*>(new FileDescriptorException(message, code));
}

const CorrelationOptionInterface* sessionOption()
{
    OMVISession* session = OMVISession::get();
    return session != nullptr ? session->correlationOption() : nullptr;
}

// One side of a scaled frame: truncated, at least 1, and within what a row
// can hold.
std::int32_t scaledSide(std::int32_t side, double scale)
{
    const double scaled = std::trunc(static_cast<double>(side) * scale);
    if (scaled > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        throw static_cast<OMVIException*>(
            new ImageFilterException("Invalid image size", ImageFilterException::kInvalidSize));
    return scaled < 1.0 ? 1 : static_cast<std::int32_t>(scaled);
}
} // namespace

FileReadDescriptorImp::FileReadDescriptorImp() = default;

FileReadDescriptorImp::~FileReadDescriptorImp()
{
    model_.reset();
    file_.reset();
    frame_.reset();
    reader_.reset();
}

// ---------------------------------------------------------------------------
// Binding

void FileReadDescriptorImp::construct(FileReadDescriptorRep& other)
{
    auto* source = dynamic_cast<FileReadDescriptorImp*>(&other);
    if (source == nullptr || source->streaming_ || !source->file_)
        descriptorFails("FileReadDescriptor::FileReadDescriptor", 7);
    file_ = std::make_unique<FileSpecifier>(*source->file_);
    codec_ = source->codec_;
    model_ = source->model_ ? source->model_->clone() : nullptr;
    frameIndex_ = source->frameIndex_;
    reader_ = source->reader_;
    if (reader_ && frameIndex_ >= 0)
        frame_.reset(reader_->openFrame(frameIndex_));
}

void FileReadDescriptorImp::construct(DataStreamInterface* stream, ImageFormatCodec& codec)
{
    codec_ = &codec;
    auto* streams = dynamic_cast<ImageFormatCodecStreamingInterface*>(&codec);
    // A descriptor over a stream can never open itself again: without a
    // reader of the stream it would have nothing to read.
    if (stream == nullptr || streams == nullptr || !codec.isDataOrganizationSupported(kStreamOrganisation))
        descriptorFails(kConstruct, 8);
    reader_.reset(streams->openStreamForRead(stream));
    if (!reader_)
        descriptorFails(kConstruct, 8);
    streaming_ = true;
    selectFrame(0);
}

void FileReadDescriptorImp::construct(const FileSpecifier& file, ImageFormatCodec& codec,
                                      const CorrelationOptionInterface* option)
{
    if (file.path().isEmpty())
        descriptorFails(kConstruct, 8);
    file_ = std::make_unique<FileSpecifier>(file);
    codec_ = &codec;
    if (option == nullptr)
        option = sessionOption();
    switch (codec.probe(*file_, option))
    {
    case ImageFormatCodec::kNotThisFormat:
        descriptorFails(kConstruct, 4);
    case ImageFormatCodec::kUnsupportedVariant:
        descriptorFails(kConstruct, 5);
    default:
        break;
    }
    openReader(option);
    selectFrame(0);
}

void FileReadDescriptorImp::construct(const FileSpecifier& file, const CorrelationOptionInterface* option)
{
    ImageFormatCodec* found = nullptr;
    OMVISession* session = OMVISession::get();
    if (!file.path().isEmpty() && session != nullptr)
        session->findCodec(file, found);
    if (found == nullptr)
        descriptorFails(kConstruct, 8);
    construct(file, *found, option);
}

// ---------------------------------------------------------------------------
// Opening and closing

void FileReadDescriptorImp::openReader(const CorrelationOptionInterface* option)
{
    if (option != nullptr)
        reader_.reset(codec_->openForRead(*file_, option));
    else
        reader_.reset(codec_->openForRead(*file_));
}

void FileReadDescriptorImp::open()
{
    if (!reader_)
    {
        // Only a descriptor on a file can open its reader again.
        if (!file_ || codec_ == nullptr)
            return;
        openReader(sessionOption());
    }
    if (reader_ && !frame_ && frameIndex_ >= 0)
        frame_.reset(reader_->openFrame(frameIndex_));
}

void FileReadDescriptorImp::close()
{
    frame_.reset();
    reader_.reset();
}

ReadImageFileFrameInterface* FileReadDescriptorImp::frame()
{
    if (!frame_)
        open();
    return frame_.get();
}

ReadImageFileFrameInterface& FileReadDescriptorImp::requireFrame()
{
    ReadImageFileFrameInterface* current = frame();
    if (current == nullptr)
        descriptorFails(noFrameReason(), 8);
    return *current;
}

const char* FileReadDescriptorImp::noFrameReason() const
{
    if (!reader_)
        return streaming_ || !file_ ? "The image's stream is closed and cannot be read again"
                                    : "The image file cannot be opened for reading";
    if (const char* reason = reader_->frameRefusal())
        return reason;
    return "The image file's header is damaged, cut short or of a kind its format's reader does not take";
}

bool FileReadDescriptorImp::isValid()
{
    return frame() != nullptr && reader_ && reader_->isValid() != 0;
}

// ---------------------------------------------------------------------------
// Frames

bool FileReadDescriptorImp::selectFrame(std::int32_t index)
{
    if (!reader_)
        open();
    if (!reader_)
        return false;
    if (index == frameIndex_ && frame_)
        return true;
    std::unique_ptr<ReadImageFileFrameInterface> next(reader_->openFrame(index));
    if (!next)
        return false;
    std::unique_ptr<DataModel> model = dataModelOfFrame(*next);
    if (!model)
        return false;
    frame_ = std::move(next);
    model_ = std::move(model);
    frameIndex_ = index;
    return true;
}

std::int32_t FileReadDescriptorImp::frameCount()
{
    if (!reader_)
        open();
    return reader_ ? reader_->frameCount() : 0;
}

FileSpecifier FileReadDescriptorImp::readFileSpecifier(std::int32_t)
{
    FileSpecifier copy;
    if (!reader_)
        open();
    if (reader_)
        reader_->copyFileSpecifier(copy);
    return copy;
}

void FileReadDescriptorImp::fileSpecifier(FileSpecifier& out) const
{
    out = file_ ? *file_ : FileSpecifier();
}

PixelPair FileReadDescriptorImp::size()
{
    int height = 0;
    int width = 0;
    requireFrame().getSize(&height, &width);
    return {width, height};
}

std::int32_t FileReadDescriptorImp::orientation()
{
    return requireFrame().getOrientation();
}

PixelPair FileReadDescriptorImp::orientedSize()
{
    const PixelPair stored = size();
    const std::int32_t code = orientation();
    return code >= 4 && code <= 7 ? PixelPair{stored.y, stored.x} : stored;
}

std::int32_t FileReadDescriptorImp::accessKind()
{
    if (streaming_)
        return kStreaming;
    ReadImageFileFrameInterface& current = requireFrame();
    if (dynamic_cast<SubSamplingInterface*>(&current) != nullptr)
        return kSubRegions;
    if (dynamic_cast<DirectTileReadInterface*>(&current) != nullptr)
        return kDirectTiles;
    return kSequentialRows;
}

bool FileReadDescriptorImp::supportsAccess(std::int32_t kind)
{
    switch (kind)
    {
    case kSequentialRows:
        return true;
    case kDirectTiles:
        return requireFrame().isRowAccessSupported(ReadImageFileFrameInterface::kWholeTiles);
    case kSubRegions:
        return dynamic_cast<SubSamplingInterface*>(&requireFrame()) != nullptr;
    case kDelayLoading:
        return requireFrame().isRowAccessSupported(ReadImageFileFrameInterface::kRandomRows);
    case kAssociation:
        return codec_ != nullptr && codec_->isPropertySupported(kAssociationProperty, nullptr);
    default:
        return false;
    }
}

FormatCodecPropertySetIterator* FileReadDescriptorImp::getFormatProperties()
{
    return requireFrame().getProperties();
}

FormatCodecPropertyInterface* FileReadDescriptorImp::getFormatProperty(const StringBuffer& name)
{
    return requireFrame().getProperty(name);
}

FormatCodecPropertyInterface* FileReadDescriptorImp::getFormatProperty(std::int32_t propertyType)
{
    return requireFrame().getPropertyOfType(propertyType);
}

// ---------------------------------------------------------------------------
// Rows

RowProviderInterface* FileReadDescriptorImp::rowProvider()
{
    ReadImageFileFrameInterface& current = requireFrame();
    return new ReadRowProviderImp(current.newRowIterator(), *model_);
}

template <class Region>
std::unique_ptr<Region> FileReadDescriptorImp::regionIterator(const PixelPair& regionSize, const PixelPair& origin)
{
    const PixelPair whole = size();
    requireRegionInside(whole, regionSize, origin, "FileReadDescriptorImp::subRegionRowProvider: Region Out Of Bounds");
    std::unique_ptr<RowIteratorInterface> iterator(requireFrame().newRowIterator());
    auto* region = dynamic_cast<Region*>(iterator.get());
    if (region == nullptr)
        return nullptr;
    static_cast<void>(iterator.release());
    return std::unique_ptr<Region>(region);
}

RowProviderInterface* FileReadDescriptorImp::subRegionRowProvider(const PixelPair& regionSize,
                                                                  const PixelPair& origin)
{
    auto region = regionIterator<SubRegionRowIteratorInterface>(regionSize, origin);
    if (!region)
        return nullptr;
    region->setTopLeft(origin.y, origin.x);
    region->setBottomRight(origin.y + regionSize.y - 1, origin.x + regionSize.x - 1);
    return new ReadRowProviderImp(region.release(), *model_);
}

RowProviderInterface* FileReadDescriptorImp::subSampledRowProvider(const PixelPair& regionSize,
                                                                   const PixelPair& origin, std::int32_t subSampling)
{
    auto region = regionIterator<SubSamplingRowIteratorInterface>(regionSize, origin);
    if (!region)
        return nullptr;
    region->setSubSampling(subSampling);
    region->setTopLeft(origin.y, origin.x);
    region->setBottomRight(origin.y + regionSize.y - 1, origin.x + regionSize.x - 1);
    return new ReadRowProviderImp(region.release(), *model_);
}

bool FileReadDescriptorImp::subSamplingFor(std::int32_t& width, std::int32_t& height, std::int32_t& subSampling)
{
    auto* reduced = dynamic_cast<SubSamplingInterface*>(&requireFrame());
    if (reduced == nullptr)
        return false;
    int w = width;
    int h = height;
    int s = 0;
    if (!reduced->nearestSubSampledSize(&w, &h, &s))
        return false;
    width = w;
    height = h;
    subSampling = s;
    return true;
}

RowProviderInterface* FileReadDescriptorImp::scaledRowProvider(double scale, std::int32_t resamplingKind)
{
    if (!std::isfinite(scale) || scale <= 0.0)
        throw static_cast<OMVIException*>(new ImageFilterException(
            "FileReadDescriptorImp::scaledRowProvider", ImageFilterException::kInvalidArgument));
    const PixelPair whole = size();
    const PixelPair wanted{scaledSide(whole.x, scale), scaledSide(whole.y, scale)};

    std::unique_ptr<RowProviderInterface> rows;
    std::int32_t width = wanted.x;
    std::int32_t height = wanted.y;
    std::int32_t subSampling = 0;
    if (subSamplingFor(width, height, subSampling))
        rows.reset(subSampledRowProvider(whole, {0, 0}, subSampling));
    if (!rows)
        rows.reset(rowProvider());
    // A frame without rows has nothing to resize or turn upright.
    if (!rows->isValid())
    {
        const char* reason = requireFrame().rowRefusal();
        descriptorFails(reason != nullptr ? reason
                                          : "The image's pixel data is damaged, cut short or coded in a way its "
                                            "format's reader does not take",
                        8);
    }
    rows = resizeRows(std::move(rows), wanted, resamplingKind);

    // A frame stored in another orientation is turned upright.
    const std::int32_t code = orientation();
    if (code != 0)
        return new ReorientFilter(rows.release(), code);
    return rows.release();
}

std::unique_ptr<FileReadDescriptorRep> FileReadDescriptorImp::newRepresentation() const
{
    return std::make_unique<FileReadDescriptorImp>();
}

} // namespace Omvi
