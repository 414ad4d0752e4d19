#pragma once
// A consumer of the library's memory budget: the row composers and the
// decomposers of tiled images borrow a block of units (tiles) from the job
// manager for the band they work on.
#include <cstdint>

namespace Omvi
{

class JobManager;

class Job
{
public:
    // What the job manager handed over: `units` units of `bytesPerUnit`
    // bytes each, one after another from `base`.
    struct Grant
    {
        std::int32_t units = 0;
        std::int32_t bytesPerUnit = 0;
        std::uint8_t* base = nullptr;
    };

    Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
    // Deregisters the job from its manager, which takes its memory back.
    virtual ~Job();

    // Bytes of one unit (a composer's tile size).
    virtual std::int32_t bytesPerUnit() const = 0;
    // The job's extent: `unitsWanted` units (for a row-wise composer the tile
    // columns its region spans) and the other count.
    virtual void extent(std::int32_t& other, std::int32_t& unitsWanted) const = 0;
    // Whether the job walks its image backwards.
    virtual bool walksBackwards() const;
    // How far the job has come: its current image line or column and the
    // rows it has delivered.
    virtual void progress(std::int32_t& position, std::int32_t& rows) const;

    // The manager that grants this job's memory (not owned); it must outlive
    // the job or take its memory back first.
    void setJobManager(JobManager* manager);
    JobManager* jobManager() const { return manager_; }

    // Asks the manager for memory; the first grant stays until the job is
    // deregistered, so later calls return it again. Without a manager the
    // grant is empty. Throws what the manager throws.
    const Grant& acquire();
    // The band is done (the memory stays with the job).
    void release();
    const Grant& grant() const { return grant_; }

    // Called by the manager when it grants: records the hand-over and stores
    // the grant; answers the units granted.
    std::int32_t setGrant(std::int32_t units, std::uint8_t* base);
    // The manager's handle on the job; 0 while it is not registered.
    std::int32_t jobId() const { return id_; }
    // Called by the manager when it registers or drops the job.
    void setJobId(std::int32_t id);

private:
    JobManager* manager_ = nullptr;
    Grant grant_;
    std::uint8_t* handedBase_ = nullptr;
    std::int32_t handedUnits_ = 0;
    std::int32_t id_ = 0;
};

// Shares the memory budget among jobs. Budgets are in KB; memory is handed
// out in blocks of 16 KB.
class JobManager
{
public:
    static constexpr std::int32_t kBlockBytes = 16384;

    virtual ~JobManager() = default;
    // A budget of `kilobytes` (0: chosen from the machine's memory). Refused
    // (false, nothing changes) while any job holds granted memory.
    virtual bool setMemoryLimit(std::int32_t kilobytes) = 0;
    virtual std::int32_t memoryLimit() const = 0;
    virtual void registerJob(Job& job) = 0;
    // Deregisters the job and takes its memory back.
    virtual void releaseMemory(Job& job) = 0;
    // Grants all, half or one of the units the job wants and answers the
    // units granted; never waits.
    virtual std::int32_t acquireMemory(Job& job) = 0;
    // The job is done with its band for now; the grant stays in place.
    virtual void releaseGrant(Job& job) = 0;
};

} // namespace Omvi
