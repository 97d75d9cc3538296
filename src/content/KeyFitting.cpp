#include "content/KeyFitting.h"

#include <cmath>
#include <new>

namespace {

constexpr double kFrameTolerance = 1.0e-4; // frames: a key time must land on a whole frame

bool isAnimated(const ChannelEnvelope* channel) {
    return channel != nullptr && channel->keyCount >= 2;
}

// The outgoing weight b of a key that leaves a TCB curve, and the incoming weight a of one
// that ends it (a linear key behaves as TCB 0, 0, 0).
double outgoingWeight(const ChannelKey& k) {
    return k.shape == KeyShape::Linear ? 1.0
                                       : (1.0 - k.tension) * (1.0 - k.continuity) * (1.0 - k.bias);
}

double incomingWeight(const ChannelKey& k) {
    return k.shape == KeyShape::Linear ? 1.0
                                       : (1.0 - k.tension) * (1.0 - k.continuity) * (1.0 + k.bias);
}

bool sameKey(const ChannelKey& a, const ChannelKey& b, double framesPerSecond) {
    return std::fabs(a.time - b.time) * framesPerSecond <= kFrameTolerance && a.shape == b.shape &&
           a.tension == b.tension && a.continuity == b.continuity && a.bias == b.bias;
}

// A tension, continuity and bias of the version-1 key, as its text will give them back.
void setSpline(MotionKey& key, double tension, double continuity, double bias) {
    key.tension = static_cast<float>(tension);
    key.continuity = static_cast<float>(continuity);
    key.bias = static_cast<float>(bias);
}

} // namespace

int32_t fitVersionOneKeys(const ChannelEnvelope* const* channels, const double* constants,
                          const double* scales, int32_t channelCount, const KeyTiming& timing,
                          FittedKeys& fitted) {
    const ChannelEnvelope* reference = nullptr;
    for (int32_t c = 0; c < channelCount; ++c) {
        if (isAnimated(channels[c])) {
            reference = channels[c];
            break;
        }
    }
    if (reference == nullptr || channelCount > kMotionChannelCount) {
        return 0;
    }
    const int32_t n = reference->keyCount;
    const ChannelKey* keys = reference->keys.get();

    // Every animated channel keyed alike, TCB or linear, at whole frames.
    std::unique_ptr<int32_t[]> frameOf(new (std::nothrow) int32_t[static_cast<size_t>(n)]);
    if (frameOf == nullptr) {
        return 0;
    }
    for (int32_t k = 0; k < n; ++k) {
        if (keys[k].shape != KeyShape::Tcb && keys[k].shape != KeyShape::Linear) {
            return 0;
        }
        const double frame = keys[k].time * timing.framesPerSecond - timing.origin;
        const double whole = std::round(frame);
        if (!(std::fabs(frame - whole) <= kFrameTolerance) || std::fabs(whole) > 1.0e9 ||
            (k > 0 && whole <= frameOf[k - 1])) {
            return 0;
        }
        frameOf[k] = static_cast<int32_t>(whole);
    }
    const bool holdBefore = frameOf[0] > 0;
    const bool holdAfter = frameOf[n - 1] < timing.lastFrame;
    for (int32_t c = 0; c < channelCount; ++c) {
        const ChannelEnvelope* channel = channels[c];
        if (!isAnimated(channel)) {
            continue;
        }
        if (channel->keyCount != n || (holdBefore && channel->pre != EnvelopeBehavior::Constant) ||
            (holdAfter && channel->post != EnvelopeBehavior::Constant)) {
            return 0;
        }
        for (int32_t k = 0; k < n; ++k) {
            if (!sameKey(channel->keys[k], keys[k], timing.framesPerSecond)) {
                return 0;
            }
        }
    }

    const int32_t first = holdBefore ? 1 : 0; // index of the first real key
    const int32_t count = n + first + (holdAfter ? 1 : 0);
    std::unique_ptr<MotionKey[]> out(new (std::nothrow) MotionKey[static_cast<size_t>(count)]);
    if (out == nullptr) {
        return 0;
    }
    for (int32_t k = 0; k < n; ++k) {
        MotionKey& key = out[first + k];
        key.frame = frameOf[k];
        key.linear = keys[k].shape == KeyShape::Linear ? 1 : 0;
        if (keys[k].shape == KeyShape::Tcb) {
            setSpline(key, keys[k].tension, keys[k].continuity, keys[k].bias);
        }
        for (int32_t c = 0; c < channelCount; ++c) {
            const double value =
                isAnimated(channels[c]) ? channels[c]->keys[k].value : constants[c];
            key.values[c] = static_cast<float>(value * scales[c]);
        }
    }

    // The first key leaves the curve with b·d. Alone it would get (a + b)·d/2 = (1 - T)·d
    // for continuity and bias 0; after a held value, b'·d·(span / (next - 0)).
    MotionKey& start = out[first];
    const double b = outgoingWeight(keys[0]);
    if (holdBefore) {
        out[0] = start;
        out[0].frame = 0;
        out[0].linear = 0;
        start.linear = 1; // the held value is a straight segment
        const double scale = static_cast<double>(frameOf[1] - frameOf[0]) / frameOf[1];
        setSpline(start, 0.0, 0.0, 1.0 - b / scale);
    } else {
        setSpline(start, 1.0 - b, 0.0, 0.0);
    }
    // The last key ends the curve with a·d, the same way round.
    MotionKey& end = out[first + n - 1];
    const double a = incomingWeight(keys[n - 1]);
    if (holdAfter) {
        MotionKey& held = out[count - 1];
        held = end;
        held.frame = timing.lastFrame;
        held.linear = 1;
        setSpline(held, 0.0, 0.0, 0.0);
        const double scale = static_cast<double>(frameOf[n - 1] - frameOf[n - 2]) /
                             (static_cast<double>(timing.lastFrame) - frameOf[n - 2]);
        setSpline(end, 0.0, 0.0, a / scale - 1.0);
    } else {
        setSpline(end, 1.0 - a, 0.0, 0.0);
    }
    fitted.keys = std::move(out);
    fitted.keyCount = count;
    return 1;
}
