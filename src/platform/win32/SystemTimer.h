// The system's multimedia timer (WINMM), behind names that do not collide with the
// system's own declarations: the frame clock's interface (platform/Clock.h) declares
// GetTickCount, timeBeginPeriod and timeEndPeriod itself, so no file can see both.
#pragma once

#include <cstdint>

uint32_t systemTimeGetTime();                          // milliseconds, wraps
uint32_t systemTimeBeginPeriod(uint32_t milliseconds); // 0: TIMERR_NOERROR
uint32_t systemTimeEndPeriod(uint32_t milliseconds);
