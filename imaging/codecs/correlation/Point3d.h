#pragma once
// A position in model space: where the reference corner of a correlated
// image lies. A plain value.
namespace Omvi
{

struct Point3d
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    bool operator==(const Point3d& other) const { return x == other.x && y == other.y && z == other.z; }
    bool operator!=(const Point3d& other) const { return !(*this == other); }
};

} // namespace Omvi
