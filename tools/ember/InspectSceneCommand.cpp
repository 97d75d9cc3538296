// ember inspect scene FILE [--frame F] [--json] [--root DIR]
//
// Loads a scene with the player's own reader (objects, textures, morph chains, fires),
// against a headless accelerator that answers as a board with 4 MB of texture memory,
// and prints the whole Scene record. JSON keys are the record's field names, in record
// order; floats are printed in their shortest form that reads back to the same float
// (non-finite values, which JSON cannot hold, as the strings "inf", "-inf", "nan").
// With --frame F the scene is first started as the player starts it (its textures
// downloaded from the bottom of texture memory) and brought to frame F by the per-frame
// update, and the camera's view of that frame is printed under "view"; each object's
// "transform" is then its placement in the world at that frame (object -> world).
// Each object also shows its "file": as its "LoadObject" line names it and the host
// file that was read. Schema: docs/inspect.md.
//
// Content paths inside a scene are relative to the content directory: --root, or by
// default the directory above FILE's "scenes" directory, or the working directory.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <strings.h>

#include "accel/TraceDevice.h"
#include "anim/SceneAnimation.h"
#include "anim/SceneReader.h"
#include "ember/Commands.h"
#include "ember/InspectOutput.h"
#include "platform/HostPath.h"
#include "player/Scene.h"
#include "render/ObjectRendering.h"

