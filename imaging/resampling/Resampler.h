#pragma once
// The reconstruction kernels behind filtered resizing and the contribution
// lists made from them. Resizing is separable: each output sample along one
// axis is a short list of weighted source samples (its contributions), built
// once from a kernel, the scale factor and the two sizes, then applied to
// every row (HorizontalResamplers.h) or every column (VerticalResamplers.h).
//
// Weights are 32-bit floats and the resamplers sum their products in double
// precision, so that results are reproducible to the last bit.
#include <cstdint>

namespace Omvi
{

// One weighted source sample: its weight and its position, already folded
// into the source.
struct Contribution
{
    float weight = 0.0f;
    std::int32_t index = 0;
};

// The contributions of one output sample: `count` entries from `entries`,
// in increasing order of the unfolded source position.
struct ContributionList
{
    Contribution* entries = nullptr;
    std::int32_t count = 0;
};

class Resampler
{
public:
    // `epsilon`: weights of this magnitude or less are left out of the lists.
    explicit Resampler(double epsilon) : epsilon_(epsilon) {}
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;
    virtual ~Resampler();

    // The half-width of the kernel.
    virtual double support() const = 0;
    // The kernel's value at distance x (0 at and beyond the support).
    virtual double filter(double x) const = 0;

    // Fills lists[0 .. dstSize-1] from `pool`, one list after another in
    // output order. `scale` points to dstSize / srcSize as the caller
    // computed it; output sample i sits at source position i / scale (no
    // half-pixel offset). The pool holds at least dstSize times the window of
    // resamplingWindowFor(support(), *scale) entries. Nothing is allocated or
    // thrown. Every index lies inside the source: positions outside it are
    // reflected once at the edges and then clamped. The weights of a list
    // are scaled to sum to 1, and a list whose every weight falls at or
    // below epsilon takes the nearest source sample with weight 1.
    virtual void buildContributions(const double* scale, std::int32_t srcSize, std::int32_t dstSize,
                                    ContributionList* lists, Contribution* pool) const;
    virtual double epsilon() const { return epsilon_; }

    // The contributions of the output sample at source position `center`:
    // the source positions within `halfWidth` of it, weighted by
    // filter(center - j), or filter((center - j) * shrink) * shrink when
    // `shrink` (the scale factor of a reduction) is not 0, then scaled to
    // sum to 1. At most `capacity` entries are written to `out`; returns
    // their number (at least 1 for a source of at least one sample).
    std::int32_t contributionsAt(double center, double halfWidth, double shrink, std::int32_t srcSize,
                                 Contribution* out, std::int32_t capacity) const;

    // A position reflected once at the source's edges (-j before the start,
    // 2 * size - j - 1 past the end), then clamped into it.
    static std::int32_t fold(std::int64_t position, std::int32_t size);

private:
    double epsilon_;
};

} // namespace Omvi
