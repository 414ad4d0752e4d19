#include "imaging/paging/DelayLoadPageSystemState.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/SubRegionRowIteratorInterface.h"
#include "imaging/images/TileGeometry.h"
#include "imaging/paging/PagingStateTable.h"
#include "imaging/platform/TemporaryFilePagingSystemInterface.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Omvi
{

namespace
{
// One decoding pass holds a line of its tiles; longer runs take several.
constexpr std::int64_t kMaxPassLineBytes = std::int64_t{16} << 20;

[[noreturn]] void unreadable(const char* message, std::int32_t code = FileIOException::kOtherFailure)
{
    throw new FileIOException(message, code);
}

// Finishes a started row iterator however the pass ends.
struct FinishOnExit
{
    RowIteratorInterface& iterator;
    ~FinishOnExit()
    {
        try
        {
            iterator.finish();
        }
        catch (OMVIException* error)
        {
            delete error;
        }
        catch (...)
        {
        }
    }
};
} // namespace

DelayLoadPageSystemState::DelayLoadPageSystemState(const FileReadDescriptor& descriptor,
                                                   TemporaryFilePagingSystemInterface* temporary,
                                                   std::int32_t organisation, const PixelPair& size,
                                                   std::int32_t dataType, bool useTemporaryFile)
    : descriptor_(descriptor), temporary_(temporary), imageSize_(size)
{
    TileGeometry geometry;
    if (!TileGeometry::of(organisation, dataType, size, geometry))
        refusePageRequest("Invalid page set");
    tilesDown_ = geometry.tilesDown;
    tilesAcross_ = geometry.tilesAcross;
    tileEdge_ = geometry.edge;
    tileBytes_ = geometry.tileBytes;
    tileLineBytes_ = geometry.lineBytes;
    pageCount_ = geometry.tileCount;
    try
    {
        records_.resize(static_cast<std::size_t>(pageCount_));
    }
    catch (const std::bad_alloc&)
    {
        throw new SystemException("Out of memory for page records", SystemException::kOutOfMemory);
    }
    if (useTemporaryFile && temporary_)
    {
        volume_ = temporary_->reserve(tilesDown_, tilesAcross_, tileBytes_);
        // Without room in the paging file every read decodes again.
        useTemporaryFile_ = !temporary_->isInvalidHandle(volume_);
    }
}

DelayLoadPageSystemState::~DelayLoadPageSystemState()
{
    if (!useTemporaryFile_)
        return;
    try
    {
        std::lock_guard<std::mutex> hold(mutex_);
        if (!ended_)
        {
            // Ended from outside (the paging system went first): give back
            // what the records still hold of the paging file.
            for (PageRecord& record : records_)
                if (record.hasPosition() && !record.isHandedOver())
                    temporary_->freePosition(volume_, record.position());
        }
        if (!everAllocated_)
        {
            // A reservation ends with its last page: one page taken and
            // given back ends a reservation that never had any.
            const std::int64_t first = temporary_->allocatePosition(volume_, 0, 0);
            temporary_->freePosition(volume_, first);
        }
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
}

bool DelayLoadPageSystemState::hasEnded() const
{
    std::lock_guard<std::mutex> hold(mutex_);
    return ended_;
}

void DelayLoadPageSystemState::end()
{
    ended_ = true;
}

PageRecord& DelayLoadPageSystemState::liveRecord(std::int64_t index)
{
    if (ended_)
        refusePageRequest("The page set has ended");
    if (index < 0 || index >= pageCount_)
        refusePageRequest("Page outside the page set");
    PageRecord& record = records_[static_cast<std::size_t>(index)];
    if (!record.isInUse())
        refusePageRequest("Page not in use");
    return record;
}

void DelayLoadPageSystemState::requireTemporaryFile() const
{
    if (!useTemporaryFile_)
        refusePageRequest("Pages of this file cannot be written");
}

std::int64_t DelayLoadPageSystemState::allocatePosition(std::int32_t tileRow, std::int32_t tileColumn)
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (ended_)
        refusePageRequest("The page set has ended");
    if (tileRow < 0 || tileRow >= tilesDown_ || tileColumn < 0 || tileColumn >= tilesAcross_)
        refusePageRequest("Tile outside the page set");
    const std::int64_t index = std::int64_t{tilesAcross_} * tileRow + tileColumn;
    PageRecord& record = records_[static_cast<std::size_t>(index)];
    if (record.isHandedOver())
        refusePageRequest("The page was handed over");
    if (record.isInUse())
        return index;
    if (useTemporaryFile_)
        record.setPosition(temporary_->allocatePosition(volume_, tileRow, tileColumn));
    record.setInUse();
    ++inUse_;
    everAllocated_ = true;
    return index;
}

bool DelayLoadPageSystemState::freePosition(std::int64_t index)
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (ended_)
        refusePageRequest("The page set has ended");
    if (index < 0 || index >= pageCount_)
        refusePageRequest("Page outside the page set");
    PageRecord& record = records_[static_cast<std::size_t>(index)];
    if (!record.isInUse())
        return inUse_ > 0;
    // The page of the paging file goes with the record, decoded or not;
    // only a page handed over to a tile stays.
    if (record.hasPosition() && !record.isHandedOver())
    {
        temporary_->freePosition(volume_, record.position());
        record.forgetPosition();
    }
    record.setPaged(false);
    record.clearInUse();
    if (--inUse_ == 0)
        end();
    return inUse_ > 0;
}

