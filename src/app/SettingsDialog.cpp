#include "app/SettingsDialog.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "app/ProcessState.h"
#include "platform/CdDevice.h"
#include "platform/WindowSystem.h"

namespace {

constexpr DialogControlTemplate kControls[] = {
    {IDOK, DialogControlKind::DefaultPushButton, "OK", 201, 7, 50, 14, 1, 0, 0},
    {IDCANCEL, DialogControlKind::PushButton, "Cancel", 201, 24, 50, 14, 1, 0, 0},
    {-1, DialogControlKind::GroupBox, "Audio", 7, 7, 172, 38, 0, 1, 0},
    {kNoSoundButton, DialogControlKind::RadioButton, "No Sound", 17, 17, 58, 8, 0, 0, 0},
    {kCdAudioButton, DialogControlKind::RadioButton, "CD Audio", 17, 29, 48, 11, 0, 0, 0},
    {-1, DialogControlKind::GroupBox, "Resolution", 7, 54, 172, 42, 0, 1, 0},
    {k512x384Button, DialogControlKind::RadioButton, "512x384", 17, 65, 52, 10, 0, 0, 0},
    {k640x480Button, DialogControlKind::RadioButton, "640x480", 17, 78, 56, 11, 0, 0, 0},
    {k800x600Button, DialogControlKind::RadioButton, "800x600", 89, 65, 49, 10, 0, 0, 0},
    {kTrackBox, DialogControlKind::EditBox, "", 129, 27, 36, 13, 1, 0, 1},
    {-1, DialogControlKind::StaticText, "Track", 104, 30, 21, 9, 0, 0, 0},
    {kVsyncBox, DialogControlKind::CheckBox, "Vsync", 201, 76, 42, 15, 1, 0, 0},
    {kPlayLoopedBox, DialogControlKind::CheckBox, "Play looped", 201, 62, 50, 11, 1, 0, 0},
    {kTrackNote, DialogControlKind::StaticText, "", 7, 101, 249, 10, 0, 0, 0},
};

uint32_t overrideWidth = 0;
uint32_t overrideHeight = 0;

// "%d" over the box's text: leading white space, an optional sign, decimal digits.
// Returns 0 when no number can be read. A number beyond the int32 range reads as the
// nearest int32, which the clamp then treats like any other out-of-range number.
int32_t readDecimal(const char* text, int32_t* value) {
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text, &end, 10);
    if (end == text) {
        return 0;
    }
    if (parsed > INT32_MAX) {
        *value = INT32_MAX;
    } else if (parsed < INT32_MIN) {
        *value = INT32_MIN;
    } else {
        *value = static_cast<int32_t>(parsed);
    }
    return 1;
}

// The track OK would choose from the box's text.
uint32_t chosenTrack(const DialogControls& dialog) {
    char text[25];
    dialog.getDlgItemText(kTrackBox, text, sizeof(text));
    uint32_t track = demoSettings.cdTrack;
    int32_t number = 0;
    if (readDecimal(text, &number)) {
        track = static_cast<uint32_t>(number);
    }
    // Unsigned on purpose: a negative number is a very large track and becomes the last.
    if (track > appState.cdTrackCount) {
        track = appState.cdTrackCount;
    }
    if (track < 1) {
        track = 1;
    }
    return track;
}

// What the device said of each track while the dialog is open: 1 audio (or it cannot
// say), 0 data, -1 not asked yet. Asked once per track, as the user needs it.
int32_t trackIsAudio[100];

int32_t isAudioTrack(uint32_t track) {
    if (track >= sizeof(trackIsAudio) / sizeof(trackIsAudio[0])) {
        return 1;
    }
    if (trackIsAudio[track] < 0) {
        MCI_STATUS_PARMS type;
        type.dwItem = MCI_CDA_STATUS_TYPE_TRACK;
        type.dwTrack = track;
        trackIsAudio[track] =
            mciSendCommandA(appState.cdDeviceId, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK,
                            reinterpret_cast<uintptr_t>(&type)) != 0 ||
            type.dwReturn == MCI_CDA_TRACK_AUDIO;
    }
    return trackIsAudio[track];
}

uint32_t firstAudioTrack() {
    for (uint32_t track = 1; track <= appState.cdTrackCount; ++track) {
        if (isAudioTrack(track)) {
            return track;
        }
    }
    return 0;
}

