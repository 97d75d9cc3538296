// The polygon clipper for object triangles that cross a frustum plane.
//
// SceneObject::drawPolygons hands over a visible triangle whose corners are not all
// inside the camera-space frustum (and not all outside one plane). The clipper cuts it
// against the planes the object's bounding box crosses, in camera space, and draws the
// result as a fan of grDrawTriangle calls: (0, k, k + 1) for k = 1 .. n - 2.
//
// Units: positions and normals camera space; colours 0..255; u, v texels of a
// 256-texel texture; the viewport (originX, originY, width W, height H) in pixels with
// the origin at the lower left. pass 0 is the main pass (the corner's u, v), pass 1 the
// reflection pass (256 × the normal's x and y).
#pragma once

#include <cstdint>

struct FrustumPlanes;
struct MeshPoint;
struct MeshPolygon;

// The clipper's vertex: what is interpolated along a cut edge.
struct ClipVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f;    // camera space
    float nx = 0.0f, ny = 0.0f, nz = 0.0f; // camera-space normal
    uint32_t outsideBits = 0;              // bit j: on or outside plane j
    float dist[5] = {};                    // normal_j · position, one per plane
    float r = 0.0f, g = 0.0f, b = 0.0f;    // lit colour, 0..255
    float u = 0.0f, v = 0.0f;              // texels
};

// Room for one polygon in the clipper: a triangle cut by five planes has at most
// eight corners; anything that would need more than this is not drawn.
inline constexpr int32_t kClipPolygonCapacity = 20;

void clipAndDrawTriangle(const MeshPolygon* polygons, const MeshPoint* points, int32_t polygonIndex,
                         const FrustumPlanes& viewPlanes, float originX, float originY, float width,
                         float height, uint32_t boxClipFlags, float zoomFactor, int32_t pass);
