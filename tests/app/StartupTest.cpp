#include <gtest/gtest.h>

#include "app/WinMain.h"
#include "support/HeadlessPlatform.h"

namespace {

class StartupTest : public HeadlessPlatformTest {
protected:
    void SetUp() override {
        HeadlessPlatformTest::SetUp();
        // Short scenes and a clock that moves, so that an accepted dialog plays to the end.
        for (ScriptedScene& scene : sceneScript.scenes) {
            scene.lastFrame = 2;
        }
        board.clockStepPerSwap = 40;
    }

    // Runs the program and returns what it wrote on standard output.
    std::string runProgram(int32_t exitStatus = 0) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(WinMain(nullptr, nullptr, "--any arguments", 0), exitStatus);
        return testing::internal::GetCapturedStdout();
    }

    void acceptWithTrack(const std::string& track) {
        windows.dialogActions = {{DialogAction::Click, kCdAudio, ""},
                                 {DialogAction::SetText, kTrack, track},
                                 {DialogAction::Enter, 0, ""}};
    }

    static constexpr int32_t kCdAudio = 1001;
    static constexpr int32_t kTrack = 1009;
};

TEST_F(StartupTest, NoAcceleratorShowsOneMessageBoxAndNoDialog) {
    board.present = 0;
    EXPECT_EQ(runProgram(kStartupFailed), "");
    ASSERT_EQ(windows.messageBoxes.size(), 1u);
    EXPECT_EQ(windows.messageBoxes[0], "Unable to initialize glide");
    EXPECT_EQ(windows.dialogsShown, 0);
    EXPECT_EQ(cd.log, "");
    EXPECT_EQ(countCalls("grGlideShutdown"), 1);
    EXPECT_TRUE(sceneScript.loaded.empty());
}

TEST_F(StartupTest, NoWindowEndsAtOnceWithoutAMessage) {
    windows.createWindow("taken", 1, 1,
                         [](WindowHandle, uint32_t, uintptr_t, intptr_t) { return intptr_t{0}; });
    EXPECT_EQ(runProgram(), "");
    EXPECT_TRUE(windows.messageBoxes.empty());
    EXPECT_EQ(trace.text(), "");
}

TEST_F(StartupTest, AcceptedDialogPlaysTheDemoAndShutsDownInOrder) {
    windows.dialogActions = {{DialogAction::Enter, 0, ""}};
    EXPECT_EQ(runProgram(), "Exiting winMain()\n");
    EXPECT_EQ(windows.title, "Glide Test");
    EXPECT_EQ(windows.cursorVisible, 0);
    EXPECT_EQ(sceneScript.loaded.size(), 5u);
    EXPECT_EQ(windows.windowExists, 0);
    EXPECT_EQ(countCalls("grGlideShutdown"), 1); // by the player, not again by start-up
    EXPECT_TRUE(windows.messageBoxes.empty());
}

TEST_F(StartupTest, CancelLoadsNothingAndWritesNoExitLine) {
    cd.insertDisc(3);
    windows.dialogActions = {{DialogAction::Escape, 0, ""}};
    EXPECT_EQ(runProgram(), "");
    EXPECT_TRUE(sceneScript.loaded.empty());
    EXPECT_EQ(cd.log, "open\ntime format TMSF\ntype 1 audio\nclose\n");
    EXPECT_EQ(countCalls("grGlideShutdown"), 1);
    EXPECT_EQ(countCalls("grSstWinOpen"), 0);
    EXPECT_EQ(windows.windowExists, 0);
}

TEST_F(StartupTest, ClosingTheWindowDuringTheDialogEndsLikeCancel) {
    windows.dialogActions = {{DialogAction::CloseWindow, 0, ""}};
    EXPECT_EQ(runProgram(), "");
    EXPECT_TRUE(sceneScript.loaded.empty());
}

TEST_F(StartupTest, ChosenTrackPlaysToTheEndOfTheDiscAndStopsAtShutdown) {
    cd.insertDisc(3);
    acceptWithTrack("2");
    EXPECT_EQ(runProgram(), "Exiting winMain()\n");
    EXPECT_EQ(cd.log, "open\ntime format TMSF\ntype 1 audio\ntype 2 audio\nplay 2\nstop\nclose\n");
    EXPECT_EQ(appState.cdTrackCount, 3u);
}

TEST_F(StartupTest, TrackBeyondTheDiscPlaysTheLastTrack) {
    cd.insertDisc(3);
    acceptWithTrack("7");
    runProgram();
    EXPECT_EQ(demoSettings.cdTrack, 3u);
    EXPECT_NE(cd.log.find("play 3\n"), std::string::npos);
}

