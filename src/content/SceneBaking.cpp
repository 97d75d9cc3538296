// Baking a later scene, frame by frame.
//
// Why it is written this way:
//   - Frame-major: each frame works out every item's world placement once (memoised,
//     parents before children) and appends one key to every track; the tracks drop the
//     keys that say nothing as they go. Memory is what the keys take, bounded by the
//     limits, never a buffer of every value of every frame.
//   - An item with neither parent nor target takes its channels as they are: its values
//     are the file's, not a matrix taken apart again. Only composed placements are
//     decomposed (content/ItemPlacement.h), with each frame's angles kept nearest the
//     previous frame's.
//   - A target sets heading and pitch in the world from the item's position to the
//     target's. Where aiming depends on itself (a camera aimed at its own child) the
//     target's position is taken before any aiming, so every frame has one answer.
#include "content/SceneBaking.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "anim/Envelope.h"
#include "content/ItemPlacement.h"
#include "content/KeyFitting.h"
#include "content/KeyTrackBuilder.h"
#include "content/LaterScene.h"
#include "math/Matrix4.h"
#include "player/Scene.h"
#include "render/CameraView.h"

namespace {

// Radians per degree as the player converts them: dividing by it gives the degrees that
// the player turns back into the same radians.
constexpr double kPlayerRadiansPerDegree = static_cast<double>(kDegreesToRadians);

enum class State : uint8_t { Unknown, InProgress, Done };

// The placements of one frame.
class FrameItems {
public:
    explicit FrameItems(const LaterScene& later) : later_(later) {}

    void start(double seconds) {
        seconds_ = seconds;
        for (int32_t i = 0; i < later_.itemCount; ++i) {
            unaimedState_[i] = State::Unknown;
            aimedState_[i] = State::Unknown;
        }
    }

    // The item's placement in the world, in radians, for drawing it (its own pivot not
    // applied: the mesh has been moved by it).
    ItemPose world(int32_t i) {
        const LaterItem& item = later_.items[i];
        ItemPose p;
        if (item.parent < 0 && item.target < 0) {
            p = own(i);
        } else if (item.target >= 0) {
            aimed(i);
            p = aimedPlacement_[i];
        } else {
            p = decompose(aimed(i), hasPrevious_[i] ? &previous_[i] : nullptr);
        }
        previous_[i] = p;
        hasPrevious_[i] = 1;
        return p;
    }

private:
    ItemPose own(int32_t i) const {
        const LaterItem& item = later_.items[i];
        ItemPose p;
        double v[kItemChannelCount];
        for (int32_t c = 0; c < kItemChannelCount; ++c) {
            v[c] = channelValue(item, c, seconds_);
        }
        p.position[0] = v[0];
        p.position[1] = v[1];
        p.position[2] = v[2];
        p.heading = v[3];
        p.pitch = v[4];
        p.bank = v[5];
        p.scale[0] = v[6];
        p.scale[1] = v[7];
        p.scale[2] = v[8];
        return p;
    }

    // The parent's frame as its children see it: its pivot moved to its origin first.
    Affine parentFrame(const LaterItem& item, const Affine& parent) const {
        const LaterItem& p = later_.items[item.parent];
        return multiply(translation(-p.pivot[0], -p.pivot[1], -p.pivot[2]), parent);
    }

    const Affine& unaimed(int32_t i) {
        if (unaimedState_[i] != State::Done) {
            const LaterItem& item = later_.items[i];
            Affine m = placementMatrix(own(i));
            if (item.parent >= 0) {
                m = multiply(m, parentFrame(item, unaimed(item.parent)));
            }
            unaimedMatrix_[i] = m;
            unaimedState_[i] = State::Done;
        }
        return unaimedMatrix_[i];
    }

    // The aimed placement of an item whose aiming is under way is not known yet: its
    // unaimed one stands in.
    const Affine& resolved(int32_t i) {
        return aimedState_[i] == State::InProgress ? unaimed(i) : aimed(i);
    }

