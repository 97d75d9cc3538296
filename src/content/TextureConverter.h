// The texture converter: images to 3DF textures in every format, and 3DF levels back to
// images. Used by `ember texture` and by the demo generator (no process needed).
//
// Conversion: the image is resampled to the nearest valid texture size (see
// ImageResample.h), optionally given box-filtered mip-map levels down to one texel on
// the long side, and every level encoded in the format:
//   - direct formats round each channel to its bits (R5 = round(r * 31 / 255) ...);
//     intensity is the luminance 0.299 R + 0.587 G + 0.114 B, rounded; ARGB1555 keeps
//     alpha >= 128 as opaque;
//   - p8 / ap88 build a palette from the colours of all levels (ColorQuantizer.h) and
//     store each texel's nearest entry (ap88 with alpha in the high byte);
//   - yiq / ayiq8422 fit an NCC table to those colours (NccFit.h) and store each texel's
//     nearest decodable colour.
// Export decodes a level exactly as the software device does (TexelFormat.h), tables
// included.
//
// Results are 1 or 0 with one line in `message`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "accel/Accelerator.h"
#include "content/RgbaImage.h"

struct TextureConversion {
    GrTextureFormat_t format = GR_TEXFMT_RGB_565;
    bool mipMaps = false;
};

// A 3DF texture in memory: the record gu3dfLoad fills, with the texel bytes it owns
// (16-bit texels in host order, levels largest first).
struct ThreeDfTexture {
    Gu3dfInfo info;
    std::unique_ptr<uint8_t[]> texels;
};

int32_t convertImageToThreeDf(const RgbaImage& image, const TextureConversion& conversion,
                              ThreeDfTexture& texture, char* message, size_t messageSize);

// Reads a 3DF file (a content path) with gu3dfGetInfo and gu3dfLoad.
int32_t loadThreeDfTexture(const char* path, ThreeDfTexture& texture, char* message,
                           size_t messageSize);

// The number of levels of a texture.
int32_t threeDfLevelCount(const Gu3dfInfo& info);

// Decodes level `level` (0 = the largest) to RGBA.
int32_t decodeThreeDfLevel(const ThreeDfTexture& texture, int32_t level, RgbaImage& image,
                           char* message, size_t messageSize);

// The format of a 3DF format name ("rgb565", any case), or -1.
GrTextureFormat_t threeDfFormatOfName(const char* name);
