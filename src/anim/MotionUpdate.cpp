// Motion::update: the nine current-value fields of a placement at one frame.
#include "anim/Envelope.h"
#include "anim/Motion.h"

void Motion::update(double time) {
    if (positionIsConstant == 1 && rotationIsConstant == 1 && scaleIsConstant == 1) {
        return; // the reader stored the constants; the keys are gone
    }
    double values[kMotionChannelCount];
    evaluateEnvelope(keys.get(), keyCount, time, kMotionChannelCount, values);
    // Every group is stored, constant ones too: their keys all hold the same values.
    setChannelValues(values);
}

void Motion::setChannelValues(const double (&values)[kMotionChannelCount]) {
    position.x = static_cast<float>(values[0]);
    position.y = static_cast<float>(values[1]);
    position.z = static_cast<float>(values[2]);
    heading = static_cast<float>(values[3]);
    pitch = static_cast<float>(values[4]);
    bank = static_cast<float>(values[5]);
    scale.x = static_cast<float>(values[6]);
    scale.y = static_cast<float>(values[7]);
    scale.z = static_cast<float>(values[8]);
}
