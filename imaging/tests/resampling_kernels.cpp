// The six kernels, the window rule and the contribution lists: the worked
// values, each kernel against its formula written out here, and the lists'
// invariants (indices inside the source, weights summing to about 1, the
// epsilon cut and the nearest-sample stand-in for an empty list).
#include "imaging/resampling/Resampler.h"
#include "imaging/resampling/ResamplingKernels.h"
#include "imaging/resampling/ResamplingKind.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

using namespace Omvi;

namespace
{
constexpr double kPi = 3.14159265358979323846;

// The kernels as a reader of their definitions would write them.
double referenceKernel(int kind, double x)
{
    const double a = std::fabs(x);
    switch (kind)
    {
    case 1:
        return a < 1 ? 1 - a : 0;
    case 2:
        return a < 1 ? 2 * a * a * a - 3 * a * a + 1 : 0;
    case 3:
        return a < 0.5 ? 0.75 - a * a : a < 1.5 ? 0.5 * (a - 1.5) * (a - 1.5) : 0;
    case 4:
        return a < 1 ? 0.5 * a * a * a - a * a + 2.0 / 3 : a < 2 ? (2 - a) * (2 - a) * (2 - a) / 6 : 0;
    case 5:
    {
        if (a >= 3)
            return 0;
        auto sinc = [](double u) { return u == 0 ? 1.0 : std::sin(kPi * u) / (kPi * u); };
        return sinc(a) * sinc(a / 3);
    }
    case 6:
    {
        // Mitchell-Netravali with B = C = 1/3.
        const double b = 1.0 / 3, c = 1.0 / 3;
        if (a < 1)
            return ((12 - 9 * b - 6 * c) * a * a * a + (-18 + 12 * b + 6 * c) * a * a + (6 - 2 * b)) / 6;
        if (a < 2)
            return ((-b - 6 * c) * a * a * a + (6 * b + 30 * c) * a * a + (-12 * b - 48 * c) * a + (8 * b + 24 * c)) /
                   6;
        return 0;
    }
    default:
        return 0;
    }
}

std::vector<ContributionList> build(const Resampler& kernel, int src, int dst, std::vector<Contribution>& pool)
{
    double scale = static_cast<double>(dst) / src;
    pool.assign(static_cast<std::size_t>(resamplingWindowFor(kernel.support(), scale)) * dst, Contribution{});
    std::vector<ContributionList> lists(static_cast<std::size_t>(dst));
    kernel.buildContributions(&scale, src, dst, lists.data(), pool.data());
    return lists;
}

void expectList(const ContributionList& list, std::vector<std::pair<float, int>> expected)
{
    ASSERT_EQ(list.count, static_cast<int>(expected.size()));
    for (std::size_t k = 0; k < expected.size(); ++k)
    {
        EXPECT_FLOAT_EQ(list.entries[k].weight, expected[k].first) << "entry " << k;
        EXPECT_EQ(list.entries[k].index, expected[k].second) << "entry " << k;
    }
}
} // namespace

