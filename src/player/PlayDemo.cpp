// The frame loop keeps the timing of the original player on purpose:
//   - the clock is the mean of five tick readings, so a reading that lands just before a
//     tick boundary does not make the frame number jitter by a whole millisecond;
//   - a scene's start time is snapped down to a multiple of 20 ms, so its first frame is
//     already up to 20 ms into the scene (frame 0 is not always drawn);
//   - a scene change draws nothing for one iteration: the cleared buffer is swapped, which
//     shows as one black frame between scenes.
// Tick counts are uint32 milliseconds that wrap; every difference is taken as unsigned
// 32-bit, and the five-reading mean is taken relative to the first reading so that it
// stays right across a wrap.
#include "player/PlayDemo.h"

#include <memory>
#include <new>

#include "accel/Accelerator.h"
#include "app/MainWindow.h"
#include "app/ProcessState.h"
#include "platform/Clock.h"
#include "platform/WindowSystem.h"
#include "player/Scene.h"
#include "player/SceneList.h"

namespace {

// The player's loop state.
struct DemoLoop {
    int32_t currentScene = 0;  // index into the scenes, 0..4
    int32_t scenesStarted = 0; // scenes started in this pass
    uint32_t sceneStartTick = 0;
    int32_t finished = 0;
    int32_t firstScene = 0; // the scene a pass starts with
    int32_t lastScene = kDemoSceneCount - 1;
};

GrScreenResolution_t resolutionForWidth(uint32_t width) {
    switch (width) {
    case 320:
        return GR_RESOLUTION_320x240;
    case 512:
        return GR_RESOLUTION_512x384;
    case 640:
        return GR_RESOLUTION_640x480;
    case 800:
        return GR_RESOLUTION_800x600;
    default:
        return GR_RESOLUTION_640x480;
    }
}

uint32_t meanOfFiveTicks() {
    const uint32_t first = GetTickCount();
    uint64_t sinceFirst = 0;
    for (int32_t i = 0; i < 4; ++i) {
        sinceFirst += static_cast<uint32_t>(GetTickCount() - first);
    }
    return first + static_cast<uint32_t>(sinceFirst / 5);
}

void reportLoadFailure() {
    currentWindowSystem().messageBox(appState.mainWindow, "Error Loading scene", "ERROR");
    grGlideShutdown();
}

void clearScreen() {
    grClipWindow(0, 0, demoSettings.screenWidth, demoSettings.screenHeight);
    grBufferClear(0, 0, 0xFFFF);
}

} // namespace

int32_t playDemo() {
    return playDemoWith(DemoPlaybackOptions{});
}

int32_t playDemoWith(const DemoPlaybackOptions& options) {
    DemoLoop loop;
    if (options.onlyScene >= 0 && options.onlyScene < kDemoSceneCount) {
        loop.firstScene = options.onlyScene;
        loop.lastScene = options.onlyScene;
    }
    loop.currentScene = loop.firstScene;
    loop.scenesStarted = loop.firstScene;

    // Built before anything else, owned for the whole run.
    std::unique_ptr<Scene[]> scenes(new (std::nothrow) Scene[kDemoSceneCount]);
    if (scenes == nullptr) {
        reportLoadFailure();
        return 0;
    }

    grSstSelect(0);
    grSstWinOpen(nullptr, resolutionForWidth(demoSettings.screenWidth), GR_REFRESH_60Hz,
                 GR_COLORFORMAT_ABGR, GR_ORIGIN_UPPER_LEFT, 2, 1);
    grClipWindow(0, 0, demoSettings.screenWidth, demoSettings.screenHeight);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_LESS);
    grDepthMask(FXTRUE);
    grBufferClear(0, 0, 0xFFFF);

    for (int32_t i = loop.firstScene; i <= loop.lastScene; ++i) {
        if (!scenes[i].load(kDemoSceneFiles[i])) {
            reportLoadFailure();
            return 0;
        }
    }

    if (options.scenesLoaded != nullptr) {
        options.scenesLoaded(options.context, scenes.get());
    }
    grDitherMode(GR_DITHER_2x2);
    timeBeginPeriod(1);

    if (!pumpMessages()) {
        for (;;) {
            if (loop.finished) {
                break;
            }
            clearScreen();
            while (grBufferNumPending() > 3) {
            }

            Scene& scene = scenes[loop.currentScene];
            if (loop.scenesStarted == loop.currentScene) {
                ++loop.scenesStarted;
                scene.textures.reloadAll();
                loop.sceneStartTick = GetTickCount() / 20 * 20;
            }

            const uint32_t now = meanOfFiveTicks();
            const double frame =
                static_cast<double>(static_cast<uint32_t>(now - loop.sceneStartTick)) *
                static_cast<double>(scene.framesPerSecond) * 0.001;

            if (static_cast<double>(scene.lastFrame) < frame) {
                ++loop.currentScene;
                if (loop.currentScene > loop.lastScene) {
                    if (demoSettings.playLooped == 0) {
                        loop.finished = 1;
                    } else {
                        loop.currentScene = loop.firstScene;
                        loop.scenesStarted = loop.firstScene;
                    }
                }
            } else {
                scene.renderFrame(static_cast<float>(frame));
            }

            grBufferSwap(demoSettings.swapInterval);
            if (pumpMessages()) {
                break;
            }
        }
    }

    timeEndPeriod(1);
    grGlideShutdown();
    return 1;
}
