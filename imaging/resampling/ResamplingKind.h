#pragma once
// The resampling kinds: how a source is filtered when it is resized. Callers
// (the placement's dispatch, the scaled row provider of a file) choose one by
// this number; kind 0 is nearest-neighbour scaling without filtering, kinds
// 1-6 the reconstruction kernels of ResamplingKernels.h.
#include <cstdint>

namespace Omvi
{

enum ResamplingKind : std::int32_t
{
    kResampleNearest = 0,
    kResampleTriangle = 1,
    kResampleCubic = 2,
    kResampleBell = 3,
    kResampleBSpline = 4,
    kResampleLanczos3 = 5,
    kResampleMitchell = 6
};

// Whether `kind` names one of the six kernels (1-6).
bool isResamplingKernel(std::int32_t kind);

// The half-width of the kernel of `kind`: 1 for Triangle and Cubic, 1.5 for
// Bell, 2 for B-spline and Mitchell, 3 for Lanczos3 and any other value.
double resamplingSupport(std::int32_t kind);

// The number of source samples one output sample may draw on when `from`
// samples become `to` along one axis: 2 * trunc(support) + 1 when enlarging
// or keeping the size, trunc(2 * support / ratio + 1) when reducing. Sizes
// below 1 have no window (the largest int32 is answered, which no source
// reaches), and a window too large for an int32 is clamped to it.
std::int32_t resamplingWindow(std::int32_t from, std::int32_t to, std::int32_t kind);
// The same rule for a kernel of the given support and ratio (to / from).
std::int32_t resamplingWindowFor(double support, double ratio);

} // namespace Omvi
