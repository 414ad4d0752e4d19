#include "imaging/images/Tile.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/platform/Locks.h"
#include "imaging/platform/RunTimeInterface.h"
#include "imaging/session/OMVISession.h"

namespace Omvi
{

namespace
{
ReadManyWriteOneLock* makeLock()
{
    OMVISession* session = OMVISession::get();
    if (!session)
        throw new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume);
    ReadManyWriteOneLock* lock = session->runTime().createReadWriteLock();
    if (!lock)
        throw new SystemException("Out of memory", SystemException::kOutOfMemory);
    return lock;
}
} // namespace

Tile::Tile(std::int32_t row, std::int32_t column) : Tile(row, column, true) {}

Tile::Tile(std::int32_t row, std::int32_t column, bool withLock)
    : lock_(withLock ? makeLock() : nullptr), row_(row), column_(column)
{
}

Tile::~Tile() = default;

void Tile::setBlank(bool blank)
{
    if (holders_.load() >= 2)
        return;
    blank_.store(blank);
}

std::int32_t Tile::removeHolder()
{
    std::int32_t held = holders_.load();
    while (held > 0 && !holders_.compare_exchange_weak(held, held - 1))
    {
    }
    return held > 0 ? held - 1 : 0;
}

void Tile::pageInfo(PagingSystemInterface*& pagingSystem, Handle& pageSet, std::int64_t& page) const
{
    pagingSystem = pagingSystem_;
    pageSet = pageSet_;
    page = page_;
}

void Tile::attachPage(PagingSystemInterface* pagingSystem, Handle pageSet, std::int64_t page,
                      std::int32_t pageBytes)
{
    pagingSystem_ = pagingSystem;
    pageSet_ = pageSet;
    page_ = page;
    pageBytes_ = pageBytes;
}

void Tile::releasePage()
{
    PagingSystemInterface* pagingSystem = pagingSystem_;
    if (!pagingSystem)
        return;
    pagingSystem_ = nullptr;
    pagingSystem->freePosition(pageSet_, page_);
}

bool Tile::read(DataBuffer& buffer) const
{
    if (isBlank())
        return false;
    if (buffer.size() < pageBytes_)
        throw new ImageFilterException("Tile buffer too small", ImageFilterException::kRowBufferTooSmall);
    return read(buffer.data());
}

bool Tile::read(std::uint8_t* destination) const
{
    if (isBlank())
        return false;
    if (!pagingSystem_)
        throw new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume);
    pagingSystem_->readPosition(pageSet_, page_, destination);
    return true;
}

} // namespace Omvi
