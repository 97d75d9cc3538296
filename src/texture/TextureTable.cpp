// Texture table and texture memory bookkeeping.
//
// Texture memory is filled from the bottom in the order textures are first selected
// (or, after reloadAll, in index order); nothing is ever freed within a scene, and a
// scene start packs the scene's textures again from the bottom. Downloads therefore
// overwrite whatever another scene left at the same addresses, exactly as the
// bookkeeping implies; the device reads texels at draw time.
//
// NCC (YIQ) textures carry their own decompression table. The two hardware tables are
// used alternately, NCC1 first, and every selection downloads the texture's table
// again, so two YIQ textures drawn one after the other never share a table slot.
#include "texture/TextureTable.h"

#include <cstring>
#include <new>

#include "accel/ThreeDfFile.h"
#include "platform/Diagnostics.h"

namespace {

constexpr const char kTextureDirectory[] = "textures\\";
constexpr const char kTextureExtension[] = ".3df";

bool isNccFormat(GrTextureFormat_t f) {
    return f == GR_TEXFMT_YIQ_422 || f == GR_TEXFMT_AYIQ_8422;
}
bool isPaletteFormat(GrTextureFormat_t f) {
    return f == GR_TEXFMT_P_8 || f == GR_TEXFMT_AP_88;
}

} // namespace

int32_t TextureSlot::loadFile(const char* filePath) {
    isDownloaded = 0;
    memoryRequired = 0;
    hostImage.reset();
    std::strncpy(path, filePath, kTexturePathSize - 1);
    path[kTexturePathSize - 1] = '\0';

    Gu3dfInfo record;
    if (!gu3dfGetInfo(path, &record)) {
        return 0;
    }
    std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[record.mem_required]);
    if (image == nullptr) {
        return 0;
    }
    record.data = image.get();
    if (!gu3dfLoad(path, &record)) {
        return 0;
    }
    adoptImage(path, record, std::move(image));
    return 1;
}

void TextureSlot::adoptImage(const char* key, const Gu3dfInfo& record,
                             std::unique_ptr<uint8_t[]> image) {
    isDownloaded = 0;
    if (key != path) {
        std::strncpy(path, key, kTexturePathSize - 1);
        path[kTexturePathSize - 1] = '\0';
    }
    info.smallLod = record.header.small_lod;
    info.largeLod = record.header.large_lod;
    info.aspectRatio = record.header.aspect_ratio;
    info.format = record.header.format;
    info.data = image.get();
    if (isNccFormat(info.format)) {
        nccTable = record.table.nccTable;
    } else if (isPaletteFormat(info.format)) {
        palette = record.table.palette;
    }
    hostImage = std::move(image);
    memoryRequired = grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info);
}

int32_t TextureSlot::download(GrChipID_t tmu, uint32_t address) {
    startAddress = address;
    if (!isLoaded()) {
        return 1; // no image to download; the slot stays not downloaded
    }
    grTexDownloadMipMap(tmu, address, GR_MIPMAPLEVELMASK_BOTH, &info);
    isDownloaded = 1;
    return 1;
}

void TextureSlot::makeSource(GrChipID_t tmu, int32_t table) {
    if (isDownloaded != 1) {
        return;
    }
    if (table == 0 || table == 1) {
        grTexDownloadTable(tmu, table == 0 ? GR_TEXTABLE_NCC0 : GR_TEXTABLE_NCC1, &nccTable);
        grTexNCCTable(tmu, table == 0 ? GR_NCCTABLE_NCC0 : GR_NCCTABLE_NCC1);
    } else if (isPaletteFormat(info.format)) {
        grTexDownloadTable(tmu, GR_TEXTABLE_PALETTE, &palette);
    }
    grTexSource(tmu, startAddress, GR_MIPMAPLEVELMASK_BOTH, &info);
}

