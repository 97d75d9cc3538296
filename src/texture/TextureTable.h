// TextureTable: a scene's textures and its share of the accelerator's texture memory.
//
// Loaders ask for a texture by name and keep the int32 index they get back (an index is
// handed out even when the file is missing); drawing selects by index. Texture memory
// of TMU 0 is filled from the bottom: a texture is downloaded on its first selection,
// and reloadAll() (called when the player starts the scene) packs every texture of the
// table again from the lowest address, so each scene in turn owns the whole memory.
//
// Call order: loadTexture() while loading; reloadAll() at scene start; selectTexture()
// while drawing. Paths are content paths with backslashes ("textures\wood.3df"); the
// host path mapping turns them into files.
//
// What the table does where a request cannot be met (each reported in error.txt):
//   - a missing or unreadable file still takes a slot and its index ("UNABLE TO OPEN
//     TEXTURE <path>"); selecting it makes no texture current, so every texel reads as
//     opaque white and the surface shows its lit colour instead of another texture's
//     image (the fallback);
//   - a 201st distinct name or a path longer than the slot's 251 characters takes no
//     slot: the index is kNoTexture, which selects the fallback as well;
//   - a texture that does not fit in the rest of texture memory is not downloaded
//     ("TEXTURE MEMORY FULL <path>", once per table) and selects the fallback.
// The fallback takes no texture memory: textures may fill it to the last byte.
#pragma once

#include <cstdint>
#include <memory>

#include "accel/Accelerator.h"

inline constexpr int32_t kTextureSlotCount = 200;
inline constexpr int32_t kTexturePathSize = 252; // bytes, terminator included
inline constexpr int32_t kNoTexture = -1;        // index of a request that took no slot

struct TextureSlot {
    GrTexInfo info;                   // LODs, aspect, format, and data -> hostImage
    GuNccTable nccTable;              // YIQ_422 and AYIQ_8422 only
    int32_t isDownloaded = 0;         // 1 once downloaded to texture memory
    uint32_t memoryRequired = 0;      // bytes of texture memory, all levels
    char path[kTexturePathSize] = {}; // "textures\<base>.3df": the slot's identity
    uint32_t startAddress = 0;        // texture memory address of the last download
    // Ours: the palette of P_8 and AP_88 images, and the owner of the host image.
    GuTexPalette palette;
    std::unique_ptr<uint8_t[]> hostImage;

    bool isLoaded() const { return hostImage != nullptr; }

    int32_t loadFile(const char* path); // 1 loaded, 0 failed
    // Ours: takes a texture made in memory (the image `record` describes, texels owned
    // by `image`) under the identity `key`.
    void adoptImage(const char* key, const Gu3dfInfo& record, std::unique_ptr<uint8_t[]> image);
    int32_t download(GrChipID_t tmu, uint32_t address); // always 1
    void makeSource(GrChipID_t tmu, int32_t table);     // table: 0 NCC0, 1 NCC1, 2 none
};

struct TextureTable {
    TextureSlot slots[kTextureSlotCount];
    int32_t count = 0;
    uint32_t memoryNext = 0;        // next free texture memory address of TMU 0
    int32_t nccToggle = 0;          // NCC selections so far: even -> NCC1, odd -> NCC0
    int32_t memoryFullReported = 0; // ours: the overflow line is written once per table

    int32_t loadTexture(const char* name);
    void selectTexture(int32_t index);
    // Ours, for readers of real content: textures made in memory from pictures. A key
    // names the picture and how it was made ("picture <path> ..."), so it cannot meet a
    // texture file's path ("textures\<base>.3df"). findTexture: the slot with that key,
    // or kNoTexture. addTexture: a new slot, or kNoTexture when the table is full or the
    // key too long (reported in error.txt like a texture file's).
    int32_t findTexture(const char* key) const;
    int32_t addTexture(const char* key, const Gu3dfInfo& record, std::unique_ptr<uint8_t[]> image);
    void reloadAll();

private:
    void selectFallback();
};
