#include "platform/win32/Win32Clock.h"

#include "platform/win32/SystemTimer.h"

uint32_t Win32Clock::tickCount() {
    return systemTimeGetTime();
}

// The system is asked only for requests the bookkeeping accepts, so that every begin it
// has seen is matched by an end.
uint32_t Win32Clock::beginPeriod(uint32_t milliseconds) {
    const uint32_t result = Clock::beginPeriod(milliseconds);
    if (result == TIMERR_NOERROR) {
        systemTimeBeginPeriod(milliseconds);
    }
    return result;
}

uint32_t Win32Clock::endPeriod(uint32_t milliseconds) {
    const uint32_t result = Clock::endPeriod(milliseconds);
    if (result == TIMERR_NOERROR) {
        systemTimeEndPeriod(milliseconds);
    }
    return result;
}
