#include "app/win32/Win32Player.h"

#include "app/WindowedPlayer.h"
#include "platform/win32/Win32CdDevice.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32WindowSystem.h"

int32_t runWin32Player(void* instance) {
    Win32WindowSystem windows(instance);
    Win32CdDevice cd;
    Win32Clock clock;
    return runWindowedPlayer(windows, cd, clock, PlayerOptions{}, instance);
}
