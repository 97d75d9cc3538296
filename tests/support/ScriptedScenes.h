// Stand-ins for the scene operations the player calls (Scene::load, Scene::renderFrame),
// for tests of start-up and the frame loop that need no scene files.
//
// Link tests/support/ScriptedScenes.cpp instead of the scene reader and the renderer.
// Describe each of the five demo scenes in `sceneScript` (by index in kDemoSceneFiles);
// load() then takes those values, loads the scene's textures (real 3DF files the test
// has written) and records the file name (a failing one leaves its `failureMessage` for
// lastSceneLoadMessage()); renderFrame() records (scene index, frame)
// and leaves a marker in an accelerator trace: grConstantColorValue(0x5ce000<index>).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ScriptedScene {
    int32_t loadResult = 1;
    std::string failureMessage; // what lastSceneLoadMessage() says after a failed load
    int32_t lastFrame = 30;
    float framesPerSecond = 30.0f;
    std::vector<std::string> textures; // content names passed to loadTexture
};

struct SceneScript {
    ScriptedScene scenes[5];
    std::vector<std::string> loaded;                 // file names, in load order
    std::vector<std::pair<int32_t, float>> rendered; // (scene index, frame), in order

    void reset() { *this = SceneScript{}; }
};

extern SceneScript sceneScript;

inline constexpr uint32_t kRenderMarker = 0x5ce00000;
