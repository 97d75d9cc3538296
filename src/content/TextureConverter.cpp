#include "content/TextureConverter.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "accel/TexelFormat.h"
#include "accel/TextureLayout.h"
#include "accel/ThreeDfFile.h"
#include "content/ColorQuantizer.h"
#include "content/ImageResample.h"
#include "content/NccFit.h"

namespace {

void say(char* message, size_t size, const char* text) {
    if (message != nullptr && size > 0) {
        std::snprintf(message, size, "%s", text);
    }
}

// round(v * maximum / 255)
uint32_t scaled(uint32_t v, uint32_t maximum) {
    return (v * maximum * 2 + 255) / 510;
}

uint32_t luminance(const uint8_t* p) {
    const double y = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    const uint32_t v = static_cast<uint32_t>(y + 0.5);
    return v > 255 ? 255 : v;
}

uint32_t rgbOf(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
}

GrLOD_t lodOfLongSide(int32_t side) {
    GrLOD_t lod = GR_LOD_256;
    while (lodLongSide(lod) > side && lod < GR_LOD_1) {
        ++lod;
    }
    return lod;
}

GrAspectRatio_t aspectOf(int32_t width, int32_t height) {
    if (width >= height) {
        const int32_t ratio = width / height;
        return ratio >= 8
                   ? GR_ASPECT_8x1
                   : (ratio == 4 ? GR_ASPECT_4x1 : (ratio == 2 ? GR_ASPECT_2x1 : GR_ASPECT_1x1));
    }
    const int32_t ratio = height / width;
    return ratio >= 8 ? GR_ASPECT_1x8 : (ratio == 4 ? GR_ASPECT_1x4 : GR_ASPECT_1x2);
}

bool isNcc(GrTextureFormat_t f) {
    return f == GR_TEXFMT_YIQ_422 || f == GR_TEXFMT_AYIQ_8422;
}
bool isPalette(GrTextureFormat_t f) {
    return f == GR_TEXFMT_P_8 || f == GR_TEXFMT_AP_88;
}

// One texel of a non-table format.
uint32_t encodeDirect(GrTextureFormat_t format, const uint8_t* p) {
    const uint32_t r = p[0], g = p[1], b = p[2], a = p[3];
    const uint32_t rgb332 = scaled(r, 7) << 5 | scaled(g, 7) << 2 | scaled(b, 3);
    switch (format) {
    case GR_TEXFMT_RGB_332:
        return rgb332;
    case GR_TEXFMT_ALPHA_8:
        return a;
    case GR_TEXFMT_INTENSITY_8:
        return luminance(p);
    case GR_TEXFMT_ALPHA_INTENSITY_44:
        return scaled(a, 15) << 4 | scaled(luminance(p), 15);
    case GR_TEXFMT_ARGB_8332:
        return a << 8 | rgb332;
    case GR_TEXFMT_RGB_565:
        return scaled(r, 31) << 11 | scaled(g, 63) << 5 | scaled(b, 31);
    case GR_TEXFMT_ARGB_1555:
        return (a >= 128 ? 0x8000u : 0u) | scaled(r, 31) << 10 | scaled(g, 31) << 5 | scaled(b, 31);
    case GR_TEXFMT_ARGB_4444:
        return scaled(a, 15) << 12 | scaled(r, 15) << 8 | scaled(g, 15) << 4 | scaled(b, 15);
    case GR_TEXFMT_ALPHA_INTENSITY_88:
        return a << 8 | luminance(p);
    default:
        return 0;
    }
}

} // namespace

GrTextureFormat_t threeDfFormatOfName(const char* name) {
    for (GrTextureFormat_t f : kThreeDfFormats) {
        if (name != nullptr && strcasecmp(name, threeDfFormatName(f)) == 0) {
            return f;
        }
    }
    return -1;
}

