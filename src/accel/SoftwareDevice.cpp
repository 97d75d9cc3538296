#include "accel/SoftwareDevice.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "accel/Combine.h"
#include "accel/PixelMath.h"
#include "accel/SpanSelection.h"
#include "accel/TextureLayout.h"

namespace {

bool resolutionSize(GrScreenResolution_t resolution, int32_t& width, int32_t& height) {
    switch (resolution) {
    case GR_RESOLUTION_320x240:
        width = 320, height = 240;
        return true;
    case GR_RESOLUTION_512x384:
        width = 512, height = 384;
        return true;
    case GR_RESOLUTION_640x480:
        width = 640, height = 480;
        return true;
    case GR_RESOLUTION_800x600:
        width = 800, height = 600;
        return true;
    default:
        return false;
    }
}

int32_t boundedTo(uint32_t value, int32_t limit) {
    return value > static_cast<uint32_t>(limit) ? limit : static_cast<int32_t>(value);
}

} // namespace

void DeviceCounters::add(const DeviceCounters& o) {
    triangles += o.triangles;
    trianglesCulled += o.trianglesCulled;
    trianglesRejected += o.trianglesRejected;
    pixelsWritten += o.pixelsWritten;
    textureDownloads += o.textureDownloads;
    textureBytesDownloaded += o.textureBytesDownloaded;
    tableDownloads += o.tableDownloads;
    textureDecodes += o.textureDecodes;
    frames += o.frames;
}

SoftwareDevice::SoftwareDevice(const SoftwareDeviceOptions& options) : options_(options) {}

SoftwareDevice::~SoftwareDevice() = default;

void SoftwareDevice::reportOnce(Diagnostic which, const char* line) {
    if (reported_[which]) {
        return;
    }
    reported_[which] = true;
    if (options_.report != nullptr) {
        options_.report(options_.reportContext, line);
    } else {
        std::fprintf(stderr, "accelerator: %s\n", line);
    }
}

DeviceCounters SoftwareDevice::totalCounters() const {
    DeviceCounters total = total_;
    total.add(counters_);
    return total;
}

// ---- Device, buffers, presentation -----------------------------------------------------

void SoftwareDevice::grGlideInit() {}

FxBool SoftwareDevice::grSstQueryHardware(GrHwConfiguration* hardware) {
    if (hardware == nullptr) {
        return FXFALSE;
    }
    *hardware = GrHwConfiguration{};
    if (!options_.boardPresent) {
        return FXFALSE;
    }
    hardware->num_sst = 1;
    GrSstConfig& board = hardware->SSTs[0];
    board.type = options_.boardType;
    board.fbRam = options_.frameBufferMegabytes;
    board.tmuCount = 1;
    board.tmuRam = static_cast<FxI32>(options_.textureMemoryBytes >> 20);
    return FXTRUE;
}

FxBool SoftwareDevice::grSstWinOpen(void* /*window*/, GrScreenResolution_t resolution,
                                    GrScreenRefresh_t /*refresh*/, GrColorFormat_t /*colorFormat*/,
                                    GrOriginLocation_t origin, int /*colorBuffers*/,
                                    int /*auxBuffers*/) {
    grGlideShutdown();
    if (!options_.boardPresent) {
        return FXFALSE;
    }
    int32_t width = options_.width;
    int32_t height = options_.height;
    if ((width <= 0 || height <= 0) && !resolutionSize(resolution, width, height)) {
        return FXFALSE;
    }
    const bool rgb565 = options_.colorMode == AccelColorMode::Authentic16;
    if (!frame_.allocate(width, height, rgb565) ||
        !textureMemory_.allocate(options_.textureMemoryBytes)) {
        frame_.release();
        textureMemory_.release();
        reportOnce(kOutOfMemory, "not enough memory for the frame buffers and texture memory");
        return FXFALSE;
    }
    state_ = RenderState();
    state_.origin = origin;
    state_.clipMaxX = static_cast<uint32_t>(width);
    state_.clipMaxY = static_cast<uint32_t>(height);
    spanDirty_ = textureDirty_ = true; // the span function was chosen for the old state
    return FXTRUE;
}

