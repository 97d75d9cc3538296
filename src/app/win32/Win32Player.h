// The player on Windows: the Win32 stand-ins of every platform interface around WinMain
// (the system's window, dialog resource and message boxes; the CD from a disc image in
// cdrom/ through waveOut, else the system's CD-audio device through MCI; the multimedia
// timer). The authentic 16-bit look at the dialog's resolution, as on every system.
#pragma once

#include <cstdint>

// Runs the program in the working directory with the module handle `instance`
// (HINSTANCE) that holds the dialog resource. Returns the program's exit status
// (runWindowedPlayer).
int32_t runWin32Player(void* instance);
