// LaterScene: what a scene file of version 2 to 5 says, as read, before it is turned into
// the player's records.
//
// Filled by parseLaterScene (content/LaterSceneParser.h); read by the baking step
// (content/SceneBaking.h). Units are the file's, made uniform: times in seconds, angles
// in radians (version 2's degrees are converted), positions in metres, colours as
// fractions 0..1 (version 2's 0..255 are converted).
//
// Items are kept in file order. Objects and null objects share one numbering (0, 1, 2 ...
// over LoadObjectLayer, LoadObject and AddNullObject), lights and cameras have their own;
// an item's id is that number with its kind in the top four bits (1 object, 2 light,
// 3 camera), or the id the file gives after the keyword (version 4 and later).
#pragma once

#include <cstdint>
#include <memory>

#include "content/ChannelEnvelope.h"

inline constexpr int32_t kItemChannelCount = 9; // x, y, z, heading, pitch, bank, scale x, y, z
inline constexpr int32_t kLaterItemCapacity = 256;
inline constexpr int32_t kLaterPathCapacity = 1024; // bytes, terminator included

inline constexpr uint32_t kObjectItemType = 1;
inline constexpr uint32_t kLightItemType = 2;
inline constexpr uint32_t kCameraItemType = 3;
inline constexpr uint32_t kBoneItemType = 4;

inline uint32_t itemType(uint32_t id) {
    return id >> 28;
}

enum class LaterItemKind : int32_t { Object, Null, Light, Camera };

// A number that is either a constant or an envelope ("Keyword value" or
// "Keyword (envelope)" followed by an envelope block).
struct AnimatedValue {
    AnimatedValue() = default;
    explicit AnimatedValue(double constant) : value(constant) {}

    double value = 0.0;
    int32_t isEnveloped = 0;
    ChannelEnvelope envelope;
};

struct LaterItem {
    LaterItemKind kind = LaterItemKind::Object;
    uint32_t id = 0;
    char path[kLaterPathCapacity] = {}; // objects: the object file as written
    int32_t layer = 0;                  // LoadObjectLayer's 1-based layer; 0: the whole object
    int32_t line = 0;                   // where the item starts in the file, for messages

    // Channels as read; one that no motion gives stays empty and takes its default
    // (0, or 1 for the scales).
    ChannelEnvelope channels[kItemChannelCount];
    double pivot[3] = {};
    int32_t hasParent = 0;
    uint32_t parentId = 0;
    int32_t hasTarget = 0;
    uint32_t targetId = 0;
    // Resolved after reading: indices into LaterScene::items, -1 for none.
    int32_t parent = -1;
    int32_t target = -1;

    // Objects.
    int32_t hasDissolve = 0;
    AnimatedValue dissolve; // 0 opaque .. 1 invisible

    // Lights.
    int32_t lightType = 1; // 0 distant, 1 point, 2 spot, 3 linear, 4 area
    double color[3] = {1.0, 1.0, 1.0};
    AnimatedValue intensity{1.0};
    int32_t falloffType = 0; // 0 none; 1 linear to zero at the range; others: by distance
    AnimatedValue range{1.0};
    int32_t lensFlare = 0;
    AnimatedValue flareIntensity;

    // Cameras.
    AnimatedValue zoomFactor{3.2};
};

struct LaterScene {
    int32_t version = 0;
    int32_t firstFrame = 1;
    int32_t lastFrame = 60;
    int32_t frameStep = 1;
    double framesPerSecond = 30.0;
    double ambientColor[3] = {1.0, 1.0, 1.0};
    AnimatedValue ambientIntensity{0.05};

    std::unique_ptr<LaterItem[]> items; // kLaterItemCapacity
    int32_t itemCount = 0;
};

// The default channel value: 1 for the scales (channels 6 to 8), 0 for the rest.
inline double defaultChannelValue(int32_t channel) {
    return channel >= 6 ? 1.0 : 0.0;
}

inline double channelValue(const LaterItem& item, int32_t channel, double seconds) {
    const ChannelEnvelope& envelope = item.channels[channel];
    return envelope.keyCount > 0 ? evaluateChannelEnvelope(envelope, seconds)
                                 : defaultChannelValue(channel);
}

inline double animatedValue(const AnimatedValue& value, double seconds) {
    return value.isEnveloped != 0 && value.envelope.keyCount > 0
               ? evaluateChannelEnvelope(value.envelope, seconds)
               : value.value;
}