void SoftwareDevice::grGlideShutdown() {
    frame_.release();
    textureMemory_.release();
    cache_.clear();
    tables_ = TextureTables();
    source_ = TextureSource();
    state_ = RenderState();
    spanDirty_ = textureDirty_ = true;
}

FxBool SoftwareDevice::grSstControl(GrControl_t /*code*/) {
    return options_.controlSucceeds ? FXTRUE : FXFALSE;
}

void SoftwareDevice::grBufferClear(GrColor_t color, GrAlpha_t /*alpha*/, FxU16 depth) {
    if (!isOpen()) {
        return;
    }
    const RasterTarget t = rasterTarget();
    if (t.clipMinX >= t.clipMaxX || t.clipMinY >= t.clipMaxY) {
        return;
    }
    int32_t row0 = t.clipMinY;
    int32_t row1 = t.clipMaxY;
    if (state_.origin == GR_ORIGIN_LOWER_LEFT) {
        row0 = frame_.height() - t.clipMaxY;
        row1 = frame_.height() - t.clipMinY;
    }
    const int32_t r = static_cast<int32_t>(color >> 16 & 0xFF);
    const int32_t g = static_cast<int32_t>(color >> 8 & 0xFF);
    const int32_t b = static_cast<int32_t>(color & 0xFF);
    const uint32_t pixel = frame_.isRgb565()
                               ? ditherPixel(ditherTables(GR_DITHER_DISABLE), 0, 0, r, g, b)
                               : 0xFF000000u | (color & 0x00FFFFFFu);
    frame_.fill(t.clipMinX, row0, t.clipMaxX, row1, pixel, depth);
}

void SoftwareDevice::grBufferSwap(int swapInterval) {
    if (!isOpen()) {
        return;
    }
    frame_.swap();
    counters_.frames = 1;
    total_.add(counters_);
    lastFrame_ = counters_;
    counters_ = DeviceCounters();
    if (presenter_ != nullptr) {
        presenter_->present(*this, swapInterval);
    }
}

bool SoftwareDevice::readFrontBuffer(uint8_t* pixels, int32_t channels, size_t stride,
                                     OutputFilter filter) const {
    if (!isOpen() || pixels == nullptr || (channels != 3 && channels != 4) ||
        stride < static_cast<size_t>(frame_.width()) * static_cast<size_t>(channels)) {
        return false;
    }
    const int32_t width = frame_.width();
    std::unique_ptr<uint32_t[]> row(new (std::nothrow) uint32_t[2 * static_cast<size_t>(width)]);
    if (row == nullptr) {
        return false;
    }
    const bool filtered = filter == OutputFilter::Smooth && frame_.isRgb565();
    for (int32_t y = 0; y < frame_.height(); ++y) {
        uint32_t* argb = row.get();
        if (frame_.isRgb565()) {
            const uint16_t* source = frame_.frontRow16(y);
            for (int32_t x = 0; x < width; ++x) {
                argb[x] = rgb565ToArgb(source[x]);
            }
        } else {
            std::memcpy(argb, frame_.frontRow32(y), static_cast<size_t>(width) * 4);
        }
        if (filtered) {
            applyOutputFilter(argb, width, row.get() + width);
        }
        uint8_t* out = pixels + static_cast<size_t>(y) * stride;
        for (int32_t x = 0; x < width; ++x) {
            out[0] = static_cast<uint8_t>(argb[x] >> 16);
            out[1] = static_cast<uint8_t>(argb[x] >> 8);
            out[2] = static_cast<uint8_t>(argb[x]);
            if (channels == 4) {
                out[3] = 255;
            }
            out += channels;
        }
    }
    return true;
}

uint32_t SoftwareDevice::backPixel(int32_t column, int32_t memoryRow) const {
    if (!isOpen() || column < 0 || memoryRow < 0 || column >= width() || memoryRow >= height()) {
        return 0;
    }
    return frame_.backPixel(column, memoryRow);
}