int32_t TextureTable::loadTexture(const char* name) {
    if (count == 0) {
        memoryNext = grTexMinAddress(GR_TMU0);
    }
    const char* base = name;
    for (const char* p = name; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/') {
            base = p + 1;
        }
    }
    const size_t baseLength = std::strcspn(base, ".");
    const size_t pathLength =
        sizeof(kTextureDirectory) - 1 + baseLength + sizeof(kTextureExtension) - 1;
    if (pathLength >= static_cast<size_t>(kTexturePathSize)) {
        appendToErrorLog("TEXTURE PATH TOO LONG ", kTextureDirectory, base);
        return kNoTexture;
    }
    char path[kTexturePathSize];
    std::memcpy(path, kTextureDirectory, sizeof(kTextureDirectory) - 1);
    std::memcpy(path + sizeof(kTextureDirectory) - 1, base, baseLength);
    std::memcpy(path + sizeof(kTextureDirectory) - 1 + baseLength, kTextureExtension,
                sizeof(kTextureExtension));

    for (int32_t i = 0; i < count; ++i) {
        if (std::strcmp(slots[i].path, path) == 0) {
            return i;
        }
    }
    if (count >= kTextureSlotCount) {
        appendToErrorLog("TOO MANY TEXTURES (200), NOT LOADED ", path);
        return kNoTexture;
    }
    if (!slots[count].loadFile(path)) {
        appendToErrorLog("UNABLE TO OPEN TEXTURE ", path);
    }
    ++count;
    return count - 1;
}

int32_t TextureTable::findTexture(const char* key) const {
    for (int32_t i = 0; i < count; ++i) {
        if (std::strcmp(slots[i].path, key) == 0) {
            return i;
        }
    }
    return kNoTexture;
}

int32_t TextureTable::addTexture(const char* key, const Gu3dfInfo& record,
                                 std::unique_ptr<uint8_t[]> image) {
    if (std::strlen(key) >= static_cast<size_t>(kTexturePathSize)) {
        appendToErrorLog("TEXTURE PATH TOO LONG ", key);
        return kNoTexture;
    }
    if (count >= kTextureSlotCount) {
        appendToErrorLog("TOO MANY TEXTURES (200), NOT LOADED ", key);
        return kNoTexture;
    }
    if (count == 0) {
        memoryNext = grTexMinAddress(GR_TMU0);
    }
    slots[count].adoptImage(key, record, std::move(image));
    ++count;
    return count - 1;
}

void TextureTable::selectTexture(int32_t index) {
    if (index < 0 || index >= count || !slots[index].isLoaded()) {
        selectFallback();
        return;
    }
    TextureSlot& slot = slots[index];
    if (slot.isDownloaded != 1) {
        const uint32_t top = grTexMaxAddress(GR_TMU0);
        if (memoryNext > top || slot.memoryRequired > top - memoryNext) {
            if (memoryFullReported == 0) {
                appendToErrorLog("TEXTURE MEMORY FULL ", slot.path);
                memoryFullReported = 1;
            }
            selectFallback();
            return;
        }
        slot.download(GR_TMU0, memoryNext);
        memoryNext += slot.memoryRequired;
    }
    if (isNccFormat(slot.info.format)) {
        const int32_t toggle = nccToggle++;
        slot.makeSource(GR_TMU0, toggle % 2 == 0 ? 1 : 0);
    } else {
        slot.makeSource(GR_TMU0, 2); // palette formats download their palette first
    }
}

void TextureTable::reloadAll() {
    memoryNext = grTexMinAddress(GR_TMU0);
    const uint32_t top = grTexMaxAddress(GR_TMU0);
    for (int32_t i = 0; i < count; ++i) {
        TextureSlot& slot = slots[i];
        slot.isDownloaded = 0;
        if (memoryNext > top || slot.memoryRequired > top - memoryNext) {
            continue; // selecting it reports the overflow and draws the fallback
        }
        slot.download(GR_TMU0, memoryNext);
        memoryNext += slot.memoryRequired;
    }
}

void TextureTable::selectFallback() {
    grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, nullptr);
}
