// Per-point clip codes against the camera-space planes.
//
// Every point gets them, needed or not: the main pass rejects a triangle when its
// corners share an outside bit, and the clipper interpolates the raw dot products
// (normal · p, not minus d) along edges, so those are what is stored.
#include <cstdint>

#include "player/SceneObject.h"
#include "render/ClipPlanes.h"

void SceneObject::computeClipCodes(const FrustumPlanes& viewPlanes) {
    const int32_t planeCount = usableClipPlaneCount(viewPlanes);
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        mesh.points[i].outsideBits = 0;
    }
    for (int32_t j = 0; j < planeCount; ++j) {
        const float* plane = viewPlanes.planes[j];
        for (int32_t i = 0; i < mesh.pointCount; ++i) {
            MeshPoint& p = mesh.points[i];
            const float t = plane[1] * p.viewPosition[0] + plane[2] * p.viewPosition[1] +
                            plane[3] * p.viewPosition[2];
            p.planeDistance[j] = t;
            if (t <= plane[0]) {
                p.outsideBits |= 1u << j;
            }
        }
    }
}
