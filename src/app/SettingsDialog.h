// The settings dialog: sound (none or a CD track), resolution, vertical sync, looping.
//
// runSettingsDialog shows kSettingsDialogTemplate modally over appState.mainWindow with
// settingsDialogProc and returns 1 for OK, 0 for Cancel; on either it has written the
// choices into demoSettings. The procedure sets the controls up from what start-up found
// (appState.cdAvailable, cdTrackCount, frameBufferMegabytes) and reads them back when
// the dialog closes; how the controls are drawn and clicked is the window system's.
//
// Control ids, as in the template:
//   1 OK, 2 Cancel, 1000 "No Sound", 1001 "CD Audio", 1004 "512x384", 1005 "640x480",
//   1006 "800x600", 1009 the track box, 1010 "Vsync", 1011 "Play looped", 1012 a note
//   below the resolutions (empty unless the track chosen holds data, not music).
//
// The track box opens with the disc's first audio track (asked of the CD device, track
// by track, through mciSendCommandA; a track whose type cannot be read counts as audio)
// rather than "0", which the clamp made track 1: on most demo discs the data track. The
// clamp on OK is unchanged.
#pragma once

#include <cstdint>

#include "platform/DialogBox.h"

inline constexpr int32_t kSettingsDialogResource = 101; // the program's dialog resource

inline constexpr int32_t kNoSoundButton = 1000;
inline constexpr int32_t kCdAudioButton = 1001;
inline constexpr int32_t k512x384Button = 1004;
inline constexpr int32_t k640x480Button = 1005;
inline constexpr int32_t k800x600Button = 1006;
inline constexpr int32_t kTrackBox = 1009;
inline constexpr int32_t kVsyncBox = 1010;
inline constexpr int32_t kPlayLoopedBox = 1011;
inline constexpr int32_t kTrackNote = 1012;

extern const DialogTemplate kSettingsDialogTemplate;

intptr_t settingsDialogProc(DialogControls& dialog, uint32_t message, uintptr_t wordParam,
                            intptr_t longParam);

int32_t runSettingsDialog(void* instance);

// The modern extra of `ember play --size`: once the dialog has closed, the screen size
// it chose is replaced by this one (0 x 0: keep the dialog's). Not used by emberplay.
void setScreenSizeOverride(uint32_t width, uint32_t height);
