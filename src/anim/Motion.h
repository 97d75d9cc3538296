// Keyframed animation records: MotionKey, Envelope and Motion.
//
// A Motion is the nine-channel placement of an object, light, fire emitter or the
// camera (channels 0 x, 1 y, 2 z, 3 heading, 4 pitch, 5 bank, 6..8 scale x, y, z);
// an Envelope is one keyed value (light range, intensity, dissolve, morph amount ...).
// Both are evaluated with evaluateEnvelope() (anim/Envelope.h). Angles are degrees,
// positions scene units, time in frames.
//
// Note the order: in the Motion record pitch comes before heading; in the keys heading
// (channel 3) comes before pitch (channel 4).
//
// A value whose IsConstant flag is 1 holds the constant the scene reader stored and is
// never evaluated; the reader releases the keys of a motion that is constant throughout.
#pragma once

#include <cstdint>
#include <memory>

#include "math/Vector3.h"

inline constexpr int32_t kMotionChannelCount = 9;

struct MotionKey {
    double values[kMotionChannelCount] = {}; // an envelope key uses values[0] only
    double tension = 0.0;                    // as written in the scene file (-1 .. 1)
    double continuity = 0.0;
    double bias = 0.0;
    int32_t linear = 0; // nonzero: the segment that ends at this key is a straight line
    int32_t frame = 0;
};

struct Envelope {
    std::unique_ptr<MotionKey[]> keys;
    int32_t keyCount = 0;
};

struct Motion {
    int32_t positionIsConstant = 1;
    int32_t rotationIsConstant = 1;
    int32_t scaleIsConstant = 1;
    float pitch = 0.0f;   // degrees about x (channel 4)
    float heading = 0.0f; // degrees about y (channel 3)
    float bank = 0.0f;    // degrees about z (channel 5)
    Vector3 viewPosition; // lights only: camera-space position, per frame
    Vector3 position;     // scene units (channels 0..2)
    Vector3 scale;        // factors (channels 6..8); zero until a motion block sets it
    std::unique_ptr<MotionKey[]> keys;
    int32_t keyCount = 0;

    // Brings the nine current-value fields to frame `time` unless all three groups are
    // constant.
    void update(double time);
    // Sets the nine current-value fields from nine channel values (one key's, one frame's).
    void setChannelValues(const double (&values)[kMotionChannelCount]);
};
