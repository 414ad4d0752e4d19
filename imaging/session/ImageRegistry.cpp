#include "imaging/session/ImageRegistry.h"

#include "imaging/platform/Locks.h"
#include "imaging/platform/RunTimeInterface.h"

#include <iterator>

namespace Omvi
{

ImageRegistry::ImageRegistry(RunTimeInterface& runTime) : runTime_(runTime) {}

ImageRegistry::~ImageRegistry() = default;

std::int32_t ImageRegistry::add(ImageRep* image)
{
    if (!free_.empty())
    {
        // The first free entry comes back with the id it had.
        live_.splice(live_.begin(), free_, free_.begin());
        live_.front().image = image;
        return live_.front().id;
    }
    if (lastId_ == kCapacity || count() == kCapacity)
        return 0;
    live_.push_front(Entry{image, ++lastId_});
    return lastId_;
}

bool ImageRegistry::remove(std::int32_t id)
{
    for (auto entry = live_.begin(); entry != live_.end(); ++entry)
    {
        if (entry->id != id)
            continue;
        entry->image = nullptr;
        free_.splice(free_.end(), live_, entry);
        return true;
    }
    return false;
}

ImageRep* ImageRegistry::at(std::int32_t index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return std::next(live_.begin(), index)->image;
}

std::int32_t ImageRegistry::idAt(std::int32_t index) const
{
    if (index < 0 || index >= count())
        return 0;
    return std::next(live_.begin(), index)->id;
}

void ImageRegistry::lock()
{
    if (!lock_)
        lock_.reset(runTime_.createMutexLock());
    if (lock_)
        lock_->lock();
}

void ImageRegistry::unlock()
{
    if (lock_)
        lock_->unlock();
}

} // namespace Omvi
