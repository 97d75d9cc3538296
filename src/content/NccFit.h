// Fitting an NCC (YIQ) decompression table to an image's colours.
//
// A YIQ texel decodes as Y[y] + I[i] + Q[q] per channel (16 luminances, 4 + 4 signed RGB
// offsets), so a table is a small additive colour model. The fit starts from the
// image's colours in YIQ space: 16 luminance levels and 4 levels of each chroma axis by
// weighted one-dimensional k-means (seeded at quantiles), the chroma levels turned into
// RGB offsets along the I and Q axes. Then a few rounds of alternating refinement:
// every distinct colour takes the nearest of the table's 256 decodable colours, and each
// Y, I and Q entry moves to the mean residual of the colours that use it (I and Q as
// free RGB offsets, no longer tied to their axes). Entries stay within their ranges
// (Y 0..255, I and Q -256..255).
#pragma once

#include "accel/Accelerator.h"
#include "content/ColorQuantizer.h"

void fitNccTable(const ColorHistogram& histogram, GuNccTable& table);

// The YIQ texel (y << 4 | i << 2 | q) whose decoded colour is nearest to `rgb`;
// `decoded` holds the 256 colours of the table (decodeNcc of every texel).
int32_t nearestNccTexel(const uint32_t decoded[256], uint32_t rgb);
