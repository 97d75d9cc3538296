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

TEST_F(SettingsDialogTest, SmallBoardCannotChoose800x600) {
    for (int32_t megabytes : {2, 4}) {
        appState.frameBufferMegabytes = megabytes;
        DialogBox box(kSettingsDialogTemplate, settingsDialogProc);
        box.open();
        box.click(k800x600Button);
        box.pressEnter();
        EXPECT_EQ(demoSettings.screenWidth, megabytes >= 4 ? 800u : 640u);
    }
}

TEST_F(SettingsDialogTest, ResolutionsAndCheckBoxesAreWritten) {
    dialog.open();
    dialog.click(k512x384Button);
    EXPECT_EQ(dialog.isDlgButtonChecked(k640x480Button), BST_UNCHECKED);
    dialog.click(kVsyncBox);
    dialog.click(kPlayLoopedBox);
    dialog.pressEnter(); // focus on a check box: Enter is OK
    ASSERT_TRUE(dialog.hasEnded());
    EXPECT_EQ(demoSettings.screenWidth, 512u);
    EXPECT_EQ(demoSettings.screenHeight, 384u);
    EXPECT_EQ(demoSettings.swapInterval, 0);
    EXPECT_EQ(demoSettings.playLooped, 1);
}

TEST_F(SettingsDialogTest, EnterInTheTrackBoxMovesTheFocusAndASecondEnterCloses) {
    insertDisc(3);
    dialog.open();
    dialog.click(kCdAudioButton);
    dialog.setFocus(kTrackBox);
    dialog.pressBackspace();
    dialog.typeCharacter('3');
    dialog.pressEnter();
    EXPECT_FALSE(dialog.hasEnded());
    EXPECT_EQ(dialog.getFocus(), kVsyncBox);
    EXPECT_EQ(demoSettings.cdTrack, 0u); // nothing written yet
    dialog.pressEnter();
    ASSERT_TRUE(dialog.hasEnded());
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(demoSettings.cdTrack, 3u);
    EXPECT_EQ(demoSettings.noSound, 0);
}

TEST_F(SettingsDialogTest, EscapeInTheTrackBoxAlsoOnlyMovesTheFocus) {
    insertDisc(3);
    dialog.open();
    dialog.click(kCdAudioButton);
    dialog.setFocus(kTrackBox);
    dialog.pressEscape();
    EXPECT_FALSE(dialog.hasEnded());
    dialog.pressEscape();
    ASSERT_TRUE(dialog.hasEnded());
    EXPECT_EQ(dialog.result(), 0);
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

TEST_F(SettingsDialogTest, TrackIsClampedToTheDiscAsAnUnsignedNumber) {
    insertDisc(3);
    EXPECT_EQ(chooseTrack("7"), 3u);
    EXPECT_EQ(chooseTrack("0"), 1u);
    EXPECT_EQ(chooseTrack("2"), 2u);
    EXPECT_EQ(chooseTrack(" 3rd"), 3u);
    EXPECT_EQ(chooseTrack("-1"), 3u); // negative: a very large unsigned number
    EXPECT_EQ(chooseTrack("99999999999999999999"), 3u);
    EXPECT_EQ(chooseTrack("-99999999999999999999"), 3u);
}

TEST_F(SettingsDialogTest, TextThatIsNotANumberKeepsTheTrackBeforeTheClamp) {
    insertDisc(3);
    EXPECT_EQ(chooseTrack("abc"), 1u); // 0 at first, raised to 1
    demoSettings.cdTrack = 2;
    EXPECT_EQ(chooseTrack(""), 2u);
}

TEST_F(SettingsDialogTest, OnlyTheFirst24CharactersOfTheTrackAreRead) {
    insertDisc(9);
    // 24 zeros, then a 5 that the read never sees.
    EXPECT_EQ(chooseTrack("0000000000000000000000005"), 1u);
    EXPECT_EQ(chooseTrack("000000000000000000000005"), 5u);
}

TEST_F(SettingsDialogTest, CancelReturnsZeroButStoresTheSettings) {
    dialog.open();
    dialog.click(kPlayLoopedBox);
    dialog.click(IDCANCEL);
    ASSERT_TRUE(dialog.hasEnded());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(demoSettings.playLooped, 1);
}

} // namespace
