#pragma once
// Horizontal resamplers: row filters that give every row of their input a
// requested width, each output sample a weighted sum of nearby source samples
// (its contribution list, Resampler.h). The number of rows is kept. One class
// per kind of sample:
// - BitonalXResampler: 1-bit rows in, 8-bit gray rows out. A set bit is ink,
//   so it enters the sums as black (0) and a clear bit as white (255), as
//   the bitonal-to-gray conversion has it.
// - GrayXResampler: 8-bit gray levels (or plain 8-bit samples).
// - Data16XResampler: plain unsigned 16-bit samples, clamped to the bits used.
// - Float32XResampler: plain 32-bit floats, with an optional no-data value.
// - RgbXResampler: 32-bit colours; when the model uses all 32 bits the alpha
//   byte decides which colours are transparent.
// Lists are built once by the constructor; per row the work is one
// multiply-and-add per contribution. Each also implements XResampler, so a
// vertical resampler after it can drop source rows it does not need.
#include "imaging/DataBuffer.h"
#include "imaging/pipeline/ImageFilter.h"
#include "imaging/resampling/Resampler.h"
#include "imaging/resampling/ResamplingInput.h"
#include "imaging/resampling/XResampler.h"

#include <cstdint>
#include <vector>

namespace Omvi
{

class HorizontalResampler : public ImageFilter, public XResampler
{
public:
    ~HorizontalResampler() override;

    // Pulls one input row and resamples it into `out` (at least bytesPerRow
    // bytes, else code 6); answers the rows still to come. Past the last row
    // nothing is pulled or written and 0 is answered.
    std::int32_t getNextRow(DataBuffer& out) override;
    std::int32_t rowsRemaining() const override { return rowCount_ - rowsDone_; }
    // Drops one source row (see XResampler), counted as a row done; nothing
    // once every row is done.
    void skipRow(DataBuffer& scratch) override;

    std::int32_t outWidth() const { return outWidth_; }
    // The contributions of output column `x` (0 <= x < outWidth).
    const ContributionList& contributions(std::int32_t x) const { return lists_[static_cast<std::size_t>(x)]; }

protected:
    // Connects `input` for `layout` and builds the lists for the kernel of
    // `kind` (1-6) with the layout's epsilon. Throws ImageFilterException code 1 for an
    // input it cannot take, code 2 (message `className`) for another kind,
    // code 5 for an output width below 1 or an input without columns, and
    // SystemException kOutOfMemory when the lists cannot be held; `input`
    // then stays the caller's. Otherwise the filter owns it.
    HorizontalResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind,
                        SampleLayout layout, const char* className);

    // Resamples one row of the input (padded input row) into `out`.
    virtual void resampleRow(const std::uint8_t* in, std::uint8_t* out) = 0;

    std::int32_t inputWidth() const { return inputWidth_; }
    // The most contributions an output sample has.
    std::int32_t longestList() const;

private:
    void construct(RowProviderInterface* input, std::int32_t kind, SampleLayout layout, const char* className);

    DataBuffer inputRow_;
    std::int32_t rowCount_ = 0;
    std::int32_t rowsDone_ = 0;
    std::int32_t outWidth_;
    std::int32_t inputWidth_ = 0;
    std::vector<Contribution> pool_;
    std::vector<ContributionList> lists_;
};

class BitonalXResampler : public HorizontalResampler
{
public:
    BitonalXResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind);
    // After the inputs' conversions, a bitonal pixel becomes the gray level
    // its bit is resampled as: ink (1) black, paper (0) white.
    void convertSourcePixel(ImagePixel& pixel) override;

protected:
    void resampleRow(const std::uint8_t* in, std::uint8_t* out) override;
};

class GrayXResampler : public HorizontalResampler
{
public:
    GrayXResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind);

protected:
    void resampleRow(const std::uint8_t* in, std::uint8_t* out) override;
};

class Data16XResampler : public HorizontalResampler
{
public:
    Data16XResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind);
    std::uint16_t maxValue() const { return maxValue_; }

protected:
    void resampleRow(const std::uint8_t* in, std::uint8_t* out) override;

private:
    std::uint16_t minValue_ = 0;
    std::uint16_t maxValue_ = 0xFFFF;
};

class Float32XResampler : public HorizontalResampler
{
public:
    // `noData` may be null: then every sample is valid.
    Float32XResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind,
                      const float* noData);

protected:
    void resampleRow(const std::uint8_t* in, std::uint8_t* out) override;

private:
    bool hasNoData_ = false;
    double noData_ = 0.0;
    std::vector<float> samples_;
};

class RgbXResampler : public HorizontalResampler
{
public:
    RgbXResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind);
    bool alphaAware() const { return alphaAware_; }

protected:
    void resampleRow(const std::uint8_t* in, std::uint8_t* out) override;

private:
    bool alphaAware_ = false;
    std::vector<const std::uint8_t*> pixels_;
};

// The largest sample of a 16-bit model with `bitsUsed` bits used: 2^b - 1,
// b outside 1-16 taken as 16.
std::uint16_t largestSample(std::int32_t bitsUsed);

} // namespace Omvi
