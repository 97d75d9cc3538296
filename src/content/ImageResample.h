// Resampling images for textures: the valid texture size nearest to an image's, scaling
// to it, and halving for mip-map levels.
//
// Valid sizes: both sides powers of two of at most 256, the ratio of the sides at most
// 8:1 either way. Each side goes to the nearest power of two (by its base-2 logarithm,
// at most 256), then the shorter side is raised if the ratio would exceed 8:1.
//
// Scaling filters colour weighted by alpha (premultiplied), so transparent texels do
// not bleed their colour into opaque ones: a tent filter as wide as the scale factor
// when shrinking (an area average), linear interpolation when enlarging. Halving is a
// 2x2 box average (2x1 once a side is down to one texel).
#pragma once

#include <cstdint>

#include "content/RgbaImage.h"

void nearestTextureSize(int32_t width, int32_t height, int32_t& textureWidth,
                        int32_t& textureHeight);

// False when memory is short or a size is invalid.
bool resampleImage(const RgbaImage& source, int32_t width, int32_t height, RgbaImage& result);
bool halveImage(const RgbaImage& source, RgbaImage& result);
