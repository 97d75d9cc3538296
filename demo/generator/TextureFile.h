// TextureFile: writes a procedural Image as a 3DF texture in a chosen format.
//
// The image's sides must be powers of two from 1 to 256 with an aspect of at most 8:1.
// With mip-maps, every level down to a long side of 1 is made by 2x2 averaging, so that
// far and slanted surfaces do not sparkle. Channels are quantised with a 4x4 ordered
// dither where a format keeps fewer than 8 bits, so that smooth gradients (skies, glows)
// survive bilinear filtering without bands.
//
// Direct formats are encoded here; the compressed families (NCC/YIQ and palette) go
// through the accelerator's texture converter, which fits their tables to the picture.
#pragma once

#include <string>

#include "Image.h"
#include "accel/Accelerator.h"

// False when the image has an unusable size or the file cannot be written.
bool writeTexture(const std::string& hostPath, const Image& image, GrTextureFormat_t format,
                  bool mipmaps = true);
