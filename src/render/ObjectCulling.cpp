// Whole-object culling against the world-space frustum, and the back-face test.
//
// The box test runs while `transform` still maps object space to world space, so a
// culled object costs its eight corners and nothing else. A corner exactly on a plane
// counts as outside it; an object is culled only when all eight corners share an
// outside plane, so a box that straddles planes is kept (and its crossed planes are
// the only ones the clipper will clip against).
//
// The back-face test is made in camera space with the eye at the origin: the sign of
// P0 · ((P2 - P0) × (P1 - P0)) says which side the triangle is seen from, without a
// view vector and without the mesh's own polygon normals. Edge-on (zero) counts as
// front. Only corners of visible triangles are marked needed, so points used only by
// back faces are neither lit nor projected.
#include <cstdint>

#include "player/SceneObject.h"
#include "render/ClipPlanes.h"
#include "render/RenderCounters.h"

void SceneObject::testBoundingBox(const FrustumPlanes& worldPlanes) {
    transform.transformVectors(boundingBox, viewBoundingBox, 8);
    const int32_t planeCount = usableBoxPlaneCount(worldPlanes);
    uint32_t any = 0;
    uint32_t all = ~0u;
    for (const float* c : viewBoundingBox) {
        uint32_t mask = 0;
        for (int32_t j = 0; j < planeCount; ++j) {
            const float* plane = worldPlanes.planes[j];
            if (plane[1] * c[0] + plane[2] * c[1] + plane[3] * c[2] <= plane[0]) {
                mask |= 1u << j;
            }
        }
        any |= mask;
        all &= mask;
    }
    boxClipFlags = any;
    isCulled = all != 0 ? 1 : 0;
}

namespace {

// A polygon the pipeline can draw: its corners name existing points and its surface an
// existing record. The object reader guarantees this; the check keeps a broken mesh
// from reaching outside its arrays.
bool isWellFormed(const Mesh& mesh, const MeshPolygon& polygon) {
    if (mesh.surfaces == nullptr || polygon.surface < 0 || polygon.surface > mesh.surfaceCount) {
        return false;
    }
    for (const PolygonCorner& corner : polygon.corners) {
        if (corner.pointIndex < 0 || corner.pointIndex >= mesh.pointCount) {
            return false;
        }
    }
    return true;
}

} // namespace

void SceneObject::cullBackFaces() {
    MeshPoint* points = mesh.points.get();
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        points[i].isNeeded = 0;
    }
    for (int32_t k = 0; k < mesh.polygonCount; ++k) {
        MeshPolygon& polygon = mesh.polygons[k];
        if (!isWellFormed(mesh, polygon)) {
            polygon.isVisible = 0;
            continue;
        }
        MeshPoint& p0 = points[polygon.corners[0].pointIndex];
        MeshPoint& p1 = points[polygon.corners[1].pointIndex];
        MeshPoint& p2 = points[polygon.corners[2].pointIndex];
        const float* a = p0.viewPosition;
        const float e1[3] = {p1.viewPosition[0] - a[0], p1.viewPosition[1] - a[1],
                             p1.viewPosition[2] - a[2]};
        const float e2[3] = {p2.viewPosition[0] - a[0], p2.viewPosition[1] - a[1],
                             p2.viewPosition[2] - a[2]};
        const float n[3] = {e2[1] * e1[2] - e2[2] * e1[1], e2[2] * e1[0] - e2[0] * e1[2],
                            e2[0] * e1[1] - e2[1] * e1[0]};
        const float s = a[0] * n[0] + a[1] * n[1] + a[2] * n[2];
        if (s < 0.0f && mesh.surfaces[polygon.surface].doubleSided == 0) {
            polygon.isVisible = 0;
            ++renderCounters.backFaces;
            continue;
        }
        polygon.isVisible = 1;
        p0.isNeeded = 1;
        p1.isNeeded = 1;
        p2.isNeeded = 1;
    }
}