// Says so below the resolutions when CD audio would play a data track.
void updateTrackNote(DialogControls& dialog) {
    char note[64] = "";
    if (appState.cdAvailable == 1 && dialog.isDlgButtonChecked(kCdAudioButton) == BST_CHECKED) {
        const uint32_t track = chosenTrack(dialog);
        if (!isAudioTrack(track)) {
            std::snprintf(note, sizeof note, "Track %u holds data, not music", track);
        }
    }
    dialog.setDlgItemText(kTrackNote, note);
}

void readButtons(DialogControls& dialog) {
    demoSettings.swapInterval = dialog.isDlgButtonChecked(kVsyncBox) == BST_CHECKED ? 1 : 0;
    demoSettings.playLooped = dialog.isDlgButtonChecked(kPlayLoopedBox) == BST_CHECKED ? 1 : 0;
    demoSettings.noSound = dialog.isDlgButtonChecked(kNoSoundButton) == BST_CHECKED ? 1 : 0;
    if (dialog.isDlgButtonChecked(k512x384Button) == BST_CHECKED) {
        demoSettings.screenWidth = 512;
        demoSettings.screenHeight = 384;
    } else if (dialog.isDlgButtonChecked(k640x480Button) == BST_CHECKED) {
        demoSettings.screenWidth = 640;
        demoSettings.screenHeight = 480;
    } else if (dialog.isDlgButtonChecked(k800x600Button) == BST_CHECKED) {
        demoSettings.screenWidth = 800;
        demoSettings.screenHeight = 600;
    } else {
        demoSettings.screenWidth = 320;
        demoSettings.screenHeight = 240;
    }
}

} // namespace

const DialogTemplate kSettingsDialogTemplate = {
    "", 263, 119, kControls, static_cast<int32_t>(std::size(kControls)), kSettingsDialogResource};

intptr_t settingsDialogProc(DialogControls& dialog, uint32_t message, uintptr_t wordParam,
                            intptr_t /*longParam*/) {
    if (message == WM_INITDIALOG) {
        dialog.checkDlgButton(k640x480Button, BST_CHECKED);
        dialog.checkDlgButton(kNoSoundButton, BST_CHECKED);
        dialog.checkDlgButton(kVsyncBox, BST_CHECKED);
        for (int32_t& known : trackIsAudio) {
            known = -1;
        }
        char track[12] = "0";
        if (appState.cdAvailable == 1) {
            std::snprintf(track, sizeof track, "%u", firstAudioTrack());
        }
        dialog.setDlgItemText(kTrackBox, track);
        dialog.enableWindow(kTrackBox, 0);
        if (appState.cdAvailable == 0 || appState.cdTrackCount == 0) {
            dialog.enableWindow(kCdAudioButton, 0);
            dialog.enableWindow(kTrackBox, 0);
        }
        if (appState.frameBufferMegabytes < 4) {
            dialog.enableWindow(k800x600Button, 0);
        }
        return 0;
    }
    if (message != WM_COMMAND) {
        return 0;
    }
    const int32_t id = static_cast<int32_t>(wordParam & 0xFFFF);
    switch (id) {
    case kNoSoundButton:
        dialog.enableWindow(kTrackBox, 0);
        updateTrackNote(dialog);
        return 0;
    case kCdAudioButton:
        dialog.enableWindow(kTrackBox, 1);
        updateTrackNote(dialog);
        return 0;
    case kTrackBox:
        if ((wordParam >> 16) == EN_CHANGE) {
            updateTrackNote(dialog);
        }
        return 0;
    case IDOK:
    case IDCANCEL:
        if (dialog.getFocus() == kTrackBox) {
            // Enter or Escape while typing the track only moves the focus on.
            dialog.postNextDlgCtl();
            return 1;
        }
        if (appState.cdAvailable == 1) {
            demoSettings.cdTrack = chosenTrack(dialog);
        }
        readButtons(dialog);
        dialog.endDialog(id == IDOK ? 1 : 0);
        return 1;
    default:
        return 0;
    }
}

int32_t runSettingsDialog(void* /*instance*/) {
    DialogBox dialog(kSettingsDialogTemplate, settingsDialogProc);
    const intptr_t result = currentWindowSystem().runModalDialog(dialog);
    if (overrideWidth != 0 && overrideHeight != 0) {
        demoSettings.screenWidth = overrideWidth;
        demoSettings.screenHeight = overrideHeight;
    }
    return result != 0 ? 1 : 0;
}

void setScreenSizeOverride(uint32_t width, uint32_t height) {
    overrideWidth = width;
    overrideHeight = height;
}
