#pragma once
// An image "file" of the tests' own: its pixels are a function of their
// place, its frame can deliver any band of rows (and, when asked to, its own
// square tiles), and it records every decoding pass and tile read, so that
// tests can count how often each tile was decoded. A codec, a read file, a
// frame and a row iterator implement the codec interfaces over it, and a
// descriptor representation binds them the way the library's file read
// descriptor does. It can also misbehave as a damaged file would.
#include "RowSources.h"
#include "StubCodecs.h"

#include "imaging/DataBuffer.h"
#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/DirectTileReadInterface.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/SubRegionRowIteratorInterface.h"
#include "imaging/codecs/SubSamplingInterface.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/descriptors/FileReadDescriptorRep.h"
#include "imaging/descriptors/ReadRowProviderImp.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <array>
#include <vector>

namespace OmviTest
{

struct SyntheticFile
{
    // A band of rows asked of the file: its inclusive corners.
    struct Pass
    {
        int top, left, bottom, right;
    };

    int width = 64;
    int height = 64;
    int colorSpace = Omvi::kColorSpaceRgb; // 1 RGB (32-bit), 3 gray (8-bit), 4 bitonal, 0 plain
    int dataType = Omvi::kDataTypeThirtyTwoBit;
    int bitsUsed = 32;
    int orientation = 0;
    int directTileSize = 0;   // above 0: the frame hands out its own tiles of this size
    bool bandsOfRows = true;  // the frame delivers any band of rows (delay loading)
    bool subSampling = false; // the frame decodes at reduced sizes

    // Damage.
    int extraRowBytes = 0;      // rows claim to be longer than the pixels
    int stopAfterRows = -1;     // next() gives up after this many rows of a pass
    bool noIterator = false;    // the frame cannot make a row iterator
    bool failTileReads = false; // readTile answers false

    // What was asked.
    std::vector<Pass> passes;
    std::vector<std::pair<int, int>> tileReads;
    // Regions read straight from the file: x, y, width, height.
    std::vector<std::array<int, 4>> subRegionReads;
    int readFilesOpened = 0;
    int closes = 0;

    static std::shared_ptr<SyntheticFile> rgb(int w, int h)
    {
        auto file = std::make_shared<SyntheticFile>();
        file->width = w;
        file->height = h;
        return file;
    }
    static std::shared_ptr<SyntheticFile> gray(int w, int h)
    {
        auto file = rgb(w, h);
        file->colorSpace = Omvi::kColorSpaceGray;
        file->dataType = Omvi::kDataTypeEightBit;
        file->bitsUsed = 8;
        return file;
    }
    static std::shared_ptr<SyntheticFile> bitonal(int w, int h)
    {
        auto file = rgb(w, h);
        file->colorSpace = Omvi::kColorSpaceBitonal;
        file->dataType = Omvi::kDataTypeOneBit;
        file->bitsUsed = 1;
        return file;
    }

    // The pixel at (x, y), in the low bits of the data type's size.
    std::uint64_t pixel(int x, int y) const
    {
        const std::uint64_t mixed = std::uint64_t(x) * 2654435761u + std::uint64_t(y) * 40503u + 0x9E37u;
        switch (dataType)
        {
        case Omvi::kDataTypeOneBit:
            return ((x / 3 + y / 2) % 3 == 0) ? 1 : 0;
        case Omvi::kDataTypeEightBit:
            return (mixed >> 7) & 0xFF;
        case Omvi::kDataTypeSixteenBit:
            return (mixed >> 5) & 0xFFFF;
        case Omvi::kDataTypeThirtyTwoBit:
            return (mixed >> 3) & 0xFFFFFFFFu;
        default:
            return mixed * 0x100000001ull;
        }
    }

