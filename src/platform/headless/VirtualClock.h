// VirtualClock: a tick counter that moves only when told to.
//
// Tests set it and step it; offline rendering advances it by exactly 1000/fps ms per
// displayed frame. Time is kept in microseconds so that steps that are not a whole
// number of milliseconds (33 1/3 ms at 30 fps) do not drift: tickCount() is the
// microsecond time divided by 1000, truncated, in a wrapping uint32.
//
// `stepPerReading` (microseconds, default 0) advances the clock after every reading,
// which lets a test give consecutive readings different values.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

class VirtualClock : public Clock {
public:
    explicit VirtualClock(uint64_t startMilliseconds = 0)
        : microseconds_(startMilliseconds * 1000) {}

    uint32_t tickCount() override;

    void setMilliseconds(uint64_t milliseconds) { microseconds_ = milliseconds * 1000; }
    void setMicroseconds(uint64_t microseconds) { microseconds_ = microseconds; }
    void advanceMicroseconds(uint64_t microseconds) { microseconds_ += microseconds; }
    void advanceMilliseconds(uint64_t milliseconds) { microseconds_ += milliseconds * 1000; }
    uint64_t microseconds() const { return microseconds_; }

    uint64_t stepPerReading = 0; // microseconds added after each tickCount()
    int64_t readings = 0;        // tickCount() calls so far

private:
    uint64_t microseconds_;
};
