// The frame driver: a fuzzed scene of valid objects and textures, loaded, started and
// drawn by the frame renderer on a small software device at frame 0 and a later frame.
#include <memory>

#include "FuzzContent.h"
#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"
#include "SceneInput.h"
#include "accel/SoftwareDevice.h"
#include "app/ProcessState.h"
#include "platform/Diagnostics.h"
#include "player/Scene.h"
#include "render/RenderCounters.h"

namespace {

// A small screen: every stage runs, few pixels are filled.
constexpr uint32_t kWidth = 64;
constexpr uint32_t kHeight = 48;
constexpr float kLaterFrame = 37.25f;

SoftwareDevice* device = nullptr; // see useProcessDevice

} // namespace

void prepareFrameInput() {
    setLoaderTraceStream(discardStream());
    writeSceneContent();
    demoSettings = DemoSettings{};
    demoSettings.screenWidth = kWidth;
    demoSettings.screenHeight = kHeight;
    SoftwareDeviceOptions options;
    options.width = static_cast<int32_t>(kWidth);
    options.height = static_cast<int32_t>(kHeight);
    useProcessDevice(device, options);
}

const char* runFrameInput(const uint8_t* data, size_t size) {
    const char* broken = nullptr;
    const std::unique_ptr<Scene> scene = loadFuzzedScene(data, size, broken);
    if (scene == nullptr) {
        return broken;
    }
    // As the player starts a scene: a clean surface state, the textures made resident.
    grClipWindow(0, 0, kWidth, kHeight);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_LESS);
    grDepthMask(FXTRUE);
    grDitherMode(GR_DITHER_2x2);
    scene->textures.reloadAll();
    for (const float frame : {0.0f, kLaterFrame}) {
        grBufferClear(0, 0, 0xFFFF);
        scene->renderFrame(frame);
        grBufferSwap(0);
        if (renderCounters.objectsDrawn > scene->objectCount) {
            return "more objects drawn than the scene holds";
        }
    }
    return nullptr;
}
