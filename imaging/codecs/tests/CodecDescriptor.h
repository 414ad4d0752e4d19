#pragma once
// A read descriptor bound to frame 0 of a file through a real codec, the way
// the library's file read descriptor binds one, so that tests and
// benchmarks can build the imaging core's tiled images over a codec's
// frames (its direct tiles, its rows decoded when first touched). The data
// model is made from what the frame reports. Header-only.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/descriptors/FileReadDescriptorRep.h"
#include "imaging/descriptors/ReadRowProviderImp.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <memory>
#include <vector>

namespace OmviTest
{

// The data model of a frame's rows; null for a model no codec reports.
inline std::unique_ptr<Omvi::DataModel> modelOfFrame(Omvi::ReadImageFileFrameInterface& frame)
{
    switch (frame.dataModelKind())
    {
    case Omvi::kColorSpaceRgb:
        return std::make_unique<Omvi::RgbModel>(frame.bitsPerPixel() == 32 ? 32 : 24);
    case Omvi::kColorSpacePalette: {
        const int count = frame.paletteCount();
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(count) * 3);
        frame.getPalette(count, rgb.data());
        std::vector<Omvi::RgbColor> colors;
        for (int i = 0; i < count; ++i)
            colors.emplace_back(rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2], 255);
        return std::make_unique<Omvi::RgbPaletteModel>(count, colors.data());
    }
    case Omvi::kColorSpaceGray:
        return std::make_unique<Omvi::RgbGrayModel>();
    case Omvi::kColorSpaceBitonal:
        return std::make_unique<Omvi::BitonalModel>();
    default:
        return std::make_unique<Omvi::DataModel>(1, frame.sampleKind(), frame.bitsPerPixel());
    }
}

class CodecDescriptorRep : public Omvi::FileReadDescriptorRep
{
public:
    void construct(FileReadDescriptorRep& other) override
    {
        auto& source = dynamic_cast<CodecDescriptorRep&>(other);
        codec_ = source.codec_;
        file_ = source.file_;
        model_ = source.model_ ? source.model_->clone() : nullptr;
        open();
    }
    void construct(Omvi::DataStreamInterface*, Omvi::ImageFormatCodec&) override {}
    void construct(const Omvi::FileSpecifier& file, Omvi::ImageFormatCodec& codec,
                   const Omvi::CorrelationOptionInterface*) override
    {
        codec_ = &codec;
        file_ = file;
        open();
        if (frame_)
            model_ = modelOfFrame(*frame_);
    }
    void construct(const Omvi::FileSpecifier&, const Omvi::CorrelationOptionInterface*) override {}
    void open() override
    {
        if (!readFile_)
            readFile_.reset(codec_->openForRead(file_));
        if (readFile_ && !frame_)
            frame_.reset(readFile_->openFrame(0));
    }
    void close() override
    {
        frame_.reset();
        readFile_.reset();
    }
    void fileSpecifier(Omvi::FileSpecifier& out) const override { out = file_; }
    Omvi::PixelPair size() override
    {
        int height = 0;
        int width = 0;
        if (frame())
            frame()->getSize(&height, &width);
        return {width, height};
    }
    std::int32_t orientation() override { return frame() ? frame()->getOrientation() : 0; }
    Omvi::PixelPair orientedSize() override
    {
        const Omvi::PixelPair oriented = size();
        return orientation() >= 4 ? Omvi::PixelPair{oriented.y, oriented.x} : oriented;
    }
    const Omvi::DataModel* dataModel() const override { return model_.get(); }
    Omvi::ImageFormatCodec* codec() const override { return codec_; }
    bool isValid() override { return frame() != nullptr; }
    std::int32_t frameIndex() const override { return 0; }
    bool selectFrame(std::int32_t index) override { return index == 0; }
    std::int32_t accessKind() override
    {
        return frame() && frame()->isRowAccessSupported(Omvi::ReadImageFileFrameInterface::kWholeTiles) ? kDirectTiles
                                                                                                         : kSequentialRows;
    }
    Omvi::FormatCodecPropertySetIterator* getFormatProperties() override
    {
        return frame() ? frame()->getProperties() : nullptr;
    }
    Omvi::FormatCodecPropertyInterface* getFormatProperty(const Omvi::StringBuffer& name) override
    {
        return frame() ? frame()->getProperty(name) : nullptr;
    }
    Omvi::FormatCodecPropertyInterface* getFormatProperty(std::int32_t type) override
    {
        return frame() ? frame()->getPropertyOfType(type) : nullptr;
    }
    Omvi::RowProviderInterface* rowProvider() override
    {
        return frame() ? new Omvi::ReadRowProviderImp(frame()->newRowIterator(), *model_) : nullptr;
    }
    Omvi::RowProviderInterface* scaledRowProvider(double, std::int32_t) override { return nullptr; }
    std::int32_t frameCount() override { return readFile_ ? readFile_->frameCount() : 0; }
    Omvi::FileSpecifier readFileSpecifier(std::int32_t) override { return file_; }
    std::unique_ptr<FileReadDescriptorRep> newRepresentation() const override
    {
        return std::make_unique<CodecDescriptorRep>();
    }
    bool supportsAccess(std::int32_t kind) override
    {
        if (!frame())
            return kind == kSequentialRows;
        switch (kind)
        {
        case kSequentialRows:
            return true;
        case kDirectTiles:
            return frame()->isRowAccessSupported(Omvi::ReadImageFileFrameInterface::kWholeTiles);
        case kSubRegions:
            return frame()->isRowAccessSupported(3);
        case kDelayLoading:
            return frame()->isRowAccessSupported(Omvi::ReadImageFileFrameInterface::kRandomRows);
        default:
            return false;
        }
    }
    Omvi::ReadImageFileFrameInterface* frame() override
    {
        if (!frame_)
            open();
        return frame_.get();
    }
    bool isStreaming() const override { return false; }
    Omvi::RowProviderInterface* subRegionRowProvider(const Omvi::PixelPair&, const Omvi::PixelPair&) override
    {
        return nullptr;
    }

private:
    Omvi::ImageFormatCodec* codec_ = nullptr;
    Omvi::FileSpecifier file_;
    std::unique_ptr<Omvi::ReadImageFileInterface> readFile_;
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame_;
    std::unique_ptr<Omvi::DataModel> model_;
};

// A descriptor on frame 0 of `file` read by `codec` (which must outlive it
// and its copies).
inline std::unique_ptr<Omvi::FileReadDescriptor> openDescriptor(Omvi::ImageFormatCodec& codec,
                                                                const Omvi::FileSpecifier& file)
{
    auto representation = std::make_unique<CodecDescriptorRep>();
    representation->construct(file, codec, nullptr);
    return std::make_unique<Omvi::FileReadDescriptor>(std::move(representation));
}

} // namespace OmviTest
