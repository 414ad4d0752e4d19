#include "imaging/platform/Job.h"

namespace Omvi
{

Job::Job() = default;

Job::~Job()
{
    if (manager_ && id_ != 0)
    {
        try
        {
            manager_->releaseMemory(*this);
        }
        catch (...)
        {
            // A destructor reports nothing; the manager frees what it can.
        }
    }
}

bool Job::walksBackwards() const
{
    return false;
}

void Job::progress(std::int32_t& position, std::int32_t& rows) const
{
    position = 0;
    rows = 0;
}

void Job::setJobManager(JobManager* manager)
{
    manager_ = manager;
}

const Job::Grant& Job::acquire()
{
    if (manager_)
        manager_->acquireMemory(*this);
    return grant_;
}

void Job::release()
{
    if (manager_)
        manager_->releaseGrant(*this);
}

std::int32_t Job::setGrant(std::int32_t units, std::uint8_t* base)
{
    handedBase_ = base;
    handedUnits_ = units;
    grant_.units = units;
    grant_.bytesPerUnit = units > 0 ? bytesPerUnit() : 0;
    grant_.base = base;
    return units;
}

void Job::setJobId(std::int32_t id)
{
    id_ = id;
}

} // namespace Omvi
