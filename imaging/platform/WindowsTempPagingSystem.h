#pragma once
// The temporary paging system: tiles that do not fit in memory go to pages
// of scratch files. Each reservation is one extent of one volume; a page
// request outside a live reservation throws
// TemporaryFilePagingSystemException kInvalidRequest, and a transfer that
// fails throws FileIOException.
#include "imaging/platform/PagingVolume.h"
#include "imaging/platform/TemporaryFilePagingSystemInterface.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace Omvi
{

class WindowsTempPagingSystem : public TemporaryFilePagingSystemInterface
{
public:
    // A handler that keeps supplying files that cannot be made is asked at
    // most this many times for one reservation.
    static constexpr int kMaxHandlerRequests = 8;

    // Creates the first volume on `file`; throws
    // TemporaryFilePagingSystemException (codes 0-3) when it cannot.
    explicit WindowsTempPagingSystem(const FileSpecifier& file);
    ~WindowsTempPagingSystem() override;

    bool canPage(const Handle& handle) override;
    Handle invalidHandle() override;
    bool isInvalidHandle(const Handle& handle) override;
    Handle reserve(std::int32_t tileRows, std::int32_t tileColumns, std::int32_t pageSize) override;
    std::int64_t allocatePosition(const Handle& handle, std::int32_t tileRow, std::int32_t tileColumn) override;
    bool freePosition(const Handle& handle, const std::int64_t& position) override;
    void readPosition(const Handle& handle, const std::int64_t& position, void* destination) override;
    void readPositions(const Handle& handle, std::int32_t count, const std::int64_t* positions,
                       void* destination) override;
    void writePosition(const Handle& handle, const std::int64_t& position, const void* source) override;
    void writePositions(const Handle& handle, const std::int64_t* positions, std::int32_t count,
                        const void* source) override;
    bool addVolume(const FileSpecifier& file, std::int64_t size, std::int32_t& volumeCount) override;
    bool setVolumeSize(std::int32_t volume, std::int64_t size) override;
    VolumeFullHandler* setVolumeFullHandler(VolumeFullHandler* handler) override;

    const FileSpecifier& firstVolumeFile() const { return file_; }
    int volumeCount() const;
    // The volume, for its figures; null for an index out of range.
    const PagingVolume* volume(int index) const;
    int reservationCount() const;
    // Single file transfers made so far (a run of adjacent pages is one).
    std::uint64_t transferCount() const;

private:
    struct Reservation
    {
        Handle id = kInvalidHandle;
        std::int32_t rows = 0;
        std::int32_t columns = 0;
        std::int64_t pageCount = 0;
        std::int32_t pageSize = 0;
        PagingVolume* volume = nullptr;
        Extent* extent = nullptr;
        std::vector<bool> inUse;
        std::int64_t pagesInUse = 0;
    };

    Reservation& live(const Handle& handle); // lock_ held
    Reservation* reserveInVolumes(std::int64_t count, std::int32_t pageSize); // lock_ held
    void transfer(const Handle& handle, std::int32_t count, const std::int64_t* positions, void* into,
                  const void* from);

    FileSpecifier file_;
    mutable std::recursive_mutex lock_;
    std::vector<std::unique_ptr<PagingVolume>> volumes_;
    VolumeFullHandler* handler_ = nullptr;
    std::map<Handle, std::unique_ptr<Reservation>> reservations_;
    std::vector<std::unique_ptr<Reservation>> spare_;
    Handle nextId_ = 0;
    std::uint64_t transfers_ = 0;
};

// The factory the session uses; throws as the constructor does.
std::unique_ptr<TemporaryFilePagingSystemInterface> createTemporaryPagingSystem(const FileSpecifier& file);

} // namespace Omvi
