#include <gtest/gtest.h>

#include <cmath>

#include "app/MainWindow.h"
#include "player/PlayDemo.h"
#include "support/HeadlessPlatform.h"
#include "support/ThreeDfBuilder.h"

namespace {

class FrameLoopTest : public HeadlessPlatformTest {
protected:
    void SetUp() override {
        HeadlessPlatformTest::SetUp();
        ASSERT_EQ(createMainWindow(nullptr), 1);
        trace.clear();
    }

    // Frames rendered for one scene, in order.
    std::vector<float> framesOf(int32_t scene) const {
        std::vector<float> frames;
        for (const auto& [index, frame] : sceneScript.rendered) {
            if (index == scene) {
                frames.push_back(frame);
            }
        }
        return frames;
    }

    // The frame loop as seen by the display: for every swap, the scene drawn into it
    // ('0'..'4') or '-' for a cleared frame.
    std::string swappedFrames() const {
        std::string frames;
        char drawn = '-';
        std::istringstream lines(trace.text());
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("grConstantColorValue(0x5ce0000", 0) == 0) {
                drawn = line[30];
            } else if (line.rfind("grBufferSwap", 0) == 0) {
                frames += drawn;
                drawn = '-';
            }
        }
        return frames;
    }
};

TEST_F(FrameLoopTest, SetsUpTheSurfaceLoadsEveryScene) {
    demoSettings.screenWidth = 512;
    demoSettings.screenHeight = 384;
    windows.typeCharacter(0, 'x'); // typed during loading: no frame is drawn
    playDemo();
    EXPECT_EQ(trace.text(), "grSstSelect(0)\n"
                            "grSstWinOpen(null, GR_RESOLUTION_512x384, GR_REFRESH_60Hz, "
                            "GR_COLORFORMAT_ABGR, GR_ORIGIN_UPPER_LEFT, 2, 1) = 0\n"
                            "grClipWindow(0, 0, 512, 384)\n"
                            "grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER)\n"
                            "grDepthBufferFunction(GR_CMP_LESS)\n"
                            "grDepthMask(FXTRUE)\n"
                            "grBufferClear(0x00000000, 0, 65535)\n"
                            "grDitherMode(GR_DITHER_2x2)\n"
                            "grGlideShutdown()\n");
    EXPECT_EQ(
        sceneScript.loaded,
        (std::vector<std::string>{"scenes\\outdoor.lws", "scenes\\temple.lws", "scenes\\future.lws",
                                  "scenes\\office.lws", "scenes\\theend.lws"}));
    EXPECT_TRUE(sceneScript.rendered.empty());
    EXPECT_EQ(clock.periodsInForce(), 0);
}

TEST_F(FrameLoopTest, ResolutionFollowsTheScreenWidthAlone) {
    const std::pair<uint32_t, const char*> cases[] = {{320, "GR_RESOLUTION_320x240"},
                                                      {640, "GR_RESOLUTION_640x480"},
                                                      {800, "GR_RESOLUTION_800x600"},
                                                      {1024, "GR_RESOLUTION_640x480"}};
    for (const auto& [width, resolution] : cases) {
        trace.clear();
        keyQueue.record('x');
        demoSettings.screenWidth = width;
        playDemo();
        EXPECT_NE(trace.text().find(resolution), std::string::npos) << width;
    }
}

TEST_F(FrameLoopTest, FrameNumberIsTimeSinceTheSnappedSceneStart) {
    clock.setMilliseconds(100013); // the scene starts at 100000, not 100013
    board.clockStepPerSwap = 10;
    sceneScript.scenes[0].lastFrame = 1;
    for (int32_t i = 1; i < 5; ++i) {
        sceneScript.scenes[i].loadResult = 1;
    }
    windows.typeCharacter(7, 'x');
    playDemo();
    const std::vector<float> frames = framesOf(0);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_FLOAT_EQ(frames[0], 0.39f); // 13 ms at 30 frames per second
    EXPECT_FLOAT_EQ(frames[1], 0.69f);
    EXPECT_FLOAT_EQ(frames[2], 0.99f);
    // 1.29 is past frame 1: a cleared frame, then scene 1 from its own snapped start.
    const std::vector<float> next = framesOf(1);
    ASSERT_FALSE(next.empty());
    EXPECT_FLOAT_EQ(next[0], 0.39f); // started at 100040, read at 100053
}

