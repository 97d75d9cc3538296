#include "app/DesktopPlayer.h"

#include "platform/desktop/MonotonicClock.h"
#include "platform/desktop/SdlWindowSystem.h"
#include "platform/desktop/SystemCdDevice.h"

int32_t runDesktopPlayer(const DesktopPlayerOptions& options) {
    SdlWindowSystem windows;
    SystemCdDevice cd;
    MonotonicClock clock;
    return runWindowedPlayer(windows, cd, clock, options, nullptr);
}