    // Writes `count` pixels of line y from column `left`, packed as rows
    // are (1-bit pixels from the most significant bit).
    void writePixels(int y, int left, int count, std::uint8_t* out) const
    {
        if (dataType == Omvi::kDataTypeOneBit)
        {
            std::memset(out, 0, static_cast<std::size_t>((count + 7) / 8));
            for (int i = 0; i < count; ++i)
                if (pixel(left + i, y))
                    out[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
            return;
        }
        const int bytes = Omvi::bitsPerPixelOf(dataType) / 8;
        for (int i = 0; i < count; ++i)
        {
            const std::uint64_t value = pixel(left + i, y);
            std::memcpy(out + std::size_t(i) * bytes, &value, static_cast<std::size_t>(bytes));
        }
    }

    // How many decoding passes covered tile (row, column) of edge `edge`.
    int decodesOf(int tileRow, int tileColumn, int edge) const
    {
        int count = 0;
        for (const Pass& pass : passes)
            if (pass.top <= tileRow * edge && pass.bottom >= tileRow * edge && pass.left <= tileColumn * edge &&
                pass.right >= tileColumn * edge)
                ++count;
        return count;
    }

    std::unique_ptr<Omvi::DataModel> model() const
    {
        switch (colorSpace)
        {
        case Omvi::kColorSpaceRgb:
            return std::make_unique<Omvi::RgbModel>(bitsUsed);
        case Omvi::kColorSpaceGray:
            return std::make_unique<Omvi::RgbGrayModel>();
        case Omvi::kColorSpaceBitonal:
            return std::make_unique<Omvi::BitonalModel>();
        default:
            return std::make_unique<Omvi::DataModel>(0, dataType, bitsUsed);
        }
    }
};

class SyntheticRowIterator : public Omvi::SubRegionRowIteratorInterface
{
public:
    explicit SyntheticRowIterator(std::shared_ptr<SyntheticFile> file)
        : file_(std::move(file)), bottom_(file_->height - 1), right_(file_->width - 1)
    {
    }
    std::int32_t bytesPerRow() const override
    {
        return static_cast<std::int32_t>(Omvi::pixelBytes(width(), file_->dataType)) + file_->extraRowBytes;
    }
    void getRow(Omvi::DataBuffer& row) override { file_->writePixels(current_, left_, width(), row.data()); }
    bool next() override
    {
        ++delivered_;
        if (file_->stopAfterRows >= 0 && delivered_ >= file_->stopAfterRows)
            return false;
        ++current_;
        return true;
    }
    std::int32_t rowCount() const override { return bottom_ - top_ + 1; }
    std::int32_t width() const override { return right_ - left_ + 1; }
    void start() override
    {
        current_ = top_;
        delivered_ = 0;
        file_->passes.push_back({top_, left_, bottom_, right_});
    }
    void finish() override { ++finished; }
    void selectWholeImage() override
    {
        top_ = left_ = 0;
        bottom_ = file_->height - 1;
        right_ = file_->width - 1;
    }
    void setTopLeft(int row, int column) override
    {
        top_ = clamp(row, file_->height);
        left_ = clamp(column, file_->width);
    }
    void getTopLeft(int* row, int* column) const override
    {
        *row = top_;
        *column = left_;
    }
    void setBottomRight(int row, int column) override
    {
        bottom_ = clamp(row, file_->height);
        right_ = clamp(column, file_->width);
    }
    void getBottomRight(int* row, int* column) const override
    {
        *row = bottom_;
        *column = right_;
    }

    int finished = 0;

private:
    static int clamp(int value, int extent) { return std::max(0, std::min(value, extent - 1)); }

