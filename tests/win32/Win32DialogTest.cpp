// The settings dialog on the system's dialog manager: resource 101 against the template
// the dialog procedure is written for, and the procedure driving the real controls.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/ProcessState.h"
#include "app/SettingsDialog.h"
#include "platform/CdDevice.h"
#include "platform/headless/ScriptedCdDevice.h"
#include "platform/win32/Win32WindowSystem.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef DialogBox // the record of the same name is ours

// Start-up's step that opens the CD (app/WinMain.h, whose WinMain the system headers
// declare otherwise).
void openCdAudio();

namespace {

class Win32DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no display for Wine's windows";
        }
        demoSettings = DemoSettings{};
        appState = AppState{};
        keyQueue = KeyQueue{};
        setWindowSystem(&windows_);
        ASSERT_EQ(createMainWindow(nullptr), 1);
    }
    void TearDown() override {
        windows_.destroyWindow(appState.mainWindow);
        setWindowSystem(nullptr);
    }

    Win32WindowSystem windows_{nullptr};
};

// Control kinds as the dialog manager made them.
DialogControlKind kindOf(HWND control) {
    char className[32] = {};
    GetClassNameA(control, className, sizeof(className));
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    if (lstrcmpiA(className, "Edit") == 0) {
        return DialogControlKind::EditBox;
    }
    if (lstrcmpiA(className, "Static") == 0) {
        return DialogControlKind::StaticText;
    }
    switch (style & BS_TYPEMASK) {
    case BS_DEFPUSHBUTTON:
        return DialogControlKind::DefaultPushButton;
    case BS_GROUPBOX:
        return DialogControlKind::GroupBox;
    case BS_AUTORADIOBUTTON:
        return DialogControlKind::RadioButton;
    case BS_AUTOCHECKBOX:
        return DialogControlKind::CheckBox;
    default:
        return DialogControlKind::PushButton;
    }
}

TEST_F(Win32DialogTest, ResourceMatchesTheTemplate) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101),
                                     static_cast<HWND>(appState.mainWindow), nullptr, 0);
    ASSERT_NE(dialog, nullptr);
    const DialogTemplate& layout = kSettingsDialogTemplate;
    EXPECT_EQ(layout.resourceId, 101);
    RECT size{0, 0, layout.width, layout.height};
    MapDialogRect(dialog, &size);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    EXPECT_EQ(GetWindowTextLengthA(dialog), 0); // no title

    HWND control = GetWindow(dialog, GW_CHILD);
    for (int32_t i = 0; i < layout.controlCount; ++i, control = GetWindow(control, GW_HWNDNEXT)) {
        const DialogControlTemplate& expected = layout.controls[i];
        ASSERT_NE(control, nullptr) << "control " << i;
        EXPECT_EQ(static_cast<int16_t>(GetDlgCtrlID(control)), expected.id < 0 ? -1 : expected.id);
        EXPECT_EQ(kindOf(control), expected.kind) << "control " << i;
        char text[64] = {};
        GetWindowTextA(control, text, sizeof(text));
        EXPECT_STREQ(text, expected.text) << "control " << i;
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ((style & WS_TABSTOP) != 0, expected.tabStop != 0) << expected.text;
        EXPECT_EQ((style & WS_GROUP) != 0, expected.startsGroup != 0) << expected.text;
        EXPECT_EQ((style & ES_NUMBER) != 0 && expected.kind == DialogControlKind::EditBox,
                  expected.digitsOnly != 0)
            << expected.text;
        // The dialog manager maps a control's position and its size each on their own.
        RECT place{expected.x, expected.y, expected.width, expected.height};
        MapDialogRect(dialog, &place);
        RECT actual{};
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, place.left) << expected.text;
        EXPECT_EQ(actual.top, place.top) << expected.text;
        EXPECT_EQ(actual.right - actual.left, place.right) << expected.text;
        EXPECT_EQ(actual.bottom - actual.top, place.bottom) << expected.text;
    }
    EXPECT_EQ(control, nullptr); // no control beyond the template's
    DestroyWindow(dialog);
}

