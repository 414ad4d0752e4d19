#include "imaging/paging/DelayLoadPageSystem.h"

#include "imaging/platform/TemporaryFilePagingSystemInterface.h"

namespace Omvi
{

DelayLoadPageSystem::DelayLoadPageSystem(TemporaryFilePagingSystemInterface* temporary) : temporary_(temporary) {}

DelayLoadPageSystem::~DelayLoadPageSystem() = default;

PagingSystemInterface::Handle DelayLoadPageSystem::createState(const FileReadDescriptor& descriptor,
                                                               std::int32_t organisation, const PixelPair& size,
                                                               std::int32_t dataType, bool useTemporaryFile)
{
    return states_.add(std::make_shared<DelayLoadPageSystemState>(descriptor, temporary_, organisation, size,
                                                                  dataType, useTemporaryFile));
}

bool DelayLoadPageSystem::canPage(const Handle& handle)
{
    return states_.find(handle)->usesTemporaryFile();
}

PagingSystemInterface::Handle DelayLoadPageSystem::invalidHandle()
{
    return temporary_ ? temporary_->invalidHandle() : kInvalidHandle;
}

bool DelayLoadPageSystem::isInvalidHandle(const Handle& handle)
{
    if (temporary_)
        return temporary_->isInvalidHandle(handle);
    return static_cast<std::uint64_t>(handle) == ~std::uint64_t{0};
}

PagingSystemInterface::Handle DelayLoadPageSystem::reserve(std::int32_t, std::int32_t, std::int32_t)
{
    return invalidHandle();
}

void DelayLoadPageSystem::writePosition(const Handle& handle, const std::int64_t& position, const void* source)
{
    states_.find(handle)->writePosition(position, source);
}

void DelayLoadPageSystem::writePositions(const Handle& handle, const std::int64_t* positions, std::int32_t count,
                                         const void* source)
{
    states_.find(handle)->writePositions(positions, count, source);
}

std::int64_t DelayLoadPageSystem::pagePosition(const Handle& handle, const std::int64_t& position, void* scratch,
                                               Handle& volume)
{
    const auto state = states_.find(handle);
    bool inUse = true;
    const std::int64_t page = state->pagePosition(position, scratch, inUse);
    volume = state->volume();
    if (!inUse)
        states_.remove(handle);
    return page;
}

} // namespace Omvi
