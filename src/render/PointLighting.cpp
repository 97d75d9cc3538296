// Per-point lighting: ambient, distant and point lights, Gouraud colours 0..255.
//
// Normals point away from the eye on a polygon seen from its front (the orientation
// of the back-face test), so each light term uses the direction the light travels:
// from the light to the point, or a distant light's +z axis. The sum is clamped to the
// surface colour, not to 1: no light makes a point brighter than its surface colour at
// full intensity. Luminous points (luminosity 255 or more) and additive surfaces ignore
// the lights; an additive surface with smoothing fades with the cube of its normal's z,
// which makes glows brightest where they face the camera.
//
// A point that coincides with a point light has no direction to be lit from: that
// light adds nothing to it (instead of a 0 / 0 that would turn the colour into NaN).
// Every other case follows the arithmetic below term by term, in single precision.
#include <cmath>
#include <cstdint>

#include "player/SceneCamera.h"
#include "player/SceneLight.h"
#include "player/SceneObject.h"

namespace {

constexpr int32_t kLuminous = 255;
constexpr int32_t kDistantLight = 0;
constexpr int32_t kPointLight = 1;

float dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

float atLeastZero(float d) {
    return d < 0.0f ? 0.0f : d;
}

// Additive glow: colour × k, or × k·z³ with smoothing (z the normal's camera z, folded
// onto the front for double-sided surfaces and cut to 0 behind otherwise).
void lightAdditive(MeshPoint& p, const Surface& s, float k) {
    float f = k;
    if (s.smoothing != 0) {
        float z = p.viewNormal[2];
        if (z < 0.0f) {
            z = s.doubleSided != 0 ? -z : 0.0f;
        }
        f = z * z * k * z;
    }
    for (int c = 0; c < 3; ++c) {
        p.litColor[c] = p.color[c] * f;
    }
}

// Adds one light's term to colour (fractions 0..1 before the clamp). Lights of types
// other than distant and point, and point lights out of range, add nothing.
void addLight(const SceneLight& light, const MeshPoint& p, float colour[3]) {
    const float* n = p.viewNormal;
    if (light.lightType == kDistantLight) {
        const float d = atLeastZero(dot(light.viewDirection, n));
        for (int c = 0; c < 3; ++c) {
            colour[c] += p.color[c] * light.color[c] * light.intensity * d;
        }
        return;
    }
    if (light.lightType != kPointLight) {
        return;
    }
    float v[3] = {p.viewPosition[0] - light.motion.viewPosition.x,
                  p.viewPosition[1] - light.motion.viewPosition.y,
                  p.viewPosition[2] - light.motion.viewPosition.z};
    const float lengthSquared = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    if (light.range == -1.0f) { // unlimited reach
        const float length = std::sqrt(lengthSquared);
        if (length == 0.0f) {
            return;
        }
        v[0] /= length, v[1] /= length, v[2] /= length;
        const float d = atLeastZero(dot(v, n));
        for (int c = 0; c < 3; ++c) {
            colour[c] += p.color[c] * light.color[c] * light.intensity * d;
        }
        return;
    }
    if (light.range == 0.0f || lengthSquared >= light.rangeSquared) {
        return;
    }
    const float distance = std::sqrt(lengthSquared);
    if (distance == 0.0f) {
        return;
    }
    const float falloff = 1.0f - distance / light.range;
    v[0] /= distance, v[1] /= distance, v[2] /= distance;
    const float d = atLeastZero(dot(v, n));
    for (int c = 0; c < 3; ++c) {
        colour[c] += p.color[c] * light.color[c] * (light.intensity * d * falloff);
    }
}

} // namespace

void SceneObject::lightPoints(const SceneLight* lights, int32_t lightCount,
                              const SceneCamera& camera) {
    if (mesh.surfaces == nullptr) {
        return;
    }
    const float additiveScale = hasDissolve != 0 ? (1.0f - dissolve) * 255.0f : 255.0f;
    for (int32_t i = 0; i < mesh.pointCount; ++i) {
        MeshPoint& p = mesh.points[i];
        if (p.isNeeded == 0) {
            continue;
        }
        if (p.luminosity >= kLuminous) {
            for (int c = 0; c < 3; ++c) {
                p.litColor[c] = p.color[c] * 255.0f;
            }
            continue;
        }
        const bool knownSurface = p.surface >= 0 && p.surface <= mesh.surfaceCount;
        if (knownSurface && mesh.surfaces[p.surface].additive != 0) {
            lightAdditive(p, mesh.surfaces[p.surface], additiveScale);
            continue;
        }
        float colour[3];
        for (int c = 0; c < 3; ++c) {
            colour[c] = camera.ambientColor[c] * p.color[c] * camera.ambientIntensity;
        }
        for (int32_t k = 0; k < lightCount; ++k) {
            addLight(lights[k], p, colour);
        }
        for (int c = 0; c < 3; ++c) {
            const float clamped = colour[c] < p.color[c] ? colour[c] : p.color[c];
            p.litColor[c] = clamped * 255.0f;
        }
    }
}