TEST_F(FrameLoopTest, SceneShowsItsLastFrameAndEndsAtTheFirstTimeAfterIt) {
    board.clockStepPerSwap = 100;
    sceneScript.scenes[0].lastFrame = 300;
    sceneScript.scenes[0].framesPerSecond = 30.0f;
    windows.typeCharacter(103, 'x');
    playDemo();
    const std::vector<float> frames = framesOf(0);
    ASSERT_EQ(frames.size(), 101u); // 0, 3, 6 ... 300
    EXPECT_FLOAT_EQ(frames.back(), 300.0f);
    ASSERT_EQ(sceneScript.rendered.size(), 102u);
    EXPECT_EQ(sceneScript.rendered[101].first, 1);
}

TEST_F(FrameLoopTest, ScenesFollowEachOtherWithOneClearedFrameBetween) {
    board.clockStepPerSwap = 40;
    for (ScriptedScene& scene : sceneScript.scenes) {
        scene.lastFrame = 2;
    }
    playDemo();
    // Each scene: frames 0.x .. 2 (the start is snapped, so the first frame is at 0 or 1.2
    // depending on the phase), then one cleared frame; the last one ends the demo.
    const std::string frames = swappedFrames();
    EXPECT_EQ(frames, "00-11-22-33-44-");
    EXPECT_EQ(windows.windowExists, 1);
    EXPECT_EQ(countCalls("grGlideShutdown"), 1);
    EXPECT_EQ(clock.periodsInForce(), 0);
}

TEST_F(FrameLoopTest, LoopingRestartsTheFirstSceneWithItsTexturesAndClock) {
    makeParents("textures/wood.3df");
    ASSERT_TRUE(ThreeDfBuilder::square(GR_TEXFMT_RGB_565, 8, 8).write("textures/wood.3df"));
    sceneScript.scenes[0].textures = {"wood"};
    demoSettings.playLooped = 1;
    board.clockStepPerSwap = 40;
    for (ScriptedScene& scene : sceneScript.scenes) {
        scene.lastFrame = 2;
    }
    windows.typeCharacter(18, 'x');
    playDemo();
    EXPECT_EQ(swappedFrames(), "00-11-22-33-44-00-");
    // One while loading, then one texture reload per scene start.
    EXPECT_EQ(countCalls("grTexMinAddress"), 1 + 6);
    EXPECT_EQ(countCalls("grTexDownloadMipMap"), 2);
    const std::vector<float> frames = framesOf(0);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_FLOAT_EQ(frames[2], frames[0]); // the clock restarted with the scene
}

TEST_F(FrameLoopTest, FailingFourthSceneStopsLoadingWithOneMessageBox) {
    sceneScript.scenes[3].loadResult = 0;
    playDemo();
    EXPECT_EQ(sceneScript.loaded.size(), 4u);
    EXPECT_EQ(windows.messageBoxes, std::vector<std::string>{"Error Loading scene"});
    EXPECT_EQ(countCalls("grGlideShutdown"), 1);
    EXPECT_EQ(countCalls("grBufferSwap"), 0);
    EXPECT_EQ(countCalls("grDitherMode"), 0);
}

TEST_F(FrameLoopTest, CloseRequestEndsTheDemoAtTheNextFrame) {
    board.clockStepPerSwap = 10;
    sceneScript.scenes[0].lastFrame = 1000;
    windows.requestClose(3);
    playDemo();
    EXPECT_EQ(sceneScript.rendered.size(), 3u);
    EXPECT_EQ(keyQueue.codes[0], 'q');
}

TEST_F(FrameLoopTest, FrameNumbersStayContinuousAcrossTheTickWrap) {
    clock.setMilliseconds(0xFFFFFFFFull - 30);
    clock.stepPerReading = 1000; // every reading one millisecond later
    sceneScript.scenes[0].lastFrame = 1000;
    sceneScript.scenes[0].framesPerSecond = 1000.0f; // one frame per millisecond
    windows.typeCharacter(12, 'x');
    playDemo();
    const std::vector<float> frames = framesOf(0);
    ASSERT_EQ(frames.size(), 12u);
    for (size_t i = 1; i < frames.size(); ++i) {
        EXPECT_GT(frames[i], frames[i - 1]);
        EXPECT_LT(frames[i] - frames[i - 1], 20.0f) << "frame " << i;
    }
}

TEST_F(FrameLoopTest, OneSceneAloneForOfflineRendering) {
    board.clockStepPerSwap = 40;
    sceneScript.scenes[2].lastFrame = 2;
    DemoPlaybackOptions options;
    options.onlyScene = 2;
    playDemoWith(options);
    EXPECT_EQ(sceneScript.loaded, std::vector<std::string>{"scenes\\future.lws"});
    EXPECT_EQ(swappedFrames(), "22-");
}

} // namespace
