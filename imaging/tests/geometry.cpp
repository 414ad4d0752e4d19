#include "imaging/geometry/Matrix2d.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/geometry/Point2d.h"
#include "imaging/geometry/Vector2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Omvi;

namespace
{
constexpr double kPi = 3.14159265358979323846;
}

TEST(Vector2d, RotationsByQuarterTurnsLandExactlyOnTheAxes)
{
    Vector2d v(1.0, 0.0);
    v.rotateBy(kPi / 2.0);
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.y, 1.0);
    v.rotateBy(kPi / 2.0);
    EXPECT_EQ(v.x, -1.0);
    EXPECT_EQ(v.y, 0.0);
    v.rotateBy(kPi);
    EXPECT_EQ(v.x, 1.0);
    EXPECT_EQ(v.y, 0.0);

    // A zero angle is not even evaluated: no snapping of tiny components.
    Vector2d tiny(1e-12, 1.0);
    tiny.rotateBy(0.0);
    EXPECT_EQ(tiny.x, 1e-12);

    Vector2d turned(3.0, 4.0);
    turned.rotateBy(0.3);
    EXPECT_NEAR(turned.length(), 5.0, 1e-12);
    EXPECT_NEAR(turned.angle(), std::atan2(4.0, 3.0) + 0.3, 1e-12);
}

TEST(Vector2d, AngleCoversTheFullTurnAndSnapsNearTheAxis)
{
    EXPECT_DOUBLE_EQ(Vector2d(0, 0).angle(), kPi / 2);
    EXPECT_DOUBLE_EQ(Vector2d(0, -1).angle(), 3 * kPi / 2);
    EXPECT_DOUBLE_EQ(Vector2d(0, 1).angle(), kPi / 2);
    EXPECT_EQ(Vector2d(-1, -1e-12).angle(), kPi);
    EXPECT_EQ(Vector2d(1, 0).angle(), 0.0);
    EXPECT_DOUBLE_EQ(Vector2d(-1, -1).angle(), 5 * kPi / 4);
    EXPECT_DOUBLE_EQ(Vector2d(1, -1).angle(), 7 * kPi / 4);
    EXPECT_DOUBLE_EQ(Vector2d(-1, 1).angle(), 3 * kPi / 4);
    for (int step = 0; step < 64; ++step)
    {
        const double a = step * 2 * kPi / 64;
        const double got = Vector2d(std::cos(a), std::sin(a)).angle();
        EXPECT_GE(got, 0.0);
        EXPECT_LT(got, 2 * kPi);
        EXPECT_NEAR(std::remainder(got - a, 2 * kPi), 0.0, 1e-9) << step;
    }
}

TEST(Vector2d, AnglesBetweenVectors)
{
    // Opposite directions give pi even when rounding puts the ratio past -1.
    EXPECT_EQ(Vector2d(1, 0).angleTo(Vector2d(-2, 0)), kPi);
    // Whatever rounding does to the ratio, the answer is never NaN.
    for (double s : {0.1, 0.3, 0.7, 1.3, 2.9})
        EXPECT_NEAR(Vector2d(s, 7 * s).angleTo(Vector2d(-3 * s, -21 * s)), kPi, 1e-7) << s;
    EXPECT_EQ(Vector2d(3, 3).angleTo(Vector2d(1, 1)), 0.0);
    EXPECT_DOUBLE_EQ(Vector2d(1, 0).angleTo(Vector2d(0, -5)), kPi / 2);
    // Never signed, and a vector without length has no angle to anything.
    EXPECT_DOUBLE_EQ(Vector2d(0, -5).angleTo(Vector2d(1, 0)), kPi / 2);
    EXPECT_EQ(Vector2d(0, 0).angleTo(Vector2d(1, 0)), 0.0);

    EXPECT_DOUBLE_EQ(Vector2d(1, 0).angleFrom(Vector2d(0, 1)), kPi / 2);
    EXPECT_DOUBLE_EQ(Vector2d(1, 0).angleFrom(Vector2d(0, -1)), 3 * kPi / 2);
    EXPECT_DOUBLE_EQ(Vector2d(0, 1).angleFrom(Vector2d(1, 0)), 3 * kPi / 2);
}

