#include "accel/TextureCache.h"

#include <cstring>
#include <new>

#include "accel/TexelFormat.h"
#include "accel/TextureLayout.h"

namespace {

bool isNcc(GrTextureFormat_t f) {
    return f == GR_TEXFMT_YIQ_422 || f == GR_TEXFMT_AYIQ_8422;
}
bool isPalette(GrTextureFormat_t f) {
    return f == GR_TEXFMT_P_8 || f == GR_TEXFMT_AP_88;
}

uint32_t paddedTexels(const LevelPlacement& level) {
    return static_cast<uint32_t>((level.width + 1) * (level.height + 1));
}

} // namespace

bool TextureCache::matches(const DecodedTexture& entry, const TextureSource& source,
                           const TextureTables& tables) const {
    const GrTexInfo& a = entry.source.info;
    const GrTexInfo& b = source.info;
    if (!entry.valid || entry.source.start != source.start ||
        entry.source.evenOdd != source.evenOdd || a.smallLod != b.smallLod ||
        a.largeLod != b.largeLod || a.aspectRatio != b.aspectRatio || a.format != b.format) {
        return false;
    }
    if (isNcc(b.format)) {
        return std::memcmp(&entry.ncc, &tables.ncc[tables.selectedNcc], sizeof(GuNccTable)) == 0;
    }
    if (isPalette(b.format)) {
        return entry.paletteVersion == tables.paletteVersion;
    }
    return true;
}

const DecodedTexture* TextureCache::lookup(const TextureSource& source, const TextureTables& tables,
                                           const TextureMemory& memory) {
    if (!source.active || !isValidTexInfo(source.info) || !memory.isAllocated()) {
        return nullptr;
    }
    ++clock_;
    for (DecodedTexture& entry : entries_) {
        if (matches(entry, source, tables)) {
            entry.lastUse = clock_;
            return &entry;
        }
    }
    uint32_t texels = 0;
    LevelPlacement levels[9];
    const int32_t count = placeLevels(source.info, source.evenOdd, levels);
    for (int32_t i = 0; i < count; ++i) {
        texels += paddedTexels(levels[i]);
    }
    DecodedTexture* entry = freeEntry(texels);
    if (entry == nullptr || !decode(*entry, source, tables, memory)) {
        return nullptr;
    }
    entry->lastUse = clock_;
    return entry;
}

DecodedTexture* TextureCache::freeEntry(uint32_t texelsNeeded) {
    for (;;) {
        DecodedTexture* empty = nullptr;
        DecodedTexture* oldest = nullptr;
        for (DecodedTexture& entry : entries_) {
            if (!entry.valid) {
                empty = &entry;
            } else if (oldest == nullptr || entry.lastUse < oldest->lastUse) {
                oldest = &entry;
            }
        }
        if (empty != nullptr && texelsHeld_ + texelsNeeded <= kTextureCacheTexelBudget) {
            return empty;
        }
        if (oldest == nullptr) {
            return empty; // nothing left to evict: the budget allows one texture of any size
        }
        beforeRelease();
        texelsHeld_ -= oldest->texelCount;
        oldest->texels.reset();
        oldest->texelCount = 0;
        oldest->valid = false;
    }
}

bool TextureCache::decode(DecodedTexture& entry, const TextureSource& source,
                          const TextureTables& tables, const TextureMemory& memory) {
    LevelPlacement levels[9];
    const int32_t count = placeLevels(source.info, source.evenOdd, levels);
    uint32_t total = 0;
    int32_t present = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (levels[i].inMemory) {
            total += paddedTexels(levels[i]);
            ++present;
        }
    }
    if (present == 0) {
        return false;
    }
    entry.texels.reset(new (std::nothrow) uint32_t[total]);
    if (entry.texels == nullptr) {
        entry.valid = false;
        return false;
    }
    const GrTextureFormat_t format = source.info.format;
    const GuNccTable& ncc = tables.ncc[tables.selectedNcc];
    const int32_t bytes = bytesPerTexel(format);
    // 8-bit formats (and the low byte of the 16-bit table formats) decode through a
    // table of all 256 values.
    uint32_t lookup[256];
    for (uint32_t raw = 0; raw < 256; ++raw) {
        lookup[raw] = decodeTexel(format, raw, ncc, tables.palette);
    }

    uint32_t* out = entry.texels.get();
    for (int32_t i = 0; i < count; ++i) {
        const LevelPlacement& level = levels[i];
        if (!level.inMemory) {
            continue;
        }
        const uint64_t address = static_cast<uint64_t>(source.start) + level.memoryOffset;
        const int32_t stride = level.width + 1;
        for (int32_t y = 0; y < level.height; ++y) {
            uint32_t* row = out + y * stride;
            for (int32_t x = 0; x < level.width; ++x) {
                const uint64_t t = static_cast<uint64_t>(y * level.width + x);
                if (bytes == 1) {
                    row[x] = lookup[memory.byteAt(address + t)];
                } else {
                    const uint32_t raw = memory.halfAt(address + 2 * t);
                    if (isNcc(format) || isPalette(format)) {
                        row[x] = (raw >> 8) << 24 | (lookup[raw & 0xFF] & 0x00FFFFFFu);
                    } else {
                        row[x] = decodeTexel(format, raw, ncc, tables.palette);
                    }
                }
            }
            row[level.width] = row[0];
        }
        std::memcpy(out + level.height * stride, out, static_cast<size_t>(stride) * 4);
        DecodedLevel& decoded = entry.levels[level.lod];
        decoded.texels = out;
        decoded.width = level.width;
        decoded.height = level.height;
        decoded.stride = stride;
        out += paddedTexels(level);
    }
    // Levels left out of memory borrow the nearest finer level, else the nearest coarser.
    for (int32_t i = 0; i < count; ++i) {
        if (levels[i].inMemory) {
            continue;
        }
        int32_t borrow = -1;
        for (int32_t j = i - 1; j >= 0 && borrow < 0; --j) {
            borrow = levels[j].inMemory ? j : -1;
        }
        for (int32_t j = i + 1; j < count && borrow < 0; ++j) {
            borrow = levels[j].inMemory ? j : -1;
        }
        entry.levels[levels[i].lod] = entry.levels[levels[borrow].lod];
    }

    entry.largeLod = source.info.largeLod;
    entry.smallLod = source.info.smallLod;
    entry.source = source;
    entry.source.info.data = nullptr;
    entry.memoryBegin = source.start;
    entry.memoryEnd =
        source.start + static_cast<uint64_t>(textureMemoryRequired(source.evenOdd, source.info));
    entry.ncc = ncc;
    entry.paletteVersion = tables.paletteVersion;
    entry.texelCount = total;
    entry.valid = true;
    texelsHeld_ += total;
    ++decodes_;
    return true;
}

void TextureCache::invalidate(uint64_t begin, uint64_t end) {
    bool released = false;
    for (DecodedTexture& entry : entries_) {
        if (entry.valid && entry.memoryBegin < end && begin < entry.memoryEnd) {
            if (!released) {
                beforeRelease();
                released = true;
            }
            texelsHeld_ -= entry.texelCount;
            entry.texels.reset();
            entry.texelCount = 0;
            entry.valid = false;
        }
    }
}

void TextureCache::clear() {
    invalidate(0, UINT64_MAX);
}
