// Scene: everything about one scene of the demo: frame range and rate, object, light
// and fire slots, the camera and the scene's own texture table.
//
// A Scene is built with its defaults (every slot record takes its own), filled once by
// load(), then animated and drawn by renderFrame() every frame while it plays. Slot
// arrays are used from index 0 up to their count. A Scene is large (texture table
// included, a few hundred kilobytes): allocate it on the heap.
#pragma once

#include <cstdint>

#include "fx/FireEmitter.h"
#include "player/SceneCamera.h"
#include "player/SceneLight.h"
#include "player/SceneObject.h"
#include "texture/TextureTable.h"

inline constexpr int32_t kSceneObjectCapacity = 60;
inline constexpr int32_t kSceneLightCapacity = 10;
inline constexpr int32_t kSceneFireCapacity = 10;

struct Scene {
    int32_t objectCount = 0;
    int32_t lightCount = 0;
    int32_t firstFrame = 0; // stored, not used: every scene plays from frame 0
    int32_t lastFrame = 0;  // the player ends the scene when the frame passes it
    int32_t frameStep = 0;  // stored, not used
    float framesPerSecond = 0.0f;
    int32_t flareTexture = 0; // index of "flare.3df" in textures
    int32_t fireCount = 0;
    SceneObject objects[kSceneObjectCapacity];
    FireEmitter fires[kSceneFireCapacity];
    SceneCamera camera;
    SceneLight lights[kSceneLightCapacity];
    TextureTable textures;

    int32_t load(const char* fileName); // 1 loaded, 0 failed (reason in error.txt)
    void renderFrame(float frame);
};
