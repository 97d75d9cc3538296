#include "platform/headless/VirtualClock.h"

uint32_t VirtualClock::tickCount() {
    const uint32_t ticks = static_cast<uint32_t>(microseconds_ / 1000);
    microseconds_ += stepPerReading;
    ++readings;
    return ticks;
}
