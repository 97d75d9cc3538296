// Builds 3DF files for tests: a header and texel bytes, written through the system's
// own writer so that tests state what a file holds rather than its bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "accel/TextureLayout.h"
#include "accel/ThreeDfFile.h"

struct ThreeDfBuilder {
    Gu3dfInfo info;
    std::vector<uint8_t> texels;

    // A square texture of `size` texels per side with levels down to `smallestSize`.
    static ThreeDfBuilder square(GrTextureFormat_t format, int32_t size, int32_t smallestSize) {
        return sized(format, size, smallestSize, GR_ASPECT_1x1);
    }

    static ThreeDfBuilder sized(GrTextureFormat_t format, int32_t longSide, int32_t smallestSide,
                                GrAspectRatio_t aspect) {
        ThreeDfBuilder b;
        auto lodOf = [](int32_t size) {
            GrLOD_t lod = GR_LOD_256;
            while (lodLongSide(lod) > size) {
                ++lod;
            }
            return lod;
        };
        b.info.header.format = format;
        b.info.header.large_lod = lodOf(longSide);
        b.info.header.small_lod = lodOf(smallestSide);
        b.info.header.aspect_ratio = aspect;
        GrTexInfo texInfo;
        texInfo.largeLod = b.info.header.large_lod;
        texInfo.smallLod = b.info.header.small_lod;
        texInfo.aspectRatio = aspect;
        texInfo.format = format;
        b.texels.resize(textureTexelBytes(texInfo));
        for (size_t i = 0; i < b.texels.size(); ++i) {
            b.texels[i] = static_cast<uint8_t>(i * 7 + 3);
        }
        return b;
    }

    bool write(const std::string& hostPath) {
        info.data = texels.data();
        info.mem_required = static_cast<FxU32>(texels.size());
        return write3dfFile(hostPath.c_str(), info) == FXTRUE;
    }
};
