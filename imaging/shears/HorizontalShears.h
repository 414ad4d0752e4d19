#pragma once
// Horizontal shears: row filters that move every row of their input right by
// an amount proportional to its position, `factor` pixels per row, so that
// the image becomes a parallelogram; uncovered pixels take the clear colour.
// A whole-pixel move is a copy; a fractional one is blended with the
// neighbour through a table of 256 products (buildFractionTable) by the
// platform's row shearer. The rows are worked on in place, in the caller's
// row buffer. GrayXShear takes one byte per pixel (gray levels or plain
// 8-bit samples), RgbXShear 32-bit colours; makeXShear picks by the model.
#include "imaging/models/ImagePixel.h"
#include "imaging/pipeline/ImageFilter.h"
#include "imaging/shears/ShearInterface.h"

#include <array>
#include <cstdint>
#include <memory>

namespace Omvi
{

class RowShearer;

class HorizontalShear : public ImageFilter, public ShearInterface
{
public:
    ~HorizontalShear() override;

    // The next row, sheared, into `row` (at least bytesPerRow bytes, else
    // code 6); answers the rows still to come, 0 with nothing written once
    // none is left.
    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return rowsLeft_ > 0 ? rowsLeft_ : 0; }
    // The next `count` rows are taken as delivered: the rows after them are
    // shifted as those rows would have been. The input is not read (the
    // stage before drops the same rows).
    std::int32_t skipRows(std::int32_t count) override;

    double factor() const { return factor_; }
    // The clear pixel in the output model (kind 6 or 8).
    const ImagePixel& clearPixel() const { return clear_; }

protected:
    // Connects `input` (`rgb`: through a conversion to 32-bit RGB; else one
    // to gray, a plain 8-bit model as it is), sizes the output and converts
    // `clear` through the chain. Throws ImageFilterException code 1 for an
    // input it cannot take, code 2 (message `className`) for a factor that is
    // not a number or a clear pixel that does not become kind 6 (gray) or 8
    // (RGB), code 5 for an input without columns or an output width that
    // does not fit; `input` then stays the caller's.
    HorizontalShear(RowProviderInterface* input, double factor, ImagePixel clear, bool rgb,
                    const char* className);

private:
    void construct(RowProviderInterface* input, bool rgb, const char* className);
    // Pixels [first, end) of `row` take the clear colour.
    void fillClear(std::uint8_t* row, std::int32_t first, std::int32_t end) const;
    // Adds t[clear] to each byte of the pixel at `pixel`.
    void addClearShare(std::uint8_t* pixel) const;

    double factor_;
    ImagePixel clear_;
    std::uint32_t clearWord_ = 0; // the clear pixel as row bytes
    std::int32_t rowsLeft_ = 0;
    std::int32_t outWidth_ = 0;
    std::int32_t outHeight_ = 0;
    std::int32_t inWidth_ = 0;
    std::int32_t inHeight_ = 0;
    std::int32_t t0_ = 0;
    std::int32_t pixelBytes_ = 1;
    std::array<std::uint8_t, 256> table_{};
    std::unique_ptr<RowShearer> shearer_;
};

class GrayXShear : public HorizontalShear
{
public:
    GrayXShear(RowProviderInterface* input, const double& factor, ImagePixel clear);
};

class RgbXShear : public HorizontalShear
{
public:
    RgbXShear(RowProviderInterface* input, const double& factor, ImagePixel clear, bool grayAsRgb);
    bool grayAsRgb() const { return grayAsRgb_; }

private:
    bool grayAsRgb_;
};

// table[0] = 0 and table[v] = v * f rounded to nearest, for v = 1..255.
void buildFractionTable(std::uint8_t table[256], const double& f);

// The horizontal shear for `input`'s model, or null for a model it cannot
// shear: plain 8-bit samples, gray and bitonal levels by GrayXShear (gray
// with some level less than opaque by RgbXShear when `grayAsRgb`), palette
// and RGB colours by RgbXShear. `clear` is given in the model of the chain's
// source and converted through it. Unless `keepModel`, a plain model with a
// colour face is first converted (applyColorModelRule). The filter's
// exceptions pass through, and `input` then stays the caller's.
RowProviderInterface* makeXShear(RowProviderInterface* input, const double& factor, ImagePixel clear,
                                 bool grayAsRgb, bool keepModel);

} // namespace Omvi
