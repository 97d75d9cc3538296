// The player on this machine: the desktop stand-ins of every platform interface around
// WinMain. Used by emberplay (with the defaults: the authentic 16-bit look, the
// resolution of the dialog) and by `ember play` (with its modern extras).
//
// The accelerator is the software device; its surface is the SDL window in full screen,
// each swapped frame scaled to the display with its aspect kept. The CD is the disc
// image in cdrom/ or the first drive; the clock is the monotonic clock. Everything is
// installed for the call and removed afterwards (see WindowedPlayer.h).
#pragma once

#include <cstdint>

#include "app/WindowedPlayer.h"

using DesktopPlayerOptions = PlayerOptions;

// Runs the program in the working directory; returns its exit status (runWindowedPlayer).
int32_t runDesktopPlayer(const DesktopPlayerOptions& options);
