#include "support/ScriptedScenes.h"

#include <cstring>

#include "accel/Accelerator.h"
#include "anim/SceneReader.h"
#include "player/Scene.h"
#include "player/SceneList.h"

SceneScript sceneScript;

namespace {

std::string lastMessage;

// Which demo scene a Scene record was loaded as.
std::vector<std::pair<const Scene*, int32_t>> sceneIndices;

int32_t indexOf(const Scene* scene) {
    for (const auto& [record, index] : sceneIndices) {
        if (record == scene) {
            return index;
        }
    }
    return -1;
}

} // namespace

const char* lastSceneLoadMessage() {
    return lastMessage.c_str();
}

int32_t Scene::load(const char* fileName) {
    sceneScript.loaded.emplace_back(fileName);
    lastMessage.clear();
    int32_t index = -1;
    for (int32_t i = 0; i < kDemoSceneCount; ++i) {
        if (std::strcmp(kDemoSceneFiles[i], fileName) == 0) {
            index = i;
        }
    }
    if (index < 0) {
        return 0;
    }
    std::erase_if(sceneIndices, [this](const auto& entry) { return entry.first == this; });
    sceneIndices.emplace_back(this, index);
    const ScriptedScene& script = sceneScript.scenes[index];
    lastFrame = script.lastFrame;
    framesPerSecond = script.framesPerSecond;
    for (const std::string& name : script.textures) {
        textures.loadTexture(name.c_str());
    }
    if (!script.loadResult) {
        lastMessage = script.failureMessage;
    }
    return script.loadResult;
}

void Scene::renderFrame(float frame) {
    const int32_t index = indexOf(this);
    sceneScript.rendered.emplace_back(index, frame);
    grConstantColorValue(kRenderMarker | static_cast<uint32_t>(index));
}
