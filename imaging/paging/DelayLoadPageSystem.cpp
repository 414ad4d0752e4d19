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

std::int64_t DelayLoadPageSystem::allocatePosition(const Handle& handle, std::int32_t tileRow,
                                                   std::int32_t tileColumn)
{
    return states_.find(handle)->allocatePosition(tileRow, tileColumn);
}

bool DelayLoadPageSystem::freePosition(const Handle& handle, const std::int64_t& position)
{
    const bool inUse = states_.find(handle)->freePosition(position);
    if (!inUse)
        states_.remove(handle);
    return inUse;
}

void DelayLoadPageSystem::readPosition(const Handle& handle, const std::int64_t& position, void* destination)
{
    states_.find(handle)->readPosition(position, destination);
}

void DelayLoadPageSystem::readPositions(const Handle& handle, std::int32_t count, const std::int64_t* positions,
                                        void* destination)
{
    states_.find(handle)->readPositions(count, positions, destination);
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

bool DelayLoadPageSystem::discardState(const Handle& handle)
{
    if (!states_.find(handle)->discardIfUnused())
        return false;
    states_.remove(handle);
    return true;
}

} // namespace Omvi
