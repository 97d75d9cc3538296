// FrustumPlanes: the planes that bound what the camera sees.
//
// Each plane is four floats in the order d, then the normal x, y, z. Normals point into
// the frustum and are not normalised; a point p is outside plane j, or on it, when
// dot(normal_j, p) <= d_j. Five planes are filled, bit numbers 0 left, 1 right, 2 top,
// 3 bottom, 4 near; there is no far plane. One set is kept in world space (whole-object
// culling) and one in camera space (per-point clip codes and clipping).
#pragma once

#include <cstdint>

struct Matrix4;
struct SceneCamera;
struct Vector3;

inline constexpr int32_t kFrustumPlaneCapacity = 20;

struct FrustumPlanes {
    float planes[kFrustumPlaneCapacity][4] = {}; // d, nx, ny, nz
    int32_t count = 0;

    // space: 1 world space, 0 camera space.
    void build(const Matrix4& viewRotation, const SceneCamera& camera,
               const Vector3& cameraPosition, int32_t space);
};
