#include <gtest/gtest.h>

#include "app/ProcessState.h"
#include "app/SettingsDialog.h"
#include "app/WinMain.h"
#include "platform/headless/ScriptedCdDevice.h"

namespace {

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        demoSettings = DemoSettings{};
        appState = AppState{};
        appState.frameBufferMegabytes = 4;
    }

    void insertDisc(uint32_t tracks) {
        appState.cdAvailable = 1;
        appState.cdTrackCount = tracks;
    }

    DialogBox dialog{kSettingsDialogTemplate, settingsDialogProc};

    // Opens the dialog, chooses CD audio, types `track` as the user would paste it and
    // presses Enter on the CD Audio button.
    uint32_t chooseTrack(const char* track) {
        DialogBox box(kSettingsDialogTemplate, settingsDialogProc);
        box.open();
        box.click(kCdAudioButton);
        box.setText(kTrackBox, track);
        box.pressEnter();
        EXPECT_TRUE(box.hasEnded());
        return demoSettings.cdTrack;
    }
};

TEST_F(SettingsDialogTest, OpensWithNoSound640x480AndVsync) {
    dialog.open();
    EXPECT_EQ(dialog.isDlgButtonChecked(kNoSoundButton), BST_CHECKED);
    EXPECT_EQ(dialog.isDlgButtonChecked(k640x480Button), BST_CHECKED);
    EXPECT_EQ(dialog.isDlgButtonChecked(kVsyncBox), BST_CHECKED);
    EXPECT_EQ(dialog.isDlgButtonChecked(kPlayLoopedBox), BST_UNCHECKED);
    char text[25];
    dialog.getDlgItemText(kTrackBox, text, sizeof(text));
    EXPECT_STREQ(text, "0");
    EXPECT_EQ(dialog.isWindowEnabled(kTrackBox), 0);
    EXPECT_EQ(dialog.getFocus(), 0);

    dialog.pressEnter();
    ASSERT_TRUE(dialog.hasEnded());
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(demoSettings.screenWidth, 640u);
    EXPECT_EQ(demoSettings.screenHeight, 480u);
    EXPECT_EQ(demoSettings.swapInterval, 1);
    EXPECT_EQ(demoSettings.playLooped, 0);
    EXPECT_EQ(demoSettings.noSound, 1);
    EXPECT_EQ(demoSettings.cdTrack, 0u); // no disc: the track box is not read
}