TEST(Vector2d, NormalizeSnapsToTheAxesAndLeavesTheZeroVector)
{
    Vector2d v(3, 4);
    v.normalize();
    EXPECT_DOUBLE_EQ(v.x, 0.6);
    EXPECT_DOUBLE_EQ(v.y, 0.8);

    Vector2d nearAxis(1e-11, 1);
    nearAxis.normalize();
    EXPECT_EQ(nearAxis.x, 0.0);
    EXPECT_EQ(nearAxis.y, 1.0);

    Vector2d down(-1e-11, -7);
    down.normalize();
    EXPECT_EQ(down.x, 0.0);
    EXPECT_EQ(down.y, -1.0);

    Vector2d zero(0, 0);
    zero.normalize();
    EXPECT_EQ(zero.x, 0.0);
    EXPECT_EQ(zero.y, 0.0);
    Vector2d small(1e-11, 0);
    small.normalize();
    EXPECT_EQ(small.x, 1e-11);

    const Vector2d unit = Vector2d(0, -3).normal();
    EXPECT_EQ(unit.x, 0.0);
    EXPECT_EQ(unit.y, -1.0);
    // normal has no length guard; the zero vector gives the zero vector, and
    // a tiny vector is still scaled.
    EXPECT_EQ(Vector2d(0, 0).normal(), Vector2d(0, 0));
    EXPECT_EQ(Vector2d(1e-11, 0).normal().x, 1.0);
}

TEST(Vector2d, DirectionTests)
{
    EXPECT_TRUE(Vector2d(2, 2).isCodirectionalTo(Vector2d(5, 5)));
    EXPECT_FALSE(Vector2d(2, 2).isCodirectionalTo(Vector2d(-5, -5)));
    EXPECT_TRUE(Vector2d(2, 2).isParallelTo(Vector2d(-5, -5)));
    EXPECT_FALSE(Vector2d(2, 2).isParallelTo(Vector2d(5, -5)));
    EXPECT_TRUE(Vector2d(0, 3).isParallelTo(Vector2d(0, -1e-3)));

    EXPECT_EQ(Vector2d(3, 4).dotProduct(Vector2d(-4, 3)), 0.0);
    EXPECT_EQ(Vector2d(1, 2).dotProduct(Vector2d(3, 4)), 11.0);
    EXPECT_EQ(Vector2d(1, 2).perpendicular(), Vector2d(-2, 1));
}

TEST(Vector2d, AxisAlignedKeepsTheLengthAndBreaksTiesTowardX)
{
    const double length = std::sqrt(18.0);
    const Vector2d a = Vector2d(-3, 3).axisAligned();
    EXPECT_DOUBLE_EQ(a.x, -length);
    EXPECT_EQ(a.y, 0.0);
    const Vector2d b = Vector2d(3, -3).axisAligned();
    EXPECT_DOUBLE_EQ(b.x, length);
    EXPECT_EQ(b.y, 0.0);
    EXPECT_EQ(Vector2d(1, 5).axisAligned().y, std::sqrt(26.0));
    EXPECT_EQ(Vector2d(1, -5).axisAligned().y, -std::sqrt(26.0));
    EXPECT_EQ(Vector2d(0, 0).axisAligned(), Vector2d(0, 0));
}

TEST(Vector2d, EqualityAtTheToleranceBoundary)
{
    // Differences built so that they are exactly 1e-10 in double arithmetic.
    const Vector2d a(0.0, 0.0);
    const Vector2d b(1e-10, 0.0);
    EXPECT_TRUE(a.isEqualTo(b));
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a != b);
    const Vector2d c(5e-11, -5e-11);
    EXPECT_TRUE(a == c);
    EXPECT_FALSE(a != c);
}

TEST(Vector2d, Arithmetic)
{
    Vector2d v(1, 2);
    v += Vector2d(3, 4);
    EXPECT_EQ(v, Vector2d(4, 6));
    v -= Vector2d(1, 1);
    EXPECT_EQ(v, Vector2d(3, 5));
    EXPECT_EQ(v * 2.0, Vector2d(6, 10));
    EXPECT_EQ(v / 2.0, Vector2d(1.5, 2.5));
    EXPECT_EQ(-v, Vector2d(-3, -5));
    v *= -1.0;
    EXPECT_EQ(v, Vector2d(-3, -5));
    v /= 0.5;
    EXPECT_EQ(v, Vector2d(-6, -10));
    v.negate();
    EXPECT_EQ(v, Vector2d(6, 10));
    EXPECT_EQ(v + Vector2d(1, 1), Vector2d(7, 11));
    EXPECT_EQ(v - Vector2d(1, 1), Vector2d(5, 9));

    const Point2d p = Vector2d(1, 2) + Point2d(10.0, 20.0);
    EXPECT_TRUE(p.isEqual(Point2d(11.0, 22.0)));
    const Point2d q = Vector2d(1, 2) - Point2d(10.0, 20.0);
    EXPECT_TRUE(q.isEqual(Point2d(-9.0, -18.0)));
}

