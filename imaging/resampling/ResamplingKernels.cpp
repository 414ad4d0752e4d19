#include "imaging/resampling/ResamplingKernels.h"

#include "imaging/resampling/ResamplingKind.h"

#include <cmath>

namespace Omvi
{

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kOneThird = 1.0 / 3.0;
constexpr double kOneSixth = 1.0 / 6.0;
constexpr double kTwoThirds = 2.0 / 3.0;
constexpr double kSixteenThirds = 16.0 / 3.0;
constexpr double kMinusSevenThirds = -7.0 / 3.0;
constexpr double kThirtyTwoThirds = 32.0 / 3.0;

// sin(pi u) / (pi u), exactly 1 at 0.
double sinc(double u)
{
    if (u == 0.0)
        return 1.0;
    const double angle = u * kPi;
    return std::sin(angle) / angle;
}
} // namespace

double TriangleResampler::support() const { return 1.0; }
double TriangleResampler::filter(double x) const
{
    const double a = std::fabs(x);
    return a < 1.0 ? 1.0 - a : 0.0;
}

double CubicResampler::support() const { return 1.0; }
double CubicResampler::filter(double x) const
{
    const double a = std::fabs(x);
    return a < 1.0 ? (2.0 * a - 3.0) * a * a + 1.0 : 0.0;
}

double BellResampler::support() const { return 1.5; }
double BellResampler::filter(double x) const
{
    const double a = std::fabs(x);
    if (a < 0.5)
        return 0.75 - a * a;
    if (a < 1.5)
    {
        const double t = a - 1.5;
        return 0.5 * (t * t);
    }
    return 0.0;
}

double BSplineResampler::support() const { return 2.0; }
double BSplineResampler::filter(double x) const
{
    const double a = std::fabs(x);
    if (a < 1.0)
    {
        const double a2 = a * a;
        return 0.5 * (a2 * a) - a2 + kTwoThirds;
    }
    if (a < 2.0)
    {
        const double t = 2.0 - a;
        return t * t * t * kOneSixth;
    }
    return 0.0;
}

double Lanczos3Resampler::support() const { return 3.0; }
double Lanczos3Resampler::filter(double x) const
{
    const double a = std::fabs(x);
    if (a < 3.0)
        return sinc(a) * sinc(a * kOneThird);
    return 0.0;
}

double MitchellResampler::support() const { return 2.0; }
double MitchellResampler::filter(double x) const
{
    const double a = std::fabs(x);
    const double a2 = a * a;
    const double a3 = a2 * a;
    if (a < 1.0)
        return (7.0 * a3 - 12.0 * a2 + kSixteenThirds) * kOneSixth;
    if (a < 2.0)
        return (kMinusSevenThirds * a3 + 12.0 * a2 - 20.0 * a + kThirtyTwoThirds) * kOneSixth;
    return 0.0;
}

std::unique_ptr<Resampler> createResampler(std::int32_t kind, double epsilon)
{
    switch (kind)
    {
    case kResampleTriangle:
        return std::make_unique<TriangleResampler>(epsilon);
    case kResampleCubic:
        return std::make_unique<CubicResampler>(epsilon);
    case kResampleBell:
        return std::make_unique<BellResampler>(epsilon);
    case kResampleBSpline:
        return std::make_unique<BSplineResampler>(epsilon);
    case kResampleLanczos3:
        return std::make_unique<Lanczos3Resampler>(epsilon);
    case kResampleMitchell:
        return std::make_unique<MitchellResampler>(epsilon);
    default:
        return nullptr;
    }
}

} // namespace Omvi
