#include "TextureFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "accel/TextureLayout.h"
#include "accel/ThreeDfFile.h"
#include "content/TextureConverter.h"

namespace {

// 4x4 Bayer thresholds, centred on 0, in units of one quantisation step.
float ditherOffset(int32_t x, int32_t y) {
    static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (static_cast<float>(kBayer[y & 3][x & 3]) + 0.5f) / 16.0f - 0.5f;
}

// A 0..1 channel to `bits` bits, dithered.
uint32_t quantise(float value, int bits, int32_t x, int32_t y) {
    const float levels = static_cast<float>((1 << bits) - 1);
    const float v = std::floor(std::clamp(value, 0.0f, 1.0f) * levels + 0.5f +
                               (bits < 8 ? ditherOffset(x, y) : 0.0f));
    return static_cast<uint32_t>(std::clamp(v, 0.0f, levels));
}

float luminance(const Color& c) {
    return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
}

// One texel in host order (8-bit formats in the low byte).
uint32_t encode(const Color& c, GrTextureFormat_t format, int32_t x, int32_t y) {
    switch (format) {
    case GR_TEXFMT_RGB_332:
        return quantise(c.r, 3, x, y) << 5 | quantise(c.g, 3, x, y) << 2 | quantise(c.b, 2, x, y);
    case GR_TEXFMT_ALPHA_8:
        return quantise(c.a, 8, x, y);
    case GR_TEXFMT_INTENSITY_8:
        return quantise(luminance(c), 8, x, y);
    case GR_TEXFMT_ALPHA_INTENSITY_44:
        return quantise(c.a, 4, x, y) << 4 | quantise(luminance(c), 4, x, y);
    case GR_TEXFMT_ARGB_8332:
        return quantise(c.a, 8, x, y) << 8 | quantise(c.r, 3, x, y) << 5 |
               quantise(c.g, 3, x, y) << 2 | quantise(c.b, 2, x, y);
    case GR_TEXFMT_ARGB_1555:
        return (c.a >= 0.5f ? 1u : 0u) << 15 | quantise(c.r, 5, x, y) << 10 |
               quantise(c.g, 5, x, y) << 5 | quantise(c.b, 5, x, y);
    case GR_TEXFMT_ARGB_4444:
        return quantise(c.a, 4, x, y) << 12 | quantise(c.r, 4, x, y) << 8 |
               quantise(c.g, 4, x, y) << 4 | quantise(c.b, 4, x, y);
    case GR_TEXFMT_ALPHA_INTENSITY_88:
        return quantise(c.a, 8, x, y) << 8 | quantise(luminance(c), 8, x, y);
    case GR_TEXFMT_RGB_565:
    default:
        return quantise(c.r, 5, x, y) << 11 | quantise(c.g, 6, x, y) << 5 | quantise(c.b, 5, x, y);
    }
}

GrLOD_t lodOf(int32_t longSide) {
    GrLOD_t lod = GR_LOD_256;
    while (lod < GR_LOD_1 && lodLongSide(lod) > longSide) {
        ++lod;
    }
    return lod;
}

bool aspectOf(int32_t w, int32_t h, GrAspectRatio_t& aspect) {
    static const struct {
        int32_t w, h;
        GrAspectRatio_t aspect;
    } kAspects[] = {{8, 1, GR_ASPECT_8x1}, {4, 1, GR_ASPECT_4x1}, {2, 1, GR_ASPECT_2x1},
                    {1, 1, GR_ASPECT_1x1}, {1, 2, GR_ASPECT_1x2}, {1, 4, GR_ASPECT_1x4},
                    {1, 8, GR_ASPECT_1x8}};
    for (const auto& a : kAspects) {
        if (w * a.h == h * a.w) {
            aspect = a.aspect;
            return true;
        }
    }
    return false;
}

bool isPowerOfTwo(int32_t v) {
    return v > 0 && v <= 256 && (v & (v - 1)) == 0;
}

// NCC and palette formats: the texture converter fits the table to the picture.
bool writeThroughConverter(const std::string& hostPath, const Image& image,
                           GrTextureFormat_t format, bool mipmaps) {
    RgbaImage rgba;
    if (!rgba.allocate(image.width, image.height)) {
        return false;
    }
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            const Color& c = image.at(x, y);
            uint8_t* p = rgba.at(x, y);
            p[0] = static_cast<uint8_t>(quantise(c.r, 8, x, y));
            p[1] = static_cast<uint8_t>(quantise(c.g, 8, x, y));
            p[2] = static_cast<uint8_t>(quantise(c.b, 8, x, y));
            p[3] = static_cast<uint8_t>(quantise(c.a, 8, x, y));
        }
    }
    TextureConversion conversion;
    conversion.format = format;
    conversion.mipMaps = mipmaps;
    ThreeDfTexture texture;
    char message[256] = {};
    if (!convertImageToThreeDf(rgba, conversion, texture, message, sizeof message)) {
        std::fprintf(stderr, "make_demo: %s: %s\n", hostPath.c_str(), message);
        return false;
    }
    texture.info.data = texture.texels.get();
    return write3dfFile(hostPath.c_str(), texture.info) == FXTRUE;
}

} // namespace

bool writeTexture(const std::string& hostPath, const Image& image, GrTextureFormat_t format,
                  bool mipmaps) {
    if (format == GR_TEXFMT_YIQ_422 || format == GR_TEXFMT_AYIQ_8422 || format == GR_TEXFMT_P_8 ||
        format == GR_TEXFMT_AP_88) {
        return writeThroughConverter(hostPath, image, format, mipmaps);
    }
    GrAspectRatio_t aspect = GR_ASPECT_1x1;
    if (!isPowerOfTwo(image.width) || !isPowerOfTwo(image.height) ||
        !aspectOf(image.width, image.height, aspect)) {
        return false;
    }
    Gu3dfInfo info;
    info.header.format = format;
    info.header.width = static_cast<FxU32>(image.width);
    info.header.height = static_cast<FxU32>(image.height);
    info.header.aspect_ratio = aspect;
    info.header.large_lod = lodOf(std::max(image.width, image.height));
    info.header.small_lod = mipmaps ? GR_LOD_1 : info.header.large_lod;

    const int32_t bytes = bytesPerTexel(format);
    std::vector<uint8_t> texels;
    Image level = image;
    for (GrLOD_t lod = info.header.large_lod; lod <= info.header.small_lod; ++lod) {
        int32_t w = 0, h = 0;
        levelDimensions(lod, aspect, w, h);
        while (level.width > w || level.height > h) {
            level = level.halved();
        }
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t t = encode(level.at(x, y), format, x, y);
                if (bytes == 2) {
                    const auto v = static_cast<uint16_t>(t);
                    const auto* p = reinterpret_cast<const uint8_t*>(&v);
                    texels.insert(texels.end(), p, p + 2);
                } else {
                    texels.push_back(static_cast<uint8_t>(t));
                }
            }
        }
    }
    info.data = texels.data();
    info.mem_required = static_cast<FxU32>(texels.size());
    return write3dfFile(hostPath.c_str(), info) == FXTRUE;
}