TEST_F(StartupTest, DiscWithoutUsableAudioLeavesTheDemoSilent) {
    struct Case {
        const char* name;
        int32_t drive, disc;
        uint32_t tracks;
        uint64_t dataTracks;
        int32_t failTypeQuery;
        const char* log;
    };
    const Case cases[] = {
        {"no drive", 0, 0, 0, 0, 0, "open\n"},
        {"empty drive", 1, 0, 0, 0, 0, "open\ntime format TMSF\nclose\n"},
        {"one data track", 1, 1, 1, 1u << 1, 0, "open\ntime format TMSF\ntype 1 data\nclose\n"},
        {"unreadable track type", 1, 1, 1, 0, 1, "open\ntime format TMSF\ntype 1 failed\nclose\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessWindowSystem freshWindows;
        setWindowSystem(&freshWindows);
        demoSettings = DemoSettings{};
        appState = AppState{};
        cd = ScriptedCdDevice{};
        cd.drivePresent = c.drive;
        if (c.disc) {
            cd.insertDisc(c.tracks, c.dataTracks);
        } else {
            cd.discPresent = 0;
        }
        cd.failTrackType = c.failTypeQuery;
        // The user tries to choose CD audio anyway.
        freshWindows.dialogActions = {{DialogAction::Click, kCdAudio, ""},
                                      {DialogAction::Enter, 0, ""}};
        EXPECT_EQ(runProgram(), "Exiting winMain()\n");
        EXPECT_EQ(cd.log, c.log);
        EXPECT_EQ(appState.cdAvailable, 0);
        EXPECT_EQ(appState.cdTrackCount, 0u);
        EXPECT_EQ(demoSettings.noSound, 1);
        EXPECT_EQ(cd.isOpen, 0);
    }
}

TEST_F(StartupTest, SingleAudioTrackDiscIsUsable) {
    cd.insertDisc(1);
    acceptWithTrack("1");
    runProgram();
    // Start-up asks for the type of a single track; the dialog asks again.
    EXPECT_EQ(cd.log, "open\ntime format TMSF\ntype 1 audio\ntype 1 audio\nplay 1\nstop\nclose\n");
}

TEST_F(StartupTest, FailedPlayClosesTheDeviceAndTheDemoPlaysSilently) {
    cd.insertDisc(3, 1u << 2); // track 2 is data: a multi-track disc is not checked
    acceptWithTrack("2");
    EXPECT_EQ(runProgram(), "Exiting winMain()\n");
    EXPECT_EQ(cd.log, "open\ntime format TMSF\ntype 1 audio\ntype 2 data\nplay 2 failed\nclose\n");
    EXPECT_EQ(sceneScript.loaded.size(), 5u);
}

TEST_F(StartupTest, NoSoundKeepsTheDiscSilentButClosesIt) {
    cd.insertDisc(3);
    windows.dialogActions = {{DialogAction::Enter, 0, ""}};
    runProgram();
    EXPECT_EQ(cd.log, "open\ntime format TMSF\ntype 1 audio\nclose\n");
}

TEST_F(StartupTest, BoardTypeDecidesTheFrameBufferSize) {
    struct Case {
        GrSstType type;
        FxI32 megabytes;
        int32_t expected;
    };
    const Case cases[] = {{GR_SSTTYPE_VOODOO, 4, 4},
                          {GR_SSTTYPE_SST96, 2, 2},
                          {GR_SSTTYPE_Voodoo2, 12, 12},
                          {GR_SSTTYPE_AT3D, 8, 2},
                          {77, 8, 2}};
    for (const Case& c : cases) {
        HeadlessWindowSystem freshWindows;
        setWindowSystem(&freshWindows);
        board.type = c.type;
        board.frameBufferMegabytes = c.megabytes;
        runProgram();
        EXPECT_EQ(appState.frameBufferMegabytes, c.expected) << "board type " << c.type;
    }
}

TEST_F(StartupTest, SceneThatFailsToLoadEndsWithOneMessageBoxAndANormalShutdown) {
    sceneScript.scenes[0].loadResult = 0;
    cd.insertDisc(2);
    acceptWithTrack("1");
    EXPECT_EQ(runProgram(kStartupFailed), "Exiting winMain()\n");
    EXPECT_EQ(windows.messageBoxes, std::vector<std::string>{"Error Loading scene"});
    EXPECT_EQ(cd.log, "open\ntime format TMSF\ntype 1 audio\nplay 1\nstop\nclose\n");
    EXPECT_EQ(countCalls("grGlideShutdown"), 1);
}

} // namespace
