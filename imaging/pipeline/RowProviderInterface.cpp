#include "imaging/pipeline/RowProviderInterface.h"

namespace Omvi
{

RowProviderInterface::~RowProviderInterface() = default;

bool RowProviderInterface::hasSparseRows() const
{
    return false;
}

bool RowProviderInterface::nextRun(std::int32_t& first, std::int32_t& count)
{
    first = 0;
    count = size().x;
    return true;
}

void RowProviderInterface::restartRuns() {}

std::int32_t RowProviderInterface::runCount() const
{
    return 1;
}

} // namespace Omvi
