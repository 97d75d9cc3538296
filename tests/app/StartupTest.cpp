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

// Escape or closing the window in the dialog: nothing is loaded, the board and the disc
// are let go, and there is no exit line.
TEST_F(StartupTest, CancelOrCloseInTheDialogLoadsNothing) {
    for (const DialogAction::Kind action : {DialogAction::Escape, DialogAction::CloseWindow}) {
        HeadlessWindowSystem freshWindows;
        setWindowSystem(&freshWindows);
        cd = ScriptedCdDevice{};
        cd.insertDisc(3);
        trace.clear();
        freshWindows.dialogActions = {{action, 0, ""}};
        EXPECT_EQ(runProgram(), "");
        EXPECT_TRUE(sceneScript.loaded.empty());
        EXPECT_EQ(cd.log, "open\ntime format TMSF\ntype 1 audio\nclose\n");
        EXPECT_EQ(countCalls("grGlideShutdown"), 1);
        EXPECT_EQ(countCalls("grSstWinOpen"), 0);
        EXPECT_EQ(freshWindows.windowExists, 0);
    }
}

// The track chosen plays from there to the end of the disc and stops at shutdown; a
// single-track disc is asked for its type at start-up and again by the dialog; a track
// that fails to play closes the device and the demo plays silently; "No Sound" closes
// the disc. Without a drive, a disc or an audio track, CD audio cannot be chosen.
TEST_F(StartupTest, TheChosenTrackPlaysUntilShutdownOrTheDemoIsSilent) {
    const struct {
        int32_t drive, disc;
        uint32_t tracks;
        uint64_t dataTracks;
        int32_t failTypeQuery;
        const char* typed; // "": CD Audio clicked, the box left alone; nullptr: "No Sound"
        int32_t noSound;
        const char* log;
    } cases[] = {
        {1, 1, 3, 0, 0, "2", 0, "type 1 audio\ntype 2 audio\nplay 2\nstop\nclose\n"},
        {1, 1, 1, 0, 0, "1", 0, "type 1 audio\ntype 1 audio\nplay 1\nstop\nclose\n"},
        {1, 1, 3, 1u << 2, 0, "2", 0, "type 1 audio\ntype 2 data\nplay 2 failed\nclose\n"},
        {1, 1, 3, 0, 0, nullptr, 1, "type 1 audio\nclose\n"},
        {0, 0, 0, 0, 0, "", 1, nullptr}, // no drive: only the open is tried
        {1, 0, 0, 0, 0, "", 1, "close\n"},
        {1, 1, 1, 1u << 1, 0, "", 1, "type 1 data\nclose\n"},
        {1, 1, 1, 0, 1, "", 1, "type 1 failed\nclose\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        HeadlessWindowSystem freshWindows;
        setWindowSystem(&freshWindows);
        sceneScript.loaded.clear();
        demoSettings = DemoSettings{};
        appState = AppState{};
        cd = ScriptedCdDevice{};
        cd.drivePresent = c.drive;
        cd.discPresent = 0;
        if (c.disc) {
            cd.insertDisc(c.tracks, c.dataTracks);
        }
        cd.failTrackType = c.failTypeQuery;
        if (c.typed != nullptr) {
            freshWindows.dialogActions.push_back({DialogAction::Click, kCdAudio, ""});
        }
        if (c.typed != nullptr && c.typed[0] != '\0') {
            freshWindows.dialogActions.push_back({DialogAction::SetText, kTrack, c.typed});
        }
        freshWindows.dialogActions.push_back({DialogAction::Enter, 0, ""});
        EXPECT_EQ(runProgram(), "Exiting winMain()\n");
        EXPECT_EQ(cd.log, c.log ? std::string("open\ntime format TMSF\n") + c.log : "open\n");
        const bool unusable = c.typed != nullptr && c.noSound; // CD audio chosen in vain
        EXPECT_EQ(appState.cdTrackCount, unusable ? 0u : c.tracks);
        EXPECT_EQ(demoSettings.noSound, c.noSound);
        EXPECT_EQ(cd.isOpen, 0);
        EXPECT_EQ(sceneScript.loaded.size(), 5u);
    }
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
