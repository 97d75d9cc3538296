// The program's entry: window, accelerator query, CD, settings dialog, demo, shutdown.
//
// WinMain runs the whole program against the current platform (WindowSystem, CD device
// behind mciSendCommandA, Clock, AcceleratorDevice), which the caller installs first:
// emberplay installs the desktop ones, tests the headless twins. The arguments are those
// of the system's entry and are not used: the program takes no arguments.
//
// Its result is the program's exit status: 0 when the demo played, was cancelled in the
// dialog or no window could be made (nothing was shown to fail), and kStartupFailed
// after the two failures that show a message box, "Unable to initialize glide" and
// "Error Loading scene", so that scripts and launchers see them.
//
// Start-up writes appState (window, frame-buffer size, CD) and, through the dialog,
// demoSettings; on a normal end it writes "Exiting winMain()\n" to standard output.
#pragma once

#include <cstdint>

inline constexpr int32_t kStartupFailed = 1;

int32_t WinMain(void* instance, void* previousInstance, const char* commandLine,
                int32_t showCommand);

// Step 4 of start-up alone: opens the CD-audio device and keeps it open only when it
// holds an audio disc (sets appState.cdAvailable, cdTrackCount, cdDeviceId).
void openCdAudio();
