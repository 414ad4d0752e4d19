#include "imaging/placement/OrientationFromAxes.h"

#include "imaging/geometry/Vector2d.h"

#include <cmath>

namespace Omvi
{

void orientationFromAxes(const Vector2d& widthAxis, const Vector2d& heightAxis, Orientation& orientation,
                         double& angle)
{
    const Vector2d snapped = widthAxis.axisAligned();
    const double turn = snapped.angleTo(widthAxis);

    // The height axis as it would lie at a right angle to the snapped width
    // axis, on the side the real one points to.
    Vector2d across = snapped.perpendicular();
    across.normalize();
    across *= heightAxis.length();
    if (heightAxis.dotProduct(across) < 0.0)
        across.negate();

    Vector2d turned(snapped);
    turned.rotateBy(turn);
    angle = widthAxis.isCodirectionalTo(turned) ? turn : -turn;

    if (std::fabs(snapped.y) < std::fabs(snapped.x))
    {
        // The width runs along x: no exchange of width and height.
        if (snapped.x > 0.0)
            orientation = across.y > 0.0 ? Orientation::Identity : Orientation::MirrorTopBottom;
        else
            orientation = across.y > 0.0 ? Orientation::MirrorLeftRight : Orientation::HalfTurn;
    }
    else if (snapped.y > 0.0)
    {
        orientation = across.x > 0.0 ? Orientation::Transpose : Orientation::QuarterTurnRight;
    }
    else
    {
        orientation = across.x > 0.0 ? Orientation::QuarterTurnLeft : Orientation::Transverse;
    }
}

} // namespace Omvi
