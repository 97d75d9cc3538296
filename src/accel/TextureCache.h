// TextureCache: textures decoded to 0xAARRGGBB texels, so that drawing samples plain
// 32-bit arrays instead of decoding every texel of every pixel.
//
// The board reads texels from texture memory while it draws, so a texture's pixels
// must always be what texture memory and the tables hold at draw time. The cache keeps
// that promise by invalidation, never by guessing:
//   - every write that changes texture memory invalidates each decoded texture whose
//     address range it overlaps (a download of identical bytes changes nothing);
//   - an NCC texture remembers the table contents it was decoded with and is reused only
//     while the selected NCC table holds the same contents (the texture table downloads
//     a texture's table on every selection, usually with the same values);
//   - a palette texture remembers the palette's version, which changes whenever a
//     download changes the palette's contents.
// Entries are few and recycled least recently used first within a fixed texel budget.
#pragma once

#include <cstdint>
#include <memory>

#include "accel/Accelerator.h"
#include "accel/TextureMemory.h"

// The texture unit's tables as the last downloads left them.
struct TextureTables {
    GuNccTable ncc[2];
    int32_t selectedNcc = 0;    // 0 or 1 (grTexNCCTable)
    uint32_t palette[256] = {}; // 0x00RRGGBB
    uint64_t paletteVersion = 0;
};

// What grTexSource made current.
struct TextureSource {
    bool active = false;
    uint32_t start = 0;
    FxU32 evenOdd = GR_MIPMAPLEVELMASK_BOTH;
    GrTexInfo info; // data unused
};

// A decoded level is stored with one extra column (a copy of column 0) and one extra row
// (a copy of row 0), so that the 2x2 texels of a wrapping bilinear tap always sit at
// base, base + 1, base + stride and base + stride + 1.
struct DecodedLevel {
    const uint32_t* texels = nullptr; // (height + 1) rows of stride texels, top row first
    int32_t width = 1;
    int32_t height = 1;
    int32_t stride = 2; // width + 1
};

struct DecodedTexture {
    // Levels by LOD number; only largeLod..smallLod are filled. A level that the source's
    // evenOdd mask leaves out of memory uses the nearest level that is there.
    DecodedLevel levels[9];
    GrLOD_t largeLod = GR_LOD_256;
    GrLOD_t smallLod = GR_LOD_256;

    // Identity: the source and the table contents it was decoded with.
    TextureSource source;
    uint64_t memoryBegin = 0;
    uint64_t memoryEnd = 0;
    GuNccTable ncc;
    uint64_t paletteVersion = 0;

    std::unique_ptr<uint32_t[]> texels;
    uint32_t texelCount = 0;
    uint64_t lastUse = 0;
    bool valid = false;
};

inline constexpr int32_t kTextureCacheEntries = 96;
inline constexpr uint32_t kTextureCacheTexelBudget = 16u << 20; // 64 MB of texels

class TextureCache {
public:
    // Called before any decoded texels are freed (eviction, invalidation, clear): the
    // device finishes the drawing it has recorded, which may still read them.
    using ReleaseHook = void (*)(void* context);
    void setReleaseHook(ReleaseHook hook, void* context) {
        releaseHook_ = hook;
        releaseContext_ = context;
    }

    // The decoded form of `source` (decoding it if needed), or nullptr when the source is
    // inactive or invalid, or memory is short.
    const DecodedTexture* lookup(const TextureSource& source, const TextureTables& tables,
                                 const TextureMemory& memory);
    // Forgets every decoded texture that overlaps texture memory [begin, end).
    void invalidate(uint64_t begin, uint64_t end);
    void clear();

    uint64_t decodeCount() const { return decodes_; }

private:
    bool matches(const DecodedTexture& entry, const TextureSource& source,
                 const TextureTables& tables) const;
    DecodedTexture* freeEntry(uint32_t texelsNeeded);
    bool decode(DecodedTexture& entry, const TextureSource& source, const TextureTables& tables,
                const TextureMemory& memory);

    void beforeRelease() const {
        if (releaseHook_ != nullptr) {
            releaseHook_(releaseContext_);
        }
    }

    ReleaseHook releaseHook_ = nullptr;
    void* releaseContext_ = nullptr;
    DecodedTexture entries_[kTextureCacheEntries];
    uint32_t texelsHeld_ = 0;
    uint64_t clock_ = 0;
    uint64_t decodes_ = 0;
};
