// Chooses the span function for a render state: a specialised fast span when the state
// is one the player draws with (FastSpans.cpp), otherwise the general span. The choice
// never changes the pixels, only the speed.
#pragma once

#include "accel/RenderState.h"
#include "accel/SpanContext.h"

// `context` holds the state, the buffer and the texture; the selection fills its
// blendAlpha and constantAlpha.
SpanFunction selectSpanFunction(SpanContext& context);