// What the user does in the modal dialog, one step per timer tick of its message loop.
std::vector<std::function<void(HWND)>> steps;

int ticks = 0;

void CALLBACK nextStep(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA("#32770", nullptr); // the dialog manager's window class
    if (++ticks > 600) {                          // 30 s
        ADD_FAILURE() << "the dialog did not end";
        KillTimer(nullptr, timer);
        EndDialog(dialog, 0);
        return;
    }
    if (dialog == nullptr) {
        return; // not up yet
    }
    if (steps.empty()) {
        KillTimer(nullptr, timer);
        return;
    }
    const std::function<void(HWND)> step = steps.front();
    steps.erase(steps.begin());
    step(dialog);
}

std::string noteOf(HWND dialog) {
    char text[64] = {};
    GetDlgItemTextA(dialog, kTrackNote, text, sizeof(text));
    return text;
}

TEST_F(Win32DialogTest, ProcedureDrivesTheRealControls) {
    ScriptedCdDevice cd;
    cd.insertDisc(3, 1u << 1); // track 1 holds data
    setCdDevice(&cd);
    openCdAudio();
    appState.frameBufferMegabytes = 2;
    bool stillOpenAfterFirstOk = false;
    steps = {
        [](HWND dialog) {
            char track[8] = {};
            GetDlgItemTextA(dialog, kTrackBox, track, sizeof(track));
            EXPECT_STREQ(track, "2"); // the first audio track
            EXPECT_EQ(IsDlgButtonChecked(dialog, k640x480Button), BST_CHECKED);
            EXPECT_EQ(IsDlgButtonChecked(dialog, kNoSoundButton), BST_CHECKED);
            EXPECT_EQ(IsDlgButtonChecked(dialog, kVsyncBox), BST_CHECKED);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kTrackBox)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, k800x600Button))); // 2 MB board
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kCdAudioButton)));
            SendDlgItemMessageA(dialog, kCdAudioButton, BM_CLICK, 0, 0);
            SendDlgItemMessageA(dialog, k512x384Button, BM_CLICK, 0, 0);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kTrackBox)));
            EXPECT_EQ(IsDlgButtonChecked(dialog, kNoSoundButton), BST_UNCHECKED); // same group
            EXPECT_EQ(IsDlgButtonChecked(dialog, k640x480Button), BST_UNCHECKED);
            EXPECT_EQ(noteOf(dialog), "");
            SetDlgItemTextA(dialog, kTrackBox, "1"); // the edit control says EN_CHANGE
            EXPECT_EQ(noteOf(dialog), "Track 1 holds data, not music");
            SetDlgItemTextA(dialog, kTrackBox, "7");
            EXPECT_EQ(noteOf(dialog), "");
            SendMessageA(dialog, WM_NEXTDLGCTL,
                         reinterpret_cast<WPARAM>(GetDlgItem(dialog, kTrackBox)), TRUE);
            SendMessageA(dialog, WM_COMMAND, IDOK, 0); // Enter while typing the track
        },
        [&stillOpenAfterFirstOk](HWND dialog) {
            stillOpenAfterFirstOk = IsWindow(dialog) != 0;
            EXPECT_NE(GetFocus(), GetDlgItem(dialog, kTrackBox)); // the focus moved on
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        },
    };
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, nextStep);
    EXPECT_EQ(runSettingsDialog(nullptr), 1);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(steps.empty());
    EXPECT_TRUE(stillOpenAfterFirstOk);
    EXPECT_EQ(demoSettings.cdTrack, 3u); // 7 clamped to the disc's last track
    EXPECT_EQ(demoSettings.noSound, 0);
    EXPECT_EQ(demoSettings.screenWidth, 512u);
    EXPECT_EQ(demoSettings.swapInterval, 1);
    setCdDevice(nullptr);
}

} // namespace
