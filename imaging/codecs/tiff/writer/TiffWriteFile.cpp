#include "imaging/codecs/tiff/writer/TiffWriteFile.h"

#include "imaging/DataBuffer.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/codecs/tiff/TiffHandle.h"
#include "imaging/codecs/tiff/TiffLayout.h"
#include "imaging/codecs/tiff/properties/TiffProperty.h"
#include "imaging/codecs/tiff/reader/TiffSampleConverter.h"
#include "imaging/codecs/tiff/writer/TiffPrepareRow.h"
#include "imaging/codecs/tiff/writer/TiffWriteFileFrame.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace Omvi
{
namespace
{

// Calls the rows' finish() however the writing ends.
class FinishRows
{
public:
    explicit FinishRows(RowIteratorInterface& rows) : rows_(rows) {}
    ~FinishRows()
    {
        try
        {
            rows_.finish();
        }
        catch (...)
        {
        }
    }
    FinishRows(const FinishRows&) = delete;
    FinishRows& operator=(const FinishRows&) = delete;

private:
    RowIteratorInterface& rows_;
};

// Rows cut into a band of tiles; each band is written once it holds a tile
// row's lines (or the image's last line).
class TileWriter
{
public:
    TileWriter(TIFF* tiff, std::int64_t width, std::int64_t storedBits) : tiff_(tiff), storedBits_(storedBits)
    {
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth_);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength_);
        if (tileWidth_ < 1 || tileLength_ < 1)
            return;
        tilesAcross_ = (width + tileWidth_ - 1) / tileWidth_;
        tileRowBytes_ = (std::int64_t{tileWidth_} * storedBits + 7) / 8;
        tileBytes_ = tileRowBytes_ * tileLength_;
        width_ = width;
        if (tileBytes_ * tilesAcross_ > TiffHandle::kMaxSingleAllocation)
            return;
        band_.assign(static_cast<std::size_t>(tileBytes_ * tilesAcross_), 0);
    }

    bool isReady() const { return !band_.empty(); }

    // Adds the next row (packed, `storedBits` a pixel); false when a tile
    // could not be written.
    bool add(const std::uint8_t* row)
    {
        for (std::int64_t c = 0; c < tilesAcross_; ++c)
        {
            const std::int64_t pixels = std::min<std::int64_t>(tileWidth_, width_ - c * tileWidth_);
            TiffSampleConverter::copyBits(row, c * tileWidth_ * storedBits_,
                                          band_.data() + c * tileBytes_ + lines_ * tileRowBytes_, 0,
                                          pixels * storedBits_);
        }
        ++lines_;
        return lines_ < static_cast<std::int64_t>(tileLength_) || flush();
    }

    // Writes a partly filled band.
    bool flush()
    {
        if (lines_ == 0)
            return true;
        for (std::int64_t c = 0; c < tilesAcross_; ++c)
        {
            const auto index = static_cast<std::uint32_t>(tileRow_ * tilesAcross_ + c);
            if (TIFFWriteEncodedTile(tiff_, index, band_.data() + c * tileBytes_, static_cast<tmsize_t>(tileBytes_)) < 0)
                return false;
        }
        std::fill(band_.begin(), band_.end(), 0);
        lines_ = 0;
        ++tileRow_;
        return true;
    }

private:
    TIFF* tiff_;
    std::int64_t storedBits_;
    std::uint32_t tileWidth_ = 0;
    std::uint32_t tileLength_ = 0;
    std::int64_t width_ = 0;
    std::int64_t tilesAcross_ = 0;
    std::int64_t tileRowBytes_ = 0;
    std::int64_t tileBytes_ = 0;
    std::vector<std::uint8_t> band_;
    std::int64_t lines_ = 0;
    std::int64_t tileRow_ = 0;
};

// JPEG strips must hold whole 16-row blocks (or be the only strip).
void fitJpegStrips(TIFF* tiff, std::uint32_t height)
{
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint32_t rows = 0;
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    if (compression != COMPRESSION_JPEG || TIFFIsTiled(tiff) || !TIFFGetField(tiff, TIFFTAG_ROWSPERSTRIP, &rows))
        return;
    if (rows < height && rows % 16 != 0)
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, std::min<std::uint32_t>(height, (rows / 16 + 1) * 16));
}

} // namespace

TiffWriteFile::TiffWriteFile(const TiffFormatCodec& codec) : CodecWriteFile(&codec), codec_(codec) {}

TiffWriteFile::~TiffWriteFile()
{
    close();
}

bool TiffWriteFile::open(const FileSpecifier& file)
{
    if (handle_)
        return false;
    if (file.kind() != FileSpecifier::kFile)
        return false;
    const std::optional<std::string> path = CodecFile::nativePath(file);
    if (!path)
        return false;
    setFileSpecifier(file);
    handle_ = TiffHandle::createForWriting(*path);
    return handle_ != nullptr;
}