namespace {

using Json = InspectJson;
namespace fs = std::filesystem;

constexpr int32_t kShownParticles = 3;

struct InspectSceneOptions {
    std::string file;
    float frame = 0.0f;
    bool json = false;
    std::string root;
    CLI::Option* frameOption = nullptr;
};

Json number(float value) {
    return jsonNumber(value);
}

Json number(double value) {
    return jsonNumber(value);
}

Json numbers(const float* values, int32_t count) {
    return jsonNumbers(values, count);
}

Json numbers(const double* values, int32_t count) {
    Json list = Json::array();
    for (int32_t i = 0; i < count; ++i) {
        list.push_back(jsonNumber(values[i]));
    }
    return list;
}

Json vector3(const Vector3& v) {
    return Json::array({number(v.x), number(v.y), number(v.z)});
}

Json corners(const float (&box)[8][4]) {
    Json list = Json::array();
    for (const float* corner : box) {
        list.push_back(numbers(corner, 4));
    }
    return list;
}

Json keysJson(const MotionKey* keys, int32_t keyCount) {
    Json list = Json::array();
    for (int32_t k = 0; keys != nullptr && k < keyCount; ++k) {
        const MotionKey& key = keys[k];
        list.push_back(Json{{"values", numbers(key.values, kMotionChannelCount)},
                            {"tension", number(key.tension)},
                            {"continuity", number(key.continuity)},
                            {"bias", number(key.bias)},
                            {"linear", key.linear},
                            {"frame", key.frame}});
    }
    return list;
}

Json envelopeJson(const Envelope& e) {
    return Json{{"keys", keysJson(e.keys.get(), e.keyCount)}, {"keyCount", e.keyCount}};
}

Json motionJson(const Motion& m) {
    return Json{{"positionIsConstant", m.positionIsConstant},
                {"rotationIsConstant", m.rotationIsConstant},
                {"scaleIsConstant", m.scaleIsConstant},
                {"pitch", number(m.pitch)},
                {"heading", number(m.heading)},
                {"bank", number(m.bank)},
                {"viewPosition", vector3(m.viewPosition)},
                {"position", vector3(m.position)},
                {"scale", vector3(m.scale)},
                {"keys", keysJson(m.keys.get(), m.keyCount)},
                {"keyCount", m.keyCount}};
}

// The mesh in brief (ember inspect object shows a mesh in full).
Json meshJson(const Mesh& mesh) {
    Json names = Json::array();
    for (int32_t i = 0; mesh.surfaceNames != nullptr && i < mesh.surfaceCount; ++i) {
        names.push_back(mesh.surfaceNames[i]);
    }
    return Json{{"pointCount", mesh.pointCount},
                {"polygonCount", mesh.polygonCount},
                {"surfaceNames", names},
                {"surfaceCount", mesh.surfaceCount},
                {"anyReflective", mesh.anyReflective}};
}

// The object file as its "LoadObject" line names it and the host file that was read.
Json fileJson(const SceneObject& o) {
    if (o.fileName == nullptr) {
        return nullptr;
    }
    const std::string named = o.fileName.get();
    const std::string loaded = o.foundInObjectDirectory ? "objects\\\\" + named : named;
    char found[4096];
    resolveContentPath(loaded.c_str(), found, sizeof found);
    return Json{{"named", named}, {"found", fs::absolute(found).lexically_normal().string()}};
}

Json objectJson(const SceneObject& o) {
    return Json{{"file", fileJson(o)},
                {"motion", motionJson(o.motion)},
                {"transform", numbers(o.transform.m, 16)},
                {"normalTransform", numbers(o.normalTransform.m, 16)},
                {"boundingBox", corners(o.boundingBox)},
                {"viewBoundingBox", corners(o.viewBoundingBox)},
                {"boxClipFlags", o.boxClipFlags},
                {"isCulled", o.isCulled},
                {"mesh", meshJson(o.mesh)},
                {"hasMorph", o.hasMorph},
                {"morphMode", o.morphMode},
                {"morphIsConstant", o.morphIsConstant},
                {"morphTarget", o.morphTarget},
                {"isMorphTarget", o.isMorphTarget},
                {"hasDissolve", o.hasDissolve},
                {"dissolveIsConstant", o.dissolveIsConstant},
                {"dissolve", number(o.dissolve)},
                {"dissolveEnvelope", envelopeJson(o.dissolveEnvelope)},
                {"morphAmount", number(o.morphAmount)},
                {"morphEnvelope", envelopeJson(o.morphEnvelope)},
                {"morphChainLength", o.morphChainLength}};
}

Json particleJson(const FireParticle& p) {
    return Json{{"offset", numbers(p.offset, 3)},
                {"position", numbers(p.position, 3)},
                {"viewPosition", numbers(p.viewPosition, 3)},
                {"velocity", numbers(p.velocity, 3)},
                {"jitter", numbers(p.jitter, 3)},
                {"startColor", numbers(p.startColor, 3)},
                {"color", numbers(p.color, 3)},
                {"colorRate", numbers(p.colorRate, 3)},
                {"startSize", number(p.startSize)},
                {"size", number(p.size)},
                {"sizeRate", number(p.sizeRate)},
                {"startAlpha", number(p.startAlpha)},
                {"alpha", number(p.alpha)},
                {"alphaRate", number(p.alphaRate)},
                {"life", number(p.life)},
                {"age", number(p.age)},
                {"isDead", p.isDead}};
}

Json fireJson(const FireEmitter& f) {
    Json particles = Json::array();
    for (int32_t i = 0; f.particles != nullptr && i < f.particleCount && i < kShownParticles; ++i) {
        particles.push_back(particleJson(f.particles[i]));
    }
    return Json{{"motion", motionJson(f.motion)},
                {"fireMode", f.fireMode},
                {"width", number(f.width)},
                {"height", number(f.height)},
                {"lastUpdateFrame", number(f.lastUpdateFrame)},
                {"startFrame", number(f.startFrame)},
                {"endFrame", number(f.endFrame)},
                {"baseDirection", numbers(f.baseDirection, 3)},
                {"particles", particles}, // the first few of particleCount
                {"particleCount", f.particleCount},
                {"texture", f.texture},
                {"fadeTime", f.fadeTime},
                {"color", numbers(f.color, 3)},
                {"colorFade", numbers(f.colorFade, 3)}};
}

Json cameraJson(const SceneCamera& c) {
    return Json{{"motion", motionJson(c.motion)},
                {"targetObject", c.targetObject},
                {"hasTargetObject", c.hasTargetObject},
                {"ambientIsConstant", c.ambientIsConstant},
                {"zoomFactor", number(c.zoomFactor)},
                {"ambientColor", numbers(c.ambientColor, 3)},
                {"ambientIntensity", number(c.ambientIntensity)},
                {"ambientEnvelope", envelopeJson(c.ambientEnvelope)}};
}

Json lightJson(const SceneLight& l) {
    return Json{{"motion", motionJson(l.motion)},
                {"color", numbers(l.color, 3)},
                {"lightType", l.lightType},
                {"lensFlare", l.lensFlare},
                {"intensityIsConstant", l.intensityIsConstant},
                {"rangeIsConstant", l.rangeIsConstant},
                {"flareIsConstant", l.flareIsConstant},
                {"flareIntensity", number(l.flareIntensity)},
                {"range", number(l.range)},
                {"rangeSquared", number(l.rangeSquared)},
                {"intensity", number(l.intensity)},
                {"intensityEnvelope", envelopeJson(l.intensityEnvelope)},
                {"rangeEnvelope", envelopeJson(l.rangeEnvelope)},
                {"flareEnvelope", envelopeJson(l.flareEnvelope)},
                {"viewDirection", numbers(l.viewDirection, 4)}};
}

Json texturesJson(const TextureTable& t) {
    Json slots = Json::array();
    for (int32_t i = 0; i < t.count; ++i) {
        const TextureSlot& s = t.slots[i];
        slots.push_back(Json{{"info", Json{{"smallLod", s.info.smallLod},
                                           {"largeLod", s.info.largeLod},
                                           {"aspectRatio", s.info.aspectRatio},
                                           {"format", s.info.format}}},
                             {"isDownloaded", s.isDownloaded},
                             {"memoryRequired", s.memoryRequired},
                             {"path", s.path},
                             {"startAddress", s.startAddress},
                             {"isLoaded", s.isLoaded() ? 1 : 0}});
    }
    return Json{{"slots", slots},
                {"count", t.count},
                {"memoryNext", t.memoryNext},
                {"nccToggle", t.nccToggle},
                {"memoryFullReported", t.memoryFullReported}};
}

Json planesJson(const FrustumPlanes& p) {
    Json planes = Json::array();
    for (int32_t j = 0; j < p.count && j < kFrustumPlaneCapacity; ++j) {
        planes.push_back(numbers(p.planes[j], 4)); // d, normal x, y, z
    }
    return Json{{"planes", planes}, {"count", p.count}};
}

Json sceneJson(const Scene& s) {
    Json objects = Json::array();
    for (int32_t i = 0; i < s.objectCount && i < kSceneObjectCapacity; ++i) {
        objects.push_back(objectJson(s.objects[i]));
    }
    Json fires = Json::array();
    for (int32_t i = 0; i < s.fireCount && i < kSceneFireCapacity; ++i) {
        fires.push_back(fireJson(s.fires[i]));
    }
    Json lights = Json::array();
    for (int32_t i = 0; i < s.lightCount && i < kSceneLightCapacity; ++i) {
        lights.push_back(lightJson(s.lights[i]));
    }
    return Json{{"objectCount", s.objectCount},
                {"lightCount", s.lightCount},
                {"firstFrame", s.firstFrame},
                {"lastFrame", s.lastFrame},
                {"frameStep", s.frameStep},
                {"framesPerSecond", number(s.framesPerSecond)},
                {"flareTexture", s.flareTexture},
                {"fireCount", s.fireCount},
                {"objects", objects},
                {"fires", fires},
                {"camera", cameraJson(s.camera)},
                {"lights", lights},
                {"textures", texturesJson(s.textures)}};
}

Json viewJson(float frame, const SceneView& v) {
    return Json{{"frame", number(frame)},
                {"viewRotation", numbers(v.viewRotation.m, 16)},
                {"cameraPosition", vector3(v.cameraPosition)},
                {"worldPlanes", planesJson(v.worldPlanes)},
                {"cameraPlanes", planesJson(v.cameraPlanes)},
                {"zoomFactor", number(v.zoomFactor)}};
}

// The content directory: the parent of FILE's "scenes" directory, else the working one.
fs::path contentRoot(const fs::path& file) {
    const fs::path directory = fs::absolute(file).parent_path();
    if (strcasecmp(directory.filename().c_str(), "scenes") == 0) {
        return directory.parent_path();
    }
    return fs::current_path();
}

void inspectScene(const InspectSceneOptions& options) {
    const fs::path file = fs::absolute(options.file);
    std::error_code error;
    if (!fs::is_regular_file(file, error)) {
        throw ToolError("no such scene file: " + options.file);
    }
    const fs::path root = options.root.empty() ? contentRoot(file) : fs::absolute(options.root);
    if (chdir(root.c_str()) != 0) {
        throw ToolError("cannot work in the content directory " + root.string());
    }
    const fs::path relative = file.lexically_relative(root);
    const std::string scenePath =
        relative.empty() || *relative.begin() == ".." ? file.string() : relative.string();

    TraceDevice device; // headless: answers as one board with 4 MB of texture memory
    setAcceleratorDevice(&device);
    const auto scene = std::make_unique<Scene>();
    const int32_t loaded = scene->load(scenePath.c_str());
    if (!loaded) {
        setAcceleratorDevice(nullptr);
        std::string message = lastSceneLoadMessage();
        if (message.empty()) {
            message = scenePath + ": a light keyword outside a light ended the load (the player "
                                  "writes no message)";
        }
        throw ToolError(displayText(message));
    }
    Json out = sceneJson(*scene);
    if (options.frameOption->count() > 0) {
        scene->textures.reloadAll(); // as the player starts the scene
        SceneView view;
        animateScene(*scene, options.frame, view);
        for (int32_t i = 0; i < scene->objectCount; ++i) {
            placeObjectInWorld(scene->objects[i]); // transform: object -> world at the frame
        }
        out = sceneJson(*scene);
        out["view"] = viewJson(options.frame, view);
    }
    setAcceleratorDevice(nullptr);

    std::string text;
    if (options.json) {
        text = out.dump(2) + "\n";
    } else {
        appendTreeText(out, "", text);
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
}

} // namespace

void addInspectSceneCommand(CLI::App& inspect) {
    auto options = std::make_shared<InspectSceneOptions>();
    CLI::App* command = inspect.add_subcommand(
        "scene", "Load a scene file (.lws) with its objects and textures and print the Scene "
                 "record");
    command->add_option("FILE", options->file, "The scene file")->required();
    options->frameOption = command->add_option(
        "--frame", options->frame,
        "Start the scene and animate it to this frame first (frames from the scene's start)");
    command->add_flag("--json", options->json, "Print JSON (keys are the record's field names)");
    command->add_option("--root", options->root,
                        "Content directory the scene's paths are relative to (default: the "
                        "directory above FILE's scenes directory, else the working directory)");
    command->callback([options] { inspectScene(*options); });
}
