// The later-scene driver: a scene file of version 2 to 5 through the reader of later
// scenes, beside the valid objects and textures of FuzzContent.h: first its text through
// the parser alone, then the file through Scene::load as the ember tool reads it (objects
// loaded, animation baked into version-1 keys); a scene that loads is animated at several
// frames and its baked tracks checked. Scenes of more than a thousand frames stop after
// the parser: baking runs the same code at every frame, and a mutated LastFrame of a
// hundred thousand made every such input cost a second, which left the fuzzer at a few
// inputs a second (the frame limit itself is a unit test's).
#include <cmath>
#include <memory>

#include "FuzzContent.h"
#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"
#include "SceneInput.h"
#include "anim/SceneAnimation.h"
#include "content/LaterSceneParser.h"
#include "content/LaterSceneReader.h"
#include "content/Lwo2Object.h"
#include "content/SceneBaking.h"
#include "platform/Diagnostics.h"
#include "player/ReaderExtensions.h"
#include "player/Scene.h"

namespace {

constexpr int64_t kMostFuzzedFrames = 1000;

// Baked keys run on in frames, and reach the scene's last frame, so the player's
// evaluation never wraps inside the frames it plays.
bool keysCoverTheScene(const MotionKey* keys, int32_t count, int32_t lastFrame) {
    if (count == 0) {
        return true;
    }
    for (int32_t k = 1; k < count; ++k) {
        if (keys[k].frame <= keys[k - 1].frame) {
            return false;
        }
    }
    return count >= 2 && keys[count - 1].frame >= lastFrame;
}

const char* brokenBakedPromise(const Scene& scene) {
    const auto covers = [&](const MotionKey* keys, int32_t count) {
        return keysCoverTheScene(keys, count, scene.lastFrame);
    };
    for (int32_t i = 0; i < scene.objectCount; ++i) {
        const SceneObject& o = scene.objects[i];
        if (!covers(o.motion.keys.get(), o.motion.keyCount) ||
            !covers(o.dissolveEnvelope.keys.get(), o.dissolveEnvelope.keyCount)) {
            return "an object's baked keys that do not cover the scene";
        }
    }
    for (int32_t i = 0; i < scene.lightCount; ++i) {
        const SceneLight& l = scene.lights[i];
        if (!covers(l.motion.keys.get(), l.motion.keyCount) ||
            !covers(l.intensityEnvelope.keys.get(), l.intensityEnvelope.keyCount) ||
            !covers(l.rangeEnvelope.keys.get(), l.rangeEnvelope.keyCount)) {
            return "a light's baked keys that do not cover the scene";
        }
    }
    const SceneCamera& c = scene.camera;
    if (!covers(c.motion.keys.get(), c.motion.keyCount) ||
        !covers(c.ambientEnvelope.keys.get(), c.ambientEnvelope.keyCount)) {
        return "the camera's baked keys that do not cover the scene";
    }
    return nullptr;
}

} // namespace

void prepareLaterSceneInput() {
    setLoaderTraceStream(discardStream());
    writeSceneContent();
}

const char* runLaterSceneInput(const uint8_t* data, size_t size) {
    const auto later = std::make_unique<LaterScene>();
    char problem[256];
    const int32_t parsed = parseLaterScene(reinterpret_cast<const char*>(data), size, *later,
                                           problem, sizeof(problem));
    if (parsed != 0 &&
        static_cast<int64_t>(later->lastFrame) - laterSceneOrigin(*later) + 1 > kMostFuzzedFrames) {
        return nullptr;
    }

    // As the ember tool reads it; the player's own reading is the scene driver's.
    ReaderExtensions& extensions = readerExtensions();
    const ReaderExtensions before = extensions;
    extensions.readLaterScene = &readLaterScene;
    extensions.readOtherObject = &readLwo2Object;
    const char* broken = nullptr;
    const std::unique_ptr<Scene> scene = loadFuzzedScene(data, size, broken);
    extensions = before;
    if (scene == nullptr) {
        return broken;
    }
    // A version-1 file is read by the player's own reader, which promises less.
    if (parsed != 0) {
        if ((broken = brokenBakedPromise(*scene)) != nullptr) {
            return broken;
        }
        if (scene->lastFrame < 0 || !(scene->framesPerSecond > 0.0f)) {
            return "a later scene without frames or rate";
        }
    }
    const float last = static_cast<float>(scene->lastFrame);
    const float frames[] = {0.0f, 0.5f, last * 0.5f, last};
    SceneView view;
    for (float frame : frames) {
        animateScene(*scene, frame, view);
    }
    return nullptr;
}