TEST(ResamplingWindow, WorkedValuesAndKinds)
{
    EXPECT_EQ(resamplingWindow(100, 50, kResampleMitchell), 9);
    EXPECT_EQ(resamplingWindow(50, 100, kResampleBell), 3);
    EXPECT_EQ(resamplingWindow(10, 10, kResampleLanczos3), 7);
    // Enlargement windows by kind: 2 * trunc(support) + 1.
    const int enlarged[] = {7, 3, 3, 3, 5, 7, 5, 7};
    for (int kind = 0; kind <= 7; ++kind)
        EXPECT_EQ(resamplingWindow(10, 30, kind), enlarged[kind]) << kind;
    // Any kind that is not a kernel is taken as Lanczos3.
    EXPECT_EQ(resamplingWindow(100, 50, 0), resamplingWindow(100, 50, kResampleLanczos3));
    EXPECT_EQ(resamplingWindow(100, 50, 7), 13);
    EXPECT_EQ(resamplingWindow(100, 33, kResampleTriangle), 7); // trunc(2 / 0.33 + 1)
    // No window for empty sizes; a window beyond an int32 is clamped.
    EXPECT_EQ(resamplingWindow(0, 10, 1), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(resamplingWindow(10, 0, 1), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(resamplingWindow(std::numeric_limits<std::int32_t>::max(), 1, 5),
              std::numeric_limits<std::int32_t>::max());
}

TEST(ResamplingKernels, MatchTheirFormulasAndVanishAtTheSupport)
{
    for (int kind = 1; kind <= 6; ++kind)
    {
        std::unique_ptr<Resampler> kernel = createResampler(kind, 0.0001);
        ASSERT_NE(kernel, nullptr);
        EXPECT_EQ(kernel->support(), resamplingSupport(kind));
        EXPECT_EQ(kernel->epsilon(), 0.0001);
        for (double x = -4; x <= 4; x += 0.0625)
        {
            EXPECT_NEAR(kernel->filter(x), referenceKernel(kind, x), 1e-14) << "kind " << kind << " x " << x;
            EXPECT_EQ(kernel->filter(x), kernel->filter(-x));
        }
        EXPECT_EQ(kernel->filter(kernel->support()), 0.0) << kind;
        EXPECT_EQ(kernel->filter(-kernel->support()), 0.0) << kind;
        EXPECT_EQ(kernel->filter(100.0), 0.0) << kind;
    }
    EXPECT_EQ(createResampler(0, 0.0001), nullptr);
    EXPECT_EQ(createResampler(7, 0.0001), nullptr);
    EXPECT_EQ(createResampler(-1, 0.0001), nullptr);

    // The boundary cases the definitions single out.
    Lanczos3Resampler lanczos(0.0001);
    EXPECT_EQ(lanczos.filter(0.0), 1.0);
    EXPECT_EQ(lanczos.filter(3.0), 0.0);
    EXPECT_NEAR(lanczos.filter(1.0), 0.0, 1e-16);
    BellResampler bell(0.0001);
    EXPECT_EQ(bell.filter(0.5), 0.5);   // the outer formula: 0.5 * (0.5 - 1.5)^2
    EXPECT_EQ(bell.filter(0.0), 0.75);
    EXPECT_EQ(bell.filter(1.5), 0.0);
    MitchellResampler mitchell(0.0001);
    EXPECT_EQ(mitchell.filter(0.0), (16.0 / 3.0) * (1.0 / 6.0));
    EXPECT_EQ(mitchell.filter(1.0), (-7.0 / 3.0 + 12.0 - 20.0 + 32.0 / 3.0) * (1.0 / 6.0));
    CubicResampler cubic(0.0001);
    EXPECT_EQ(cubic.filter(0.5), 0.5);
    BSplineResampler spline(0.0001);
    EXPECT_EQ(spline.filter(0.0), 2.0 / 3.0);
    EXPECT_EQ(spline.filter(1.0), 1.0 / 6.0);
}

TEST(ContributionLists, WorkedValues)
{
    std::vector<Contribution> pool;
    // Triangle, 2 samples enlarged to 4.
    TriangleResampler triangle(0.0001);
    auto lists = build(triangle, 2, 4, pool);
    expectList(lists[0], {{1.0f, 0}});
    expectList(lists[1], {{0.5f, 0}, {0.5f, 1}});
    expectList(lists[2], {{1.0f, 1}}); // the neighbour at distance 1 weighs exactly 0
    expectList(lists[3], {{0.5f, 1}, {0.5f, 1}}); // position 2 folded back onto 1
    // The lists share the pool, one after another.
    EXPECT_EQ(lists[0].entries, pool.data());
    EXPECT_EQ(lists[1].entries, pool.data() + 1);
    EXPECT_EQ(lists[2].entries, pool.data() + 3);
    EXPECT_EQ(lists[3].entries, pool.data() + 4);

    // Cubic, halving: width 2, positions 2i - 1 .. 2i + 2, the last weighing 0.
    CubicResampler cubic(0.0001);
    lists = build(cubic, 20, 10, pool);
    expectList(lists[0], {{0.25f, 1}, {0.5f, 0}, {0.25f, 1}});
    for (int i = 1; i < 10; ++i)
        expectList(lists[static_cast<std::size_t>(i)], {{0.25f, 2 * i - 1}, {0.5f, 2 * i}, {0.25f, 2 * i + 1}});
}

TEST(ContributionLists, EpsilonCutAndEmptyLists)
{
    std::vector<Contribution> pool;
    // Weights of exactly epsilon are dropped: with epsilon 0.5, the 0.5
    // weights of the Triangle's in-between samples all go, and such an
    // empty list takes the nearest sample (trunc(center + 0.5)) whole.
    TriangleResampler triangle(0.5);
    auto lists = build(triangle, 2, 4, pool);
    expectList(lists[0], {{1.0f, 0}});
    expectList(lists[1], {{1.0f, 1}});
    expectList(lists[2], {{1.0f, 1}});
    expectList(lists[3], {{1.0f, 1}}); // nearest of 2, clamped into the source

    // A reduction so strong that every weight falls under the epsilon.
    TriangleResampler strict(0.0001);
    lists = build(strict, 100000, 2, pool);
    for (const auto& list : lists)
    {
        ASSERT_GE(list.count, 1);
        for (int k = 0; k < list.count; ++k)
        {
            EXPECT_GE(list.entries[k].index, 0);
            EXPECT_LT(list.entries[k].index, 100000);
        }
    }
    std::vector<Contribution> tiny(4);
    std::vector<ContributionList> one(1);
    double scale = 1.0 / 30000.0;
    strict.buildContributions(&scale, 30000, 1, one.data(), tiny.data());
    EXPECT_LE(one[0].count, 4);
    EXPECT_GE(one[0].count, 1);
}

TEST(ContributionLists, StayInsideTheSourceAndSumToOne)
{
    const int sizes[][2] = {{1, 5}, {2, 1}, {2, 7}, {3, 6}, {5, 2}, {7, 3}, {10, 20}, {37, 11}, {64, 63}, {50, 173}};
    std::vector<Contribution> pool;
    for (int kind = 1; kind <= 6; ++kind)
    {
        std::unique_ptr<Resampler> kernel = createResampler(kind, 0.0001);
        for (const auto& size : sizes)
        {
            const int src = size[0], dst = size[1];
            auto lists = build(*kernel, src, dst, pool);
            const double scale = static_cast<double>(dst) / src;
            const int window = resamplingWindowFor(kernel->support(), scale);
            for (int i = 0; i < dst; ++i)
            {
                const ContributionList& list = lists[static_cast<std::size_t>(i)];
                ASSERT_GE(list.count, 1);
                ASSERT_LE(list.count, window) << "kind " << kind << " " << src << "->" << dst;
                double sum = 0;
                for (int k = 0; k < list.count; ++k)
                {
                    ASSERT_GE(list.entries[k].index, 0) << "kind " << kind << " " << src << "->" << dst;
                    ASSERT_LT(list.entries[k].index, src) << "kind " << kind << " " << src << "->" << dst;
                    sum += list.entries[k].weight;
                }
                // The weights sum to 1 everywhere, edges included.
                EXPECT_NEAR(sum, 1.0, 1e-6) << "kind " << kind << " " << src << "->" << dst << " at " << i;
                EXPECT_GT(sum, 0.0);
            }
        }
    }
}

TEST(ContributionLists, FoldReflectsOnceAndClamps)
{
    EXPECT_EQ(Resampler::fold(-1, 10), 1);
    EXPECT_EQ(Resampler::fold(-3, 10), 3);
    EXPECT_EQ(Resampler::fold(10, 10), 9);
    EXPECT_EQ(Resampler::fold(12, 10), 7);
    EXPECT_EQ(Resampler::fold(5, 10), 5);
    // Far outside a small source: reflected once, then clamped.
    EXPECT_EQ(Resampler::fold(-7, 3), 2);
    EXPECT_EQ(Resampler::fold(9, 3), 0);
    EXPECT_EQ(Resampler::fold(1, 1), 0);
    EXPECT_EQ(Resampler::fold(-5000000000LL, 4), 3);
}
