#pragma once
// Serves the rows of a source in another build order: the whole source is
// read into a tiled image built in that order, whose rows are then handed
// out top to bottom. Build orders 4-7 exchange width and height.
//
// A file frame that declares an orientation is turned upright by this
// filter (the descriptor's scaled rows).
#include "imaging/OMVIException.h"
#include "imaging/Orientation.h"
#include "imaging/images/Image.h"
#include "imaging/pipeline/ImageFilter.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class ReorientFilter : public ImageFilter
{
public:
    // Takes `source` over in every case and reads it whole into an image
    // (code 0-7 as BuildOrder). When that image cannot be made (a source
    // that fails, a code outside 0-7, no session), the filter stays
    // uninitialised and not valid, and the source is deleted.
    ReorientFilter(RowProviderInterface* source, std::int32_t orientation);
    // Deletes the row provider, then the image.
    ~ReorientFilter() override;

    // The image's next row into `row`; answers the rows still to come. With
    // no row left, or without an image, nothing is written and 0 is
    // answered.
    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return rowsLeft_; }
    // The image and its row provider are held.
    bool isValid() const override;
    // Why the image could not be made: the failure the source or the paging
    // file raised (a page that could not be written names the paging file
    // and the system's reason). Null when it was made or nothing was raised.
    const OMVIException* failure() const { return failure_.get(); }

private:
    void build(std::unique_ptr<RowProviderInterface>& source, BuildOrder order);

    std::unique_ptr<Image> image_;
    std::int32_t rowsLeft_ = 0;
    std::unique_ptr<RowProviderInterface> rows_;
    OwnedException failure_;
};

} // namespace Omvi
