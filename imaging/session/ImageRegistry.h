#pragma once
// The session's list of live images. An image gets an id when it is
// registered; ids start at 1, and an id set free is handed out again to the
// next image registered. The newest image comes first.
#include <cstdint>
#include <list>
#include <memory>

namespace Omvi
{

class ImageRep;
class MutexLock;
class RunTimeInterface;

class ImageRegistry
{
public:
    static constexpr std::int32_t kCapacity = 0x7fffffff;

    explicit ImageRegistry(RunTimeInterface& runTime);
    ~ImageRegistry();
    ImageRegistry(const ImageRegistry&) = delete;
    ImageRegistry& operator=(const ImageRegistry&) = delete;

    // Adds the image (not owned) and answers its id; 0 when no id is left.
    std::int32_t add(ImageRep* image);
    // Removes the image of that id; false for an id not registered.
    bool remove(std::int32_t id);
    std::int32_t count() const { return static_cast<std::int32_t>(live_.size()); }
    // Image `index` from the newest; null outside the list.
    ImageRep* at(std::int32_t index) const;
    // The id of image `index`; 0 outside the list.
    std::int32_t idAt(std::int32_t index) const;

    // The lock of callers that walk the list; made on first use.
    void lock();
    void unlock();

private:
    struct Entry
    {
        ImageRep* image;
        std::int32_t id;
    };

    RunTimeInterface& runTime_;
    std::list<Entry> live_;
    std::list<Entry> free_;
    std::int32_t lastId_ = 0;
    std::unique_ptr<MutexLock> lock_;
};

} // namespace Omvi