int32_t convertImageToThreeDf(const RgbaImage& image, const TextureConversion& conversion,
                              ThreeDfTexture& texture, char* message, size_t messageSize) {
    const GrTextureFormat_t format = conversion.format;
    if (bytesPerTexel(format) == 0) {
        say(message, messageSize, "unknown texture format");
        return 0;
    }
    if (image.width < 1 || image.height < 1) {
        say(message, messageSize, "empty image");
        return 0;
    }
    int32_t width = 0, height = 0;
    nearestTextureSize(image.width, image.height, width, height);

    // Levels, largest first.
    RgbaImage levels[9];
    if (width == image.width && height == image.height) {
        if (!levels[0].allocate(width, height)) {
            say(message, messageSize, "not enough memory");
            return 0;
        }
        std::memcpy(levels[0].pixels.get(), image.pixels.get(),
                    static_cast<size_t>(width) * height * 4);
    } else if (!resampleImage(image, width, height, levels[0])) {
        say(message, messageSize, "not enough memory to resample the image");
        return 0;
    }
    Gu3dfHeader& header = texture.info.header;
    header.width = static_cast<FxU32>(width);
    header.height = static_cast<FxU32>(height);
    header.large_lod = lodOfLongSide(width > height ? width : height);
    header.small_lod = conversion.mipMaps ? GR_LOD_1 : header.large_lod;
    header.aspect_ratio = aspectOf(width, height);
    header.format = format;
    const int32_t levelCount = header.small_lod - header.large_lod + 1;
    for (int32_t k = 1; k < levelCount; ++k) {
        if (!halveImage(levels[k - 1], levels[k])) {
            say(message, messageSize, "not enough memory for the mip-map levels");
            return 0;
        }
    }

    GrTexInfo info;
    info.largeLod = header.large_lod;
    info.smallLod = header.small_lod;
    info.aspectRatio = header.aspect_ratio;
    info.format = format;
    const uint32_t bytes = textureTexelBytes(info);
    texture.texels.reset(new (std::nothrow) uint8_t[bytes]);
    if (texture.texels == nullptr) {
        say(message, messageSize, "not enough memory");
        return 0;
    }

    // The table of the table formats, from the colours of every level.
    uint32_t decoded[256] = {};
    int32_t tableSize = 0;
    if (isNcc(format) || isPalette(format)) {
        size_t samples = 0;
        for (int32_t k = 0; k < levelCount; ++k) {
            samples += static_cast<size_t>(levels[k].width) * levels[k].height;
        }
        std::unique_ptr<uint32_t[]> colors(new (std::nothrow) uint32_t[samples]);
        if (colors == nullptr) {
            say(message, messageSize, "not enough memory");
            return 0;
        }
        size_t n = 0;
        for (int32_t k = 0; k < levelCount; ++k) {
            const size_t pixels = static_cast<size_t>(levels[k].width) * levels[k].height;
            for (size_t p = 0; p < pixels; ++p) {
                colors[n++] = rgbOf(levels[k].pixels.get() + p * 4);
            }
        }
        ColorHistogram histogram;
        if (!histogram.build(colors.get(), n)) {
            say(message, messageSize, "not enough memory");
            return 0;
        }
        if (isPalette(format)) {
            tableSize = buildPalette(histogram, 256, texture.info.table.palette.data);
            for (int32_t k = 0; k < 256; ++k) {
                decoded[k] = texture.info.table.palette.data[k];
            }
        } else {
            if (histogram.size > 16384) {
                // Fit on colours to 5 bits per channel: as good a fit, far fewer colours.
                for (size_t p = 0; p < n; ++p) {
                    colors[p] &= 0x00F8F8F8u;
                    colors[p] |= (colors[p] >> 5) & 0x00070707u;
                }
                if (!histogram.build(colors.get(), n)) {
                    say(message, messageSize, "not enough memory");
                    return 0;
                }
            }
            fitNccTable(histogram, texture.info.table.nccTable);
            for (uint32_t t = 0; t < 256; ++t) {
                decoded[t] = decodeNcc(texture.info.table.nccTable, t) & 0x00FFFFFFu;
            }
            tableSize = 256;
        }
    }

    uint8_t* out = texture.texels.get();
    const int32_t texelBytes = bytesPerTexel(format);
    for (int32_t k = 0; k < levelCount; ++k) {
        const size_t pixels = static_cast<size_t>(levels[k].width) * levels[k].height;
        for (size_t p = 0; p < pixels; ++p) {
            const uint8_t* rgba = levels[k].pixels.get() + p * 4;
            uint32_t value = 0;
            if (isNcc(format) || isPalette(format)) {
                value = static_cast<uint32_t>(nearestPaletteEntry(decoded, tableSize, rgbOf(rgba)));
                if (texelBytes == 2) {
                    value |= static_cast<uint32_t>(rgba[3]) << 8;
                }
            } else {
                value = encodeDirect(format, rgba);
            }
            if (texelBytes == 1) {
                *out++ = static_cast<uint8_t>(value);
            } else {
                const uint16_t v = static_cast<uint16_t>(value);
                std::memcpy(out, &v, 2);
                out += 2;
            }
        }
    }
    texture.info.data = texture.texels.get();
    texture.info.mem_required = bytes;
    return 1;
}

