// Matrix operations, bounding boxes, polygon clipping and the orientation of
// a parallelogram's axes.
#include "imaging/geometry/Matrix2d.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/geometry/Point2d.h"
#include "imaging/geometry/Vector2d.h"
#include "imaging/placement/OrientationFromAxes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace Omvi;

namespace
{
constexpr double kPi = 3.14159265358979323846;

Point2d mapped(double x, double y, const Matrix2d& m)
{
    Point2d p(x, y);
    p.transformBy(m);
    return p;
}

void expectNear(const Point2d& actual, double x, double y, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
}

// A general affine matrix from seven numbers (projective row 0, 0, 1).
Matrix2d affine(double a, double b, double c, double d, double e, double f)
{
    return Matrix2d(a, b, c, d, e, f, 0.0, 0.0, 1.0);
}
} // namespace

TEST(Matrix2dOperations, ProductsApplyTheRightFactorFirstAndMayOverwriteEitherFactor)
{
    const Matrix2d shift = Matrix2d::translation(Vector2d(5.0, -3.0));
    const Matrix2d turn = Matrix2d::rotationAbout(kPi / 2.0, Point2d(0.0, 0.0));
    Matrix2d shiftThenTurn;
    shiftThenTurn.multiply(turn, shift);
    // (1, 2) -> (6, -1) -> turned a quarter: (1, 6).
    expectNear(mapped(1.0, 2.0, shiftThenTurn), 1.0, 6.0);

    // Into either factor.
    Matrix2d a = turn;
    a.multiply(a, shift);
    Matrix2d b = shift;
    b.multiply(turn, b);
    for (int i = 0; i < 9; ++i)
    {
        EXPECT_DOUBLE_EQ(a.m[i], shiftThenTurn.m[i]);
        EXPECT_DOUBLE_EQ(b.m[i], shiftThenTurn.m[i]);
    }
    Matrix2d out;
    Matrix2d::multiply(shift, turn, out);
    expectNear(mapped(1.0, 2.0, out), 3.0, -2.0);
    Matrix2d::multiply(out, out, out);
    expectNear(mapped(0.0, 0.0, out), 5.0 + 3.0, -3.0 + 5.0);

    EXPECT_EQ(Matrix2d().setIdentity().m[4], 1.0);
    Matrix2d reset = turn;
    reset.setIdentity();
    expectNear(mapped(7.0, 8.0, reset), 7.0, 8.0);
}

TEST(Matrix2dOperations, InverseUndoesTheMapAndRefusesSingularMatrices)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> value(-20.0, 20.0);
    for (int k = 0; k < 50; ++k)
    {
        const Matrix2d m = affine(value(random), value(random), value(random), value(random), value(random),
                                  value(random));
        if (std::fabs(m.determinant()) < 1e-3)
            continue;
        Matrix2d inverse = m;
        ASSERT_TRUE(inverse.inverse());
        Matrix2d product;
        product.multiply(m, inverse);
        for (int i = 0; i < 9; ++i)
            EXPECT_NEAR(product.m[i], i % 4 == 0 ? 1.0 : 0.0, 1e-9);
    }
    // A projective matrix too.
    Matrix2d projective(2, 1, 3, 0, 1, 4, 0.5, 0.25, 2);
    const Matrix2d original = projective;
    ASSERT_TRUE(projective.inverse());
    Matrix2d product;
    product.multiply(original, projective);
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(product.m[i], i % 4 == 0 ? 1.0 : 0.0, 1e-12);

    // An axis sent onto the other: determinant 0, nothing changes, no NaN.
    Matrix2d flat = affine(1, 2, 5, 2, 4, 7);
    EXPECT_EQ(flat.determinant(), 0.0);
    EXPECT_FALSE(flat.inverse());
    EXPECT_EQ(flat.m[0], 1.0);
    EXPECT_EQ(flat.m[2], 5.0);
    // At the tolerance (inclusive) and just beyond it.
    Matrix2d tiny = affine(1e-10, 0, 0, 0, 1, 0);
    EXPECT_FALSE(tiny.inverse());
    Matrix2d small = affine(1e-9, 0, 0, 0, 1, 0);
    EXPECT_TRUE(small.inverse());
    EXPECT_NEAR(small.m[0], 1e9, 1e-3);
    Matrix2d broken = affine(std::numeric_limits<double>::quiet_NaN(), 0, 0, 0, 1, 0);
    EXPECT_FALSE(broken.inverse());
}

