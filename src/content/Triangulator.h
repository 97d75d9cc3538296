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
// or zero area), which the caller skips and counts; -1 when the scratch arrays for a
// polygon of this size cannot be allocated.
//
// triangulatePolygon() is the same on one process-wide triangulator, for the object
// reader's hook (ReaderExtensions.h); loads run on one thread.
//
// What it does not do: weld points, or split a polygon at its holes (LightWave polygons
// have none).
#pragma once

#include <cstdint>
#include <memory>

#include "math/Vector3.h"

class Triangulator {
public:
    int32_t triangulate(const Vector3* corners, int32_t cornerCount, int32_t (*triangles)[3]);

private:
    // One corner still on the ring that ear clipping shrinks.
    struct RingVertex {
        double x = 0.0;       // in the polygon's plane (object units), counter-clockwise
        double y = 0.0;       // around the plane's normal
        int32_t corner = 0;   // index into the caller's corners
        int32_t previous = 0; // ring neighbours (indices into ring_)
        int32_t next = 0;
        int32_t turn = 0; // +1 left (convex for a counter-clockwise ring), -1 right, 0 straight
    };

    int32_t splitQuad(const Vector3* corners, int32_t (*triangles)[3]);
    int32_t clipEars(const Vector3* corners, int32_t cornerCount, int32_t (*triangles)[3]);
    void updateTurn(int32_t v);
    bool isEar(int32_t v, int32_t orientation) const;
    void unlink(int32_t v);

    std::unique_ptr<RingVertex[]> ring_; // scratch, capacity_ records, kept between calls
    int32_t capacity_ = 0;
    int32_t turnCount_[3] = {}; // ring vertices by turn: right, straight, left
    bool testContainment_ = true;
};

int32_t triangulatePolygon(const Vector3* corners, int32_t cornerCount, int32_t (*triangles)[3]);
