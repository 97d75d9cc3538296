// Vertex normals: the unit sum of the face normals around each point.
//
// The player summed, for each point in turn, the face normals of all triangles in
// triangle order that use the point: points × triangles work, minutes for a large
// object. Here one pass over the triangles adds each face normal to its (distinct)
// corner points. A point still receives exactly the same additions, starting from zero,
// in the same order (triangle order), so every single-precision rounding is the same
// and the sums are bit-identical; only the loop nest is turned around. Keep the
// accumulation in float, start it from +0 and never reassociate it (no pairwise or
// vectorised sums, no fused multiply-add): any of those changes the last bits, and
// morphing blends normals that must match the player's.
#include <cmath>

#include "object/MeshPreparation.h"
#include "platform/Diagnostics.h"

namespace {

void add(float* sum, const float* value) {
    sum[0] = sum[0] + value[0];
    sum[1] = sum[1] + value[1];
    sum[2] = sum[2] + value[2];
}

} // namespace

void faceNormal(const float* p0, const float* p1, const float* p2, float normal[3]) {
    const float a[3] = {p0[0] - p1[0], p0[1] - p1[1], p0[2] - p1[2]};
    const float b[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
    const float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                        a[0] * b[1] - a[1] * b[0]};
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length == 0.0f) {
        normal[0] = -1.0f;
        normal[1] = 0.0f;
        normal[2] = 0.0f;
        return;
    }
    normal[0] = n[0] / length;
    normal[1] = n[1] / length;
    normal[2] = n[2] / length;
}

void computeVertexNormals(Mesh& mesh) {
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        float* sum = mesh.points[i].normal;
        sum[0] = 0.0f;
        sum[1] = 0.0f;
        sum[2] = 0.0f;
    }
    for (int32_t t = 0; t < mesh.polygonCount; ++t) {
        const PolygonCorner* corners = mesh.polygons[t].corners;
        const int32_t a = corners[0].pointIndex;
        const int32_t b = corners[1].pointIndex;
        const int32_t c = corners[2].pointIndex;
        float n[3];
        faceNormal(mesh.points[a].position, mesh.points[b].position, mesh.points[c].position, n);
        // A triangle counts once for a point it names twice.
        add(mesh.points[a].normal, n);
        if (b != a) {
            add(mesh.points[b].normal, n);
        }
        if (c != a && c != b) {
            add(mesh.points[c].normal, n);
        }
    }
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        float* n = mesh.points[i].normal;
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length == 0.0f) {
            traceLoader("There was a normal of the size (%f,%f,%f) (Calculating np1)\n I'll "
                        "set it to (0,0,1)\n",
                        static_cast<double>(n[0]), static_cast<double>(n[1]),
                        static_cast<double>(n[2]));
            n[0] = 0.0f;
            n[1] = 0.0f;
            n[2] = 1.0f;
            continue;
        }
        n[0] = n[0] / length;
        n[1] = n[1] / length;
        n[2] = n[2] / length;
    }
}
