// SceneObject::updateEnvelopes: an object's morph amount and dissolve at one frame.
#include "anim/Envelope.h"
#include "player/SceneObject.h"

void SceneObject::updateEnvelopes(double time) {
    double value = 0.0;
    if (hasMorph == 1 && morphIsConstant == 0) {
        evaluateEnvelope(morphEnvelope, time, 1, &value);
        morphAmount = static_cast<float>(value);
    }
    if (hasDissolve == 1 && dissolveIsConstant == 0) {
        evaluateEnvelope(dissolveEnvelope, time, 1, &value);
        dissolve = static_cast<float>(value);
    }
}
