#include "ember/SceneConversion.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "accel/TextureLayout.h"
#include "accel/ThreeDfFile.h"
#include "accel/TraceDevice.h"
#include "anim/SceneReader.h"
#include "content/LaterSceneReader.h"
#include "content/TextureConverter.h"
#include "content/VersionOneSceneWriter.h"
#include "ember/Commands.h"
#include "ember/MeshExport.h"
#include "ember/SceneSession.h"
#include "player/Scene.h"
#include "player/SceneList.h"

namespace fs = std::filesystem;

namespace {

int32_t sceneVersion(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string word;
    int32_t version = 0;
    if (!(in >> word) || word != "LWSC" || !(in >> version)) {
        return -1;
    }
    return version;
}

// A soft white glow, bright in the middle: the lens flare every scene loads.
void writeFlare(const fs::path& path) {
    constexpr int32_t kSide = 64;
    RgbaImage image;
    image.allocate(kSide, kSide);
    for (int32_t y = 0; y < kSide; ++y) {
        for (int32_t x = 0; x < kSide; ++x) {
            const double dx = (x + 0.5) / kSide * 2.0 - 1.0;
            const double dy = (y + 0.5) / kSide * 2.0 - 1.0;
            const double r2 = dx * dx + dy * dy;
            const double glow =
                r2 >= 1.0 ? 0.0 : (std::exp(-r2 * 40.0) + 0.4 * std::exp(-r2 * 6.0)) * (1.0 - r2);
            const auto level = static_cast<uint8_t>(std::lround(std::fmin(glow, 1.0) * 255.0));
            uint8_t* p = &image.pixels[(static_cast<size_t>(y) * kSide + x) * 4];
            p[0] = p[1] = p[2] = p[3] = level;
        }
    }
    ThreeDfTexture texture;
    TextureConversion conversion;
    conversion.format = GR_TEXFMT_INTENSITY_8;
    conversion.mipMaps = true;
    char message[256];
    if (!convertImageToThreeDf(image, conversion, texture, message, sizeof(message)) ||
        !write3dfFile(path.c_str(), texture.info)) {
        throw ToolError("cannot write " + path.string());
    }
}

void writeObjects(const Scene& scene, const LaterObjectSource* sources, const fs::path& folder,
                  const std::string* textureNames, std::string* objectPaths) {
    std::set<std::string> taken;
    for (int32_t i = 0; i < scene.objectCount; ++i) {
        std::string base = plainName(fileStem(sources[i].path), "object");
        if (sources[i].layer > 0) {
            base += "-layer" + std::to_string(sources[i].layer);
        }
        const std::string name = uniqueName(base, taken);
        ExportedMesh exported;
        try {
            exported = exportMesh(scene.objects[i].mesh, textureNames);
        } catch (const ToolError& e) {
            throw ToolError(sources[i].path + ": " + e.what());
        }
        writeFileBytes(folder / (name + ".lwo"), exported.lwob);
        writeFileBytes(folder / (name + ".txc"), exported.textureCoordinates);
        objectPaths[i] = "objects\\" + name + ".lwo";
    }
}

// ---- Reading back ---------------------------------------------------------------------

std::string frameText(int32_t frame) {
    return " at frame " + std::to_string(frame);
}

bool samePlacement(const Motion& a, const Motion& b) {
    return a.position.x == b.position.x && a.position.y == b.position.y &&
           a.position.z == b.position.z && a.heading == b.heading && a.pitch == b.pitch &&
           a.bank == b.bank && a.scale.x == b.scale.x && a.scale.y == b.scale.y &&
           a.scale.z == b.scale.z;
}

bool nearly(float a, float b) {
    return std::fabs(a - b) <= 1.0e-6f * (std::fabs(b) > 1.0f ? std::fabs(b) : 1.0f);
}

// What differs between the scene as loaded and as read back; "" when nothing does.
std::string difference(Scene& a, Scene& b) {
    if (a.objectCount != b.objectCount || a.lightCount != b.lightCount ||
        a.lastFrame != b.lastFrame || a.framesPerSecond != b.framesPerSecond ||
        a.camera.zoomFactor != b.camera.zoomFactor) {
        return "the counts, frames or zoom";
    }
    for (int32_t i = 0; i < a.objectCount; ++i) {
        const std::string mesh = meshDifference(a.objects[i].mesh, b.objects[i].mesh);
        if (!mesh.empty()) {
            return "object " + std::to_string(i + 1) + ": " + mesh;
        }
    }
    for (int32_t i = 0; i < a.lightCount; ++i) {
        const SceneLight& p = a.lights[i];
        const SceneLight& q = b.lights[i];
        if (p.lightType != q.lightType || p.lensFlare != q.lensFlare ||
            !nearly(p.color[0], q.color[0]) || !nearly(p.color[1], q.color[1]) ||
            !nearly(p.color[2], q.color[2])) {
            return "light " + std::to_string(i + 1);
        }
    }
    for (int32_t f = 0; f <= a.lastFrame; ++f) {
        for (Scene* s : {&a, &b}) {
            for (int32_t i = 0; i < s->objectCount; ++i) {
                s->objects[i].motion.update(f);
                s->objects[i].updateEnvelopes(f);
            }
            for (int32_t i = 0; i < s->lightCount; ++i) {
                s->lights[i].motion.update(f);
                s->lights[i].updateEnvelopes(f);
            }
            s->camera.motion.update(f);
        }
        for (int32_t i = 0; i < a.objectCount; ++i) {
            if (!samePlacement(a.objects[i].motion, b.objects[i].motion) ||
                a.objects[i].dissolve != b.objects[i].dissolve) {
                return "object " + std::to_string(i + 1) + frameText(f);
            }
        }
        for (int32_t i = 0; i < a.lightCount; ++i) {
            const SceneLight& p = a.lights[i];
            const SceneLight& q = b.lights[i];
            if (!samePlacement(p.motion, q.motion) || p.intensity != q.intensity ||
                p.range != q.range || p.flareIntensity != q.flareIntensity) {
                return "light " + std::to_string(i + 1) + frameText(f);
            }
        }
        if (!samePlacement(a.camera.motion, b.camera.motion)) {
            return "the camera" + frameText(f);
        }
    }
    return "";
}

// Works in `directory` for the lifetime of the value, and comes back.
class WorkingIn {
public:
    explicit WorkingIn(const fs::path& directory) : previous_(fs::current_path()) {
        std::error_code error;
        fs::current_path(directory, error);
        if (error) {
            throw ToolError("cannot work in " + directory.string() + ": " + error.message());
        }
    }
    ~WorkingIn() {
        std::error_code error;
        fs::current_path(previous_, error);
    }

private:
    fs::path previous_;
};

void writeFolder(const fs::path& input, const fs::path& partial) {
    std::string root;
    std::string relative;
    splitSceneFile(input.string(), &root, &relative);
    auto scene = std::make_unique<Scene>();
    auto sources = std::make_unique<LaterObjectSource[]>(kSceneObjectCapacity);
    auto textureNames = std::make_unique<std::string[]>(kTextureSlotCount);
    auto objectPaths = std::make_unique<std::string[]>(kSceneObjectCapacity);
    {
        const WorkingIn here(root);
        if (!readLaterSceneWithSources(*scene, relative.c_str(), sources.get())) {
            throw ToolError(lastSceneLoadMessage());
        }
    }
    for (const char* sub : {"scenes", "objects", "textures"}) {
        fs::create_directory(partial / sub);
    }
    std::set<std::string> taken{"flare"};
    for (int32_t i = 0; i < scene->objectCount; ++i) {
        exportTextures(scene->objects[i].mesh, scene->textures, partial / "textures", taken,
                       textureNames.get());
    }
    writeFlare(partial / "textures" / "flare.3df");
    writeObjects(*scene, sources.get(), partial / "objects", textureNames.get(), objectPaths.get());
    writeFileBytes(partial / "scenes" / "outdoor.lws",
                   writeVersionOneScene(*scene, objectPaths.get()));
    for (int32_t i = 1; i < kDemoSceneCount; ++i) {
        const std::string name = fs::path(std::string(kDemoSceneFiles[i]).substr(7)).string();
        writeFileBytes(partial / "scenes" / name,
                       "LWSC\n1\n\nFirstFrame 0\nLastFrame -1\nFramesPerSecond 30\n");
    }

    const WorkingIn there(partial);
    auto reread = std::make_unique<Scene>();
    if (!reread->load(kDemoSceneFiles[0])) {
        throw ToolError(std::string("the written scene does not read back: ") +
                        lastSceneLoadMessage());
    }
    const std::string differs = difference(*scene, *reread);
    if (!differs.empty()) {
        throw ToolError("the written scene reads back otherwise: " + differs);
    }
    std::error_code error;
    fs::remove(partial / "error.txt", error);
    std::printf("%s: %d objects, %d lights, frames 0 to %d\n", input.filename().c_str(),
                scene->objectCount, scene->lightCount, scene->lastFrame);
}

} // namespace

