#pragma once
// Prepares rows for pasting with transparency: every transparent pixel of its
// input (alpha 0 in 32-bit RGB rows, a transparent entry of a palette or gray
// table) becomes one reserved key colour, and an opaque pixel that happens to
// have the key colour is moved to a replacement colour, so that afterwards
// the key marks exactly the transparent pixels. A transparent kernel given
// keyColour() then leaves those pixels out.
//
// Models: RGB with 32 bits used (key 0x00000100: alpha 0; opaque pixels get
// alpha 255, and one that then reads 0xFF000100 becomes 0xFF000000); palette
// and gray (the key is the first transparent entry; every transparent entry
// maps to it, the others to themselves). Any other model, and a table
// without transparent entries, passes its rows unchanged (the mapper is
// inactive).
#include "imaging/models/ImagePixel.h"
#include "imaging/pipeline/ImageFilter.h"

#include <array>
#include <cstdint>

namespace Omvi
{

class KeyColorMapper : public ImageFilter
{
public:
    // Connects `input` (owned from then on) and prepares the mapping. A null
    // input, or one whose rows cannot be held, throws ImageFilterException
    // (code 1 or 5) and leaves `input` the caller's.
    explicit KeyColorMapper(RowProviderInterface* input);

    // The next input row, mapped; returns the rows still to come after it.
    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return height_ - delivered_; }
    // Passes the pixel upstream first, then maps it as the rows are mapped:
    // RGB pixels (kind 8) with alpha 0 become the key, one equal to the key
    // with alpha 255 the replacement; for tables, a pixel of any kind but 5
    // has its index (low byte) mapped.
    void convertSourcePixel(ImagePixel& pixel) override;
    // The pixel transparent kernels should treat as transparent.
    ImagePixel keyColour() const { return key_; }

    // The colour opaque pixels that collide with the key move to.
    ImagePixel replacementColour() const { return replacement_; }
    bool isActive() const { return active_; }
    // Index in -> index out (tables only).
    std::uint8_t mapIndex(std::uint8_t index) const { return indexMap_[index]; }

private:
    void prepare(const DataModel& model);
    void mapRgbRow(std::uint8_t* row) const;

    std::int32_t height_ = 0;
    std::int32_t width_ = 0;
    std::int32_t delivered_ = 0;
    ImagePixel key_;
    ImagePixel replacement_;
    std::int32_t colorSpace_ = 0;
    std::array<std::uint8_t, 256> indexMap_{};
    bool active_ = false;
};

} // namespace Omvi
