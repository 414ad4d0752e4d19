#pragma once
// Vertical shears, the middle stage of the three-shear rotation: row filters
// that move every column of their input down by an amount that grows
// linearly across the image (`factor` lines per column), the fraction of a
// line spread over two output lines through per-column tables of 256
// products, so that no floating point is used per pixel. Uncovered pixels
// take the background. The filter holds a window of as many input lines as
// the largest shift needs (ScrollingDataBuffer). GrayYShear takes one byte
// per pixel (gray levels or plain 8-bit samples), RgbYShear 32-bit colours;
// createYShear picks by the model.
#include "imaging/models/ImagePixel.h"
#include "imaging/pipeline/ImageFilter.h"
#include "imaging/shears/ScrollingDataBuffer.h"
#include "imaging/shears/ShearInterface.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class RowShearer;

class VerticalShear : public ImageFilter, public ShearInterface
{
public:
    ~VerticalShear() override;

    // The next output row into `out` (at least bytesPerRow bytes, else code
    // 6); answers the rows still to come, 0 with nothing written once none
    // is left.
    std::int32_t getNextRow(DataBuffer& out) override;
    std::int32_t rowsRemaining() const override { return outHeight_ - rowsProduced_; }
    // Drops the next `count` output rows (reading the input lines they
    // would have taken), leaving the filter as if they had been delivered.
    // A count below 1 only adds the count to the rows produced.
    std::int32_t skipRows(std::int32_t count) override;

    double factor() const { return factor_; }
    // The background in the output model (kind 6 or 8).
    const ImagePixel& background() const { return background_; }
    std::int32_t windowHeight() const { return windowHeight_; }
    // The whole lines column x is moved down by, before its fraction.
    std::int32_t lineShift(std::int32_t x) const { return shifts_[static_cast<std::size_t>(x)]; }

protected:
    // Connects `input` (`rgb`: through a conversion to 32-bit RGB; else one
    // to gray, a plain 8-bit model as it is), sizes the output (the input's
    // height plus ceil((width - 1) * |factor|) rows), converts `background`
    // through the chain and fills the window. Throws ImageFilterException
    // code 1 for an input it cannot take, code 2 (message `className`) for a
    // factor that is not a number or a background that does not become kind
    // 6 (gray) or 8 (RGB), code 5 for an input without columns or a height
    // that does not fit, SystemException kOutOfMemory for a window or tables
    // beyond reach; `input` then stays the caller's.
    VerticalShear(RowProviderInterface* input, double factor, ImagePixel background, bool rgb, bool alpha,
                  const char* className);

private:
    void construct(RowProviderInterface* input, const char* className);
    void fillBackground(std::uint8_t* line) const;
    // The newest line of the window from the next input line, or the
    // background once the input is exhausted.
    void readLine();
    // The pixel (bytes) of column x in window line `line`.
    const std::uint8_t* windowPixel(std::int32_t line, std::int32_t x) const
    {
        return window_.line(line) + static_cast<std::size_t>(x) * pixelBytes_;
    }
    // The part of each blended byte of column x that moves on to the next
    // output line.
    void takeCarry(std::int32_t x, const std::uint8_t* pixel, std::uint8_t* carry) const;

    double factor_;
    ImagePixel background_;
    bool rgb_;
    bool alpha_;
    std::int32_t rowsProduced_ = 0;
    std::int32_t rowsConsumed_ = 0;
    std::int32_t width_ = 0;
    std::int32_t outHeight_ = 0;
    std::int32_t inHeight_ = 0;
    std::int32_t referenceColumns_ = 0;
    std::int32_t pixelBytes_ = 1;
    std::uint32_t backgroundWord_ = 0; // the background as row bytes
    ScrollingDataBuffer window_;
    double maxShift_ = 0.0;
    std::int32_t windowHeight_ = 1;
    std::vector<std::int32_t> shifts_;
    std::vector<std::uint8_t> tables_; // 256 per column
    std::vector<std::uint8_t> carries_; // one byte per pixel byte
    std::unique_ptr<RowShearer> shearer_; // gray only
};

class GrayYShear : public VerticalShear
{
public:
    GrayYShear(RowProviderInterface* input, const double& factor, ImagePixel background);
};

class RgbYShear : public VerticalShear
{
public:
    // `alpha`: the fourth byte is sheared like the colour bytes; otherwise
    // it moves by whole lines only.
    RgbYShear(RowProviderInterface* input, const double& factor, ImagePixel background, bool alpha);
};

// The vertical shear for `input`'s model, or null for a model it cannot
// shear: plain 8-bit samples, gray and bitonal levels by GrayYShear (gray
// with some level less than opaque by RgbYShear when `alphaWanted`), palette
// and RGB colours by RgbYShear (the alpha sheared when `alphaWanted`).
// `background` is given in the model of the chain's source and converted
// through it; a plain model with a colour face is first converted
// (applyColorModelRule). The filter's exceptions pass through, and `input`
// then stays the caller's.
RowProviderInterface* createYShear(RowProviderInterface* input, const double& factor, ImagePixel background,
                                   bool alphaWanted);
// The name the rotation uses for createYShear.
inline RowProviderInterface* makeYShear(RowProviderInterface* input, const double& factor, ImagePixel clear,
                                        bool grayAsRgb)
{
    return createYShear(input, factor, clear, grayAsRgb);
}

} // namespace Omvi
