#pragma once
// The link of a context's tile cache to the image's change notifications:
// one flag per tile, set whenever any writer stores that tile, so that a
// cached copy taken earlier is loaded again on its next use. Flags are set
// from the writer's thread and read from the context's.
#include "imaging/images/ImageReactorInterface.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace Omvi
{

class TiledImage;

class TileModifiedReactor : public ImageReactorInterface
{
public:
    // Registers with the image (addReactor), one flag per tile of its grid.
    explicit TileModifiedReactor(TiledImage& image);
    // Removes itself from the image unless the image has gone.
    ~TileModifiedReactor() override;
    TileModifiedReactor(const TileModifiedReactor&) = delete;
    TileModifiedReactor& operator=(const TileModifiedReactor&) = delete;

    // A tile outside the grid is ignored.
    void tileModified(std::int32_t tileRow, std::int32_t tileColumn) override;
    bool isModified(std::int32_t tileRow, std::int32_t tileColumn) const;
    void clear(std::int32_t tileRow, std::int32_t tileColumn);
    // The image is being destroyed: nothing is removed from it later.
    void forgetImage() { image_ = nullptr; }

private:
    std::int64_t indexOf(std::int32_t tileRow, std::int32_t tileColumn) const;

    TiledImage* image_;
    std::unique_ptr<std::atomic<std::uint8_t>[]> flags_;
    std::int64_t length_ = 0;
    std::int32_t rows_ = 0;
    std::int32_t columns_ = 0;
};

} // namespace Omvi
