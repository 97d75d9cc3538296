// bakeLaterScene: a later scene's animation turned into the player's version-1 records.
//
// The player's records and its evaluation stay as they are: every item's placement in
// the world (its parents' placements, their pivots, its own channels, its target) is
// worked out here at every whole frame of the scene and stored as version-1 keys that the
// player's evaluation gives back exactly at those frames (content/KeyTrackBuilder.h); so
// are the light, dissolve and ambient envelopes. Values that hold still stay constants.
//
// Frames: the player plays frames 0 to lastFrame. Frame f of the player is the scene's
// frame f + origin, at f + origin / FramesPerSecond seconds, where origin is FirstFrame
// when it is below 0 and 0 otherwise: frame numbers are the scene's own, and a scene
// that starts before frame 0 is played from its start.
//
// Units: angles become the player's degrees (radians divided by the player's own
// conversion constant, so that the player's conversion gives the radians back), positions
// stay metres, light colours fractions.
//
// Null items take no slot; objects fill scene.objects in the order of the object items,
// lights scene.lights; the first camera is the camera. Targets become baked heading and
// pitch (the item keeps its own bank); a light of type 2 (spot), 3 or 4 becomes a point
// light. The zoom factor is the value at the first frame.
#pragma once

#include <cstddef>
#include <cstdint>

struct LaterScene;
struct Scene;

inline constexpr int32_t kMaxBakedFrames = 108000; // an hour at 30 frames per second
inline constexpr int64_t kMaxBakedKeys = 2000000;  // about 200 MB of keys

struct BakeLimits {
    int32_t maxFrames = kMaxBakedFrames;
    int64_t maxKeys = kMaxBakedKeys;
};

// The player's frame count of a later scene and the scene frame its frame 0 shows.
int32_t laterSceneOrigin(const LaterScene& later);

// Fills `scene`'s frame range and rate, the motions and envelopes of its objects (whose
// meshes the caller has loaded into scene.objects, one per object item, in order), its
// lights, the camera and the ambient light. Returns 1, or 0 with a one-line reason
// (too many objects or lights, a frame range out of bounds, more keys than the limits
// allow, out of memory).
int32_t bakeLaterScene(const LaterScene& later, Scene& scene, const BakeLimits& limits,
                       char* problem, size_t problemSize);
