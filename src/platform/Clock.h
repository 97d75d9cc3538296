// The frame clock: a millisecond tick counter and the timer-resolution calls.
//
// The frame loop reads time only through GetTickCount() and brackets itself with
// timeBeginPeriod(1) / timeEndPeriod(1); each forwards to the current Clock:
//   MonotonicClock  the host's monotonic clock (desktop/)
//   VirtualClock    a clock that moves only when told to (headless/): tests and offline
//                   rendering, where every run must see the same times
//
// Usage:
//   MonotonicClock clock;
//   setClock(&clock);          // not owned; keep it alive while it is current
//   uint32_t now = GetTickCount();
//   setClock(nullptr);         // back to the inert clock, which always reads 0
//
// Ticks are milliseconds in a uint32 that wraps after about 49.7 days: callers subtract
// tick counts as unsigned 32-bit numbers so that a wrap between two readings is harmless.
#pragma once

#include <cstdint>

inline constexpr uint32_t TIMERR_NOERROR = 0;
inline constexpr uint32_t TIMERR_NOCANDO = 97;

class Clock {
public:
    virtual ~Clock() = default;

    virtual uint32_t tickCount() { return 0; } // milliseconds, wraps
    // Timer resolution requests in milliseconds; each begin is matched by an end with
    // the same value. Results: TIMERR_NOERROR, or TIMERR_NOCANDO for 0 or an end
    // without its begin.
    virtual uint32_t beginPeriod(uint32_t milliseconds);
    virtual uint32_t endPeriod(uint32_t milliseconds);

    int32_t periodsInForce() const { return periodsInForce_; }

private:
    int32_t periodsInForce_ = 0;
};

void setClock(Clock* clock);
Clock& currentClock();

uint32_t GetTickCount();
uint32_t timeBeginPeriod(uint32_t milliseconds);
uint32_t timeEndPeriod(uint32_t milliseconds);
