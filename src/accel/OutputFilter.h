// Presentation of the front buffer: read-back to 8-bit pixels and the optional output
// filter.
//
// The board's video output smoothed the ordered-dither pattern of its 16-bit frame
// buffer with a small horizontal filter. We offer the same as a presentation option,
// never applied to the frame buffer itself: per channel, a pixel becomes
// (left + 2 * centre + right + 2) / 4, where a neighbour that differs from the centre by
// more than two steps of the channel's 5 or 6 bits (16 or 8 in 8-bit units) counts as
// the centre instead. Dither noise (one step) is averaged away, real edges stay sharp.
// The filter only applies to 16-bit buffers; 32-bit pixels are passed through.
#pragma once

#include <cstdint>

enum class OutputFilter { None, Smooth };

// Filters one row of 0xAARRGGBB pixels (expanded from RGB565) in place; `scratch`
// holds `width` pixels.
void applyOutputFilter(uint32_t* row, int32_t width, uint32_t* scratch);