TEST_F(SettingsDialogTest, CdAudioIsOfferedOnlyWithAnAudioDisc) {
    for (uint32_t tracks : {0u, 2u}) {
        insertDisc(tracks);
        DialogBox box(kSettingsDialogTemplate, settingsDialogProc);
        box.open();
        box.click(kCdAudioButton);
        EXPECT_EQ(box.isWindowEnabled(kCdAudioButton), tracks > 0 ? 1 : 0);
        EXPECT_EQ(box.isDlgButtonChecked(kCdAudioButton), tracks > 0 ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(box.isWindowEnabled(kTrackBox), tracks > 0 ? 1 : 0);
    }
}

TEST_F(SettingsDialogTest, NoSoundDisablesTheTrackBoxAgainButTheTrackIsStillRead) {
    insertDisc(3);
    dialog.open();
    dialog.click(kCdAudioButton);
    EXPECT_EQ(dialog.isDlgButtonChecked(kNoSoundButton), BST_UNCHECKED);
    dialog.setFocus(kTrackBox);
    dialog.pressBackspace();
    dialog.typeCharacter('2');
    dialog.click(kNoSoundButton);
    EXPECT_EQ(dialog.isWindowEnabled(kTrackBox), 0);
    dialog.pressEnter();
    EXPECT_EQ(demoSettings.noSound, 1);
    EXPECT_EQ(demoSettings.cdTrack, 2u);
}

// The box opens with the disc's first audio track, and says when the track chosen holds
// data (the device is asked once per track).
TEST_F(SettingsDialogTest, TheDiscsFirstAudioTrackIsOfferedAndADataTrackSaysSo) {
    ScriptedCdDevice cd;
    cd.insertDisc(3, 1u << 1); // track 1 holds data
    setCdDevice(&cd);
    openCdAudio();
    dialog.open();
    char text[64];
    dialog.getDlgItemText(kTrackBox, text, sizeof(text));
    EXPECT_STREQ(text, "2");
    dialog.click(kCdAudioButton);
    dialog.getDlgItemText(kTrackNote, text, sizeof(text));
    EXPECT_STREQ(text, "");
    for (const char* typed : {"1", "0"}) { // 0 is clamped to 1
        dialog.setText(kTrackBox, typed);
        dialog.getDlgItemText(kTrackNote, text, sizeof(text));
        EXPECT_STREQ(text, "Track 1 holds data, not music") << typed;
    }
    dialog.click(kNoSoundButton);
    dialog.getDlgItemText(kTrackNote, text, sizeof(text));
    EXPECT_STREQ(text, "");
    EXPECT_EQ(cd.log, "open\ntime format TMSF\ntype 1 data\ntype 2 audio\n");
    setCdDevice(nullptr);
}

// The resolution chosen, on boards of 2 and 4 MB; check boxes flip; Enter on a check box
// is OK and Cancel stores the settings too.
TEST_F(SettingsDialogTest, ResolutionsAndCheckBoxesAreWritten) {
    struct Case {
        int32_t button;
        int32_t megabytes;
        uint32_t width;
        int32_t close; // IDOK (Enter) or IDCANCEL
    };
    for (const Case& c : {Case{k512x384Button, 4, 512, IDOK}, Case{k800x600Button, 4, 800, IDOK},
                          Case{k800x600Button, 2, 640, IDCANCEL}}) {
        appState.frameBufferMegabytes = c.megabytes;
        DialogBox box(kSettingsDialogTemplate, settingsDialogProc);
        box.open();
        box.click(c.button);
        box.click(kVsyncBox);
        box.click(kPlayLoopedBox);
        c.close == IDOK ? box.pressEnter() : box.click(IDCANCEL);
        ASSERT_TRUE(box.hasEnded());
        EXPECT_EQ(box.result(), c.close == IDOK ? 1 : 0);
        EXPECT_EQ(demoSettings.screenWidth, c.width);
        EXPECT_EQ(demoSettings.screenHeight, c.width * 3 / 4);
        EXPECT_EQ(demoSettings.swapInterval, 0);
        EXPECT_EQ(demoSettings.playLooped, 1);
    }
}

// Enter or Escape while typing the track only moves the focus on; the second one closes.
TEST_F(SettingsDialogTest, AKeyInTheTrackBoxMovesTheFocusAndASecondCloses) {
    insertDisc(3);
    for (const bool enter : {true, false}) {
        DialogBox box(kSettingsDialogTemplate, settingsDialogProc);
        box.open();
        box.click(kCdAudioButton);
        box.setFocus(kTrackBox);
        box.pressBackspace();
        box.typeCharacter('3');
        enter ? box.pressEnter() : box.pressEscape();
        EXPECT_FALSE(box.hasEnded());
        EXPECT_EQ(box.getFocus(), kVsyncBox);
        EXPECT_EQ(demoSettings.cdTrack, 0u); // nothing written yet
        enter ? box.pressEnter() : box.pressEscape();
        ASSERT_TRUE(box.hasEnded());
        EXPECT_EQ(box.result(), enter ? 1 : 0);
        EXPECT_EQ(demoSettings.cdTrack, 3u);
        demoSettings.cdTrack = 0;
    }
}

TEST_F(SettingsDialogTest, TrackBoxTakesDigitsOnly) {
    insertDisc(20);
    dialog.open();
    dialog.click(kCdAudioButton);
    dialog.setFocus(kTrackBox);
    for (char c : std::string("1-a 2")) {
        dialog.typeCharacter(c);
    }
    char text[25];
    dialog.getDlgItemText(kTrackBox, text, sizeof(text));
    EXPECT_STREQ(text, "112"); // after the first audio track the box opened with
}

// "%d" over the first 24 characters, then clamped to 1..tracks as an unsigned number;
// text that is no number keeps the track set before.
TEST_F(SettingsDialogTest, TrackIsReadAndClampedToTheDisc) {
    insertDisc(9);
    const struct {
        const char* typed;
        uint32_t before;
        uint32_t track;
    } cases[] = {
        {"12", 0, 9},
        {"0", 0, 1},
        {" 3rd", 0, 3},
        {"-1", 0, 9}, // a very large unsigned number
        {"99999999999999999999", 0, 9},
        {"-99999999999999999999", 0, 9},
        {"abc", 0, 1},
        {"", 2, 2},
        {"0000000000000000000000005", 0, 1}, // the 5 is the 25th character
        {"000000000000000000000005", 0, 5},
    };
    for (const auto& c : cases) {
        demoSettings.cdTrack = c.before;
        EXPECT_EQ(chooseTrack(c.typed), c.track) << '"' << c.typed << '"';
    }
}

} // namespace