TEST(Matrix2dOperations, TranslationAndRotationAboutAPoint)
{
    Matrix2d t;
    t.setTranslation(Vector2d(2.5, -1.0));
    expectNear(mapped(1.0, 1.0, t), 3.5, 0.0);
    Vector2d v(1.0, 1.0);
    v.transformBy(t);
    EXPECT_EQ(v, Vector2d(1.0, 1.0));

    // A positive angle turns x towards y: clockwise on a screen whose rows
    // run down.
    const Matrix2d quarter = Matrix2d::rotationAbout(kPi / 2.0, Point2d(0.0, 0.0));
    expectNear(mapped(1.0, 0.0, quarter), 0.0, 1.0);
    // About a centre: the centre stays, the rest turns about it.
    const Matrix2d aboutCentre = Matrix2d::rotationAbout(kPi, Point2d(10.0, 20.0));
    expectNear(mapped(10.0, 20.0, aboutCentre), 10.0, 20.0);
    expectNear(mapped(12.0, 21.0, aboutCentre), 8.0, 19.0);
    const Matrix2d thirty = Matrix2d::rotationAbout(kPi / 6.0, Point2d(3.0, 4.0));
    const Point2d p = mapped(5.0, 4.0, thirty);
    expectNear(p, 3.0 + 2.0 * std::cos(kPi / 6.0), 4.0 + 2.0 * std::sin(kPi / 6.0));
    EXPECT_TRUE(thirty.isAffine());
}

TEST(Matrix2dOperations, FrameToFrameSendsOneParallelogramOntoAnother)
{
    const Point2d o1(3.0, 4.0), o2(-1.0, 2.0);
    const Vector2d a1(2.0, 1.0), b1(-1.0, 3.0), a2(0.0, 10.0), b2(-20.0, 0.0);
    Matrix2d map;
    ASSERT_TRUE(Matrix2d::frameToFrame(o1, a1, b1, o2, a2, b2, map));
    for (double u : {0.0, 1.0, 0.25, -2.0})
        for (double v : {0.0, 1.0, 0.5, 3.0})
        {
            const Point2d from(o1.x + u * a1.x + v * b1.x, o1.y + u * a1.y + v * b1.y);
            Point2d to = from;
            to.transformBy(map);
            expectNear(to, o2.x + u * a2.x + v * b2.x, o2.y + u * a2.y + v * b2.y, 1e-9);
        }
    // A degenerate first frame gives no map and leaves the old one.
    Matrix2d kept = Matrix2d::translation(Vector2d(1.0, 1.0));
    EXPECT_FALSE(Matrix2d::frameToFrame(o1, a1, a1 * 2.0, o2, a2, b2, kept));
    EXPECT_EQ(kept.m[2], 1.0);
    EXPECT_FALSE(Matrix2d::frameToFrame(o1, Vector2d(0.0, 0.0), b1, o2, a2, b2, kept));
    // The second frame may be degenerate: it is only multiplied.
    EXPECT_TRUE(Matrix2d::frameToFrame(o1, a1, b1, o2, Vector2d(0.0, 0.0), b2, kept));
}

TEST(PixelRectGeometry, BoundingBoxOfIntegerPoints)
{
    const PixelPair one[] = {{4, -2}};
    const PixelRect single = PixelRect::boundingBox(1, one);
    EXPECT_EQ(single.x0, 4);
    EXPECT_EQ(single.x1, 4);
    EXPECT_EQ(single.y0, -2);
    EXPECT_EQ(single.size(), (PixelPair{1, 1}));
    const PixelPair corners[] = {{100, 0}, {100, 50}, {0, 50}, {0, 0}};
    const PixelRect box = PixelRect::boundingBox(4, corners);
    EXPECT_EQ(box.size(), (PixelPair{101, 51}));
    EXPECT_EQ(box.origin(), (PixelPair{0, 0}));
    const PixelRect none = PixelRect::boundingBox(0, corners);
    EXPECT_EQ(none.size(), (PixelPair{1, 1}));
}

