// Sutherland–Hodgman clipping of one triangle in camera space, drawn as a fan.
//
// Why it is built this way:
//   - Only the planes the object's bounding box crosses are clipped against (the box
//     test found them); a plane whose bit is clear in boxClipFlags is skipped whatever
//     the vertices' own bits say. Clipping against a plane that cuts nothing still
//     rewrites the polygon, which starts the output at the second corner: the fan's
//     first vertex depends on which planes were visited, and the traces show it.
//   - Intersections are always interpolated from the inside vertex towards the outside
//     one, using the stored plane dot products (dist) rather than recomputing them from
//     positions, so both polygons that share a cut edge get the same new vertex.
//   - A new vertex gets bits and distances only for the planes still to come; earlier
//     planes are never read again.
//   - Screen positions are computed from the clipped camera-space position (not from
//     the points' projections, which do not exist for corners outside the frustum) and
//     snapped to 1/16 pixel. All arithmetic is single precision.
//   - The two working polygons are bounded: a clip step that would write more than
//     kClipPolygonCapacity vertices (possible only with values that are not numbers)
//     empties the polygon instead of writing past it.
#include "render/TriangleClipper.h"

#include "accel/Accelerator.h"
#include "object/Mesh.h"
#include "render/CameraView.h"
#include "render/ClipPlanes.h"
#include "render/RenderCounters.h"
#include "render/ScreenSnap.h"

namespace {

struct ClipPolygon {
    ClipVertex vertices[kClipPolygonCapacity];
    int32_t count = 0;
    bool overflowed = false;

    void add(const ClipVertex& v) {
        if (count == kClipPolygonCapacity) {
            overflowed = true;
            return;
        }
        vertices[count++] = v;
    }
};

ClipVertex cornerVertex(const MeshPoint& p, const PolygonCorner& corner) {
    ClipVertex v;
    v.x = p.viewPosition[0], v.y = p.viewPosition[1], v.z = p.viewPosition[2];
    v.nx = p.viewNormal[0], v.ny = p.viewNormal[1], v.nz = p.viewNormal[2];
    v.outsideBits = p.outsideBits;
    for (int j = 0; j < kClipPlaneLimit; ++j) {
        v.dist[j] = p.planeDistance[j];
    }
    v.r = p.litColor[0], v.g = p.litColor[1], v.b = p.litColor[2];
    v.u = corner.u, v.v = corner.v;
    return v;
}

float lerp(float from, float to, float t) {
    return from + (to - from) * t;
}

// The point where edge inside -> outside meets plane p (its d is `d`).
ClipVertex intersection(const ClipVertex& in, const ClipVertex& out, int32_t p, float d,
                        const FrustumPlanes& planes, int32_t planeCount) {
    const float t = (d - in.dist[p]) / (out.dist[p] - in.dist[p]);
    ClipVertex v;
    v.x = lerp(in.x, out.x, t), v.y = lerp(in.y, out.y, t), v.z = lerp(in.z, out.z, t);
    v.nx = lerp(in.nx, out.nx, t), v.ny = lerp(in.ny, out.ny, t), v.nz = lerp(in.nz, out.nz, t);
    v.u = lerp(in.u, out.u, t), v.v = lerp(in.v, out.v, t);
    v.r = lerp(in.r, out.r, t), v.g = lerp(in.g, out.g, t), v.b = lerp(in.b, out.b, t);
    v.outsideBits = 0;
    for (int32_t j = p; j < planeCount; ++j) {
        v.dist[j] = lerp(in.dist[j], out.dist[j], t);
        if (v.dist[j] <= planes.planes[j][0]) {
            v.outsideBits |= 1u << j;
        }
    }
    return v;
}

void clipAgainstPlane(const ClipPolygon& source, ClipPolygon& target, int32_t p,
                      const FrustumPlanes& planes, int32_t planeCount) {
    target.count = 0;
    target.overflowed = false;
    const int32_t n = source.count;
    const uint32_t bit = 1u << p;
    const float d = planes.planes[p][0];
    for (int32_t i = 0; i < n; ++i) {
        // Edges 0->1 .. (n-2)->(n-1), then the closing edge (n-1)->0.
        const ClipVertex& start = source.vertices[i < n - 1 ? i : n - 1];
        const ClipVertex& end = source.vertices[i < n - 1 ? i + 1 : 0];
        const bool startInside = (start.outsideBits & bit) == 0;
        const bool endInside = (end.outsideBits & bit) == 0;
        if (startInside && endInside) {
            target.add(end);
        } else if (startInside) {
            target.add(intersection(start, end, p, d, planes, planeCount));
        } else if (endInside) {
            target.add(intersection(end, start, p, d, planes, planeCount));
            target.add(end);
        }
    }
    if (target.overflowed) {
        target.count = 0;
    }
}

GrVertex screenVertex(const ClipVertex& v, float originX, float originY, float width, float height,
                      float zoomFactor, int32_t pass) {
    const float q = 1.0f / v.z;
    GrVertex g;
    g.x = snapToSixteenth(((v.x * zoomFactor * q + 1.0f) * 0.5f) * width + originX);
    g.y =
        snapToSixteenth(((v.y * kScreenAspect * zoomFactor * q + 1.0f) * 0.5f) * height + originY);
    g.z = v.z;
    g.r = v.r, g.g = v.g, g.b = v.b;
    g.a = 255.0f;
    g.ooz = 65535.0f * q;
    g.oow = q;
    g.tmuvtx[0].oow = q;
    if (pass == 0) {
        g.tmuvtx[0].sow = v.u * q;
        g.tmuvtx[0].tow = v.v * q;
    } else {
        g.tmuvtx[0].sow = 256.0f * v.nx * q;
        g.tmuvtx[0].tow = 256.0f * v.ny * q;
    }
    return g;
}

} // namespace

void clipAndDrawTriangle(const MeshPolygon* polygons, const MeshPoint* points, int32_t polygonIndex,
                         const FrustumPlanes& viewPlanes, float originX, float originY, float width,
                         float height, uint32_t boxClipFlags, float zoomFactor, int32_t pass) {
    ++renderCounters.trianglesClipped;
    const MeshPolygon& polygon = polygons[polygonIndex];
    ClipPolygon buffers[2];
    ClipPolygon* current = &buffers[0];
    ClipPolygon* other = &buffers[1];
    for (const PolygonCorner& corner : polygon.corners) {
        current->add(cornerVertex(points[corner.pointIndex], corner));
    }

    const int32_t planeCount = usableClipPlaneCount(viewPlanes);
    for (int32_t p = 0; p < planeCount; ++p) {
        if ((boxClipFlags & (1u << p)) == 0) {
            continue;
        }
        clipAgainstPlane(*current, *other, p, viewPlanes, planeCount);
        ClipPolygon* swap = current;
        current = other;
        other = swap;
    }

    const int32_t n = current->count;
    if (n < 3) {
        return;
    }
    GrVertex screen[kClipPolygonCapacity];
    for (int32_t i = 0; i < n; ++i) {
        screen[i] =
            screenVertex(current->vertices[i], originX, originY, width, height, zoomFactor, pass);
    }
    for (int32_t k = 1; k < n - 1; ++k) {
        grDrawTriangle(&screen[0], &screen[k], &screen[k + 1]);
        ++renderCounters.trianglesDrawn;
    }
}
