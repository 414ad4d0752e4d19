#pragma once
// Told how far a row writer has come; its answer says whether to go on.
#include <cstdint>

namespace Omvi
{

class ProgressReporterInterface
{
public:
    virtual ~ProgressReporterInterface() = default;
    virtual bool reportProgress(std::int32_t row, std::int32_t rowCount) = 0;
};

} // namespace Omvi