    std::shared_ptr<SyntheticFile> file_;
    int top_ = 0;
    int left_ = 0;
    int bottom_;
    int right_;
    int current_ = 0;
    int delivered_ = 0;
};

class SyntheticFrame : public Omvi::ReadImageFileFrameInterface
{
public:
    explicit SyntheticFrame(std::shared_ptr<SyntheticFile> file) : file_(std::move(file)) {}
    bool isRowAccessSupported(int kind) const override
    {
        return kind == kSequentialRows || (kind == kWholeTiles && file_->directTileSize > 0) ||
               (kind == kRandomRows && file_->bandsOfRows);
    }
    int frameIndex() const override { return 0; }
    void getSize(int* height, int* width) const override
    {
        *height = file_->height;
        *width = file_->width;
    }
    int dataModelKind() const override { return file_->colorSpace; }
    int sampleKind() const override { return file_->dataType; }
    int bitsPerPixel() const override { return Omvi::bitsPerPixelOf(file_->dataType); }
    int getOrientation() const override { return file_->orientation; }
    int paletteCount() const override { return 0; }
    void getPalette(int, std::uint8_t*) const override {}
    Omvi::RowIteratorInterface* newRowIterator() override
    {
        return file_->noIterator ? nullptr : new SyntheticRowIterator(file_);
    }
    bool isTiled() const override { return file_->directTileSize > 0; }
    Omvi::FormatCodecPropertySetIterator* getProperties() override { return nullptr; }
    Omvi::FormatCodecPropertyInterface* getProperty(const Omvi::StringBuffer&) override { return nullptr; }
    Omvi::FormatCodecPropertyInterface* getPropertyOfType(int) override { return nullptr; }

protected:
    std::shared_ptr<SyntheticFile> file_;
};

// A frame stored in square tiles.
class SyntheticTiledFrame : public SyntheticFrame, public Omvi::DirectTileReadInterface
{
public:
    using SyntheticFrame::SyntheticFrame;
    int tileSize() const override { return file_->directTileSize; }
    bool readTile(int tileRow, int tileColumn, std::uint8_t* buffer) override
    {
        file_->tileReads.emplace_back(tileRow, tileColumn);
        if (file_->failTileReads)
            return false;
        const int edge = file_->directTileSize;
        const auto lineBytes = static_cast<std::size_t>(Omvi::rowBytes(edge, file_->dataType));
        for (int line = 0; line < edge; ++line)
        {
            std::uint8_t* out = buffer + lineBytes * static_cast<std::size_t>(line);
            std::memset(out, 0, lineBytes);
            const int y = tileRow * edge + line;
            const int left = tileColumn * edge;
            if (y < file_->height)
                file_->writePixels(y, left, std::min(edge, file_->width - left), out);
        }
        return true;
    }
};

class SyntheticReadFile : public Omvi::ReadImageFileInterface
{
public:
    SyntheticReadFile(const Omvi::ImageFormatCodec* codec, std::shared_ptr<SyntheticFile> file)
        : codec_(codec), file_(std::move(file))
    {
        ++file_->readFilesOpened;
    }
    Omvi::ImageFormatCodec* codec() const override { return const_cast<Omvi::ImageFormatCodec*>(codec_); }
    const Omvi::FileSpecifier& fileSpecifier() const override { return specifier_; }
    int isValid() const override { return 1; }
    Omvi::FileSpecifier& copyFileSpecifier(Omvi::FileSpecifier& out) const override
    {
        out = specifier_;
        return out;
    }
    int frameCount() const override { return 1; }
    Omvi::ReadImageFileFrameInterface* openFrame(int index) override
    {
        if (index != 0)
            return nullptr;
        if (file_->directTileSize > 0)
            return new SyntheticTiledFrame(file_);
        return new SyntheticFrame(file_);
    }
    const std::shared_ptr<SyntheticFile>& file() const { return file_; }

private:
    const Omvi::ImageFormatCodec* codec_;
    std::shared_ptr<SyntheticFile> file_;
    Omvi::FileSpecifier specifier_;
};

class SyntheticCodec : public StubCodec
{
public:
    explicit SyntheticCodec(std::shared_ptr<SyntheticFile> file)
        : StubCodec("synthetic", kStrongSignature, kRecognised), file_(std::move(file))
    {
    }
    Omvi::ReadImageFileInterface* openForRead(const Omvi::FileSpecifier&,
                                              const Omvi::CorrelationOptionInterface*) const override
    {
        return new SyntheticReadFile(this, file_);
    }
    Omvi::ReadImageFileInterface* openForRead(const Omvi::FileSpecifier&) const override
    {
        return new SyntheticReadFile(this, file_);
    }
    Omvi::ReadImageFileInterface* openForRead(const Omvi::ReadImageFileInterface& reader) const override
    {
        return new SyntheticReadFile(this, static_cast<const SyntheticReadFile&>(reader).file());
    }

private:
    std::shared_ptr<SyntheticFile> file_;
};

// Binds a SyntheticCodec's reader and frame the way the library's file read
// descriptor binds a codec's.
class SyntheticDescriptorRep : public Omvi::FileReadDescriptorRep
{
public:
    void construct(FileReadDescriptorRep& other) override
    {
        auto& source = dynamic_cast<SyntheticDescriptorRep&>(other);
        codec_ = source.codec_;
        file_ = source.file_;
        model_ = source.model_->clone();
        if (source.readFile_)
        {
            readFile_.reset(codec_->openForRead(*source.readFile_));
            frame_.reset(readFile_->openFrame(0));
        }
    }
    void construct(Omvi::DataStreamInterface*, Omvi::ImageFormatCodec&) override {}
    void construct(const Omvi::FileSpecifier& file, Omvi::ImageFormatCodec& codec,
                   const Omvi::CorrelationOptionInterface*) override
    {
        codec_ = &dynamic_cast<SyntheticCodec&>(codec);
        readFile_.reset(codec_->openForRead(file));
        file_ = static_cast<SyntheticReadFile&>(*readFile_).file();
        frame_.reset(readFile_->openFrame(0));
        model_ = file_->model();
    }
    void construct(const Omvi::FileSpecifier&, const Omvi::CorrelationOptionInterface*) override {}
    void open() override
    {
        if (!readFile_)
            readFile_.reset(codec_->openForRead(Omvi::FileSpecifier()));
        if (!frame_)
            frame_.reset(readFile_->openFrame(0));
    }
    void close() override
    {
        ++file_->closes;
        frame_.reset();
        readFile_.reset();
    }
    void fileSpecifier(Omvi::FileSpecifier& out) const override { out = Omvi::FileSpecifier(); }
    Omvi::PixelPair size() override { return {file_->width, file_->height}; }
    std::int32_t orientation() override { return frame()->getOrientation(); }
    Omvi::PixelPair orientedSize() override
    {
        return file_->orientation >= 4 ? Omvi::PixelPair{file_->height, file_->width} : size();
    }
    const Omvi::DataModel* dataModel() const override { return model_.get(); }
    Omvi::ImageFormatCodec* codec() const override { return codec_; }
    bool isValid() override { return frame() != nullptr; }
    std::int32_t frameIndex() const override { return 0; }
    bool selectFrame(std::int32_t index) override { return index == 0; }
    std::int32_t accessKind() override
    {
        if (file_->subSampling)
            return kSubRegions;
        return file_->directTileSize > 0 ? kDirectTiles : kSequentialRows;
    }
    Omvi::FormatCodecPropertySetIterator* getFormatProperties() override { return nullptr; }
    Omvi::FormatCodecPropertyInterface* getFormatProperty(const Omvi::StringBuffer&) override { return nullptr; }
    Omvi::FormatCodecPropertyInterface* getFormatProperty(std::int32_t) override { return nullptr; }
    Omvi::RowProviderInterface* rowProvider() override
    {
        return new Omvi::ReadRowProviderImp(frame()->newRowIterator(), *model_);
    }
    Omvi::RowProviderInterface* scaledRowProvider(double, std::int32_t) override { return nullptr; }
    std::int32_t frameCount() override { return 1; }
    Omvi::FileSpecifier readFileSpecifier(std::int32_t) override { return Omvi::FileSpecifier(); }
    std::unique_ptr<FileReadDescriptorRep> newRepresentation() const override
    {
        return std::make_unique<SyntheticDescriptorRep>();
    }
    bool supportsAccess(std::int32_t kind) override
    {
        switch (kind)
        {
        case kSequentialRows:
            return true;
        case kDirectTiles:
            return frame()->isRowAccessSupported(Omvi::ReadImageFileFrameInterface::kWholeTiles);
        case kSubRegions:
            return file_->subSampling;
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
    bool isStreaming() const override { return streaming; }
    // Files that offer sub-regions hand out the region's rows.
    Omvi::RowProviderInterface* subRegionRowProvider(const Omvi::PixelPair& size, const Omvi::PixelPair& origin) override
    {
        if (!file_->subSampling)
            return nullptr;
        file_->subRegionReads.push_back({origin.x, origin.y, size.x, size.y});
        std::shared_ptr<SyntheticFile> file = file_;
        return new GeneratedRows(*model_, size.x, size.y, [file, size, origin](std::int32_t y, std::uint8_t* row) {
            file->writePixels(origin.y + y, origin.x, size.x, row);
        });
    }

    bool streaming = false;

private:
    SyntheticCodec* codec_ = nullptr;
    std::shared_ptr<SyntheticFile> file_;
    std::unique_ptr<Omvi::ReadImageFileInterface> readFile_;
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame_;
    std::unique_ptr<Omvi::DataModel> model_;
};

// A codec and a descriptor open on a synthetic file; the codec must outlive
// every descriptor copy.
struct SyntheticSource
{
    explicit SyntheticSource(std::shared_ptr<SyntheticFile> synthetic)
        : file(std::move(synthetic)), codec(file)
    {
        auto representation = std::make_unique<SyntheticDescriptorRep>();
        representation->construct(Omvi::FileSpecifier(), codec, nullptr);
        descriptor = std::make_unique<Omvi::FileReadDescriptor>(std::move(representation));
    }
    std::shared_ptr<SyntheticFile> file;
    SyntheticCodec codec;
    std::unique_ptr<Omvi::FileReadDescriptor> descriptor;
};

} // namespace OmviTest
