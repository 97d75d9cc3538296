// Key track evaluation.
//
// Why it is written this way:
//   - The operation order of every sum and product follows the content's authoring
//     tool, so results are reproducible to the last bit; do not "simplify" the
//     expressions (reassociating changes the rounding).
//   - The segment search is a linear scan from the first key, exactly as the tracks
//     were authored against; on unsorted keys a binary search would pick another
//     segment. Tracks are short (tens of keys) and the scan is shared by all channels.
//   - Time past the last key wraps back by whole track lengths. Repeated subtraction of
//     the (integer) track length from a double below 2^53 is exact at every step, so
//     the result is exactly time - k·length with the smallest k that brings it to the
//     track length or below. fmod() computes that exact remainder in constant time
//     (a remainder of 0 is a whole multiple, which the subtraction leaves at the length).
#include "anim/Envelope.h"

#include <cmath>

HermiteBasis hermiteBasis(double t) {
    const double t2 = t * t;
    const double t3 = t * t2;
    HermiteBasis h;
    h.h2 = t3 * -2.0 + t2 * 3.0;
    h.h1 = 1.0 - h.h2;
    h.h3 = t2 * -2.0 + t + t3;
    h.h4 = t3 - t2;
    return h;
}

namespace {

// Time wrapped into (0, lastFrame] when it lies past the last key. A track ending at or
// before frame 0 has no length to wrap by, and a non-finite time has no remainder.
double wrapTime(double time, int32_t lastFrame) {
    if (lastFrame <= 0 || !std::isfinite(time) || !(time > lastFrame)) {
        return time;
    }
    const double length = lastFrame;
    const double remainder = std::fmod(time, length); // exact, in [0, length)
    return remainder > 0.0 ? remainder : length;
}

// span / (later - earlier) for the tangent scaling of uneven keys; keys that share a
// frame leave no distance to scale by and contribute no tangent.
double tangentScale(double span, int32_t later, int32_t earlier) {
    const double distance = static_cast<double>(static_cast<int64_t>(later) - earlier);
    return distance != 0.0 ? span / distance : 0.0;
}

} // namespace

void evaluateEnvelope(const MotionKey* keys, int32_t keyCount, double time, int32_t channelCount,
                      double* output) {
    if (channelCount <= 0) {
        return;
    }
    if (channelCount > kMotionChannelCount) {
        channelCount = kMotionChannelCount;
    }
    if (keys == nullptr || keyCount <= 0) {
        for (int32_t c = 0; c < channelCount; ++c) {
            output[c] = 0.0;
        }
        return;
    }
    if (keyCount == 1) {
        for (int32_t c = 0; c < channelCount; ++c) {
            output[c] = keys[0].values[c];
        }
        return;
    }

    const int32_t last = keyCount - 1;
    time = wrapTime(time, keys[last].frame);

    // The first key whose frame is not below the time ends the segment; a time before
    // the first key uses the first segment, a time past an unwrapped end the last one.
    int32_t i = 0;
    while (i < last - 1 && keys[i + 1].frame < time) {
        ++i;
    }
    const MotionKey& k0 = keys[i];
    const MotionKey& k1 = keys[i + 1];
    const double span = static_cast<double>(static_cast<int64_t>(k1.frame) - k0.frame);
    // Two keys on one frame: the segment has no length; take its end.
    const double t = span != 0.0 ? (time - k0.frame) / span : 1.0;

    if (k1.linear != 0) {
        for (int32_t c = 0; c < channelCount; ++c) {
            const double p0 = k0.values[c];
            const double p1 = k1.values[c];
            output[c] = p0 + (p1 - p0) * t;
        }
        return;
    }

    const HermiteBasis h = hermiteBasis(t);
    const double a0 = (1.0 - k0.tension) * (1.0 + k0.continuity) * (1.0 + k0.bias);
    const double b0 = (1.0 - k0.tension) * (1.0 - k0.continuity) * (1.0 - k0.bias);
    const double a1 = (1.0 - k1.tension) * (1.0 - k1.continuity) * (1.0 + k1.bias);
    const double b1 = (1.0 - k1.tension) * (1.0 + k1.continuity) * (1.0 - k1.bias);
    const bool hasPrevious = i > 0;
    const bool hasNext = i + 1 < last;
    const double adj0 = hasPrevious ? tangentScale(span, k1.frame, keys[i - 1].frame) : 0.0;
    const double adj1 = hasNext ? tangentScale(span, keys[i + 2].frame, k0.frame) : 0.0;

    for (int32_t c = 0; c < channelCount; ++c) {
        const double p0 = k0.values[c];
        const double p1 = k1.values[c];
        const double d = p1 - p0;
        const double outgoing =
            hasPrevious ? ((p0 - keys[i - 1].values[c]) * a0 + d * b0) * adj0 : (a0 + b0) * d * 0.5;
        const double incoming =
            hasNext ? ((keys[i + 2].values[c] - p1) * b1 + d * a1) * adj1 : (b1 + a1) * d * 0.5;
        output[c] = p1 * h.h2 + p0 * h.h1 + h.h4 * incoming + h.h3 * outgoing;
    }
}
