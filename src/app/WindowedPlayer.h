// The player on a real window system: WinMain run with a program's own stand-ins (window
// system, CD device, clock) and the software accelerator, whose full-screen surface is
// the program's window.
//
// Usage (emberplay on each system, `ember play`):
//   SdlWindowSystem windows; SystemCdDevice cd; MonotonicClock clock;
//   runWindowedPlayer(windows, cd, clock, PlayerOptions{}, instance);
//
// Opening the accelerator's surface (grSstWinOpen) makes the window full screen; every
// swapped frame is read from the device's front buffer as 8-bit RGBA and handed to the
// window system, which scales it to the display with its aspect kept; shutting the
// library down gives the window back. Everything is installed for the call and removed
// afterwards.
#pragma once

#include <cstdint>

#include "accel/SoftwareDevice.h"

class CdDevice;
class Clock;
class WindowSystem;

struct PlayerOptions {
    AccelColorMode colorMode = AccelColorMode::Authentic16;
    // Rendering size instead of the dialog's resolution (0 x 0: the dialog's). It is
    // fitted to the largest 4:3 size inside, so that the field keeps its shape.
    uint32_t width = 0;
    uint32_t height = 0;
};

// What runWindowedPlayer returns beyond WinMain's own status (0, or kStartupFailed after
// a message box): no window could be opened (no display; the reason is on standard error).
inline constexpr int32_t kNoWindow = 2;

// Runs the program in the working directory; returns the program's exit status.
int32_t runWindowedPlayer(WindowSystem& windows, CdDevice& cd, Clock& clock,
                          const PlayerOptions& options, void* instance);

// The largest size of aspect 4:3 that fits in width x height (at least 1 x 1, never
// larger than width x height).
void fitFourByThree(uint32_t width, uint32_t height, uint32_t* fittedWidth, uint32_t* fittedHeight);
