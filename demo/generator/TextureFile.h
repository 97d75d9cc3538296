// TextureFile: writes a procedural Image as a 3DF texture in a chosen format.
//
// The image's sides must be powers of two from 1 to 256 with an aspect of at most 8:1.
// With mip-maps, every level down to a long side of 1 is made by 2x2 averaging, so that
// far and slanted surfaces do not sparkle. Channels are quantised with a 4x4 ordered
// dither where a format keeps fewer than 8 bits, so that smooth gradients (skies, glows)
// survive bilinear filtering without bands.
//
// All formats are encoded here except the compressed families (NCC/YIQ and palette),
// which go through the accelerator's texture converter once it is available; until then
// they are written as RGB 565 and reported by writeTexture's result.
#pragma once

#include <string>

#include "Image.h"
#include "accel/Accelerator.h"

enum class TextureWrite { Written, Substituted, Failed };

TextureWrite writeTexture(const std::string& hostPath, const Image& image, GrTextureFormat_t format,
                          bool mipmaps = true);