void DelayLoadPageSystemState::readLocked(std::int64_t index, std::uint8_t* destination)
{
    PageRecord& record = liveRecord(index);
    if (record.isPaged())
    {
        temporary_->readPosition(volume_, record.position(), destination);
        return;
    }
    const auto row = static_cast<std::int32_t>(index / tilesAcross_);
    const auto column = static_cast<std::int32_t>(index - std::int64_t{row} * tilesAcross_);
    decodeRun(row, column, 1, destination);
    if (useTemporaryFile_)
    {
        temporary_->writePosition(volume_, record.position(), destination);
        record.setPaged(true);
    }
}

void DelayLoadPageSystemState::readPosition(std::int64_t index, void* destination)
{
    if (!destination)
        refusePageRequest("Invalid page transfer");
    std::lock_guard<std::mutex> hold(mutex_);
    readLocked(index, static_cast<std::uint8_t*>(destination));
}

void DelayLoadPageSystemState::readPositions(std::int32_t count, const std::int64_t* indices, void* destination)
{
    if (count < 1)
        return;
    if (!indices || !destination)
        refusePageRequest("Invalid page transfer");
    std::lock_guard<std::mutex> hold(mutex_);
    for (std::int32_t i = 0; i < count; ++i)
        liveRecord(indices[i]);

    auto* out = static_cast<std::uint8_t*>(destination);
    std::vector<std::int64_t> positions;
    for (std::int32_t i = 0; i < count;)
    {
        const PageRecord& first = records_[static_cast<std::size_t>(indices[i])];
        std::int32_t run = 1;
        std::uint8_t* runDestination = out + std::int64_t{tileBytes_} * i;
        if (first.isPaged())
        {
            // Tiles kept in the paging file: one vectored read.
            while (i + run < count && records_[static_cast<std::size_t>(indices[i + run])].isPaged())
                ++run;
            positions.clear();
            for (std::int32_t k = 0; k < run; ++k)
                positions.push_back(records_[static_cast<std::size_t>(indices[i + k])].position());
            temporary_->readPositions(volume_, run, positions.data(), runDestination);
        }
        else
        {
            // Adjacent tiles of one tile row not yet decoded: one decoding
            // pass, then one vectored write.
            const std::int64_t row = indices[i] / tilesAcross_;
            while (i + run < count && indices[i + run] == indices[i + run - 1] + 1 &&
                   indices[i + run] / tilesAcross_ == row &&
                   !records_[static_cast<std::size_t>(indices[i + run])].isPaged())
                ++run;
            decodeRun(static_cast<std::int32_t>(row), static_cast<std::int32_t>(indices[i] - row * tilesAcross_), run,
                      runDestination);
            if (useTemporaryFile_)
            {
                positions.clear();
                for (std::int32_t k = 0; k < run; ++k)
                    positions.push_back(records_[static_cast<std::size_t>(indices[i + k])].position());
                temporary_->writePositions(volume_, positions.data(), run, runDestination);
                for (std::int32_t k = 0; k < run; ++k)
                    records_[static_cast<std::size_t>(indices[i + k])].setPaged(true);
            }
        }
        i += run;
    }
}

void DelayLoadPageSystemState::writePosition(std::int64_t index, const void* source)
{
    if (!source)
        refusePageRequest("Invalid page transfer");
    std::lock_guard<std::mutex> hold(mutex_);
    PageRecord& record = liveRecord(index);
    requireTemporaryFile();
    temporary_->writePosition(volume_, record.position(), source);
    record.setPaged(true);
}

