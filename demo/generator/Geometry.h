// Geometry: procedural meshes for the demo's objects, written as all-triangle LWOB files.
//
// A MeshBuilder collects points, triangles and named surfaces, then writes the object
// through the LWOB writer (and, when asked, a texture-coordinate file beside it).
// Coordinates are LightWave's: x right, y up, z forward (away from a default camera),
// in scene units. A face is front-facing from the side towards which the right-handed
// cross product (b - a) x (c - a) of its corners points; the player culls it from the
// other side unless its surface is double-sided. Every primitive below builds faces that
// are front-facing from outside, unless it takes an `inward` flag.
//
// Primitives are placed by a Placement (scale, then rotation by heading/pitch/bank in
// degrees, as the player turns objects, then translation), so a part can be modelled at
// the origin and put where it belongs.
//
// Not done here: welding points, splitting by smoothing angle (the player smooths every
// shared point), more than 65535 points (LWOB indices are 16-bit; write() refuses).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "writers/LwobWriter.h"

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
Vec3 cross(Vec3 a, Vec3 b);
float dot(Vec3 a, Vec3 b);
float length(Vec3 a);
Vec3 normalized(Vec3 a);
Vec3 lerp(Vec3 a, Vec3 b, float t);

// Where a primitive goes: scale, then bank, pitch and heading (degrees), then move.
struct Placement {
    Vec3 position;
    float heading = 0.0f, pitch = 0.0f, bank = 0.0f;
    Vec3 scale{1.0f, 1.0f, 1.0f};

    Vec3 apply(Vec3 p) const;
    static Placement at(float x, float y, float z) { return {{x, y, z}}; }
    Placement turned(float h, float p = 0.0f, float b = 0.0f) const;
    Placement scaled(float sx, float sy, float sz) const;
};

// A profile point of a surface of revolution: radius and height.
struct ProfilePoint {
    float radius = 0.0f, y = 0.0f;
};

class MeshBuilder {
public:
    // Adds a surface; returns its 1-based number for triangles. Names must be unique.
    uint16_t surface(const std::string& name, const LwobSurface& description);

    uint16_t point(Vec3 p);
    // Adds a point per position (after `placement`), returns the first index.
    uint16_t points(const std::vector<Vec3>& positions, const Placement& placement = {});
    void triangle(uint16_t a, uint16_t b, uint16_t c, uint16_t surface);
    // Two triangles (a, b, c) and (a, c, d).
    void quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint16_t surface);

    // Axis-aligned box from `low` to `high` (before placement), six faces.
    void box(Vec3 low, Vec3 high, uint16_t surface, const Placement& placement = {},
             bool inward = false);
    // Surface of revolution about the y axis through `profile` (bottom to top), with
    // `segments` around. A profile point of radius 0 becomes a single pole point.
    // Caps close the ends when their radius is above 0.
    void lathe(const std::vector<ProfilePoint>& profile, int segments, uint16_t surface,
               const Placement& placement = {}, bool capBottom = true, bool capTop = true,
               bool inward = false);
    void cylinder(float radius, float height, int segments, uint16_t surface,
                  const Placement& placement = {}, bool caps = true);
    void sphere(float radius, int rings, int segments, uint16_t surface,
                const Placement& placement = {}, bool inward = false);
    // Ring around the y axis: tube radius `minor` around the circle of radius `major`.
    void torus(float major, float minor, int segments, int sides, uint16_t surface,
               const Placement& placement = {});
    // Height field over x, z in [-sizeX/2, sizeX/2] x [-sizeZ/2, sizeZ/2], facing up.
    void heightField(float sizeX, float sizeZ, int cellsX, int cellsZ,
                     const std::function<float(float, float)>& height, uint16_t surface,
                     const Placement& placement = {});
    // Flat rectangle in the x-y plane, facing -z (towards a default camera), centred.
    void panel(float width, float height, uint16_t surface, const Placement& placement = {});

    int32_t pointCount() const { return static_cast<int32_t>(points_.size()); }
    int32_t triangleCount() const { return static_cast<int32_t>(triangles_.size()); }
    const std::vector<Vec3>& positions() const { return points_; }
    std::vector<Vec3>& positions() { return points_; }

    // Texture coordinates of every corner, in texels of a 256-texel texture, for a
    // texture-coordinate file: set per triangle after building (same order).
    void setCornerUv(int32_t triangle, int32_t corner, float u, float v);

    // Writes the object (and, when corner coordinates were set, the .txc beside it).
    // False when the object cannot be written or has too many points.
    bool write(const std::string& hostPath) const;

private:
    std::vector<Vec3> points_;
    std::vector<std::array<uint16_t, 4>> triangles_;
    std::vector<std::pair<std::string, LwobSurface>> surfaces_;
    std::vector<std::array<float, 6>> cornerUv_;
};
