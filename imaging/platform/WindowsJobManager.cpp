#include "imaging/platform/WindowsJobManager.h"

#include "imaging/OMVIException.h"

#include "platform/kernel/Memory.h"

#include <algorithm>

namespace Omvi
{

namespace
{
constexpr std::int64_t kMinimumKilobytes = 24;
constexpr std::int64_t kDefaultCeilingKilobytes = 10240;
// The automatic budget is this fraction of the available bytes, in KB.
constexpr std::int64_t kAvailableDivisor = 4048;
} // namespace

std::int64_t budgetKilobytes(std::int64_t kilobytes, std::uint64_t totalBytes, std::uint64_t availableBytes)
{
    std::int64_t r = kilobytes;
    const auto totalKb = static_cast<std::int64_t>(std::min<std::uint64_t>(totalBytes / 1024, INT64_MAX));
    const auto availableKb = static_cast<std::int64_t>(std::min<std::uint64_t>(availableBytes / 1024, INT64_MAX));
    if (r > totalKb)
        r = availableKb;
    if (r < 1)
    {
        const auto share = static_cast<std::int64_t>(std::min<std::uint64_t>(availableBytes / kAvailableDivisor, INT64_MAX));
        r = std::clamp(share, kMinimumKilobytes, kDefaultCeilingKilobytes);
    }
    else if (r < kMinimumKilobytes)
        r = kMinimumKilobytes;
    return r;
}

WindowsJobManager::WindowsJobManager()
{
    setMemoryLimit(0);
}

WindowsJobManager::~WindowsJobManager()
{
    std::lock_guard<std::mutex> table(tableLock_);
    std::lock_guard<std::mutex> pool(poolLock_);
    for (auto& entry : jobs_)
    {
        freeRecordMemory(entry.second);
        // The job must not call back into a manager that is gone.
        entry.second.job->setGrant(0, nullptr);
        entry.second.job->setJobId(0);
        entry.second.job->setJobManager(nullptr);
    }
}

bool WindowsJobManager::setMemoryLimit(std::int32_t kilobytes)
{
    std::lock_guard<std::mutex> table(tableLock_);
    for (const auto& entry : jobs_)
        if (entry.second.unitsGranted > 0)
            return false; // the pool is in use
    const platform::MemoryStatus memory = platform::memoryStatus();
    const std::int64_t r = budgetKilobytes(kilobytes, memory.totalPhysical, memory.availablePhysical);
    // Budgets are counted in 16 KB blocks in a signed 32-bit number.
    const std::int64_t blocks = std::min<std::int64_t>((r + 15) >> 4, INT32_MAX / 16);

    std::lock_guard<std::mutex> pool(poolLock_);
    if (!pool_.setUp(blocks * 16))
        return false;
    budget_ = static_cast<std::int32_t>(blocks);
    lowMark_ = static_cast<std::int32_t>(0.75 * budget_);
    return true;
}

std::int32_t WindowsJobManager::memoryLimit() const
{
    std::lock_guard<std::mutex> pool(poolLock_);
    return budget_ * 16;
}

WindowsJobManager::Record* WindowsJobManager::find(const Job& job)
{
    const auto found = jobs_.find(job.jobId());
    if (found == jobs_.end() || found->second.job != &job)
        return nullptr;
    return &found->second;
}

void WindowsJobManager::registerJob(Job& job)
{
    std::int32_t other = 0;
    std::int32_t units = 0;
    job.extent(other, units);
    const std::int32_t bytesPerUnit = job.bytesPerUnit();

    std::lock_guard<std::mutex> table(tableLock_);
    if (find(job))
        return;
    std::int32_t id;
    if (!spareIds_.empty())
    {
        id = spareIds_.back();
        spareIds_.pop_back();
    }
    else
    {
        if (lastId_ == INT32_MAX)
            throw new SystemException("Too many memory jobs", SystemException::kOutOfMemory);
        id = ++lastId_;
    }
    Record record;
    record.job = &job;
    record.bytesPerUnit = bytesPerUnit;
    record.unitsRequested = units;
    jobs_[id] = record;
    job.setJobId(id);
    job.setJobManager(this);
}

void WindowsJobManager::freeRecordMemory(Record& record)
{
    if (!record.address)
        return;
    const std::int64_t blocks = record.bytes / kBlockBytes;
    if (record.outsidePool)
    {
        platform::releaseAddressSpace(record.address, static_cast<std::size_t>(record.bytes));
        blocksOutside_ -= blocks;
    }
    else
        pool_.release(record.address, blocks);
    record.address = nullptr;
    record.bytes = 0;
    record.unitsGranted = 0;
}

void WindowsJobManager::releaseMemory(Job& job)
{
    Record record;
    {
        std::lock_guard<std::mutex> table(tableLock_);
        Record* found = find(job);
        if (!found)
            return;
        record = *found;
        jobs_.erase(job.jobId());
        spareIds_.push_back(job.jobId());
        if (jobs_.empty())
            spareIds_.clear();
    }
    {
        std::lock_guard<std::mutex> pool(poolLock_);
        freeRecordMemory(record);
    }
    job.setGrant(0, nullptr);
    job.setJobId(0);
}

std::int64_t WindowsJobManager::blocksFor(const Record& record, std::int64_t units) const
{
    const std::int64_t bytes = units * static_cast<std::int64_t>(record.bytesPerUnit);
    return (bytes + kBlockBytes - 1) / kBlockBytes;
}

std::int32_t WindowsJobManager::acquireMemory(Job& job)
{
    if (job.jobManager() != this || job.jobId() == 0)
        registerJob(job);

    Record wanted;
    {
        std::lock_guard<std::mutex> table(tableLock_);
        Record* record = find(job);
        if (!record)
            return 0;
        if (record->unitsGranted > 0)
            return record->unitsGranted;
        wanted = *record;
    }
    if (wanted.unitsRequested < 1 || wanted.bytesPerUnit < 1)
        return 0;

    std::int32_t units = 0;
    std::uint8_t* address = nullptr;
    bool outside = false;
    {
        std::lock_guard<std::mutex> pool(poolLock_);
        const std::int64_t used = pool_.blocksInUse() + blocksOutside_;
        const std::int64_t want = blocksFor(wanted, wanted.unitsRequested);
        const std::int64_t one = blocksFor(wanted, 1);
        if (used + want < lowMark_)
            units = wanted.unitsRequested;
        else if (wanted.unitsRequested >= 2 && used + want / 2 < budget_)
            units = wanted.unitsRequested / 2;
        else if (used + one < budget_)
            units = 1;

        if (units > 0)
        {
            address = pool_.allocate(blocksFor(wanted, units));
            if (!address && units >= 2)
            {
                units = 1;
                address = pool_.allocate(one);
            }
        }
        if (!address)
        {
            // Nothing fits the budget: one unit over it rather than a wait
            // that nothing on this thread could ever end.
            units = 1;
            address = pool_.allocate(one);
            if (!address)
            {
                const auto bytes = static_cast<std::size_t>(one * kBlockBytes);
                address = static_cast<std::uint8_t*>(platform::reserveAddressSpace(bytes));
                if (address && !platform::commitPages(address, bytes))
                {
                    platform::releaseAddressSpace(address, bytes);
                    address = nullptr;
                }
                if (!address)
                    throw new SystemException("Out of memory for image data", SystemException::kOutOfMemory);
                outside = true;
                blocksOutside_ += one;
            }
        }
    }

    Record granted = wanted;
    granted.address = address;
    granted.bytes = blocksFor(wanted, units) * kBlockBytes;
    granted.unitsGranted = units;
    granted.outsidePool = outside;
    {
        std::lock_guard<std::mutex> table(tableLock_);
        if (Record* record = find(job))
        {
            *record = granted;
            granted.address = nullptr;
        }
    }
    if (granted.address)
    {
        // The job was deregistered meanwhile: nobody holds this memory.
        std::lock_guard<std::mutex> pool(poolLock_);
        freeRecordMemory(granted);
        return 0;
    }
    return job.setGrant(units, address);
}

void WindowsJobManager::releaseGrant(Job&)
{
    // The memory stays with the job until it deregisters.
}

std::int32_t WindowsJobManager::budgetBlocks() const
{
    std::lock_guard<std::mutex> pool(poolLock_);
    return budget_;
}

std::int32_t WindowsJobManager::lowMark() const
{
    std::lock_guard<std::mutex> pool(poolLock_);
    return lowMark_;
}

std::int64_t WindowsJobManager::blocksInUse() const
{
    std::lock_guard<std::mutex> pool(poolLock_);
    return pool_.blocksInUse() + blocksOutside_;
}

int WindowsJobManager::jobCount() const
{
    std::lock_guard<std::mutex> table(tableLock_);
    return static_cast<int>(jobs_.size());
}

std::unique_ptr<JobManager> createWindowsJobManager()
{
    return std::make_unique<WindowsJobManager>();
}

} // namespace Omvi
