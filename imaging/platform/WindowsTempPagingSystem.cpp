#include "imaging/platform/WindowsTempPagingSystem.h"

#include "imaging/OMVIException.h"

#include <new>

namespace Omvi
{

namespace
{
// Page tables hold one flag per page; a grid is limited to what a signed
// 32-bit page count can number.
constexpr std::int64_t kMaxPages = INT32_MAX;

[[noreturn]] void throwInvalid(const char* message)
{
    throw new TemporaryFilePagingSystemException(message, TemporaryFilePagingSystemException::kInvalidRequest);
}
} // namespace

WindowsTempPagingSystem::WindowsTempPagingSystem(const FileSpecifier& file) : file_(file)
{
    volumes_.push_back(std::make_unique<PagingVolume>(file));
}

WindowsTempPagingSystem::~WindowsTempPagingSystem() = default;

bool WindowsTempPagingSystem::canPage(const Handle&)
{
    return true;
}

PagingSystemInterface::Handle WindowsTempPagingSystem::invalidHandle()
{
    return kInvalidHandle;
}

bool WindowsTempPagingSystem::isInvalidHandle(const Handle& handle)
{
    const auto bits = static_cast<std::uint64_t>(handle);
    return (bits & 0xFFFFFFFFu) == 0xFFFFFFFFu && (bits >> 32) == 0xFFFFFFFFu;
}

WindowsTempPagingSystem::Reservation* WindowsTempPagingSystem::reserveInVolumes(std::int64_t count,
                                                                                std::int32_t pageSize)
{
    for (auto& volume : volumes_)
    {
        Extent* extent = volume->allocate(count, pageSize);
        if (!extent)
            continue;
        std::unique_ptr<Reservation> reservation;
        try
        {
            if (!spare_.empty())
            {
                reservation = std::move(spare_.back());
                spare_.pop_back();
            }
            else
            {
                reservation = std::make_unique<Reservation>();
                reservation->id = nextId_++;
            }
            reservation->inUse.assign(static_cast<std::size_t>(count), false);
        }
        catch (const std::bad_alloc&)
        {
            volume->release(extent);
            if (reservation)
                spare_.push_back(std::move(reservation));
            throw new SystemException("Out of memory for a page table", SystemException::kOutOfMemory);
        }
        reservation->rows = 0;
        reservation->pageCount = count;
        reservation->pageSize = pageSize;
        reservation->volume = volume.get();
        reservation->extent = extent;
        reservation->pagesInUse = 0;
        Reservation* result = reservation.get();
        reservations_[reservation->id] = std::move(reservation);
        return result;
    }
    return nullptr;
}

PagingSystemInterface::Handle WindowsTempPagingSystem::reserve(std::int32_t tileRows, std::int32_t tileColumns,
                                                               std::int32_t pageSize)
{
    if (tileRows < 1 || tileColumns < 1 || pageSize < 1)
        return kInvalidHandle;
    const std::int64_t count = std::int64_t(tileRows) * tileColumns;
    if (count > kMaxPages)
        return kInvalidHandle;

    std::lock_guard<std::recursive_mutex> hold(lock_);
    Reservation* reservation = reserveInVolumes(count, pageSize);
    for (int asked = 0; !reservation && handler_ && asked < kMaxHandlerRequests; ++asked)
    {
        FileSpecifier file;
        std::int64_t size = 0;
        if (!handler_->supplyVolume(static_cast<std::uint64_t>(count) * static_cast<std::uint64_t>(pageSize), file,
                                    size))
            break;
        std::int32_t volumes = 0;
        if (addVolume(file, size, volumes))
            reservation = reserveInVolumes(count, pageSize);
    }
    if (!reservation)
        return kInvalidHandle;
    reservation->rows = tileRows;
    reservation->columns = tileColumns;
    return reservation->id;
}

WindowsTempPagingSystem::Reservation& WindowsTempPagingSystem::live(const Handle& handle)
{
    const auto found = reservations_.find(handle);
    if (found == reservations_.end())
        throwInvalid("No such page reservation");
    return *found->second;
}

std::int64_t WindowsTempPagingSystem::allocatePosition(const Handle& handle, std::int32_t tileRow,
                                                       std::int32_t tileColumn)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    Reservation& reservation = live(handle);
    if (tileRow < 0 || tileRow >= reservation.rows || tileColumn < 0 || tileColumn >= reservation.columns)
        throwInvalid("Tile outside the page reservation");
    const std::int64_t position = std::int64_t(reservation.columns) * tileRow + tileColumn;
    if (!reservation.inUse[static_cast<std::size_t>(position)])
    {
        reservation.inUse[static_cast<std::size_t>(position)] = true;
        ++reservation.pagesInUse;
    }
    return position;
}

