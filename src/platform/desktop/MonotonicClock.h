// MonotonicClock: the tick counter of a running player, from the host's monotonic
// clock (milliseconds since an arbitrary start, truncated to a wrapping uint32).
//
// The timer-resolution calls only keep their count: the host's sleeps and clock are
// already fine-grained, and the frame loop never sleeps.
#pragma once

#include "platform/Clock.h"

class MonotonicClock : public Clock {
public:
    uint32_t tickCount() override;
};