int32_t loadThreeDfTexture(const char* path, ThreeDfTexture& texture, char* message,
                           size_t messageSize) {
    if (!gu3dfGetInfo(path, &texture.info)) {
        say(message, messageSize,
            "cannot read a 3DF texture from the file (missing, damaged or "
            "not a 3DF file)");
        return 0;
    }
    texture.texels.reset(new (std::nothrow) uint8_t[texture.info.mem_required]);
    if (texture.texels == nullptr) {
        say(message, messageSize, "not enough memory");
        return 0;
    }
    texture.info.data = texture.texels.get();
    if (!gu3dfLoad(path, &texture.info)) {
        say(message, messageSize, "the 3DF file is damaged or shorter than its header says");
        return 0;
    }
    return 1;
}

int32_t threeDfLevelCount(const Gu3dfInfo& info) {
    return info.header.small_lod - info.header.large_lod + 1;
}

int32_t decodeThreeDfLevel(const ThreeDfTexture& texture, int32_t level, RgbaImage& image,
                           char* message, size_t messageSize) {
    const Gu3dfInfo& info = texture.info;
    GrTexInfo texInfo;
    texInfo.largeLod = info.header.large_lod;
    texInfo.smallLod = info.header.small_lod;
    texInfo.aspectRatio = info.header.aspect_ratio;
    texInfo.format = info.header.format;
    LevelPlacement levels[9];
    const int32_t count = placeLevels(texInfo, GR_MIPMAPLEVELMASK_BOTH, levels);
    if (count == 0 || texture.texels == nullptr || info.mem_required < textureTexelBytes(texInfo)) {
        say(message, messageSize, "not a valid texture");
        return 0;
    }
    if (level < 0 || level >= count) {
        char text[96];
        std::snprintf(text, sizeof(text), "level %d does not exist: the texture has levels 0..%d",
                      level, count - 1);
        say(message, messageSize, text);
        return 0;
    }
    const LevelPlacement& placement = levels[level];
    if (!image.allocate(placement.width, placement.height)) {
        say(message, messageSize, "not enough memory");
        return 0;
    }
    const uint8_t* texels = texture.texels.get() + placement.hostOffset;
    const int32_t bytes = bytesPerTexel(texInfo.format);
    const int32_t pixels = placement.width * placement.height;
    for (int32_t p = 0; p < pixels; ++p) {
        uint32_t raw = texels[p];
        if (bytes == 2) {
            uint16_t v;
            std::memcpy(&v, texels + 2 * p, 2);
            raw = v;
        }
        const uint32_t argb =
            decodeTexel(texInfo.format, raw, info.table.nccTable, info.table.palette.data);
        uint8_t* out = image.pixels.get() + static_cast<size_t>(p) * 4;
        out[0] = static_cast<uint8_t>(argb >> 16);
        out[1] = static_cast<uint8_t>(argb >> 8);
        out[2] = static_cast<uint8_t>(argb);
        out[3] = static_cast<uint8_t>(argb >> 24);
    }
    return 1;
}