    const Affine& aimed(int32_t i) {
        if (aimedState_[i] == State::Done) {
            return aimedMatrix_[i];
        }
        aimedState_[i] = State::InProgress;
        const LaterItem& item = later_.items[i];
        const ItemPose self = own(i);
        Affine m = placementMatrix(self);
        if (item.parent >= 0) {
            m = multiply(m, parentFrame(item, resolved(item.parent)));
        }
        if (item.target >= 0) {
            const Affine& target = resolved(item.target);
            ItemPose p = decompose(m, nullptr);
            const ItemPose& before = hasPrevious_[i] ? previous_[i] : self;
            p.heading = before.heading;
            p.pitch = before.pitch;
            p.bank = self.bank;
            const double from[3] = {m.m[3][0], m.m[3][1], m.m[3][2]};
            const double to[3] = {target.m[3][0], target.m[3][1], target.m[3][2]};
            aimAngles(from, to, p.heading, p.pitch);
            p.heading = nearestTurn(p.heading, before.heading);
            aimedPlacement_[i] = p;
            m = placementMatrix(p);
        }
        aimedMatrix_[i] = m;
        aimedState_[i] = State::Done;
        return aimedMatrix_[i];
    }

    const LaterScene& later_;
    double seconds_ = 0.0;
    State unaimedState_[kLaterItemCapacity] = {};
    State aimedState_[kLaterItemCapacity] = {};
    Affine unaimedMatrix_[kLaterItemCapacity];
    Affine aimedMatrix_[kLaterItemCapacity];
    ItemPose aimedPlacement_[kLaterItemCapacity];
    ItemPose previous_[kLaterItemCapacity];
    int32_t hasPrevious_[kLaterItemCapacity] = {};
};

enum class TrackKind { Motion, Dissolve, Intensity, Range, Flare, Ambient };

struct Track {
    TrackKind kind = TrackKind::Motion;
    int32_t item = -1; // index into LaterScene::items; -1 for the ambient light
    std::unique_ptr<KeyTrackBuilder> builder;
    Motion* motion = nullptr;
    Envelope* envelope = nullptr;
    float* value = nullptr;
    int32_t* isConstant = nullptr;
};

constexpr int32_t kMaxTracks = kSceneObjectCapacity * 2 + kSceneLightCapacity * 4 + 2;

struct Baking {
    Baking(const LaterScene& l, Scene& s, char* p, size_t n, int64_t maxKeys)
        : later(l), scene(s), problem(p), problemSize(n), budget{maxKeys} {}

    const LaterScene& later;
    Scene& scene;
    char* problem;
    size_t problemSize;
    KeyBudget budget;
    Track tracks[kMaxTracks];
    int32_t trackCount = 0;