bool WindowsTempPagingSystem::freePosition(const Handle& handle, const std::int64_t& position)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    Reservation& reservation = live(handle);
    if (position < 0 || position >= reservation.pageCount)
        throwInvalid("Page outside the page reservation");
    if (reservation.inUse[static_cast<std::size_t>(position)])
    {
        reservation.inUse[static_cast<std::size_t>(position)] = false;
        --reservation.pagesInUse;
    }
    if (reservation.pagesInUse > 0)
        return true;

    // The last page went: the reservation ends and its extent is free again.
    reservation.volume->release(reservation.extent);
    auto found = reservations_.find(handle);
    std::unique_ptr<Reservation> spare = std::move(found->second);
    reservations_.erase(found);
    spare->extent = nullptr;
    spare->volume = nullptr;
    spare->inUse.clear();
    spare->inUse.shrink_to_fit();
    spare_.push_back(std::move(spare));
    return false;
}

void WindowsTempPagingSystem::transfer(const Handle& handle, std::int32_t count, const std::int64_t* positions,
                                       void* into, const void* from)
{
    if (count == 0)
        return;
    if (count < 0 || !positions || (!into && !from))
        throwInvalid("Invalid page transfer");

    PagingVolume* volume = nullptr;
    Extent* extent = nullptr;
    std::uint64_t pageSize = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(lock_);
        Reservation& reservation = live(handle);
        for (std::int32_t i = 0; i < count; ++i)
            if (positions[i] < 0 || positions[i] >= reservation.pageCount)
                throwInvalid("Page outside the page reservation");
        volume = reservation.volume;
        extent = reservation.extent;
        pageSize = static_cast<std::uint64_t>(reservation.pageSize);
    }

    // Adjacent positions form one run, moved in one transfer.
    std::uint64_t done = 0;
    for (std::int32_t i = 0; i < count;)
    {
        std::int32_t run = 1;
        while (i + run < count && positions[i + run] == positions[i + run - 1] + 1)
            ++run;
        const std::uint64_t bytes = pageSize * static_cast<std::uint64_t>(run);
        const std::uint64_t at = pageSize * static_cast<std::uint64_t>(positions[i]);
        if (into)
            volume->read(*extent, at, static_cast<unsigned char*>(into) + done, bytes);
        else
            volume->write(*extent, at, static_cast<const unsigned char*>(from) + done, bytes);
        {
            std::lock_guard<std::recursive_mutex> hold(lock_);
            ++transfers_;
        }
        done += bytes;
        i += run;
    }
}

void WindowsTempPagingSystem::readPosition(const Handle& handle, const std::int64_t& position, void* destination)
{
    transfer(handle, 1, &position, destination, nullptr);
}

void WindowsTempPagingSystem::readPositions(const Handle& handle, std::int32_t count, const std::int64_t* positions,
                                            void* destination)
{
    if (count > 0 && !destination)
        throwInvalid("Invalid page transfer");
    transfer(handle, count, positions, destination, nullptr);
}

void WindowsTempPagingSystem::writePosition(const Handle& handle, const std::int64_t& position, const void* source)
{
    transfer(handle, 1, &position, nullptr, source);
}

void WindowsTempPagingSystem::writePositions(const Handle& handle, const std::int64_t* positions,
                                             std::int32_t count, const void* source)
{
    if (count > 0 && !source)
        throwInvalid("Invalid page transfer");
    transfer(handle, count, positions, nullptr, source);
}

bool WindowsTempPagingSystem::addVolume(const FileSpecifier& file, std::int64_t size, std::int32_t& volumeCount)
{
    std::unique_ptr<PagingVolume> volume;
    try
    {
        volume = std::make_unique<PagingVolume>(file);
    }
    catch (OMVIException* error)
    {
        delete error;
        return false;
    }
    std::lock_guard<std::recursive_mutex> hold(lock_);
    volumes_.push_back(std::move(volume));
    if (size > 0)
        setVolumeSize(static_cast<std::int32_t>(volumes_.size() - 1), size);
    volumeCount = static_cast<std::int32_t>(volumes_.size());
    return true;
}

bool WindowsTempPagingSystem::setVolumeSize(std::int32_t volume, std::int64_t size)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (volume < 0 || static_cast<std::size_t>(volume) >= volumes_.size())
        return false;
    return volumes_[static_cast<std::size_t>(volume)]->setSize(size);
}

VolumeFullHandler* WindowsTempPagingSystem::setVolumeFullHandler(VolumeFullHandler* handler)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    VolumeFullHandler* previous = handler_;
    handler_ = handler;
    return previous;
}

int WindowsTempPagingSystem::volumeCount() const
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return static_cast<int>(volumes_.size());
}

const PagingVolume* WindowsTempPagingSystem::volume(int index) const
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (index < 0 || static_cast<std::size_t>(index) >= volumes_.size())
        return nullptr;
    return volumes_[static_cast<std::size_t>(index)].get();
}

int WindowsTempPagingSystem::reservationCount() const
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return static_cast<int>(reservations_.size());
}

std::uint64_t WindowsTempPagingSystem::transferCount() const
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return transfers_;
}

std::unique_ptr<TemporaryFilePagingSystemInterface> createTemporaryPagingSystem(const FileSpecifier& file)
{
    return std::make_unique<WindowsTempPagingSystem>(file);
}

} // namespace Omvi
