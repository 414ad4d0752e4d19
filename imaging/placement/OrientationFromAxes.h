#pragma once
// How a parallelogram's axes relate to an upright source: the axis-aligned
// orientation nearest to them and the angle that is left over.
#include "imaging/Orientation.h"

namespace Omvi
{

class Vector2d;

// `widthAxis` is where the source's width lands, `heightAxis` where its
// height lands (rows running down). `orientation` becomes the orientation
// whose view, turned by `angle` radians (positive turns clockwise on the
// screen, as Matrix2d::rotationAbout), lies along the axes: the width axis
// is snapped to the nearest axis (ties go to x) and the height axis taken
// to the side of it where it points. The angle is the signed turn from the
// snapped axis to the width axis, at most a quarter turn in magnitude.
void orientationFromAxes(const Vector2d& widthAxis, const Vector2d& heightAxis, Orientation& orientation,
                         double& angle);

} // namespace Omvi
