// ChannelEnvelope: one animated value of a later LightWave file (a channel of a scene
// item's motion, a light's intensity, an object's dissolve, an LWO2 ENVL) and its
// evaluation.
//
// Usage:
//   ChannelEnvelope envelope;
//   allocateChannelKeys(envelope, 3);             // keys[0 .. 3), all defaults
//   envelope.keys[0] = sceneChannelKey(value, seconds, shape, parameters);  // ...
//   sortChannelKeys(envelope);                    // by time, file order among equals
//   double v = evaluateChannelEnvelope(envelope, seconds);
//
// Units: times in seconds, values in the channel's own unit (metres, radians, factors).
// A span between keys i and i + 1 takes its shape from key i + 1; the first key's shape
// matters only through its outgoing tangent. Before the first key and after the last the
// pre- and post-behaviours decide.
//
// Unlike the version-1 key tracks (anim/Envelope.h), these keys carry one value each and
// six kinds of span, and time never wraps by itself: that is what the behaviours say.
#pragma once

#include <cstdint>
#include <memory>

enum class KeyShape : int32_t {
    Tcb = 0,      // Kochanek-Bartels: tension, continuity, bias
    Hermite = 1,  // explicit in and out tangents
    Bezier1D = 2, // an older name for Hermite
    Linear = 3,
    Stepped = 4, // holds the previous value until the key
    Bezier2D = 5 // handles in (time, value), offsets from the key
};

enum class EnvelopeBehavior : int32_t {
    Reset = 0,        // 0 outside the keys
    Constant = 1,     // the end key's value
    Repeat = 2,       // the keys again, every (last - first) seconds
    Oscillate = 3,    // the keys forwards, then backwards
    OffsetRepeat = 4, // repeated, each repetition shifted by (last - first value)
    Linear = 5        // continued along the end key's tangent
};

struct ChannelKey {
    double time = 0.0; // seconds
    double value = 0.0;
    KeyShape shape = KeyShape::Tcb;
    double tension = 0.0; // TCB
    double continuity = 0.0;
    double bias = 0.0;
    double inTangent = 0.0; // Hermite, Bezier1D: value per span
    double outTangent = 0.0;
    double inDeltaTime = 0.0; // Bezier2D: the handles' offsets from the key, seconds
    double inDeltaValue = 0.0;
    double outDeltaTime = 0.0;
    double outDeltaValue = 0.0;
};

struct ChannelEnvelope {
    std::unique_ptr<ChannelKey[]> keys;
    int32_t keyCount = 0;
    EnvelopeBehavior pre = EnvelopeBehavior::Constant;
    EnvelopeBehavior post = EnvelopeBehavior::Constant;
};

// A key as a scene file writes it: "Key value time shape p1 p2 p3 p4 p5 p6". An unknown
// shape number reads as TCB.
ChannelKey sceneChannelKey(double value, double time, int32_t shape, const double (&p)[6]);

// 0..5, anything else is Constant.
EnvelopeBehavior envelopeBehavior(int32_t code);

// Replaces the keys with `count` default keys. 1, or 0 when out of memory (no keys then).
int32_t allocateChannelKeys(ChannelEnvelope& envelope, int32_t count);

// Orders the keys by time; keys of equal time keep their order.
void sortChannelKeys(ChannelEnvelope& envelope);

// Multiplies every value, tangent and handle value by `factor` (degrees to radians).
void scaleChannelValues(ChannelEnvelope& envelope, double factor);

// The value at `time` seconds. No keys: 0; one key: its value at every time. A time
// that is not finite takes the end keys' values as Constant does.
double evaluateChannelEnvelope(const ChannelEnvelope& envelope, double time);