void convertScene(const std::string& sceneFile, const std::string& outputDirectory) {
    const fs::path input = fs::absolute(sceneFile);
    std::error_code error;
    if (!fs::is_regular_file(input, error)) {
        throw ToolError("no such scene file: " + sceneFile);
    }
    const int32_t version = sceneVersion(input);
    if (version == 1) {
        throw ToolError(sceneFile + " is a version-1 scene, which the player plays as it is "
                                    "(ember convert demo converts a folder's objects)");
    }
    if (version < 2 || version > 5) {
        throw ToolError(sceneFile + ": not a LightWave scene file of version 2 to 5");
    }
    const fs::path output = fs::absolute(outputDirectory).lexically_normal();
    if (fs::exists(output, error)) {
        throw ToolError(outputDirectory + " exists already: name a new folder");
    }
    const fs::path partial = output.parent_path() / ("." + output.filename().string() +
                                                     ".partial-" + std::to_string(getpid()));
    if (!fs::create_directory(partial, error)) {
        throw ToolError("cannot make a folder beside " + outputDirectory + ": " +
                        (error ? error.message() : "it exists"));
    }
    TraceDevice device; // headless: answers as a board with 4 MB of texture memory
    setAcceleratorDevice(&device);
    try {
        writeFolder(input, partial);
        fs::rename(partial, output);
    } catch (const ToolError&) {
        setAcceleratorDevice(nullptr);
        fs::remove_all(partial, error);
        throw;
    } catch (const std::exception& e) {
        setAcceleratorDevice(nullptr);
        fs::remove_all(partial, error);
        throw ToolError(e.what());
    }
    setAcceleratorDevice(nullptr);
}

void addConvertSceneCommand(CLI::App& app) {
    CLI::App* convert = nullptr;
    try {
        convert = app.get_subcommand("convert");
    } catch (const CLI::OptionNotFound&) {
        convert = app.add_subcommand("convert",
                                     "Turn real LightWave content into the files the player plays");
        convert->require_subcommand(1);
    }
    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    CLI::App* command = convert->add_subcommand(
        "scene", "Write a scene file of version 2 to 5 as a demo folder the player plays: the "
                 "scene as version 1, its objects as triangles, its pictures as 3DF");
    command->add_option("IN", paths->first, "Scene file (.lws, version 2 to 5)")->required();
    command->add_option("OUT_DIR", paths->second, "New folder for the demo")->required();
    command->callback([paths] { convertScene(paths->first, paths->second); });
}
