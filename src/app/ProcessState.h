// The process-wide records of the application shell, one instance each, all here.
//
//   demoSettings  the choices of the settings dialog; the screen size is read by the
//                 frame loop and the renderer
//   appState      what start-up found: the window, the board's frame-buffer memory, the CD
//   keyQueue      typed characters and close requests, recorded by the window procedure
//                 and read by the message pump; once not empty, the demo stops
//
// They are plain globals by design: the window procedure, the dialog and the renderer all
// reach them without being handed them. Tests reset them with their defaults.
#pragma once

#include <cstdint>

struct DemoSettings {
    uint32_t screenWidth = 640; // pixels
    uint32_t screenHeight = 480;
    int32_t swapInterval = 0; // 1: wait for vertical sync at each swap
    int32_t playLooped = 0;   // 1: start again with the first scene after the last
    int32_t noSound = 0;      // 1: do not play the CD
    uint32_t cdTrack = 0;     // 1 .. cdTrackCount; its low byte goes to the device
};

struct AppState {
    void* mainWindow = nullptr;       // the program's one window (platform handle)
    int32_t frameBufferMegabytes = 0; // of the first board; 2 when its type reports none
    int32_t cdAvailable = 0;          // 1: a CD-audio device is open with an audio disc
    uint32_t cdTrackCount = 0;        // 0 when cdAvailable is 0
    uint32_t cdDeviceId = 0;          // meaningful while the device is open
};

struct KeyQueue {
    int32_t codes[256] = {};
    int32_t head = 0; // next free entry
    int32_t tail = 0; // oldest entry; never advanced: entries are recorded, never consumed

    void record(int32_t code) {
        codes[head] = code;
        head = (head + 1) & 255;
    }
    bool isEmpty() const { return head == tail; }
};

extern DemoSettings demoSettings;
extern AppState appState;
extern KeyQueue keyQueue;