uint32_t SoftwareDevice::frontPixel(int32_t column, int32_t memoryRow) const {
    if (!isOpen() || column < 0 || memoryRow < 0 || column >= width() || memoryRow >= height()) {
        return 0;
    }
    return frame_.frontPixel(column, memoryRow);
}

uint32_t SoftwareDevice::depthValue(int32_t column, int32_t memoryRow) const {
    if (!isOpen() || column < 0 || memoryRow < 0 || column >= width() || memoryRow >= height()) {
        return 0xFFFF;
    }
    return frame_.depthAt(column, memoryRow);
}

// ---- Render state ----------------------------------------------------------------------

void SoftwareDevice::grClipWindow(FxU32 minX, FxU32 minY, FxU32 maxX, FxU32 maxY) {
    state_.clipMinX = minX;
    state_.clipMinY = minY;
    state_.clipMaxX = maxX;
    state_.clipMaxY = maxY;
}

void SoftwareDevice::grSstOrigin(GrOriginLocation_t origin) {
    state_.origin = origin;
}

void SoftwareDevice::grDitherMode(GrDitherMode_t mode) {
    state_.ditherMode = mode;
    spanDirty_ = true;
}

void SoftwareDevice::grDepthBufferMode(GrDepthBufferMode_t mode) {
    state_.depthMode = mode;
    spanDirty_ = true;
}

void SoftwareDevice::grDepthBufferFunction(GrCmpFnc_t function) {
    state_.depthFunction = function;
    spanDirty_ = true;
}

void SoftwareDevice::grDepthMask(FxBool enable) {
    state_.depthMask = enable;
    spanDirty_ = true;
}

void SoftwareDevice::grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                                    GrCombineLocal_t local, GrCombineOther_t other, FxBool invert) {
    state_.color = CombineUnit{function, factor, local, other, invert};
    spanDirty_ = true;
}

void SoftwareDevice::grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                                    GrCombineLocal_t local, GrCombineOther_t other, FxBool invert) {
    state_.alpha = CombineUnit{function, factor, local, other, invert};
    spanDirty_ = true;
}

void SoftwareDevice::grConstantColorValue(GrColor_t color) {
    state_.constantColor = color;
    spanDirty_ = true;
}

void SoftwareDevice::grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSource,
                                          GrAlphaBlendFnc_t rgbDestination,
                                          GrAlphaBlendFnc_t alphaSource,
                                          GrAlphaBlendFnc_t alphaDestination) {
    state_.rgbSourceBlend = rgbSource;
    state_.rgbDestinationBlend = rgbDestination;
    state_.alphaSourceBlend = alphaSource;
    state_.alphaDestinationBlend = alphaDestination;
    spanDirty_ = true;
}

void SoftwareDevice::grAlphaTestFunction(GrCmpFnc_t function) {
    state_.alphaTestFunction = function;
    spanDirty_ = true;
}

void SoftwareDevice::grAlphaTestReferenceValue(GrAlpha_t value) {
    state_.alphaTestReference = value;
    spanDirty_ = true;
}

void SoftwareDevice::grCullMode(GrCullMode_t mode) {
    state_.cullMode = mode;
}

// ---- Textures --------------------------------------------------------------------------

FxU32 SoftwareDevice::grTexMinAddress(GrChipID_t /*tmu*/) {
    return 0;
}

FxU32 SoftwareDevice::grTexMaxAddress(GrChipID_t /*tmu*/) {
    return options_.textureMemoryBytes;
}

