// The drawing of a prepared triangle's rows for processors with AVX-512
// (TriangleRowsAvx512.cpp), which the span selection puts in SpanContext::drawRows with
// the sixteen-wide spans; it gives exactly the bits of drawTriangleRows's own.
#pragma once

#include "accel/Rasterizer.h"

// The AVX-512 row drawer, or nullptr when the build has none. Only for a processor where
// processorHasAvx512() holds.
TriangleRowsFunction triangleRowsFunctionAvx512();
