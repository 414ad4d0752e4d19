#include "imaging/paging/DirectReadPagingSystem.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/DirectTileReadInterface.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/images/TileGeometry.h"

#include <new>

namespace Omvi
{

DirectReadPagingSystemState::DirectReadPagingSystemState(const FileReadDescriptor& descriptor,
                                                         std::int32_t organisation, const PixelPair& size,
                                                         std::int32_t dataType)
    : descriptor_(descriptor)
{
    TileGeometry geometry;
    if (!TileGeometry::of(organisation, dataType, size, geometry))
        refusePageRequest("Invalid page set");
    if (!dynamic_cast<DirectTileReadInterface*>(descriptor_.representation().frame()))
        refusePageRequest("The image file has no tiles to read");
    tilesDown_ = geometry.tilesDown;
    tilesAcross_ = geometry.tilesAcross;
    tileBytes_ = geometry.tileBytes;
    pageCount_ = geometry.tileCount;
    try
    {
        inUse_.assign(static_cast<std::size_t>(pageCount_), 0);
    }
    catch (const std::bad_alloc&)
    {
        throw new SystemException("Out of memory for page records", SystemException::kOutOfMemory);
    }
}

void DirectReadPagingSystemState::requireLive(std::int64_t index) const
{
    if (ended_)
        refusePageRequest("The page set has ended");
    if (index < 0 || index >= pageCount_)
        refusePageRequest("Page outside the page set");
    if (!inUse_[static_cast<std::size_t>(index)])
        refusePageRequest("Page not in use");
}

std::int64_t DirectReadPagingSystemState::allocatePosition(std::int32_t tileRow, std::int32_t tileColumn)
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (ended_)
        refusePageRequest("The page set has ended");
    if (tileRow < 0 || tileRow >= tilesDown_ || tileColumn < 0 || tileColumn >= tilesAcross_)
        refusePageRequest("Tile outside the page set");
    const std::int64_t index = std::int64_t{tilesAcross_} * tileRow + tileColumn;
    if (!inUse_[static_cast<std::size_t>(index)])
    {
        inUse_[static_cast<std::size_t>(index)] = 1;
        ++pagesInUse_;
    }
    everAllocated_ = true;
    return index;
}

bool DirectReadPagingSystemState::freePosition(std::int64_t index)
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (ended_)
        refusePageRequest("The page set has ended");
    if (index < 0 || index >= pageCount_)
        refusePageRequest("Page outside the page set");
    if (inUse_[static_cast<std::size_t>(index)])
    {
        inUse_[static_cast<std::size_t>(index)] = 0;
        if (--pagesInUse_ == 0)
            ended_ = true;
    }
    return pagesInUse_ > 0;
}

void DirectReadPagingSystemState::readLocked(std::int64_t index, std::uint8_t* destination)
{
    requireLive(index);
    auto* reader = dynamic_cast<DirectTileReadInterface*>(descriptor_.representation().frame());
    const auto row = static_cast<std::int32_t>(index / tilesAcross_);
    const auto column = static_cast<std::int32_t>(index - std::int64_t{row} * tilesAcross_);
    if (!reader || !reader->readTile(row, column, destination))
        throw new FileIOException("Unable to read a tile of the image file", FileIOException::kOtherFailure);
}

void DirectReadPagingSystemState::readPosition(std::int64_t index, void* destination)
{
    if (!destination)
        refusePageRequest("Invalid page transfer");
    std::lock_guard<std::mutex> hold(mutex_);
    readLocked(index, static_cast<std::uint8_t*>(destination));
}

void DirectReadPagingSystemState::readPositions(std::int32_t count, const std::int64_t* indices, void* destination)
{
    if (count < 1)
        return;
    if (!indices || !destination)
        refusePageRequest("Invalid page transfer");
    std::lock_guard<std::mutex> hold(mutex_);
    for (std::int32_t i = 0; i < count; ++i)
        requireLive(indices[i]);
    auto* out = static_cast<std::uint8_t*>(destination);
    for (std::int32_t i = 0; i < count; ++i)
        readLocked(indices[i], out + std::int64_t{tileBytes_} * i);
}

bool DirectReadPagingSystemState::discardIfUnused()
{
    std::lock_guard<std::mutex> hold(mutex_);
    if (pagesInUse_ > 0 || everAllocated_)
        return false;
    ended_ = true;
    return true;
}

DirectReadPagingSystem::DirectReadPagingSystem() = default;

DirectReadPagingSystem::~DirectReadPagingSystem() = default;

PagingSystemInterface::Handle DirectReadPagingSystem::createState(const FileReadDescriptor& descriptor,
                                                                  std::int32_t organisation, const PixelPair& size,
                                                                  std::int32_t dataType)
{
    return states_.add(std::make_shared<DirectReadPagingSystemState>(descriptor, organisation, size, dataType));
}

bool DirectReadPagingSystem::canPage(const Handle&)
{
    return false;
}

PagingSystemInterface::Handle DirectReadPagingSystem::invalidHandle()
{
    return kInvalidHandle;
}

bool DirectReadPagingSystem::isInvalidHandle(const Handle& handle)
{
    const auto bits = static_cast<std::uint64_t>(handle);
    return (bits & 0xFFFFFFFFu) == 0xFFFFFFFFu && (bits >> 32) == 0xFFFFFFFFu;
}

PagingSystemInterface::Handle DirectReadPagingSystem::reserve(std::int32_t, std::int32_t, std::int32_t)
{
    return kInvalidHandle;
}

void DirectReadPagingSystem::writePosition(const Handle&, const std::int64_t&, const void*) {}

void DirectReadPagingSystem::writePositions(const Handle&, const std::int64_t*, std::int32_t, const void*) {}

} // namespace Omvi
