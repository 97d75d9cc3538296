#include "platform/Clock.h"

namespace {

Clock inertClock;
Clock* current = &inertClock;

} // namespace

uint32_t Clock::beginPeriod(uint32_t milliseconds) {
    if (milliseconds == 0) {
        return TIMERR_NOCANDO;
    }
    ++periodsInForce_;
    return TIMERR_NOERROR;
}

uint32_t Clock::endPeriod(uint32_t milliseconds) {
    if (milliseconds == 0 || periodsInForce_ == 0) {
        return TIMERR_NOCANDO;
    }
    --periodsInForce_;
    return TIMERR_NOERROR;
}

void setClock(Clock* clock) {
    current = clock != nullptr ? clock : &inertClock;
}

Clock& currentClock() {
    return *current;
}

uint32_t GetTickCount() {
    return current->tickCount();
}
uint32_t timeBeginPeriod(uint32_t milliseconds) {
    return current->beginPeriod(milliseconds);
}
uint32_t timeEndPeriod(uint32_t milliseconds) {
    return current->endPeriod(milliseconds);
}
