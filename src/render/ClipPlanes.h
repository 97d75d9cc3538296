// How many of a FrustumPlanes record's planes take part in per-point clip codes and
// clipping: at most kClipPlaneLimit, the number of plane distances a mesh point and a
// clipper vertex can hold (five: left, right, top, bottom, near). A record that claims
// more planes cannot make the pipeline write past those arrays.
#pragma once

#include <cstdint>

#include "render/FrustumPlanes.h"

inline constexpr int32_t kClipPlaneLimit = 5;

inline int32_t usableClipPlaneCount(const FrustumPlanes& planes) {
    if (planes.count < 0) {
        return 0;
    }
    return planes.count < kClipPlaneLimit ? planes.count : kClipPlaneLimit;
}

// The whole-object box test may use every plane the record holds, up to its capacity.
inline int32_t usableBoxPlaneCount(const FrustumPlanes& planes) {
    if (planes.count < 0) {
        return 0;
    }
    return planes.count < kFrustumPlaneCapacity ? planes.count : kFrustumPlaneCapacity;
}
