#include "ember/SceneSession.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "accel/Device.h"
#include "anim/SceneReader.h"
#include "ember/Commands.h"
#include "fx/RandomGenerator.h"
#include "player/Scene.h"
#include "player/SceneList.h"

namespace {

// Keeps nothing: every operation is dropped, but the queries that the texture table
// and the loaders make are answered by the device that was current, so that the
// table's bookkeeping comes out as it would on that device.
class QuietDevice : public AcceleratorDevice {
public:
    explicit QuietDevice(AcceleratorDevice& answers) : answers_(answers) {}
    FxBool grSstQueryHardware(GrHwConfiguration* hardware) override {
        return answers_.grSstQueryHardware(hardware);
    }
    FxU32 grTexMinAddress(GrChipID_t tmu) override { return answers_.grTexMinAddress(tmu); }
    FxU32 grTexMaxAddress(GrChipID_t tmu) override { return answers_.grTexMaxAddress(tmu); }
    FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info) override {
        return answers_.grTexTextureMemRequired(evenOdd, info);
    }

private:
    AcceleratorDevice& answers_;
};

// Enough for a scene of over ten minutes at 30 displayed frames per second.
constexpr int32_t kMaxPlayedFrames = 20000;

std::string loadFailure(const char* fileName) {
    const std::string reason = lastSceneLoadMessage();
    return std::string("Error Loading scene ") + fileName +
           (reason.empty() ? "" : ": " + displayText(reason));
}

} // namespace

std::string sceneIndexHelp() {
    std::string help = "Scene of the demo:";
    for (int32_t i = 0; i < kDemoSceneCount; ++i) {
        help += " " + std::to_string(i) + " " + kDemoSceneFiles[i];
        help += i + 1 < kDemoSceneCount ? "," : "";
    }
    return help;
}

SceneSession::SceneSession(const std::string& directory, int32_t sceneIndex, SceneSeeding seeding)
    : sceneIndex_(sceneIndex), seeding_(seeding) {
    if (sceneIndex < 0 || sceneIndex >= kDemoSceneCount) {
        throw ToolError("scene index " + std::to_string(sceneIndex) + " is not 0 to " +
                        std::to_string(kDemoSceneCount - 1));
    }
    std::error_code error;
    std::filesystem::current_path(directory, error);
    if (error) {
        throw ToolError("cannot work in " + directory + ": " + error.message());
    }
    scene_ = std::make_unique<Scene>();
}

SceneSession::~SceneSession() = default;

const char* SceneSession::fileName() const {
    return kDemoSceneFiles[sceneIndex_];
}

void SceneSession::load() {
    resetRandomGenerator();
    const int32_t firstLoaded = seeding_ == SceneSeeding::Alone ? sceneIndex_ : 0;
    for (int32_t i = firstLoaded; i < sceneIndex_; ++i) {
        const auto earlier = std::make_unique<Scene>();
        if (!earlier->load(kDemoSceneFiles[i])) {
            throw ToolError(loadFailure(kDemoSceneFiles[i]) + " (the scenes before " + fileName() +
                            " seed its fires; --alone loads it alone)");
        }
    }
    if (!scene_->load(fileName())) {
        throw ToolError(loadFailure(fileName()));
    }
}

void SceneSession::start() {
    scene_->textures.reloadAll();
}

void SceneSession::playUpTo(float frame, double displayRate) {
    if (!(displayRate > 0.0) || !(scene_->framesPerSecond > 0.0f)) {
        return;
    }
    AcceleratorDevice& device = currentAcceleratorDevice();
    QuietDevice quiet(device);
    setAcceleratorDevice(&quiet);
    for (int32_t k = 0; k < kMaxPlayedFrames; ++k) {
        const double milliseconds = std::floor(static_cast<double>(k) * 1000.0 / displayRate);
        const double shown = milliseconds * static_cast<double>(scene_->framesPerSecond) * 0.001;
        if (!(static_cast<float>(shown) < frame) ||
            static_cast<double>(scene_->lastFrame) < shown) {
            break; // reached the frame, or the player would have ended the scene
        }
        scene_->renderFrame(static_cast<float>(shown));
    }
    setAcceleratorDevice(&device);
}
