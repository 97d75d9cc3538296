#include "accel/TextureLayout.h"

bool isValidLod(GrLOD_t lod) {
    return lod >= GR_LOD_256 && lod <= GR_LOD_1;
}

bool isValidAspectRatio(GrAspectRatio_t aspect) {
    return aspect >= GR_ASPECT_8x1 && aspect <= GR_ASPECT_1x8;
}

int32_t bytesPerTexel(GrTextureFormat_t format) {
    switch (format) {
    case GR_TEXFMT_RGB_332:
    case GR_TEXFMT_YIQ_422:
    case GR_TEXFMT_ALPHA_8:
    case GR_TEXFMT_INTENSITY_8:
    case GR_TEXFMT_ALPHA_INTENSITY_44:
    case GR_TEXFMT_P_8:
        return 1;
    case GR_TEXFMT_ARGB_8332:
    case GR_TEXFMT_AYIQ_8422:
    case GR_TEXFMT_RGB_565:
    case GR_TEXFMT_ARGB_1555:
    case GR_TEXFMT_ARGB_4444:
    case GR_TEXFMT_ALPHA_INTENSITY_88:
    case GR_TEXFMT_AP_88:
        return 2;
    default:
        return 0;
    }
}

int32_t lodLongSide(GrLOD_t lod) {
    return isValidLod(lod) ? 256 >> lod : 0;
}

void levelDimensions(GrLOD_t lod, GrAspectRatio_t aspect, int32_t& width, int32_t& height) {
    width = height = 0;
    if (!isValidLod(lod) || !isValidAspectRatio(aspect)) {
        return;
    }
    const int32_t longSide = lodLongSide(lod);
    // 8x1 -> shift 3 on the height; 1x8 -> shift 3 on the width.
    const int32_t shift = aspect < GR_ASPECT_1x1 ? GR_ASPECT_1x1 - aspect : aspect - GR_ASPECT_1x1;
    int32_t shortSide = longSide >> shift;
    if (shortSide < 1) {
        shortSide = 1;
    }
    if (aspect <= GR_ASPECT_1x1) {
        width = longSide, height = shortSide;
    } else {
        width = shortSide, height = longSide;
    }
}

uint32_t levelTexelBytes(GrLOD_t lod, GrAspectRatio_t aspect, GrTextureFormat_t format) {
    int32_t width = 0;
    int32_t height = 0;
    levelDimensions(lod, aspect, width, height);
    return static_cast<uint32_t>(width) * static_cast<uint32_t>(height) *
           static_cast<uint32_t>(bytesPerTexel(format));
}

bool isValidTexInfo(const GrTexInfo& info) {
    return isValidLod(info.smallLod) && isValidLod(info.largeLod) &&
           info.largeLod <= info.smallLod && isValidAspectRatio(info.aspectRatio) &&
           bytesPerTexel(info.format) != 0;
}

uint32_t textureTexelBytes(const GrTexInfo& info) {
    if (!isValidTexInfo(info)) {
        return 0;
    }
    uint32_t total = 0;
    for (GrLOD_t lod = info.largeLod; lod <= info.smallLod; ++lod) {
        total += levelTexelBytes(lod, info.aspectRatio, info.format);
    }
    return total;
}

uint32_t textureMemoryRequired(FxU32 evenOdd, const GrTexInfo& info) {
    if (!isValidTexInfo(info)) {
        return 0;
    }
    uint32_t total = 0;
    for (GrLOD_t lod = info.largeLod; lod <= info.smallLod; ++lod) {
        const bool even = lod % 2 == 0;
        if ((even && (evenOdd & GR_MIPMAPLEVELMASK_EVEN) == 0) ||
            (!even && (evenOdd & GR_MIPMAPLEVELMASK_ODD) == 0)) {
            continue;
        }
        const uint32_t bytes = levelTexelBytes(lod, info.aspectRatio, info.format);
        total +=
            (bytes + kTextureLevelAlignment - 1) / kTextureLevelAlignment * kTextureLevelAlignment;
    }
    return total;
}

int32_t placeLevels(const GrTexInfo& info, FxU32 evenOdd, LevelPlacement levels[9]) {
    if (!isValidTexInfo(info)) {
        return 0;
    }
    int32_t count = 0;
    uint32_t hostOffset = 0;
    uint32_t memoryOffset = 0;
    for (GrLOD_t lod = info.largeLod; lod <= info.smallLod; ++lod) {
        LevelPlacement& level = levels[count++];
        level.lod = lod;
        levelDimensions(lod, info.aspectRatio, level.width, level.height);
        level.bytes = levelTexelBytes(lod, info.aspectRatio, info.format);
        level.hostOffset = hostOffset;
        hostOffset += level.bytes;
        const bool even = lod % 2 == 0;
        level.inMemory = (evenOdd & (even ? GR_MIPMAPLEVELMASK_EVEN : GR_MIPMAPLEVELMASK_ODD)) != 0;
        level.memoryOffset = memoryOffset;
        if (level.inMemory) {
            memoryOffset += (level.bytes + kTextureLevelAlignment - 1) / kTextureLevelAlignment *
                            kTextureLevelAlignment;
        }
    }
    return count;
}
