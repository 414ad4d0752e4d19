#pragma once

// What the writing and the reading of a polyhedron's attribute section share:
// the versions at which its encodings change, its sub-opcodes, the boxes its
// values are quantised against and the polar form of normals.

#include <algorithm>
#include <cmath>

namespace w3d::geometry::section
{
// Versions at which the encodings change.
constexpr int Packed_Version = 650;  // quantised records with bits and lengths
constexpr int Regions_Version = 705; // face regions and the collection marker
constexpr int Polar_Version = 907;   // normals as polar angle pairs

// Sub-opcodes of the section.
enum : unsigned char
{
    Sub_End = 0x00,
    Sub_Normals = 0x01,
    Sub_Parameters = 0x03,
    Sub_Vertex_Colors = 0x05,  // + 2 x channel
    Sub_Vertex_Indices = 0x0B, // + 2 x channel
    Sub_Raw_Normals = 0x11,
    Sub_Raw_Polar_Normals = 0x13,
    Sub_Face_Colors = 0x21,
    Sub_Face_Indices = 0x23,
    Sub_Face_Regions = 0x33,
    Sub_Collection = 0x63,
};

inline constexpr float Pi = 3.14159265358979323846f;
inline const float Unit_Box[6] = {-1, -1, -1, 1, 1, 1};
inline const float Colour_Box[6] = {0, 0, 0, 1, 1, 1};
inline const float Polar_Box[4] = {-Pi, 0, Pi, Pi};

// (theta, phi) of a unit normal: theta = atan2(z, x) (0 for a normal along y),
// phi = acos(y), with y clamped so that a normal a rounding error longer than 1
// still has an angle.
inline void to_polar(const float* normal, float* polar)
{
    float const x = normal[0], y = normal[1], z = normal[2];
    polar[0] = std::fabs(x) > 1e-5f || std::fabs(z) > 1e-5f ? std::atan2(z, x) : 0.0f;
    polar[1] = std::acos(std::clamp(y, -1.0f, 1.0f));
}

inline void from_polar(const float* polar, float* normal)
{
    float const sin_phi = std::sin(polar[1]);
    normal[0] = std::cos(polar[0]) * sin_phi;
    normal[1] = std::cos(polar[1]);
    normal[2] = std::sin(polar[0]) * sin_phi;
}

} // namespace w3d::geometry::section