void SoftwareDevice::grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd,
                                         GrTexInfo* info) {
    if (tmu != GR_TMU0 || !textureMemory_.isAllocated()) {
        return;
    }
    if (info == nullptr || info->data == nullptr || !isValidTexInfo(*info)) {
        reportOnce(kInvalidDownload, "grTexDownloadMipMap: invalid texture description ignored");
        return;
    }
    ++counters_.textureDownloads;
    LevelPlacement levels[9];
    const int32_t count = placeLevels(*info, evenOdd, levels);
    const auto* host = static_cast<const uint8_t*>(info->data);
    bool truncated = false;
    for (int32_t i = 0; i < count; ++i) {
        const LevelPlacement& level = levels[i];
        if (!level.inMemory) {
            continue;
        }
        const uint64_t address = static_cast<uint64_t>(startAddress) + level.memoryOffset;
        const TextureMemory::WriteResult w =
            textureMemory_.write(address, host + level.hostOffset, level.bytes);
        counters_.textureBytesDownloaded += w.written;
        truncated = truncated || w.truncated;
        if (w.changed) {
            cache_.invalidate(address, address + w.written);
            textureDirty_ = true;
        }
    }
    if (truncated) {
        char line[160];
        std::snprintf(line, sizeof(line),
                      "texture download at address %u (%u bytes) passes the end of texture "
                      "memory (%u bytes); the excess is dropped",
                      startAddress, textureMemoryRequired(evenOdd, *info), textureMemory_.size());
        reportOnce(kDownloadOverrun, line);
    }
}

void SoftwareDevice::grTexDownloadTable(GrChipID_t tmu, GrTexTable_t type, void* data) {
    if (tmu != GR_TMU0 || data == nullptr) {
        return;
    }
    ++counters_.tableDownloads;
    if (type == GR_TEXTABLE_NCC0 || type == GR_TEXTABLE_NCC1) {
        std::memcpy(&tables_.ncc[type == GR_TEXTABLE_NCC1 ? 1 : 0], data, sizeof(GuNccTable));
    } else if (type == GR_TEXTABLE_PALETTE) {
        uint32_t palette[256];
        std::memcpy(palette, data, sizeof(palette));
        for (uint32_t& entry : palette) {
            entry &= 0x00FFFFFFu;
        }
        if (std::memcmp(palette, tables_.palette, sizeof(palette)) != 0) {
            std::memcpy(tables_.palette, palette, sizeof(palette));
            ++tables_.paletteVersion;
        }
    }
    textureDirty_ = true;
}

void SoftwareDevice::grTexNCCTable(GrChipID_t tmu, GrNCCTable_t table) {
    if (tmu != GR_TMU0) {
        return;
    }
    tables_.selectedNcc = table == GR_NCCTABLE_NCC1 ? 1 : 0;
    textureDirty_ = true;
}

void SoftwareDevice::grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd,
                                 GrTexInfo* info) {
    if (tmu != GR_TMU0) {
        return;
    }
    textureDirty_ = true;
    if (info == nullptr) {
        source_.active = false; // no texture: texels read as opaque white
        return;
    }
    if (!isValidTexInfo(*info)) {
        source_.active = false;
        reportOnce(kInvalidSource, "grTexSource: invalid texture description; texels read as "
                                   "opaque white");
        return;
    }
    source_.active = true;
    source_.start = startAddress;
    source_.evenOdd = evenOdd;
    source_.info = *info;
    source_.info.data = nullptr;
    const uint64_t end =
        static_cast<uint64_t>(startAddress) + textureMemoryRequired(evenOdd, *info);
    if (end > options_.textureMemoryBytes) {
        char line[160];
        std::snprintf(line, sizeof(line),
                      "texture source at address %u reaches past the end of texture memory (%u "
                      "bytes); texels beyond it read as zero",
                      startAddress, options_.textureMemoryBytes);
        reportOnce(kSourceOverrun, line);
    }
}

void SoftwareDevice::grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgbFunction,
                                  GrCombineFactor_t rgbFactor, GrCombineFunction_t alphaFunction,
                                  GrCombineFactor_t alphaFactor, FxBool rgbInvert,
                                  FxBool alphaInvert) {
    if (tmu != GR_TMU0) {
        return;
    }
    state_.textureCombine = TextureCombineUnit{rgbFunction, rgbFactor, alphaFunction,
                                               alphaFactor, rgbInvert, alphaInvert};
    spanDirty_ = true;
}