bool TiffWriteFile::isOpen() const
{
    return handle_ != nullptr;
}

WriteImageFileFrameInterface* TiffWriteFile::createFrame()
{
    if (!handle_)
        return nullptr;
    try
    {
        if (directoryHasPixels_)
        {
            // The previous frame's directory is complete.
            TIFFWriteDirectory(handle_->get());
            directoryHasPixels_ = false;
        }
        else if (directoryStarted_)
            // A frame that was described but never written leaves nothing.
            TIFFCreateDirectory(handle_->get());
        directoryStarted_ = true;
        ++generation_;
        auto options = newWritingCorrelations();
        return new TiffWriteFileFrame(codec_, *handle_, std::move(options),
                                      codec_.modeCode() == TiffFormatCodec::kTextureMode, generation_);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

int TiffWriteFile::writeFrame(WriteImageFileFrameInterface* frame, RowIteratorInterface* rows)
{
    auto* tiffFrame = dynamic_cast<TiffWriteFileFrame*>(frame);
    if (!handle_ || !tiffFrame || !rows || &tiffFrame->handle() != handle_.get() ||
        tiffFrame->generation() != generation_ || directoryHasPixels_)
        return framesWritten_;
    const int height = tiffFrame->height();
    const int width = tiffFrame->width();
    if (height < 1 || width < 1 || rows->width() != width || rows->rowCount() != height)
        return framesWritten_;

    TIFF* tiff = handle_->get();
    const std::int64_t storedBits = tiffFrame->prepareDirectory();
    fitJpegStrips(tiff, static_cast<std::uint32_t>(height));
    const int bitsPerPixel = tiffFrame->bitsPerPixel();
    if (storedBits < 1 || bitsPerPixel < 1)
        return framesWritten_;
    const std::unique_ptr<TiffPrepareRow> preparer =
        TiffPrepareRow::create(tiffFrame->colorModel(), bitsPerPixel, static_cast<int>(storedBits));

    // Rows are stored as they are delivered, a set bit being ink and 0 black;
    // a directory told the other photometric interpretation is complemented.
    std::uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    const bool complement = (tiffFrame->colorModel() == kTiffBitonal && photometric == PHOTOMETRIC_MINISBLACK) ||
                            (tiffFrame->colorModel() == kTiffGray && photometric == PHOTOMETRIC_MINISWHITE);

    const std::int64_t deliveredBytes = (std::int64_t{width} * bitsPerPixel + 7) / 8;
    const std::int64_t storedBytes = (std::int64_t{width} * storedBits + 7) / 8;
    const std::int64_t rowBytes = std::max({deliveredBytes, storedBytes, std::int64_t{rows->bytesPerRow()},
                                            static_cast<std::int64_t>(tiffFrame->isTiled() ? 0 : TIFFScanlineSize64(tiff))});
    if (rowBytes > TiffHandle::kMaxSingleAllocation)
        return framesWritten_;
    DataBuffer row(static_cast<std::int32_t>(rowBytes));
    std::memset(row.data(), 0, static_cast<std::size_t>(rowBytes));

    std::unique_ptr<TileWriter> tiles;
    if (tiffFrame->isTiled() && TIFFIsTiled(tiff))
    {
        tiles = std::make_unique<TileWriter>(tiff, width, storedBits);
        if (!tiles->isReady())
            return framesWritten_;
    }

    handle_->clearError();
    bool ok = true;
    {
        rows->start();
        FinishRows finish(*rows);
        for (int r = 0; r < height && ok; ++r)
        {
            rows->getRow(row);
            if (preparer)
                preparer->prepare(row.data(), width);
            if (complement)
                for (std::int64_t i = 0; i < storedBytes; ++i)
                    row.data()[i] = static_cast<std::uint8_t>(~row.data()[i]);
            if (tiles)
                ok = tiles->add(row.data());
            else
                ok = TIFFWriteScanline(tiff, row.data(), static_cast<std::uint32_t>(r), 0) >= 0;
            if (r + 1 < height)
                rows->next();
        }
        if (ok && tiles)
            ok = tiles->flush();
    }
    directoryHasPixels_ = true;
    if (!ok || handle_->hasError())
        return framesWritten_;
    ++framesWritten_;

    // Side-car files go beside the image once its pixels are written.
    writeExternalCorrelations(tiffFrame->sideCarCorrelations(), height, width, tiffFrame->bitsUsed());
    return framesWritten_;
}

bool TiffWriteFile::close()
{
    if (!handle_)
        return true;
    const std::string path = handle_->path();
    bool ok = true;
    if (directoryStarted_ && !directoryHasPixels_ && framesWritten_ > 0)
        // A last frame that was described but never written leaves nothing.
        TIFFCreateDirectory(handle_->get());
    if (framesWritten_ == 0)
    {
        handle_->close();
        ::unlink(path.c_str());
    }
    else
        ok = handle_->close();
    handle_.reset();
    return ok;
}

} // namespace Omvi