TEST(Matrix2d, VectorsIgnoreTheTranslationPointsTakeIt)
{
    // A quarter turn with a translation of (10, 20).
    const Matrix2d m(0, -1, 10, 1, 0, 20, 0, 0, 1);
    EXPECT_TRUE(m.isAffine());
    Vector2d v(2, 3);
    v.transformBy(m);
    EXPECT_EQ(v, Vector2d(-3, 2));
    Point2d p(2.0, 3.0);
    p.transformBy(m);
    EXPECT_TRUE(p.isEqual(Point2d(7.0, 22.0)));

    // A projective row divides by m6*x + m7*y + m8.
    const Matrix2d projective(2, 0, 4, 0, 2, 6, 0, 0, 2);
    EXPECT_FALSE(projective.isAffine());
    Point2d r(1.0, 1.0);
    r.transformBy(projective);
    EXPECT_TRUE(r.isEqual(Point2d(3.0, 4.0)));
    Vector2d w(1, 1);
    w.transformBy(projective);
    EXPECT_EQ(w, Vector2d(1, 1));

    EXPECT_TRUE(Matrix2d().isAffine());
    Point2d unchanged(5.5, -2.0);
    unchanged.transformBy(Matrix2d());
    EXPECT_TRUE(unchanged.isEqual(Point2d(5.5, -2.0)));
}

TEST(Point2d, ConstructionAndDifferences)
{
    const Point2d a(3, -4);
    EXPECT_EQ(a.x, 3.0);
    EXPECT_EQ(a.y, -4.0);
    EXPECT_EQ(Point2d().x, 0.0);
    const Vector2d d = Point2d(5.0, 5.0) - Point2d(2.0, 1.0);
    EXPECT_EQ(d, Vector2d(3, 4));
    EXPECT_TRUE((Point2d(1.0, 1.0) + Vector2d(0.5, -1)).isEqual(Point2d(1.5, 0.0)));
    EXPECT_FALSE(Point2d(0.0, 0.0).isEqual(Point2d(1e-10, 0.0)));
}

TEST(PixelRect, IntegerHelpers)
{
    EXPECT_EQ(lastPixel({10, 20}, {5, 1}), (PixelPair{14, 20}));
    const PixelRect r = PixelRect::fromOriginAndSize(2, 3, 4, 5);
    EXPECT_EQ(r.x0, 2);
    EXPECT_EQ(r.y0, 3);
    EXPECT_EQ(r.x1, 5);
    EXPECT_EQ(r.y1, 7);
    EXPECT_EQ(r.origin(), (PixelPair{2, 3}));
    EXPECT_TRUE((PixelPair{1, 2}) != (PixelPair{1, 3}));
    EXPECT_FALSE((PixelPair{1, 2}) != (PixelPair{1, 2}));

    const PixelRect outer{0, 0, 9, 9};
    EXPECT_TRUE(rectContainsRect(outer, outer));
    EXPECT_TRUE(rectContainsRect(outer, {2, 2, 3, 3}));
    EXPECT_FALSE(rectContainsRect(outer, {2, 2, 10, 3}));
    EXPECT_FALSE(rectContainsRect(outer, {-1, 2, 3, 3}));
    EXPECT_FALSE(rectContainsRect(outer, {2, 2, 3, -1}));

    // Corners near the end of the range saturate instead of wrapping.
    EXPECT_EQ(lastPixel({std::numeric_limits<std::int32_t>::max(), 0}, {10, 1}).x,
              std::numeric_limits<std::int32_t>::max());
}

TEST(PixelRect, RoundingAndClamping)
{
    EXPECT_EQ(roundToInt(2.5), 3);
    EXPECT_EQ(roundToInt(-2.5), -2);
    EXPECT_EQ(roundToInt(-2.51), -3);
    EXPECT_EQ(roundToInt(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(roundToInt(-1e12), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(roundToInt(std::nan("")), 0);
    EXPECT_EQ(ceilToInt(2.0000001), 3);
    EXPECT_EQ(ceilToInt(-2.9), -2);
    EXPECT_EQ(ceilToInt(3e9), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ceilToInt(-3e9), std::numeric_limits<std::int32_t>::min());
}
