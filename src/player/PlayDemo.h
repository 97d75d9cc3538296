// playDemo: the demo player. Opens the accelerator's full-screen surface, loads the five
// scenes of kDemoSceneFiles, then plays them one after the other on the tick clock until
// the last one ends (or forever when demoSettings.playLooped is 1), a key is typed or the
// window closed, or a scene fails to load ("Error Loading scene"). It shuts the
// accelerator down before it returns, and returns 1 when the demo played, 0 when a
// scene failed to load, so that the program can end with a status that says so.
//
// Reads demoSettings (screenWidth, screenHeight, swapInterval, playLooped) and
// appState.mainWindow; calls Scene::load, TextureTable::reloadAll, Scene::renderFrame,
// pumpMessages, the accelerator operations, GetTickCount and timeBeginPeriod /
// timeEndPeriod. Each scene's frame number is the milliseconds since its start times its
// framesPerSecond times 0.001; the start is snapped down to a multiple of 20 ms.
//
// playDemoWith adds what offline rendering needs: play one scene only, and learn the
// scenes' lengths once they are loaded.
#pragma once

#include <cstdint>

struct Scene;

struct DemoPlaybackOptions {
    int32_t onlyScene = -1; // 0..4: load and play that scene alone; -1: the whole demo
    // Called once every scene has loaded, before the first frame, with the five scenes
    // (those not loaded keep their defaults).
    void (*scenesLoaded)(void* context, const Scene* scenes) = nullptr;
    void* context = nullptr;
};

int32_t playDemo();
int32_t playDemoWith(const DemoPlaybackOptions& options);
