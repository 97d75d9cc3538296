// Sizes of textures and their mip-map levels, shared by the 3DF reader, texture memory
// and the devices.
//
// A level is named by its LOD, the length of its long side (GR_LOD_256 = 256 texels ...
// GR_LOD_1 = 1). The aspect ratio fixes the short side: 256 / 8 = 32 for 8x1. The short
// side never goes below 1 texel while the long side keeps halving. In texture memory
// every level starts on an 8-byte boundary (our choice), so a level's memory size is its
// texel bytes rounded up to 8.
#pragma once

#include <cstdint>

#include "accel/Accelerator.h"

inline constexpr int32_t kTextureLevelAlignment = 8;

bool isValidLod(GrLOD_t lod);
bool isValidAspectRatio(GrAspectRatio_t aspect);
// Formats of the texel table, with their texel size (1 or 2 bytes); 0 for anything else.
int32_t bytesPerTexel(GrTextureFormat_t format);

int32_t lodLongSide(GrLOD_t lod); // 256 >> lod
// Width and height of the level `lod` of a texture with `aspect`.
void levelDimensions(GrLOD_t lod, GrAspectRatio_t aspect, int32_t& width, int32_t& height);
uint32_t levelTexelBytes(GrLOD_t lod, GrAspectRatio_t aspect, GrTextureFormat_t format);

// Texel bytes of all levels from largeLod down to smallLod, packed (the host layout).
uint32_t textureTexelBytes(const GrTexInfo& info);
// Texture memory for the levels selected by evenOdd (GR_MIPMAPLEVELMASK_*), each level
// rounded up to kTextureLevelAlignment. 0 for an invalid description.
uint32_t textureMemoryRequired(FxU32 evenOdd, const GrTexInfo& info);
// Where each level of a texture lies: in the host image (levels packed, largest first)
// and in texture memory (only the levels selected by evenOdd, each starting on a
// kTextureLevelAlignment boundary, largest first).
struct LevelPlacement {
    GrLOD_t lod = GR_LOD_256;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t bytes = 0;        // texel bytes of the level
    uint32_t hostOffset = 0;   // in the packed host image
    uint32_t memoryOffset = 0; // from the start address; valid when inMemory
    bool inMemory = false;     // selected by evenOdd
};
// Fills one entry per level from largeLod to smallLod and returns their number (0 for
// an invalid description).
int32_t placeLevels(const GrTexInfo& info, FxU32 evenOdd, LevelPlacement levels[9]);
// A description whose LODs, aspect and format are all valid, with small >= large.
bool isValidTexInfo(const GrTexInfo& info);
