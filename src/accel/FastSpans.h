// The fast spans: the states the player draws with, specialised at compile time so that
// the per-pixel loop has no branch on state, with the per-pixel arithmetic of four
// pixels at a time in SSE2 (the x86-64 baseline; no run-time dispatch needed).
//
// Covered: a 16- or 32-bit buffer; W-buffer or no depth buffer, any compare function,
// mask on or off; colour = vertex colour, vertex colour faded by the constant alpha
// (the blended surfaces), or texture x vertex colour with point or bilinear filtering
// (one filter for magnification and minification), nearest mip-mapping or none, wrap on
// both axes; blend replace, add, or ONE_MINUS_SRC_ALPHA / SRC_ALPHA with an alpha that
// is the same at every pixel; no alpha test. Everything else takes the general span.
//
// Every value is computed with the same operations in the same order as the general
// span (SpanGeneral.cpp), so both give the same bits; a test draws random scenes both
// ways and compares the buffers.
#pragma once

#include "accel/SpanContext.h"

enum class FastColor { Iterated, Faded, TexturedPoint, TexturedBilinear };
enum class FastBlend { Replace, Add, AlphaOver };

// The fast span for a combination, or nullptr where SSE2 is not available.
SpanFunction fastSpanFunction(bool rgb565, bool wBuffer, FastColor color, FastBlend blend);
