#include "imaging/descriptors/FileReadDescriptorRep.h"
#include "imaging/descriptors/FileWriteDescriptorRep.h"

namespace Omvi
{

FileReadDescriptorRep::FileReadDescriptorRep() = default;
FileReadDescriptorRep::~FileReadDescriptorRep() = default;

RowProviderInterface* FileReadDescriptorRep::subSampledRowProvider(const PixelPair&, const PixelPair&, std::int32_t)
{
    return nullptr;
}

bool FileReadDescriptorRep::subSamplingFor(std::int32_t&, std::int32_t&, std::int32_t&)
{
    return false;
}

FileWriteDescriptorRep::FileWriteDescriptorRep() = default;
FileWriteDescriptorRep::~FileWriteDescriptorRep() = default;

} // namespace Omvi
