// Mesh: one loaded object file, ready for the geometry pipeline.
//
// Filled by SceneObject::loadObject (object reader and mesh preparation); after a
// successful load every point belongs to exactly one surface (points shared by
// several surfaces have been split), every corner carries texture coordinates in texels
// of a 256-texel texture, and every point has a unit normal in object space.
//
// MeshPoint is a fixed 33-field record of four-byte fields; the first fields are read at
// load time, the rest are per-frame working fields of the pipeline, written in place.
#pragma once

#include <cstdint>
#include <memory>

#include "object/Surface.h"

struct MeshPoint {
    float position[4] = {};      // object space x, y, z as read; w = 1
    float viewPosition[4] = {};  // camera space, per frame
    float projected[4] = {};     // unit screen x, y (0..1), z, and w = the z used (per frame)
    float normal[3] = {};        // object-space unit normal
    float viewNormal[3] = {};    // camera-space normal (rotation only), per frame
    int32_t isNeeded = 0;        // 1 when a visible polygon uses the point this frame
    int32_t surface = 0;         // 0-based surface index
    uint32_t outsideBits = 0;    // bit j: on or outside frustum plane j, per frame
    int32_t luminosity = 0;      // copy of the surface's luminosity
    float planeDistance[5] = {}; // dot(plane normal j, viewPosition), per frame
    float color[3] = {};         // surface colour, 0..1
    float litColor[3] = {};      // lit colour, 0..255, per frame
};
static_assert(sizeof(MeshPoint) == 33 * 4, "MeshPoint is 33 four-byte fields");

struct PolygonCorner {
    int32_t pointIndex = 0; // index into Mesh::points
    float u = 0.0f;         // texels of a 256-texel texture
    float v = 0.0f;
};

// One triangle.
struct MeshPolygon {
    PolygonCorner corners[3];
    int32_t isVisible = 0; // per frame
    int32_t surface = 0;   // 0-based: the file's 1-based surface number minus 1
};

// What a triangulating read (ObjectReader.h) made of the file's polygons; all zero and
// empty after a read of triangles only.
struct PolygonCensus {
    std::unique_ptr<int32_t[]> byCorners; // [k]: polygons of k corners, k = 0 .. largest
    int32_t largest = 0;                  // most corners of any polygon
    int32_t detailPolygons = 0;           // polygons that are details of another one
    int32_t pointsAndLines = 0;           // polygons of fewer than three corners, skipped
    int32_t degenerate = 0;               // polygons of four or more corners without area, skipped
};

inline constexpr int32_t kSurfaceNameSize = 255; // bytes per name slot, terminator included

struct Mesh {
    int32_t pointCount = 0;
    std::unique_ptr<MeshPoint[]> points;
    int32_t polygonCount = 0;
    std::unique_ptr<MeshPolygon[]> polygons;
    std::unique_ptr<Surface[]> surfaces;                    // surfaceCount + 1 records
    std::unique_ptr<char[][kSurfaceNameSize]> surfaceNames; // surfaceCount + 1 slots
    int32_t surfaceCount = 0;
    int32_t anyReflective = 0; // 1 when some surface is reflective
    PolygonCensus census;
};
