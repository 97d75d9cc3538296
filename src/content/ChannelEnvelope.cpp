// Envelope evaluation for later LightWave files.
//
// Why it is written this way:
//   - Tangents are slopes in "value per span": each is scaled by the ratio of the span
//     to the distance between the neighbouring keys, which keeps the curve's speed
//     continuous over unevenly spaced keys. An end key has no neighbour on one side and
//     takes its tangent unscaled.
//   - The outgoing tangent of key i follows key i's own shape and the incoming tangent of
//     key i + 1 follows key i + 1's shape; the span itself follows key i + 1. So a TCB
//     span after a Linear key leaves that key along the straight line's slope.
//   - Repetition works on the time since the first key: t' = t - k·L with
//     k = floor((t - t0) / L), and the oscillating mirror is t0 + tn - t'. (A widely
//     copied version of this code wraps around time 0 and mirrors about tn - t0, which
//     agrees only when the first key lies at time 0.)
//   - The two-dimensional Bezier span is solved for its curve parameter by bisection,
//     a fixed number of halvings: the result does not depend on a tolerance, and a
//     time curve that doubles back still gives a value.
#include "content/ChannelEnvelope.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr double kSmallHandleTime = 1.0e-5; // seconds; below it a handle is vertical
constexpr int32_t kBisectionSteps = 48;     // 2^-48 of the span: far below a frame

bool isBezier2D(const ChannelKey& k) {
    return k.shape == KeyShape::Bezier2D;
}

// The ratio span / distance, 0 when the neighbours share a time.
double ratio(double span, double distance) {
    return distance != 0.0 ? span / distance : 0.0;
}

// Handle slope scaled to the span: value change over `span` seconds along a handle.
double handleTangent(double deltaValue, double deltaTime, double span) {
    if (std::fabs(deltaTime) < kSmallHandleTime) {
        return deltaValue / kSmallHandleTime;
    }
    return deltaValue * span / deltaTime;
}

// Outgoing tangent of key i towards key i + 1 (which must exist).
double outgoingTangent(const ChannelKey* keys, int32_t i) {
    const ChannelKey& k = keys[i];
    const ChannelKey& next = keys[i + 1];
    const double span = next.time - k.time;
    const double d = next.value - k.value;
    const bool hasPrevious = i > 0;
    const double scale = hasPrevious ? ratio(span, next.time - keys[i - 1].time) : 1.0;
    const double back = hasPrevious ? k.value - keys[i - 1].value : 0.0;
    switch (k.shape) {
    case KeyShape::Linear:
        return hasPrevious ? scale * (back + d) : d;
    case KeyShape::Hermite:
    case KeyShape::Bezier1D:
        return k.outTangent * scale;
    case KeyShape::Bezier2D:
        return handleTangent(k.outDeltaValue, k.outDeltaTime, span);
    case KeyShape::Stepped:
        return 0.0;
    case KeyShape::Tcb:
        break;
    }
    const double a = (1.0 - k.tension) * (1.0 + k.continuity) * (1.0 + k.bias);
    const double b = (1.0 - k.tension) * (1.0 - k.continuity) * (1.0 - k.bias);
    return hasPrevious ? scale * (a * back + b * d) : b * d;
}

// Incoming tangent of key i + 1 from key i; `last` is the index of the last key.
double incomingTangent(const ChannelKey* keys, int32_t i, int32_t last) {
    const ChannelKey& previous = keys[i];
    const ChannelKey& k = keys[i + 1];
    const double span = k.time - previous.time;
    const double d = k.value - previous.value;
    const bool hasNext = i + 1 < last;
    const double scale = hasNext ? ratio(span, keys[i + 2].time - previous.time) : 1.0;
    const double ahead = hasNext ? keys[i + 2].value - k.value : 0.0;
    switch (k.shape) {
    case KeyShape::Linear:
        return hasNext ? scale * (ahead + d) : d;
    case KeyShape::Hermite:
    case KeyShape::Bezier1D:
        return k.inTangent * scale;
    case KeyShape::Bezier2D:
        return handleTangent(k.inDeltaValue, k.inDeltaTime, span);
    case KeyShape::Stepped:
        return 0.0;
    case KeyShape::Tcb:
        break;
    }
    const double a = (1.0 - k.tension) * (1.0 - k.continuity) * (1.0 + k.bias);
    const double b = (1.0 - k.tension) * (1.0 + k.continuity) * (1.0 - k.bias);
    return hasNext ? scale * (b * ahead + a * d) : a * d;
}

double bezier(double x0, double x1, double x2, double x3, double s) {
    const double r = 1.0 - s;
    return r * r * r * x0 + 3.0 * s * r * r * x1 + 3.0 * s * s * r * x2 + s * s * s * x3;
}

