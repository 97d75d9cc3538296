// The triangulator: one polygon of any size into triangles, for every reader of real
// content (LWOB polygons, LWO2 faces).
//
// Ear clipping in the polygon's own plane: the plane's normal is the Newell normal of
// the corners, the corners are projected onto that plane, and ears are cut until three
// corners are left, so concave polygons come out right. Polygons that no ear clipping
// can cut cleanly (non-planar, self-intersecting, with repeated or collinear corners)
// still give triangles that cover them: the polygon is never dropped for its shape.
//
// Usage:
//   Triangulator triangulator;                    // reusable; keeps its scratch arrays
//   int32_t triangles[kMaxTriangles][3];          // or any array of cornerCount - 2
//   int32_t n = triangulator.triangulate(corners, cornerCount, triangles);
//
// Corners are positions in object space, in the polygon's order. Each triangle is
// three corner indices (0 .. cornerCount - 1) in the polygon's winding, so a triangle
// faces the way its polygon does. The result is the number of triangles written, at
// most cornerCount - 2; 0 for a degenerate polygon (fewer than three distinct points,
// or zero area), which the caller skips and counts.
//
// What it does not do: weld points, or split a polygon at its holes (LightWave polygons
// have none).
#pragma once

#include <cstdint>

#include "math/Vector3.h"

class Triangulator {
public:
    int32_t triangulate(const Vector3* corners, int32_t cornerCount, int32_t (*triangles)[3]);
};