    int32_t fail(const char* reason) {
        std::snprintf(problem, problemSize, "%s", reason);
        return 0;
    }
};

int32_t addTrack(Baking& b, TrackKind kind, int32_t item, int32_t channels) {
    Track& t = b.tracks[b.trackCount++];
    t.kind = kind;
    t.item = item;
    t.builder.reset(new (std::nothrow) KeyTrackBuilder(channels, b.budget));
    return t.builder != nullptr ? 1 : b.fail("out of memory for the scene's animation");
}

int32_t addMotion(Baking& b, int32_t item, Motion& motion) {
    if (!addTrack(b, TrackKind::Motion, item, kMotionChannelCount)) {
        return 0;
    }
    b.tracks[b.trackCount - 1].motion = &motion;
    return 1;
}

int32_t addEnvelope(Baking& b, TrackKind kind, int32_t item, Envelope& envelope, float& value,
                    int32_t& isConstant) {
    if (!addTrack(b, kind, item, 1)) {
        return 0;
    }
    Track& t = b.tracks[b.trackCount - 1];
    t.envelope = &envelope;
    t.value = &value;
    t.isConstant = &isConstant;
    return 1;
}

// Light types the player draws: distant and point; spots and the rest shine as points.
int32_t playerLightType(int32_t type) {
    return type == 0 ? 0 : 1;
}

int32_t planTracks(Baking& b) {
    Scene& scene = b.scene;
    int32_t cameraItem = -1;
    for (int32_t i = 0; i < b.later.itemCount; ++i) {
        const LaterItem& item = b.later.items[i];
        if (item.kind == LaterItemKind::Object) {
            SceneObject& object = scene.objects[scene.objectCount++];
            if (!addMotion(b, i, object.motion)) {
                return 0;
            }
            object.hasDissolve = item.hasDissolve;
            if (item.hasDissolve != 0 &&
                !addEnvelope(b, TrackKind::Dissolve, i, object.dissolveEnvelope, object.dissolve,
                             object.dissolveIsConstant)) {
                return 0;
            }
        } else if (item.kind == LaterItemKind::Light) {
            SceneLight& light = scene.lights[scene.lightCount++];
            light.lightType = playerLightType(item.lightType);
            for (int32_t c = 0; c < 3; ++c) {
                light.color[c] = static_cast<float>(item.color[c]);
            }
            light.lensFlare = item.lensFlare;
            light.range = -1.0f; // unlimited reach unless the light falls off linearly
            light.rangeSquared = 1.0f;
            if (!addMotion(b, i, light.motion) ||
                !addEnvelope(b, TrackKind::Intensity, i, light.intensityEnvelope, light.intensity,
                             light.intensityIsConstant) ||
                !addEnvelope(b, TrackKind::Flare, i, light.flareEnvelope, light.flareIntensity,
                             light.flareIsConstant)) {
                return 0;
            }
            if (item.falloffType == 1 && !addEnvelope(b, TrackKind::Range, i, light.rangeEnvelope,
                                                      light.range, light.rangeIsConstant)) {
                return 0;
            }
        } else if (item.kind == LaterItemKind::Camera && cameraItem < 0) {
            cameraItem = i;
            if (!addMotion(b, i, scene.camera.motion)) {
                return 0;
            }
        }
    }
    SceneCamera& camera = scene.camera;
    for (int32_t c = 0; c < 3; ++c) {
        camera.ambientColor[c] = static_cast<float>(b.later.ambientColor[c]);
    }
    return addEnvelope(b, TrackKind::Ambient, -1, camera.ambientEnvelope, camera.ambientIntensity,
                       camera.ambientIsConstant);
}

// The value an envelope track follows.
const AnimatedValue& trackedValue(const LaterScene& later, const Track& t) {
    if (t.kind == TrackKind::Ambient) {
        return later.ambientIntensity;
    }
    const LaterItem& item = later.items[t.item];
    switch (t.kind) {
    case TrackKind::Dissolve:
        return item.dissolve;
    case TrackKind::Intensity:
        return item.intensity;
    case TrackKind::Range:
        return item.range;
    default:
        return item.flareIntensity;
    }
}

void trackValues(const Baking& b, const Track& t, FrameItems& items, double seconds,
                 double (&out)[kMotionChannelCount]) {
    if (t.kind != TrackKind::Motion) {
        out[0] = animatedValue(trackedValue(b.later, t), seconds);
        return;
    }
    const ItemPose p = items.world(t.item);
    out[0] = p.position[0];
    out[1] = p.position[1];
    out[2] = p.position[2];
    out[3] = p.heading / kPlayerRadiansPerDegree;
    out[4] = p.pitch / kPlayerRadiansPerDegree;
    out[5] = p.bank / kPlayerRadiansPerDegree;
    out[6] = p.scale[0];
    out[7] = p.scale[1];
    out[8] = p.scale[2];
}

// Fitted keys must give what the frame-by-frame keys give at every played frame, to
// about the precision the player's records hold.
bool sameAtEveryFrame(const MotionKey* fitted, int32_t fittedCount, const KeyTrackBuilder& baked,
                      int32_t channels, int32_t lastFrame) {
    for (int32_t f = 0; f <= lastFrame; ++f) {
        double a[kMotionChannelCount];
        double e[kMotionChannelCount];
        evaluateEnvelope(fitted, fittedCount, f, channels, a);
        evaluateEnvelope(baked.keys(), baked.keyCount(), f, channels, e);
        for (int32_t c = 0; c < channels; ++c) {
            const double limit = 1.0e-6 * (std::fabs(e[c]) > 1.0 ? std::fabs(e[c]) : 1.0);
            if (!(std::fabs(a[c] - e[c]) <= limit)) {
                return false;
            }
        }
    }
    return true;
}

// The item's own keys as version-1 keys where they can be written so: an item with
// neither parent nor target, or an envelope.
void fitKeys(const Baking& b, Track& t) {
    const ChannelEnvelope* channels[kMotionChannelCount] = {};
    double constants[kMotionChannelCount] = {};
    double scales[kMotionChannelCount] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    int32_t count = 1;
    if (t.kind == TrackKind::Motion) {
        const LaterItem& item = b.later.items[t.item];
        if (item.parent >= 0 || item.target >= 0) {
            return;
        }
        count = kMotionChannelCount;
        for (int32_t c = 0; c < count; ++c) {
            channels[c] = &item.channels[c];
            constants[c] = channelValue(item, c, 0.0);
            scales[c] = c >= 3 && c < 6 ? 1.0 / kPlayerRadiansPerDegree : 1.0;
        }
    } else {
        const AnimatedValue& value = trackedValue(b.later, t);
        if (value.isEnveloped == 0) {
            return;
        }
        channels[0] = &value.envelope;
        constants[0] = value.value;
    }
    KeyTiming timing;
    timing.framesPerSecond = b.later.framesPerSecond;
    timing.origin = laterSceneOrigin(b.later);
    timing.lastFrame = b.scene.lastFrame;
    FittedKeys fitted;
    if (fitVersionOneKeys(channels, constants, scales, count, timing, fitted) &&
        fitted.keyCount < t.builder->keyCount() &&
        sameAtEveryFrame(fitted.keys.get(), fitted.keyCount, *t.builder, count, timing.lastFrame)) {
        t.builder->replaceKeys(std::move(fitted.keys), fitted.keyCount);
    }
}

void finishTracks(Baking& b) {
    for (int32_t i = 0; i < b.trackCount; ++i) {
        Track& t = b.tracks[i];
        fitKeys(b, t);
        if (t.motion != nullptr) {
            t.builder->finish(*t.motion);
        } else {
            t.builder->finish(*t.envelope, *t.value, *t.isConstant);
        }
    }
    for (int32_t i = 0; i < b.scene.lightCount; ++i) {
        SceneLight& light = b.scene.lights[i];
        if (light.range != -1.0f) {
            light.rangeSquared = light.range * light.range;
        }
    }
}

int32_t countItems(const LaterScene& later, LaterItemKind kind) {
    int32_t n = 0;
    for (int32_t i = 0; i < later.itemCount; ++i) {
        n += later.items[i].kind == kind ? 1 : 0;
    }
    return n;
}

float firstZoom(const LaterScene& later, double seconds) {
    for (int32_t i = 0; i < later.itemCount; ++i) {
        if (later.items[i].kind == LaterItemKind::Camera) {
            const double zoom = animatedValue(later.items[i].zoomFactor, seconds);
            if (zoom > 0.0 && zoom < 1.0e6) {
                return static_cast<float>(zoom);
            }
            break;
        }
    }
    return kDefaultZoomFactor;
}

} // namespace

