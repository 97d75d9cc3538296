// Chooses the span function for a render state: a specialised fast span when the state
// is one the player draws with (FastSpans.h; sixteen-wide AVX-512 or eight-wide AVX2
// where the processor has them, else four-wide SSE2), otherwise the general span. The
// choice never changes the pixels, only the speed.
#pragma once

#include "accel/RenderState.h"
#include "accel/SpanContext.h"

// Which span functions may shade pixels. Every choice gives the same bits; tests compare
// them.
enum class SpanPath {
    Fastest, // AVX-512 or AVX2 where the processor has them, else SSE2, else general
    Avx2,    // never AVX-512
    Sse2,    // never AVX2
    General, // the general span for every state
};

// Whether the AVX2 or AVX-512 spans are built and the processor runs them.
bool avx2SpansAvailable();
bool avx512SpansAvailable();

// `context` holds the state, the buffer and the texture; the selection fills its
// blendAlpha, constantAlpha, level tables and row drawer.
SpanFunction selectSpanFunction(SpanContext& context, SpanPath path = SpanPath::Fastest);
