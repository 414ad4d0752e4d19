#pragma once
// The memory budget shared by the jobs of the library.
//
// A job registers, asks for the units it wants and gets all of them, half of
// them or one, by how much of the budget is in use; it keeps the grant until
// it deregisters. Asking never waits: when not even one unit fits the budget
// the job is given one unit over budget, so every job can make progress on
// the single thread; only when no memory can be had at all does the request
// fail, with SystemException kOutOfMemory.
#include "imaging/platform/BlockPool.h"
#include "imaging/platform/Job.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace Omvi
{

class WindowsJobManager : public JobManager
{
public:
    // Starts with the automatic budget (setMemoryLimit(0)).
    WindowsJobManager();
    ~WindowsJobManager() override;

    bool setMemoryLimit(std::int32_t kilobytes) override;
    std::int32_t memoryLimit() const override;
    void registerJob(Job& job) override;
    void releaseMemory(Job& job) override;
    std::int32_t acquireMemory(Job& job) override;
    void releaseGrant(Job& job) override;

    // The budget in 16 KB blocks, the low mark below which a job gets all it
    // wants, and the blocks granted (over-budget ones included).
    std::int32_t budgetBlocks() const;
    std::int32_t lowMark() const;
    std::int64_t blocksInUse() const;
    int jobCount() const;

private:
    struct Record
    {
        Job* job = nullptr;
        std::uint8_t* address = nullptr;
        std::int64_t bytes = 0;
        std::int32_t bytesPerUnit = 0;
        std::int32_t unitsGranted = 0;
        std::int32_t unitsRequested = 0;
        // Over budget, outside the pool: its own reservation.
        bool outsidePool = false;
    };

    std::int64_t blocksFor(const Record& record, std::int64_t units) const;
    void freeRecordMemory(Record& record);
    Record* find(const Job& job);

    mutable std::mutex tableLock_;
    std::map<std::int32_t, Record> jobs_;
    std::vector<std::int32_t> spareIds_;
    std::int32_t lastId_ = 0;

    mutable std::mutex poolLock_;
    BlockPool pool_;
    std::int32_t budget_ = 0;
    std::int32_t lowMark_ = 0;
    std::int64_t blocksOutside_ = 0;
};

// The budget in KB that a request of `kilobytes` gives on a machine with
// `totalBytes` of physical memory of which `availableBytes` are available.
std::int64_t budgetKilobytes(std::int64_t kilobytes, std::uint64_t totalBytes, std::uint64_t availableBytes);

std::unique_ptr<JobManager> createWindowsJobManager();

} // namespace Omvi
