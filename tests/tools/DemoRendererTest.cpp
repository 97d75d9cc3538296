#include <gtest/gtest.h>

#include "ember/Commands.h"
#include "ember/DemoRenderer.h"
#include "support/ScratchDirectory.h"
#include "support/ScriptedScenes.h"

namespace {

// The whole-demo renderer with scripted scenes (they draw nothing; their frame numbers
// are recorded): frame counts, the virtual clock, ranges and failures.
class DemoRendererTest : public ScratchDirectoryTest {
protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        sceneScript.reset();
        for (ScriptedScene& scene : sceneScript.scenes) {
            scene.lastFrame = 30; // one second at 30 frames per second
        }
        options.directory = ".";
        options.output = "out.y4m";
        options.width = 64;
        options.height = 48;
        options.progress = false;
    }
    // Frames in the y4m file.
    int64_t framesWritten() {
        const std::string bytes = readFile("out.y4m");
        int64_t frames = 0;
        for (size_t at = bytes.find("FRAME\n"); at != std::string::npos;
             at = bytes.find("FRAME\n", at + 6 + 64 * 48 * 3)) {
            ++frames;
        }
        return frames;
    }

    DemoRenderOptions options;
};

TEST_F(DemoRendererTest, WholeDemoAdvancesExactlyOneFrameTimePerFrame) {
    options.fps = 30;
    renderDemo(options);
    // Each scene shows frames 0 .. 30 over one second (31 frames, the first one up to
    // 20 ms late because of the snapped start), then one cleared frame.
    ASSERT_FALSE(sceneScript.rendered.empty());
    EXPECT_EQ(sceneScript.rendered.front().first, 0);
    EXPECT_EQ(sceneScript.rendered.back().first, 4);
    const int64_t frames = framesWritten();
    EXPECT_EQ(frames, static_cast<int64_t>(sceneScript.rendered.size()) + 5);
    for (size_t i = 1; i < sceneScript.rendered.size(); ++i) {
        const auto& [scene, frame] = sceneScript.rendered[i];
        if (scene == sceneScript.rendered[i - 1].first) {
            EXPECT_NEAR(frame - sceneScript.rendered[i - 1].second, 1.0f, 0.04f) << i;
        }
    }
}

TEST_F(DemoRendererTest, RangeOfOutputFramesEndsTheDemoEarly) {
    options.firstFrame = 3;
    options.lastFrame = 7;
    renderDemo(options);
    EXPECT_EQ(framesWritten(), 5);
    EXPECT_EQ(sceneScript.rendered.size(), 8u); // nothing beyond the last frame is drawn
}

TEST_F(DemoRendererTest, OneSceneAlone) {
    options.scene = 3;
    renderDemo(options);
    EXPECT_EQ(sceneScript.loaded, std::vector<std::string>{"scenes\\office.lws"});
    for (const auto& [scene, frame] : sceneScript.rendered) {
        EXPECT_EQ(scene, 3);
    }
}

TEST_F(DemoRendererTest, LoopingNeedsAnEndAndThenPlaysOn) {
    options.loop = true;
    EXPECT_THROW(renderDemo(options), ToolError);
    options.lastFrame = 200; // beyond one pass of about 160 frames
    renderDemo(options);
    EXPECT_EQ(framesWritten(), 201);
    bool startedAgain = false;
    for (size_t i = 1; i < sceneScript.rendered.size(); ++i) {
        startedAgain |=
            sceneScript.rendered[i - 1].first == 4 && sceneScript.rendered[i].first == 0;
    }
    EXPECT_TRUE(startedAgain);
}

TEST_F(DemoRendererTest, SceneThatFailsToLoadIsAnErrorWithTheReaderLine) {
    sceneScript.scenes[2].loadResult = 0;
    sceneScript.scenes[2].failureMessage =
        "failed opening object: objects\\\\cube.lwo to, giving up";
    try {
        renderDemo(options);
        ADD_FAILURE() << "no error";
    } catch (const ToolError& error) {
        EXPECT_STREQ(error.what(),
                     "Error Loading scene: failed opening object: objects\\cube.lwo to, giving up");
    }
    EXPECT_EQ(listDirectory("."), std::vector<std::string>{}) << "nothing written";
}

TEST_F(DemoRendererTest, BadOptionsAreRefusedBeforeAnythingRuns) {
    options.fps = 0;
    EXPECT_THROW(renderDemo(options), ToolError);
    options.fps = 30;
    options.output = "out.avi";
    EXPECT_THROW(renderDemo(options), ToolError);
    options.output = "out.png"; // one frame only, but the demo has many
    EXPECT_THROW(renderDemo(options), ToolError);
    EXPECT_TRUE(sceneScript.loaded.empty() || fileExists("out.png"));
}

} // namespace
