// The view frustum as five planes built from eight corner points.
//
// The corners lie on the edges of the field that the projection maps to 0 and 1 (x/z =
// ±1/zoom, y/z = ±0.75/zoom), near ones at z = 0.1 and far ones at z = 3.0. There is
// no far plane: the far corners only give the side planes their slope. Normals are the
// cross products of corner differences, unnormalised and facing into the frustum. In
// world space the corners are carried by the transposed view rotation (its inverse)
// and the camera position, so world-space culling and camera-space clipping bound
// exactly the same volume.
#include "render/FrustumPlanes.h"

#include "math/Matrix4.h"
#include "player/SceneCamera.h"
#include "render/CameraView.h"

namespace {

Vector3 minus(const Vector3& a, const Vector3& b) {
    return Vector3{a.x - b.x, a.y - b.y, a.z - b.z};
}

void setPlane(float plane[4], const Vector3& u, const Vector3& v, const Vector3& on) {
    Vector3 normal;
    crossProduct(v, u, normal); // u × v
    plane[0] = normal.x * on.x + normal.y * on.y + normal.z * on.z;
    plane[1] = normal.x;
    plane[2] = normal.y;
    plane[3] = normal.z;
}

} // namespace

void FrustumPlanes::build(const Matrix4& viewRotation, const SceneCamera& camera,
                          const Vector3& cameraPosition, int32_t space) {
    const float i = 1.0f / usableZoomFactor(camera.zoomFactor);
    Vector3 c[8] = {
        {-0.1f * i, 0.075f * i, 0.1f}, {0.1f * i, 0.075f * i, 0.1f},
        {0.1f * i, -0.075f * i, 0.1f}, {-0.1f * i, -0.075f * i, 0.1f},
        {-3.0f * i, 2.25f * i, 3.0f},  {3.0f * i, 2.25f * i, 3.0f},
        {3.0f * i, -2.25f * i, 3.0f},  {-3.0f * i, -2.25f * i, 3.0f},
    };
    if (space == 1) {
        const float* v = viewRotation.m;
        const Vector3& p = cameraPosition;
        for (Vector3& corner : c) {
            const Vector3 k = corner;
            corner = Vector3{k.x * v[0] + k.y * v[1] + k.z * v[2] + p.x,
                             k.x * v[4] + k.y * v[5] + k.z * v[6] + p.y,
                             k.x * v[8] + k.y * v[9] + k.z * v[10] + p.z};
        }
    }
    setPlane(planes[0], minus(c[4], c[0]), minus(c[3], c[0]), c[0]); // left
    setPlane(planes[1], minus(c[2], c[1]), minus(c[5], c[1]), c[1]); // right
    setPlane(planes[2], minus(c[1], c[0]), minus(c[4], c[0]), c[0]); // top
    setPlane(planes[3], minus(c[7], c[3]), minus(c[2], c[3]), c[3]); // bottom
    setPlane(planes[4], minus(c[2], c[3]), minus(c[0], c[3]), c[3]); // near
    count = 5;
}
