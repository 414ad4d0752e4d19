#pragma once
// A paging system over scratch files (its volumes). When every volume is
// full, an optional handler may supply the file for a further one.
#include "imaging/FileSpecifier.h"
#include "imaging/PagingSystemInterface.h"

#include <cstdint>

namespace Omvi
{

class VolumeFullHandler
{
public:
    virtual ~VolumeFullHandler() = default;
    // `bytesNeeded` do not fit any volume. True asks the system to add a
    // volume on `file` limited to `size` bytes (0: no limit of its own).
    virtual bool supplyVolume(std::uint64_t bytesNeeded, FileSpecifier& file, std::int64_t& size) = 0;
};

class TemporaryFilePagingSystemInterface : public PagingSystemInterface
{
public:
    // Adds a volume; false (nothing added) when its file cannot be made.
    // `volumeCount` receives the number of volumes afterwards.
    virtual bool addVolume(const FileSpecifier& file, std::int64_t size, std::int32_t& volumeCount) = 0;
    virtual bool setVolumeSize(std::int32_t volume, std::int64_t size) = 0;
    // Installs the handler (not owned); answers the previous one.
    virtual VolumeFullHandler* setVolumeFullHandler(VolumeFullHandler* handler) = 0;
};

} // namespace Omvi
