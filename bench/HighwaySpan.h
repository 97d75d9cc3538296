// One span written with Google Highway (see HighwaySpan.cpp), for bench_span_widths.
#pragma once

#include <cstdint>

#include "accel/SpanContext.h"

// The Highway span for the best of `targets` (HWY_AVX2, HWY_AVX3, ...; 0: every target
// the processor runs), dispatched as Highway chooses; and that target's name.
SpanFunction highwayTexturedBilinearSpan(int64_t targets);
const char* highwayTargetName(int64_t targets);
