// The scene driver: a scene file through Scene::load, beside valid objects and
// textures; a scene that loads is animated at several frames.
#include <cmath>
#include <memory>

#include "FuzzContent.h"
#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"
#include "MeshPromises.h"
#include "SceneInput.h"
#include "anim/SceneAnimation.h"
#include "fx/FireSeeding.h"
#include "fx/RandomGenerator.h"
#include "platform/Diagnostics.h"
#include "player/Scene.h"

namespace {

constexpr char kSceneFile[] = "scenes/fuzz.lws";
constexpr char kScenePath[] = "scenes\\fuzz.lws";

bool hasKeys(const Envelope& envelope) {
    return envelope.keyCount == 0 || (envelope.keyCount > 0 && envelope.keys != nullptr);
}

bool hasKeys(const Motion& motion) {
    return motion.keyCount == 0 || (motion.keyCount > 0 && motion.keys != nullptr);
}

} // namespace

void prepareSceneInput() {
    setLoaderTraceStream(discardStream());
    writeSceneContent();
}

std::unique_ptr<Scene> loadFuzzedScene(const uint8_t* data, size_t size, const char*& broken) {
    broken = nullptr;
    writeWorkspaceFile(kSceneFile, data, size);
    removeWorkspaceFile("error.txt");
    resetRandomGenerator();
    auto scene = std::make_unique<Scene>();
    if (scene->load(kScenePath) == 0) {
        return nullptr;
    }
    broken = brokenScenePromise(*scene);
    return broken == nullptr ? std::move(scene) : nullptr;
}

const char* brokenScenePromise(const Scene& scene) {
    if (scene.objectCount < 0 || scene.objectCount > kSceneObjectCapacity || scene.lightCount < 0 ||
        scene.lightCount > kSceneLightCapacity || scene.fireCount < 0 ||
        scene.fireCount > kSceneFireCapacity) {
        return "a slot count outside its slots";
    }
    if (scene.camera.zoomFactor == 0.0f || !std::isfinite(scene.camera.zoomFactor)) {
        return "a zoom factor nothing can divide by";
    }
    for (int32_t i = 0; i < scene.objectCount; ++i) {
        const SceneObject& object = scene.objects[i];
        if (!hasKeys(object.motion) || !hasKeys(object.dissolveEnvelope) ||
            !hasKeys(object.morphEnvelope)) {
            return "an object's key count without its keys";
        }
        if (object.isMorphTarget == 0) {
            if (const char* broken = brokenMeshPromise(object, scene.textures)) {
                return broken;
            }
        }
        if (object.hasMorph == 1) {
            if (object.morphTarget < 0 || object.morphTarget >= scene.objectCount) {
                return "a morph target outside the objects";
            }
            if (object.isMorphTarget == 0 &&
                (object.morphChainLength < 2 || object.morphPositions == nullptr ||
                 object.morphNormals == nullptr)) {
                return "a morph chain head without its shapes";
            }
        }
    }
    for (int32_t i = 0; i < scene.lightCount; ++i) {
        const SceneLight& light = scene.lights[i];
        if (!hasKeys(light.motion) || !hasKeys(light.rangeEnvelope) ||
            !hasKeys(light.intensityEnvelope) || !hasKeys(light.flareEnvelope)) {
            return "a light's key count without its keys";
        }
    }
    for (int32_t i = 0; i < scene.fireCount; ++i) {
        const FireEmitter& fire = scene.fires[i];
        if (!hasKeys(fire.motion) || fire.particleCount < 0 || fire.particlesKept < 0 ||
            fire.particlesKept > kMaxKeptFireParticles || fire.particlesKept > fire.particleCount ||
            (fire.particlesKept > 0 && fire.particles == nullptr)) {
            return "a fire's counts without their arrays";
        }
    }
    if (!hasKeys(scene.camera.motion) || !hasKeys(scene.camera.ambientEnvelope)) {
        return "the camera's key count without its keys";
    }
    return nullptr;
}

const char* runSceneInput(const uint8_t* data, size_t size) {
    const char* broken = nullptr;
    const std::unique_ptr<Scene> scene = loadFuzzedScene(data, size, broken);
    if (scene == nullptr) {
        return broken;
    }
    const float last = static_cast<float>(scene->lastFrame);
    const float frames[] = {0.0f, 0.5f, 17.25f, last, last + 1000.5f, 1.0e9f, -3.0f};
    SceneView view;
    for (float frame : frames) {
        animateScene(*scene, frame, view);
    }
    return nullptr;
}
