#pragma once
// An observer of a tiled image: the image tells it about every tile that a
// writer has changed, after the change is stored. Registered with the
// image's addReactor and removed with removeReactor; it never owns the
// image. Reactors are called on the writer's thread, one at a time.
#include <cstdint>

namespace Omvi
{

class ImageReactorInterface
{
public:
    virtual ~ImageReactorInterface();
    // The tile at (tileRow, tileColumn) was written. Does nothing by default.
    virtual void tileModified(std::int32_t tileRow, std::int32_t tileColumn);
};

} // namespace Omvi
