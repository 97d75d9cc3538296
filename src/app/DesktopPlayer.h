// The player on this machine: the desktop stand-ins of every platform interface around
// WinMain. Used by emberplay (with the defaults: the authentic 16-bit look, the
// resolution of the dialog) and by `ember play` (with its modern extras).
//
// The accelerator is the software device; its surface is the SDL window in full screen,
// each swapped frame scaled to the display with its aspect kept. The CD is the disc
// image in cdrom/ or the first drive; the clock is the monotonic clock. Everything is
// installed for the call and removed afterwards.
#pragma once

#include <cstdint>

#include "accel/SoftwareDevice.h"

struct DesktopPlayerOptions {
    AccelColorMode colorMode = AccelColorMode::Authentic16;
    // Rendering size instead of the dialog's resolution (0 x 0: the dialog's). It is
    // fitted to the largest 4:3 size inside, so that the field keeps its shape.
    uint32_t width = 0;
    uint32_t height = 0;
};

// What runPlayer returns beyond WinMain's own status (0, or kStartupFailed after a
// message box): no window could be opened (no display; the reason is on standard error).
inline constexpr int32_t kNoWindow = 2;

// Runs the program in the working directory; returns the program's exit status.
int32_t runDesktopPlayer(const DesktopPlayerOptions& options);

class CdDevice;
class Clock;
class WindowSystem;
// The same with the window system, CD device and clock given (installed for the call):
// the desktop ones, or the headless twins in tests.
int32_t runPlayer(const DesktopPlayerOptions& options, WindowSystem& windows, CdDevice& cd,
                  Clock& clock);

// The largest size of aspect 4:3 that fits in width x height (at least 1 x 1, never
// larger than width x height).
void fitFourByThree(uint32_t width, uint32_t height, uint32_t* fittedWidth, uint32_t* fittedHeight);