void SoftwareDevice::grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minFilter,
                                     GrTextureFilterMode_t magFilter) {
    if (tmu != GR_TMU0) {
        return;
    }
    state_.minFilter = minFilter;
    state_.magFilter = magFilter;
    spanDirty_ = true;
}

void SoftwareDevice::grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool /*lodBlend*/) {
    if (tmu != GR_TMU0) {
        return;
    }
    state_.mipMapMode = mode;
    spanDirty_ = true;
}

void SoftwareDevice::grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t sClamp,
                                    GrTextureClampMode_t tClamp) {
    if (tmu != GR_TMU0) {
        return;
    }
    state_.sClamp = sClamp;
    state_.tClamp = tClamp;
    spanDirty_ = true;
}

// ---- Drawing ---------------------------------------------------------------------------

RasterTarget SoftwareDevice::rasterTarget() const {
    RasterTarget t;
    t.bufferHeight = frame_.height();
    t.origin = state_.origin;
    t.clipMinX = boundedTo(state_.clipMinX, frame_.width());
    t.clipMaxX = boundedTo(state_.clipMaxX, frame_.width());
    t.clipMinY = boundedTo(state_.clipMinY, frame_.height());
    t.clipMaxY = boundedTo(state_.clipMaxY, frame_.height());
    t.cullMode = state_.cullMode;
    t.attributes = attributes_;
    return t;
}

void SoftwareDevice::prepareToDraw() {
    if (spanDirty_) {
        usesTexture_ = combineUsesTexture(state_);
        textureDirty_ = true;
    }
    if (textureDirty_) {
        const uint64_t decodes = cache_.decodeCount();
        context_.texture = usesTexture_ ? cache_.lookup(source_, tables_, textureMemory_) : nullptr;
        counters_.textureDecodes += cache_.decodeCount() - decodes;
        textureDirty_ = false;
        spanDirty_ = true; // the span function depends on the texture's levels
    }
    if (spanDirty_) {
        context_.rgb565 = frame_.isRgb565();
        context_.state = &state_;
        context_.dither = &ditherTables(state_.ditherMode);
        span_ = selectSpanFunction(context_, options_.spanPath);
        attributes_ = kAttributeColor;
        if (state_.alpha.local == GR_COMBINE_LOCAL_ITERATED ||
            state_.alpha.other == GR_COMBINE_OTHER_ITERATED) {
            attributes_ |= kAttributeAlpha;
        }
        if (state_.depthMode == GR_DEPTHBUFFER_WBUFFER || context_.texture != nullptr) {
            attributes_ |= kAttributeOow;
        }
        if (state_.depthMode == GR_DEPTHBUFFER_ZBUFFER) {
            attributes_ |= kAttributeOoz;
        }
        if (context_.texture != nullptr) {
            attributes_ |= kAttributeTexture;
        }
        spanDirty_ = false;
    }
    // A swap exchanges the colour buffers.
    context_.color16 = frame_.isRgb565() ? frame_.backRow16(0) : nullptr;
    context_.color32 = frame_.isRgb565() ? nullptr : frame_.backRow32(0);
    context_.depth = frame_.depthRow(0);
    context_.width = frame_.width();
}

void SoftwareDevice::grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
    ++counters_.triangles;
    if (!isOpen() || a == nullptr || b == nullptr || c == nullptr) {
        ++counters_.trianglesRejected;
        return;
    }
    prepareToDraw();
    context_.pixelsWritten = 0;
    const RasterResult result = rasterizeTriangle(*a, *b, *c, rasterTarget(), context_, span_);
    counters_.pixelsWritten += context_.pixelsWritten;
    if (result == RasterResult::Culled) {
        ++counters_.trianglesCulled;
    } else if (result == RasterResult::Rejected) {
        ++counters_.trianglesRejected;
    }
}

void SoftwareDevice::guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b,
                                            const GrVertex* c) {
    // The rasteriser always scissors to the clip window, which gives the pixels that
    // clipping the triangle to the window would.
    grDrawTriangle(a, b, c);
}
