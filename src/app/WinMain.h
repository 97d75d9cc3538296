// The program's entry: window, accelerator query, CD, settings dialog, demo, shutdown.
//
// WinMain runs the whole program against the current platform (WindowSystem, CD device
// behind mciSendCommandA, Clock, AcceleratorDevice), which the caller installs first:
// emberplay installs the desktop ones, tests the headless twins. It returns 0 on every
// path. The arguments are those of the system's entry and are not used: the program takes
// no arguments.
//
// Start-up writes appState (window, frame-buffer size, CD) and, through the dialog,
// demoSettings; on a normal end it writes "Exiting winMain()\n" to standard output.
#pragma once

#include <cstdint>

int32_t WinMain(void* instance, void* previousInstance, const char* commandLine,
                int32_t showCommand);

// Step 4 of start-up alone: opens the CD-audio device and keeps it open only when it
// holds an audio disc (sets appState.cdAvailable, cdTrackCount, cdDeviceId).
void openCdAudio();