double bezier2DSpan(const ChannelKey* keys, int32_t i, double time) {
    const ChannelKey& k0 = keys[i];
    const ChannelKey& k1 = keys[i + 1];
    const double span = k1.time - k0.time;
    double t1 = k0.time + span / 3.0;
    double v1 = k0.value + outgoingTangent(keys, i) / 3.0;
    if (isBezier2D(k0)) {
        t1 = k0.time + k0.outDeltaTime;
        v1 = k0.value + k0.outDeltaValue;
    }
    const double t2 = k1.time + k1.inDeltaTime;
    const double v2 = k1.value + k1.inDeltaValue;
    double low = 0.0;
    double high = 1.0;
    for (int32_t step = 0; step < kBisectionSteps; ++step) {
        const double middle = 0.5 * (low + high);
        if (bezier(k0.time, t1, t2, k1.time, middle) < time) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return bezier(k0.value, v1, v2, k1.value, 0.5 * (low + high));
}

// The value at a time within [first key, last key].
double valueWithin(const ChannelKey* keys, int32_t count, double time) {
    // The first key at or after the time: on a key, that key's value (the first of keys
    // that share the time); else the span that ends there.
    int32_t low = 0;
    int32_t high = count - 1;
    while (low < high) {
        const int32_t middle = low + (high - low) / 2;
        if (keys[middle].time < time) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low == 0 || keys[low].time == time) {
        return keys[low].value;
    }
    const int32_t i = low - 1;
    const ChannelKey& k0 = keys[i];
    const ChannelKey& k1 = keys[low];
    const double tau = (time - k0.time) / (k1.time - k0.time);
    switch (k1.shape) {
    case KeyShape::Linear:
        return k0.value + tau * (k1.value - k0.value);
    case KeyShape::Stepped:
        return k0.value;
    case KeyShape::Bezier2D:
        return bezier2DSpan(keys, i, time);
    default:
        break;
    }
    const double tau2 = tau * tau;
    const double tau3 = tau2 * tau;
    const double h1 = 2.0 * tau3 - 3.0 * tau2 + 1.0;
    const double h2 = -2.0 * tau3 + 3.0 * tau2;
    const double h3 = tau3 - 2.0 * tau2 + tau;
    const double h4 = tau3 - tau2;
    return h1 * k0.value + h2 * k1.value + h3 * outgoingTangent(keys, i) +
           h4 * incomingTangent(keys, i, count - 1);
}

// Linear behaviour: the slope of the end key's tangent, per second.
double startSlope(const ChannelKey* keys) {
    const double span = keys[1].time - keys[0].time;
    return span != 0.0 ? outgoingTangent(keys, 0) / span : 0.0;
}

double endSlope(const ChannelKey* keys, int32_t last) {
    const double span = keys[last].time - keys[last - 1].time;
    return span != 0.0 ? incomingTangent(keys, last - 1, last) / span : 0.0;
}

} // namespace

ChannelKey sceneChannelKey(double value, double time, int32_t shape, const double (&p)[6]) {
    ChannelKey k;
    k.value = value;
    k.time = time;
    k.shape = shape >= 0 && shape <= 5 ? static_cast<KeyShape>(shape) : KeyShape::Tcb;
    if (k.shape == KeyShape::Bezier2D) {
        k.inDeltaTime = p[0];
        k.inDeltaValue = p[1];
        k.outDeltaTime = p[2];
        k.outDeltaValue = p[3];
        return k;
    }
    k.tension = p[0];
    k.continuity = p[1];
    k.bias = p[2];
    k.inTangent = p[3];
    k.outTangent = p[4];
    return k;
}

EnvelopeBehavior envelopeBehavior(int32_t code) {
    return code >= 0 && code <= 5 ? static_cast<EnvelopeBehavior>(code)
                                  : EnvelopeBehavior::Constant;
}

int32_t allocateChannelKeys(ChannelEnvelope& envelope, int32_t count) {
    envelope.keys.reset();
    envelope.keyCount = 0;
    if (count <= 0) {
        return 1;
    }
    envelope.keys.reset(new (std::nothrow) ChannelKey[static_cast<size_t>(count)]);
    if (envelope.keys == nullptr) {
        return 0;
    }
    envelope.keyCount = count;
    return 1;
}

void sortChannelKeys(ChannelEnvelope& envelope) {
    std::stable_sort(envelope.keys.get(), envelope.keys.get() + envelope.keyCount,
                     [](const ChannelKey& a, const ChannelKey& b) { return a.time < b.time; });
}

void scaleChannelValues(ChannelEnvelope& envelope, double factor) {
    for (int32_t i = 0; i < envelope.keyCount; ++i) {
        ChannelKey& k = envelope.keys[i];
        k.value *= factor;
        k.inTangent *= factor;
        k.outTangent *= factor;
        k.inDeltaValue *= factor;
        k.outDeltaValue *= factor;
    }
}

double evaluateChannelEnvelope(const ChannelEnvelope& envelope, double time) {
    const ChannelKey* keys = envelope.keys.get();
    const int32_t count = envelope.keyCount;
    if (keys == nullptr || count <= 0) {
        return 0.0;
    }
    const int32_t last = count - 1;
    const double first = keys[0].time;
    const double end = keys[last].time;
    if (count == 1) {
        return keys[0].value;
    }
    if (std::isnan(time)) {
        return keys[0].value;
    }
    if (time >= first && time <= end) {
        return valueWithin(keys, count, time);
    }
    const bool before = time < first;
    const EnvelopeBehavior behavior = before ? envelope.pre : envelope.post;
    const double length = end - first;
    if (behavior == EnvelopeBehavior::Constant || !(length > 0.0) || !std::isfinite(time)) {
        return before ? keys[0].value : keys[last].value;
    }
    switch (behavior) {
    case EnvelopeBehavior::Reset:
        return 0.0;
    case EnvelopeBehavior::Linear:
        return before ? keys[0].value + startSlope(keys) * (time - first)
                      : keys[last].value + endSlope(keys, last) * (time - end);
    default:
        break;
    }
    const double k = std::floor((time - first) / length);
    double wrapped = std::clamp(time - k * length, first, end);
    if (behavior == EnvelopeBehavior::Oscillate && std::fmod(std::fabs(k), 2.0) == 1.0) {
        wrapped = first + end - wrapped;
    }
    const double value = valueWithin(keys, count, wrapped);
    if (behavior == EnvelopeBehavior::OffsetRepeat) {
        return value + k * (keys[last].value - keys[0].value);
    }
    return value;
}
