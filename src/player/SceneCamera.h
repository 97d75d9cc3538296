// SceneCamera: the scene's one camera, with the ambient light and the lens zoom.
#pragma once

#include <cstdint>

#include "anim/Motion.h"

struct SceneCamera {
    Motion motion;                 // "CameraMotion"
    int32_t targetObject = -1;     // 0-based index of the object aimed at ("TargetObject" - 1)
    int32_t hasTargetObject = 0;   // 1: look at targetObject instead of using the rotation
    int32_t ambientIsConstant = 1; // 0: ambientIntensity comes from ambientEnvelope
    float zoomFactor = 0.0f;       // "ZoomFactor": half-width of the field is 1 / zoom at z = 1
    float ambientColor[3] = {};    // "AmbientColor" r g b × 1/256
    float ambientIntensity = 0.0f;
    Envelope ambientEnvelope;
};
