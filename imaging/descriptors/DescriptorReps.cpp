#include "imaging/descriptors/FileReadDescriptorRep.h"
#include "imaging/descriptors/FileWriteDescriptorRep.h"

namespace Omvi
{

FileReadDescriptorRep::FileReadDescriptorRep() = default;
FileReadDescriptorRep::~FileReadDescriptorRep() = default;

FileWriteDescriptorRep::FileWriteDescriptorRep() = default;
FileWriteDescriptorRep::~FileWriteDescriptorRep() = default;

} // namespace Omvi
