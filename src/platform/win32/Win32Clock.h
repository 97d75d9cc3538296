// Win32Clock: the frame clock of emberplay.exe. Ticks are the multimedia timer's
// (timeGetTime, milliseconds since the system started, wrapping), whose resolution the
// frame loop's timeBeginPeriod(1) / timeEndPeriod(1) really set for the process.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

class Win32Clock : public Clock {
public:
    uint32_t tickCount() override;
    uint32_t beginPeriod(uint32_t milliseconds) override;
    uint32_t endPeriod(uint32_t milliseconds) override;
};
