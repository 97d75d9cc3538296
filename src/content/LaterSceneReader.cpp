#include "content/LaterSceneReader.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "anim/SceneReader.h"
#include "content/LaterScene.h"
#include "content/LaterSceneParser.h"
#include "content/Lwo2Object.h"
#include "content/SceneBaking.h"
#include "object/MeshPreparation.h"
#include "platform/Diagnostics.h"
#include "platform/HostPath.h"
#include "player/Scene.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// The whole file, or nullptr with the reason in `problem`.
std::unique_ptr<char[]> readWholeFile(const char* fileName, size_t& size, std::string& problem) {
    const File file(openContentFile(fileName));
    if (file == nullptr) {
        problem = "cannot be opened";
        return nullptr;
    }
    std::fseek(file.get(), 0, SEEK_END);
    const long length = std::ftell(file.get());
    std::fseek(file.get(), 0, SEEK_SET);
    if (length < 0 || length > kMaxLaterSceneBytes) {
        problem = "a scene file of more than 64 MB";
        return nullptr;
    }
    std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(length) + 1]);
    if (text == nullptr) {
        problem = "out of memory reading the scene file";
        return nullptr;
    }
    size = std::fread(text.get(), 1, static_cast<size_t>(length), file.get());
    text[size] = '\0';
    return text;
}

// The directory part of a content path, separator included ("" when there is none).
std::string directoryOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string baseNameOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool exists(const std::string& contentPath) {
    const File file(openContentFile(contentPath.c_str()));
    return file != nullptr;
}

// The first of the places an object may be that holds a file; "" when none does.
std::string findObjectFile(const char* sceneFile, const char* written) {
    const std::string path = written;
    const std::string sceneDirectory = directoryOf(sceneFile);
    const std::string base = baseNameOf(path);
    const std::string candidates[] = {
        path, sceneDirectory + path, "objects\\" + path, sceneDirectory + base, "objects\\" + base,
    };
    for (const std::string& candidate : candidates) {
        if (exists(candidate)) {
            return candidate;
        }
    }
    return std::string();
}

// Moves every point by -pivot: the item turns about its pivot.
void applyPivot(SceneObject& object, const double (&pivot)[3]) {
    if (pivot[0] == 0.0 && pivot[1] == 0.0 && pivot[2] == 0.0) {
        return;
    }
    for (int32_t i = 0; i < object.mesh.pointCount; ++i) {
        float* p = object.mesh.points[i].position;
        for (int32_t c = 0; c < 3; ++c) {
            p[c] = static_cast<float>(p[c] - pivot[c]);
        }
    }
    computeBoundingBox(object.mesh, object.boundingBox);
}

int32_t loadObjects(const LaterScene& later, Scene& scene, const char* fileName,
                    LaterObjectSource* sources, std::string& problem) {
    int32_t slot = 0;
    for (int32_t i = 0; i < later.itemCount; ++i) {
        const LaterItem& item = later.items[i];
        if (item.kind != LaterItemKind::Object) {
            continue;
        }
        if (slot >= kSceneObjectCapacity) {
            return 1; // the baking refuses the scene and says why
        }
        SceneObject& object = scene.objects[slot++];
        const std::string path = findObjectFile(fileName, item.path);
        if (path.empty()) {
            problem = std::string("failed opening object: ") + item.path +
                      " (not found as written, beside the scene or under objects\\)";
            return 0;
        }
        clearLastRefusal();
        // LoadObjectLayer L names the layer numbered L - 1; LoadObject the whole object.
        const int32_t loaded =
            item.layer > 0
                ? loadLwo2ObjectLayer(object, scene.textures, path.c_str(), item.layer - 1, nullptr)
                : object.loadObject(scene.textures, path.c_str());
        if (!loaded) {
            const char* reason = lastRefusal();
            problem = reason[0] != '\0' ? std::string(reason) : "unusable object file " + path;
            return 0;
        }
        object.rememberFileName(path.c_str()); // where it was found, for inspect
        applyPivot(object, item.pivot);
        if (sources != nullptr) {
            sources[slot - 1].path = path;
            sources[slot - 1].layer = item.layer;
        }
    }
    return 1;
}

bool anyLensFlare(const Scene& scene) {
    for (int32_t i = 0; i < scene.lightCount; ++i) {
        if (scene.lights[i].lensFlare != 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int32_t readLaterScene(Scene& scene, const char* fileName, int32_t /*version*/) {
    return readLaterSceneWithSources(scene, fileName, nullptr);
}

int32_t readLaterSceneWithSources(Scene& scene, const char* fileName, LaterObjectSource* sources) {
    std::string problem;
    size_t size = 0;
    const std::unique_ptr<char[]> text = readWholeFile(fileName, size, problem);
    if (text == nullptr) {
        reportSceneLoadFailure(problem.c_str(), fileName);
        return 0;
    }
    const auto later = std::unique_ptr<LaterScene>(new (std::nothrow) LaterScene);
    if (later == nullptr) {
        reportSceneLoadFailure("out of memory reading the scene", fileName);
        return 0;
    }
    char reason[512];
    if (!parseLaterScene(text.get(), size, *later, reason, sizeof(reason))) {
        reportSceneLoadFailure(reason, fileName);
        return 0;
    }
    if (!loadObjects(*later, scene, fileName, sources, problem)) {
        reportSceneLoadFailure(problem.c_str(), fileName);
        return 0;
    }
    if (!bakeLaterScene(*later, scene, BakeLimits{}, reason, sizeof(reason))) {
        reportSceneLoadFailure(reason, fileName);
        return 0;
    }
    if (anyLensFlare(scene)) {
        scene.flareTexture = scene.textures.loadTexture("flare.3df");
    }
    return 1;
}