int32_t laterSceneOrigin(const LaterScene& later) {
    return later.firstFrame < 0 ? later.firstFrame : 0;
}

int32_t bakeLaterScene(const LaterScene& later, Scene& scene, const BakeLimits& limits,
                       char* problem, size_t problemSize) {
    const auto baking = std::unique_ptr<Baking>(
        new (std::nothrow) Baking(later, scene, problem, problemSize, limits.maxKeys));
    const auto items = std::unique_ptr<FrameItems>(new (std::nothrow) FrameItems(later));
    if (baking == nullptr || items == nullptr) {
        std::snprintf(problem, problemSize, "out of memory for the scene's animation");
        return 0;
    }
    Baking& b = *baking;
    const int32_t objects = countItems(later, LaterItemKind::Object);
    const int32_t lights = countItems(later, LaterItemKind::Light);
    if (objects > kSceneObjectCapacity || lights > kSceneLightCapacity) {
        std::snprintf(problem, problemSize,
                      "%d objects and %d lights: the player has room for %d objects and %d "
                      "lights",
                      objects, lights, kSceneObjectCapacity, kSceneLightCapacity);
        return 0;
    }
    if (later.lastFrame < later.firstFrame) {
        std::snprintf(problem, problemSize, "LastFrame %d comes before FirstFrame %d",
                      later.lastFrame, later.firstFrame);
        return 0;
    }
    const int32_t origin = laterSceneOrigin(later);
    const int64_t frames = static_cast<int64_t>(later.lastFrame) - origin + 1;
    if (frames > limits.maxFrames) {
        std::snprintf(problem, problemSize, "frames %d to %d: at most %d frames are played", origin,
                      later.lastFrame, limits.maxFrames);
        return 0;
    }

    scene.firstFrame = later.firstFrame;
    scene.lastFrame = static_cast<int32_t>(frames - 1);
    scene.frameStep = later.frameStep;
    scene.framesPerSecond = static_cast<float>(later.framesPerSecond);
    scene.camera.zoomFactor = firstZoom(later, origin / later.framesPerSecond);
    scene.objectCount = 0;
    scene.lightCount = 0;
    if (!planTracks(b)) {
        return 0;
    }

    for (int32_t f = 0; f < frames; ++f) {
        const double seconds = (static_cast<double>(f) + origin) / later.framesPerSecond;
        items->start(seconds);
        for (int32_t i = 0; i < b.trackCount; ++i) {
            double values[kMotionChannelCount] = {};
            trackValues(b, b.tracks[i], *items, seconds, values);
            if (!b.tracks[i].builder->append(f, values)) {
                std::snprintf(problem, problemSize,
                              "the animation needs more than %lld keys (one per frame where "
                              "things move), or more memory than there is",
                              static_cast<long long>(limits.maxKeys));
                return 0;
            }
        }
    }
    finishTracks(b);
    return 1;
}
