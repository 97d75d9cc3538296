// SceneLight: one light of a scene. Distant lights shine along their +z axis, point
// lights from their position with a linear fall-off to zero at `range`; spot lights
// (type 2) are read but give no light.
#pragma once

#include <cstdint>

#include "anim/Motion.h"

struct Matrix4;

struct SceneLight {
    Motion motion;         // "LightMotion"; motion.viewPosition is set per frame
    float color[3] = {};   // "LightColor" r g b × 1/255
    int32_t lightType = 0; // 0 distant, 1 point, 2 spot
    int32_t lensFlare = 0; // nonzero: a lens flare is drawn for this light
    int32_t intensityIsConstant = 1;
    int32_t rangeIsConstant = 1;
    int32_t flareIsConstant = 1;
    float flareIntensity = 0.0f; // flare radius, camera-space units
    float range = 1.0f;          // scene units
    // range × range, kept together with range. The default is the square of the default
    // range, so a light without "LightRange" lights as its range says.
    float rangeSquared = 1.0f;
    float intensity = 1.0f;
    Envelope intensityEnvelope;
    Envelope rangeEnvelope;
    Envelope flareEnvelope;
    float viewDirection[4] = {}; // distant lights: +z axis in camera space, w = 1; per frame

    void updateEnvelopes(double time);
    void transformToView(const Matrix4& viewRotation, const Vector3& cameraPosition);
};