TEST(PixelRectGeometry, ClipPolygonGivesTheCoveredPixelsOrNothing)
{
    const PixelRect window{0, 0, 9, 19};
    PixelRect result;

    // Inside: its own box, the least corner truncated, the greatest rounded.
    const Point2d inside[] = {Point2d(2.6, 3.2), Point2d(7.4, 3.2), Point2d(7.5, 8.49), Point2d(2.6, 8.49)};
    ASSERT_TRUE(window.clipPolygon(4, inside, result));
    EXPECT_EQ(result.x0, 2);
    EXPECT_EQ(result.y0, 3);
    EXPECT_EQ(result.x1, 8);
    EXPECT_EQ(result.y1, 8);

    // Crossing two edges: cut to the window.
    const Point2d across[] = {Point2d(-5.0, -5.0), Point2d(4.2, -5.0), Point2d(4.2, 30.0), Point2d(-5.0, 30.0)};
    ASSERT_TRUE(window.clipPolygon(4, across, result));
    EXPECT_EQ(result.x0, 0);
    EXPECT_EQ(result.y0, 0);
    EXPECT_EQ(result.x1, 4);
    EXPECT_EQ(result.y1, 19);

    // A closing point equal to the first is dropped; a turned square.
    const Point2d diamond[] = {Point2d(5.0, -3.0), Point2d(13.0, 5.0), Point2d(5.0, 13.0), Point2d(-3.0, 5.0),
                               Point2d(5.0, -3.0)};
    ASSERT_TRUE(window.clipPolygon(5, diamond, result));
    EXPECT_EQ(result.x0, 0);
    EXPECT_EQ(result.y0, 0);
    EXPECT_EQ(result.x1, 9);
    EXPECT_EQ(result.y1, 13);

    // Wholly outside, beside the window and along a diagonal past its
    // corner (a thin turned rectangle that crosses the regions left of,
    // beyond the corner of and above the window without touching it).
    const Point2d left[] = {Point2d(-8.0, -5.0), Point2d(-1.0, -5.0), Point2d(-1.0, 30.0), Point2d(-8.0, 30.0)};
    EXPECT_FALSE(window.clipPolygon(4, left, result));
    const Point2d diagonal[] = {Point2d(-20.0, 18.0), Point2d(18.0, -20.0), Point2d(17.0, -21.0),
                                Point2d(-21.0, 17.0)};
    EXPECT_FALSE(window.clipPolygon(4, diagonal, result));

    // Too few points, points that are not finite.
    EXPECT_FALSE(window.clipPolygon(2, inside, result));
    EXPECT_FALSE(window.clipPolygon(0, inside, result));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Point2d broken[] = {Point2d(1.0, 1.0), Point2d(nan, 1.0), Point2d(5.0, 5.0), Point2d(1.0, 5.0)};
    EXPECT_FALSE(window.clipPolygon(4, broken, result));
    const double inf = std::numeric_limits<double>::infinity();
    const Point2d endless[] = {Point2d(-inf, -inf), Point2d(inf, -inf), Point2d(inf, inf), Point2d(-inf, inf)};
    EXPECT_FALSE(window.clipPolygon(4, endless, result));

    // A huge polygon around the window covers all of it.
    const Point2d around[] = {Point2d(-1e12, -1e12), Point2d(1e12, -1e12), Point2d(1e12, 1e12), Point2d(-1e12, 1e12)};
    ASSERT_TRUE(window.clipPolygon(4, around, result));
    EXPECT_EQ(result.size(), (PixelPair{10, 20}));
}

TEST(OrientationFromAxes, WorkedValuesAndEveryAxisAlignedCase)
{
    Orientation code = Orientation::Identity;
    double angle = 1.0;
    orientationFromAxes(Vector2d(0, 10), Vector2d(-20, 0), code, angle);
    EXPECT_EQ(code, Orientation::QuarterTurnRight);
    EXPECT_EQ(angle, 0.0);
    orientationFromAxes(Vector2d(0, 10), Vector2d(20, 0), code, angle);
    EXPECT_EQ(code, Orientation::Transpose);
    EXPECT_EQ(angle, 0.0);

    struct Case
    {
        Vector2d width, height;
        Orientation expected;
    };
    const Case cases[] = {
        {Vector2d(30, 0), Vector2d(0, 20), Orientation::Identity},
        {Vector2d(-30, 0), Vector2d(0, 20), Orientation::MirrorLeftRight},
        {Vector2d(30, 0), Vector2d(0, -20), Orientation::MirrorTopBottom},
        {Vector2d(-30, 0), Vector2d(0, -20), Orientation::HalfTurn},
        {Vector2d(0, 30), Vector2d(20, 0), Orientation::Transpose},
        {Vector2d(0, -30), Vector2d(20, 0), Orientation::QuarterTurnLeft},
        {Vector2d(0, 30), Vector2d(-20, 0), Orientation::QuarterTurnRight},
        {Vector2d(0, -30), Vector2d(-20, 0), Orientation::Transverse},
    };
    for (const Case& c : cases)
    {
        orientationFromAxes(c.width, c.height, code, angle);
        EXPECT_EQ(code, c.expected) << c.width.x << "," << c.width.y << " / " << c.height.x << "," << c.height.y;
        EXPECT_EQ(angle, 0.0);
    }
}

TEST(OrientationFromAxes, ResidualAnglesAreSignedAndTurnTheSnappedAxisOntoTheWidthAxis)
{
    for (double degrees : {-44.0, -30.0, -5.0, 5.0, 17.0, 44.0})
    {
        const double turn = degrees * kPi / 180.0;
        for (int quarter = 0; quarter < 4; ++quarter)
        {
            const double direction = quarter * kPi / 2.0 + turn;
            const Vector2d width(40.0 * std::cos(direction), 40.0 * std::sin(direction));
            for (double side : {1.0, -1.0})
            {
                const Vector2d height = width.perpendicular().normal() * (25.0 * side);
                Orientation code = Orientation::Identity;
                double angle = 0.0;
                orientationFromAxes(width, height, code, angle);
                EXPECT_NEAR(angle, turn, 1e-9) << degrees << " quarter " << quarter;
                // Undoing the angle lands the axes on the code's axes.
                Vector2d w = width;
                Vector2d h = height;
                w.rotateBy(-angle);
                h.rotateBy(-angle);
                Orientation snapped = Orientation::Identity;
                double none = 1.0;
                orientationFromAxes(w, h, snapped, none);
                EXPECT_EQ(snapped, code);
                EXPECT_NEAR(none, 0.0, 1e-9);
            }
        }
    }
}
