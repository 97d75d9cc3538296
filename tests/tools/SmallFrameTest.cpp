// Every frame size from 1 x 1 to 16 x 16, through the real renderer: a rendered PNG and
// y4m frame (the drawn 4:3 field centred in the frame) and the player at that rendering
// size on the headless platform. Run under the sanitizers, this is where a field larger
// than its frame would write outside the picture.
#include <gtest/gtest.h>

#include "app/DesktopPlayer.h"
#include "app/ProcessState.h"
#include "app/SettingsDialog.h"
#include "content/PngFile.h"
#include "ember/DemoRenderer.h"
#include "platform/Diagnostics.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/ScriptedCdDevice.h"
#include "platform/headless/VirtualClock.h"
#include "support/ScratchDirectory.h"
#include "support/TestDemo.h"

namespace {

class SmallFrameTest : public ScratchDirectoryTest {
protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        ASSERT_TRUE(test_demo::writeTestDemo(".", 2, false));
        setLoaderTraceStream(nullptr);
    }
    void TearDown() override {
        usePlayerDiagnostics();
        ScratchDirectoryTest::TearDown();
    }

    void renderOneFrame(uint32_t width, uint32_t height, const std::string& output) {
        DemoRenderOptions options;
        options.output = output;
        options.width = width;
        options.height = height;
        options.scene = 0;
        options.firstFrame = 0;
        options.lastFrame = 0;
        options.progress = false;
        renderDemo(options);
    }

    // The player's frames as `ember play --size WxH` makes them, headless: OK in the
    // dialog, one frame, then the window closes.
    int32_t playOneFrame(uint32_t width, uint32_t height) {
        HeadlessWindowSystem windows;
        windows.echoMessageBoxes = 0;
        windows.dialogActions = {{DialogAction::Enter, 0, ""}};
        windows.requestClose(1);
        ScriptedCdDevice cd;
        VirtualClock clock(1000);
        demoSettings = DemoSettings{};
        appState = AppState{};
        keyQueue = KeyQueue{};
        DesktopPlayerOptions options;
        options.width = width;
        options.height = height;
        testing::internal::CaptureStdout(); // "Exiting winMain()"
        const int32_t status = runWindowedPlayer(windows, cd, clock, options, nullptr);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(windows.framesPresented, 1) << width << "x" << height;
        return status;
    }
};

TEST_F(SmallFrameTest, EverySizeFromOnePixelUpRendersAndPlays) {
    for (uint32_t width = 1; width <= 16; ++width) {
        for (uint32_t height = 1; height <= 16; ++height) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            renderOneFrame(width, height, "f.png");
            RgbaImage image;
            char message[256];
            ASSERT_EQ(readPngFile("f.png", image, message, sizeof message), 1) << message;
            EXPECT_EQ(image.width, static_cast<int32_t>(width));
            EXPECT_EQ(image.height, static_cast<int32_t>(height));

            renderOneFrame(width, height, "f.y4m");
            const size_t header = ("YUV4MPEG2 W" + std::to_string(width) + " H" +
                                   std::to_string(height) + " F30:1 Ip A1:1 C444\nFRAME\n")
                                      .size();
            EXPECT_EQ(readFile("f.y4m").size(), header + width * height * 3);

            EXPECT_EQ(playOneFrame(width, height), 0);
        }
    }
}

} // namespace
