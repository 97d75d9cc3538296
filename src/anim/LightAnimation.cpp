// Per-frame work on a light: its envelopes, and its position and direction in camera
// space for the lighting of the frame.
#include "anim/Envelope.h"
#include "math/Matrix4.h"
#include "player/SceneLight.h"

namespace {

float evaluateOne(const Envelope& envelope, double time) {
    double value = 0.0;
    evaluateEnvelope(envelope, time, 1, &value);
    return static_cast<float>(value);
}

} // namespace

void SceneLight::updateEnvelopes(double time) {
    if (rangeIsConstant == 0) {
        range = evaluateOne(rangeEnvelope, time);
        rangeSquared = range * range;
    }
    if (intensityIsConstant == 0) {
        intensity = evaluateOne(intensityEnvelope, time);
    }
    if (flareIsConstant == 0) {
        flareIntensity = evaluateOne(flareEnvelope, time);
    }
}

void SceneLight::transformToView(const Matrix4& viewRotation, const Vector3& cameraPosition) {
    const float* m = viewRotation.m;
    const float dx = motion.position.x - cameraPosition.x;
    const float dy = motion.position.y - cameraPosition.y;
    const float dz = motion.position.z - cameraPosition.z;
    motion.viewPosition.x = dx * m[0] + dy * m[4] + dz * m[8];
    motion.viewPosition.y = dx * m[1] + dy * m[5] + dz * m[9];
    motion.viewPosition.z = dx * m[2] + dy * m[6] + dz * m[10];

    if (lightType != 0) {
        return; // only distant lights shine along an axis
    }
    Matrix4 r;
    r.identity();
    r.rotateZ(motion.bank);
    r.rotateX(motion.pitch);
    r.rotateY(motion.heading);
    r.multiply(viewRotation);
    // (0, 0, 1, 1) × r, all four components.
    for (int c = 0; c < 4; ++c) {
        viewDirection[c] =
            0.0f * r.m[c] + 0.0f * r.m[4 + c] + 1.0f * r.m[8 + c] + 1.0f * r.m[12 + c];
    }
}