void DelayLoadPageSystemState::writePositions(const std::int64_t* indices, std::int32_t count, const void* source)
{
    if (count < 1)
        return;
    if (!indices || !source)
        refusePageRequest("Invalid page transfer");
    std::lock_guard<std::mutex> hold(mutex_);
    requireTemporaryFile();
    std::vector<std::int64_t> positions;
    positions.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        positions.push_back(liveRecord(indices[i]).position());
    temporary_->writePositions(volume_, positions.data(), count, source);
    for (std::int32_t i = 0; i < count; ++i)
        records_[static_cast<std::size_t>(indices[i])].setPaged(true);
}

std::int64_t DelayLoadPageSystemState::pagePosition(std::int64_t index, void* scratch, bool& pagesInUse)
{
    if (!scratch)
        refusePageRequest("Invalid page transfer");
    std::lock_guard<std::mutex> hold(mutex_);
    requireTemporaryFile();
    readLocked(index, static_cast<std::uint8_t*>(scratch));
    PageRecord& record = records_[static_cast<std::size_t>(index)];
    const std::int64_t position = record.position();
    record.setHandedOver();
    record.setPaged(false);
    record.clearInUse();
    if (--inUse_ == 0)
        end();
    pagesInUse = inUse_ > 0;
    return position;
}

bool DelayLoadPageSystemState::discardIfUnused()
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (inUse_ > 0 || everAllocated_)
        return false;
    end();
    return true;
}

void DelayLoadPageSystemState::decodeRun(std::int32_t tileRow, std::int32_t firstColumn, std::int32_t count,
                                         std::uint8_t* destination)
{
    const auto perPass =
        static_cast<std::int32_t>(std::max<std::int64_t>(1, kMaxPassLineBytes / tileLineBytes_));
    for (std::int32_t done = 0; done < count;)
    {
        const std::int32_t tiles = std::min(perPass, count - done);
        decodePass(tileRow, firstColumn + done, tiles, destination + std::int64_t{tileBytes_} * done);
        done += tiles;
    }
}

void DelayLoadPageSystemState::decodePass(std::int32_t tileRow, std::int32_t firstColumn, std::int32_t count,
                                          std::uint8_t* destination)
{
    ReadImageFileFrameInterface* frame = descriptor_.representation().frame();
    if (!frame)
        unreadable("Unable to read the image file");
    std::unique_ptr<RowIteratorInterface> iterator(frame->newRowIterator());
    auto* region = dynamic_cast<SubRegionRowIteratorInterface*>(iterator.get());
    if (!region)
        unreadable("The image file cannot be read by regions");

    const std::int32_t top = tileEdge_ * tileRow;
    const std::int32_t left = tileEdge_ * firstColumn;
    const std::int64_t right = std::int64_t{tileEdge_} * (std::int64_t{firstColumn} + count) - 1;
    region->setTopLeft(top, left);
    region->setBottomRight(top + tileEdge_ - 1, static_cast<std::int32_t>(std::min<std::int64_t>(right, INT32_MAX)));
    region->start();
    FinishOnExit finish{*region};

    // The lines of the band that lie inside the image.
    const std::int32_t lines = std::min(tileEdge_, imageSize_.y - top);
    const std::int64_t passLineBytes = std::int64_t{tileLineBytes_} * count;
    const std::int32_t rowBytes = region->bytesPerRow();
    if (rowBytes < 0 || rowBytes > passLineBytes || region->rowCount() < lines)
        unreadable("Image rows do not fit their tiles");

    DataBuffer line(static_cast<std::int32_t>(passLineBytes));
    std::memset(line.data(), 0, static_cast<std::size_t>(passLineBytes));
    for (std::int32_t y = 0; y < lines; ++y)
    {
        region->getRow(line);
        for (std::int32_t k = 0; k < count; ++k)
            std::memcpy(destination + std::int64_t{tileBytes_} * k + std::int64_t{tileLineBytes_} * y,
                        line.data() + std::int64_t{tileLineBytes_} * k, static_cast<std::size_t>(tileLineBytes_));
        if (y + 1 < lines && !region->next())
            unreadable("Image data ended early", FileIOException::kEndOfFile);
    }
    // Lines below the image's last line are zero in every tile.
    for (std::int32_t k = 0; k < count; ++k)
        for (std::int32_t y = std::max(lines, 0); y < tileEdge_; ++y)
            std::memset(destination + std::int64_t{tileBytes_} * k + std::int64_t{tileLineBytes_} * y, 0,
                        static_cast<std::size_t>(tileLineBytes_));
}

} // namespace Omvi
