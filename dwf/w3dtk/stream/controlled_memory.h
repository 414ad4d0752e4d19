#pragma once

#include "dwfcore/Memory.h"

// Allocation base of the toolkit and its handlers: allocating one never throws
// std::bad_alloc but DWFCore::DWFMemoryException, the failure the model
// publisher catches.
class BControlledMemoryObject : public DWFCore::DWFCoreMemory
{
};
