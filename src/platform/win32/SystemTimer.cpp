#include "platform/win32/SystemTimer.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <mmsystem.h>

uint32_t systemTimeGetTime() {
    return timeGetTime();
}

uint32_t systemTimeBeginPeriod(uint32_t milliseconds) {
    return timeBeginPeriod(milliseconds);
}

uint32_t systemTimeEndPeriod(uint32_t milliseconds) {
    return timeEndPeriod(milliseconds);
}
