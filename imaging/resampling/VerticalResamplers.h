#pragma once
// Vertical resamplers: row filters that give their input a requested number
// of rows, keeping the width; each output row is a weighted sum of nearby
// input rows, with the kernels and contribution rules of Resampler.h. Input
// rows arrive strictly in order, so the filter keeps a ring of the most
// recent ones, as many as one output row can draw on (never more than the
// input has). Classes, as for the horizontal resamplers:
// - GrayYResampler: 8-bit gray levels (a bitonal input is converted to gray
//   first) or plain 8-bit samples.
// - Data16YResampler: plain unsigned 16-bit samples.
// - Float32YResampler: plain 32-bit floats with an optional no-data value.
// - RgbYResampler: 32-bit colours, alpha-aware when all 32 bits are used.
// When the input is a horizontal resampler (XResampler), rows that no output
// row needs are dropped through it without being resampled.
#include "imaging/DataBuffer.h"
#include "imaging/pipeline/ImageFilter.h"
#include "imaging/resampling/Resampler.h"
#include "imaging/resampling/ResamplingInput.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class VerticalResampler : public ImageFilter
{
public:
    ~VerticalResampler() override;

    // Makes the next output row into `out` (at least bytesPerRow bytes, else
    // code 6), pulling input rows only forwards and each once; answers the
    // rows still to come. Past the last row nothing is written and 0 is
    // answered.
    std::int32_t getNextRow(DataBuffer& out) override;
    std::int32_t rowsRemaining() const override { return outHeight_ - outRow_; }

    // Input rows held at once.
    std::int32_t ringSize() const { return ringSize_; }
    // The input row last pulled (-1 before any).
    std::int32_t lastRead() const { return lastRead_; }
    // The contributions of the output row last made.
    const Contribution* lastEntries() const { return entries_.data(); }
    std::int32_t lastEntryCount() const { return entryCount_; }

protected:
    // Connects `input` for `layout`, makes the kernel of `kind` (1-6) with
    // the layout's epsilon and fills the ring. Throws as the horizontal resamplers do
    // (code 1, code 2 with `className`, code 5 for an output height below 1
    // or an input without rows, kOutOfMemory); `input` then stays the
    // caller's.
    VerticalResampler(RowProviderInterface* input, std::int32_t outHeight, std::int32_t kind,
                      SampleLayout layout, const char* className);

    // Makes one output row from rows[k] weighted by entries[k].weight.
    virtual void combineRows(const std::uint8_t* const* rows, const Contribution* entries, std::int32_t count,
                             std::uint8_t* out) = 0;

    std::int32_t width() const { return width_; }
    // The most contributions an output row can have.
    std::int32_t entryCapacity() const { return static_cast<std::int32_t>(entries_.size()); }
    // Weighted byte sums of `rows`, byte by byte, each rounded, truncated and
    // clamped to 0..255: `bytes` bytes from each row.
    void combineBytes(const std::uint8_t* const* rows, const Contribution* entries, std::int32_t count,
                      std::int32_t bytes, std::uint8_t* out);

private:
    void construct(RowProviderInterface* input, std::int32_t kind, SampleLayout layout, const char* className);
    DataBuffer& ringRow(std::int32_t slot);

    std::int32_t outHeight_;
    std::int32_t outRow_ = 0;
    std::int32_t inHeight_ = 0;
    std::int32_t width_ = 0;
    std::int32_t lastRead_ = -1;
    std::int32_t ringSize_ = 0;
    std::int32_t ringStart_ = 0;
    std::vector<DataBuffer> ring_;
    std::vector<const std::uint8_t*> rowPointers_;
    double ratio_ = 1.0;
    double halfWidth_ = 0.0;
    double invRatio_ = 1.0;
    std::unique_ptr<Resampler> kernel_;
    std::vector<Contribution> entries_;
    std::int32_t entryCount_ = 0;
    DataBuffer skipScratch_;
    std::vector<double> sums_;
};

class GrayYResampler : public VerticalResampler
{
public:
    GrayYResampler(RowProviderInterface* input, std::int32_t outHeight, std::int32_t kind);

protected:
    void combineRows(const std::uint8_t* const* rows, const Contribution* entries, std::int32_t count,
                     std::uint8_t* out) override;
};

class Data16YResampler : public VerticalResampler
{
public:
    Data16YResampler(RowProviderInterface* input, std::int32_t outHeight, std::int32_t kind);
    std::uint16_t maxValue() const { return maxValue_; }

protected:
    void combineRows(const std::uint8_t* const* rows, const Contribution* entries, std::int32_t count,
                     std::uint8_t* out) override;

private:
    std::uint16_t minValue_ = 0;
    std::uint16_t maxValue_ = 0xFFFF;
};

class Float32YResampler : public VerticalResampler
{
public:
    // `noData` may be null: then every sample is valid.
    Float32YResampler(RowProviderInterface* input, std::int32_t outHeight, std::int32_t kind,
                      const float* noData);

protected:
    void combineRows(const std::uint8_t* const* rows, const Contribution* entries, std::int32_t count,
                     std::uint8_t* out) override;

private:
    bool hasNoData_ = false;
    double noData_ = 0.0;
    std::vector<float> samples_;
};

class RgbYResampler : public VerticalResampler
{
public:
    RgbYResampler(RowProviderInterface* input, std::int32_t outHeight, std::int32_t kind);
    bool alphaAware() const { return alphaAware_; }

protected:
    void combineRows(const std::uint8_t* const* rows, const Contribution* entries, std::int32_t count,
                     std::uint8_t* out) override;

private:
    bool alphaAware_ = false;
    std::vector<const std::uint8_t*> pixels_;
};

} // namespace Omvi
