#pragma once
// The six reconstruction kernels, one per resampling kind 1-6
// (ResamplingKind.h). Each is even and 0 at and beyond its support; every
// comparison is strict, so a distance exactly at a boundary takes the outer
// formula.
#include "imaging/resampling/Resampler.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

// 1 - |x| inside 1.
class TriangleResampler : public Resampler
{
public:
    using Resampler::Resampler;
    double support() const override;
    double filter(double x) const override;
};

// The cubic (2|x| - 3) x^2 + 1 inside 1.
class CubicResampler : public Resampler
{
public:
    using Resampler::Resampler;
    double support() const override;
    double filter(double x) const override;
};

// The quadratic bell: 0.75 - x^2 inside 0.5, 0.5 (|x| - 1.5)^2 inside 1.5.
class BellResampler : public Resampler
{
public:
    using Resampler::Resampler;
    double support() const override;
    double filter(double x) const override;
};

// The cubic B-spline, support 2.
class BSplineResampler : public Resampler
{
public:
    using Resampler::Resampler;
    double support() const override;
    double filter(double x) const override;
};

// The sinc windowed by a sinc three times as wide, support 3.
class Lanczos3Resampler : public Resampler
{
public:
    using Resampler::Resampler;
    double support() const override;
    double filter(double x) const override;
};

// The cubic of B = C = 1/3, support 2.
class MitchellResampler : public Resampler
{
public:
    using Resampler::Resampler;
    double support() const override;
    double filter(double x) const override;
};

// The kernel of resampling kind 1-6 with the given epsilon; null for any
// other kind (kind 0 is not a kernel).
std::unique_ptr<Resampler> createResampler(std::int32_t kind, double epsilon);

} // namespace Omvi
