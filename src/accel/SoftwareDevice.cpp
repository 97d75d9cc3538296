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

SoftwareDevice::SoftwareDevice(const SoftwareDeviceOptions& options) : options_(options) {
    const int32_t threads =
        options.rasterThreads > 0 ? options.rasterThreads : defaultRasterThreads();
    if (threads > 1) {
        workers_ = std::make_unique<RasterWorkers>(threads);
        cache_.setReleaseHook(&SoftwareDevice::completeDrawingHook, this);
    }
}

SoftwareDevice::~SoftwareDevice() {
    // Recorded drawing is dropped (nothing is presented), but the batches in flight are
    // drawn before their memory goes.
    if (workers_ != nullptr) {
        waitForWorkers();
    }
}

int32_t SoftwareDevice::rasterThreads() const {
    return workers_ != nullptr ? workers_->threads() : 1;
}

void SoftwareDevice::setPresenter(FramePresenter* presenter) {
    finish();
    presenter_ = presenter;
}

// ---- Recorded drawing ------------------------------------------------------------------

void SoftwareDevice::beginBatch() {
    DrawTarget target;
    target.rgb565 = frame_.isRgb565();
    if (frame_.isAllocated()) {
        target.color16 = frame_.isRgb565() ? frame_.backRow16(0) : nullptr;
        target.color32 = frame_.isRgb565() ? nullptr : frame_.backRow32(0);
        target.depth = frame_.depthRow(0);
    }
    target.width = frame_.width();
    target.height = frame_.height();
    recording().begin(target, bandHeight_);
    stateRecorded_ = false;
}

bool SoftwareDevice::completeOldestBatch() {
    const RasterWorkers::Completed completed = workers_->completeOldest();
    if (completed.batch == nullptr) {
        return false;
    }
    // A batch belongs to the frame being recorded or to the one swapped before it.
    if (completed.batch->frame == frameSerial_) {
        counters_.pixelsWritten += completed.pixels;
    } else {
        lastFrame_.pixelsWritten += completed.pixels;
        total_.pixelsWritten += completed.pixels;
    }
    return true;
}

void SoftwareDevice::waitForWorkers() {
    while (completeOldestBatch()) {
    }
}

void SoftwareDevice::submitRecording(bool overlap) {
    // A swap's batch goes once everything before it is drawn, so that the frame before
    // is presented whole and only batches of the frame being recorded and of the one
    // before are ever in flight. Others may go while the one before is drawn, if their
    // bands are the same rows.
    const DrawBatch* newest = workers_->newest();
    if (!overlap || (newest != nullptr && !recording().sameBands(*newest))) {
        waitForWorkers();
    }
    while (workers_->inFlight() >= RasterWorkers::kMaxInFlight) {
        completeOldestBatch();
    }
    if (recording().empty()) {
        return;
    }
    recording().frame = frameSerial_;
    workers_->submit(recording());
    recording_ = (recording_ + 1) % kBatches;
    beginBatch();
}

void SoftwareDevice::completeDrawing() {
    submitRecording();
    waitForWorkers();
}

void SoftwareDevice::completeDrawingHook(void* device) {
    static_cast<SoftwareDevice*>(device)->completeDrawing();
}

void SoftwareDevice::rowsDrawnHook(void* device, const DrawnRows& rows) {
    // The presenter is only changed once the drawing is complete (setPresenter).
    static_cast<SoftwareDevice*>(device)->presenter_->rowsDrawn(rows);
}

void SoftwareDevice::presentWaitingFrame() {
    if (!framePending_) {
        return;
    }
    framePending_ = false;
    if (presenter_ != nullptr) {
        const bool wasFinishing = finishing_;
        finishing_ = true; // the presenter reads the front buffer as it is
        presentedFrame_ = pendingFrame_;
        presenter_->present(*this, pendingInterval_);
        finishing_ = wasFinishing;
    }
}

void SoftwareDevice::finish() {
    if (workers_ == nullptr || finishing_) {
        return;
    }
    finishing_ = true;
    completeDrawing();
    finishing_ = false;
    presentWaitingFrame();
}

const DeviceCounters& SoftwareDevice::frameCounters() const {
    finishForReading();
    return counters_;
}

const DeviceCounters& SoftwareDevice::lastFrameCounters() const {
    finishForReading();
    return lastFrame_;
}

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
    finishForReading();
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
    bandHeight_ = drawBandHeight(width, height, rgb565, rasterThreads());
    if (recordsDrawing()) {
        beginBatch();
    }
    state_ = RenderState();
    state_.origin = origin;
    state_.clipMaxX = static_cast<uint32_t>(width);
    state_.clipMaxY = static_cast<uint32_t>(height);
    spanDirty_ = textureDirty_ = true; // the span function was chosen for the old state
    targetDirty_ = buffersDirty_ = true;
    return FXTRUE;
}

void SoftwareDevice::grGlideShutdown() {
    finish();
    frame_.release();
    textureMemory_.release();
    cache_.clear();
    tables_ = TextureTables();
    source_ = TextureSource();
    state_ = RenderState();
    spanDirty_ = textureDirty_ = true;
    targetDirty_ = buffersDirty_ = true;
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
    if (recordsDrawing()) {
        recording().addClear(t.clipMinX, row0, t.clipMaxX, row1, pixel, depth);
    } else {
        frame_.fill(t.clipMinX, row0, t.clipMaxX, row1, pixel, depth);
    }
}

void SoftwareDevice::grBufferSwap(int swapInterval) {
    if (!isOpen()) {
        return;
    }
    if (recordsDrawing()) {
        // This frame goes to the workers; the one before it, drawn by now, is presented
        // while they draw this one.
        if (presenter_ != nullptr && presenter_->wantsRows()) {
            recording().whenDrawn(&SoftwareDevice::rowsDrawnHook, this);
        }
        submitRecording();
        presentWaitingFrame();
    }
    frame_.swap();
    buffersDirty_ = true;
    counters_.frames = 1;
    total_.add(counters_);
    lastFrame_ = counters_;
    counters_ = DeviceCounters();
    ++frameSerial_;
    if (recordsDrawing()) {
        beginBatch(); // into the new back buffer
        framePending_ = true;
        pendingInterval_ = swapInterval;
        pendingFrame_ = frameSerial_ - 1;
    }
    if (presenter_ != nullptr) {
        presenter_->swapped(*this, swapInterval);
        if (!recordsDrawing()) {
            presentedFrame_ = frameSerial_ - 1;
            presenter_->present(*this, swapInterval);
        }
    }
}

namespace {

// The bytes R, G, B, 255 of every RGB565 pixel, as one little-endian word each.
const uint32_t* rgb565BytesTable() {
    static const struct Table {
        uint32_t bytes[65536];
        Table() {
            for (uint32_t p = 0; p < 65536; ++p) {
                const uint32_t argb = rgb565ToArgb(p);
                bytes[p] =
                    (argb >> 16 & 0xFF) | (argb & 0xFF00) | (argb & 0xFF) << 16 | 0xFF000000u;
            }
        }
    } table;
    return table.bytes;
}

// A row of RGB565 pixels as 0xFFRRGGBB (rgb565ToArgb), eight at a time where SSE2 is
// there: every frame ember render writes comes through here.
void rgb565RowToArgb(const uint16_t* source, int32_t width, uint32_t* out) {
    int32_t x = 0;
#if defined(__SSE2__)
    const __m128i opaque = _mm_set1_epi16(static_cast<int16_t>(0xFF00));
    for (; x + 8 <= width; x += 8) {
        const ChannelLanes c =
            widenRgb565(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x)));
        const __m128i gb = _mm_or_si128(_mm_slli_epi16(c.g, 8), c.b);
        const __m128i ar = _mm_or_si128(opaque, c.r);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_unpacklo_epi16(gb, ar));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4), _mm_unpackhi_epi16(gb, ar));
    }
#endif
    for (; x < width; ++x) {
        out[x] = rgb565ToArgb(source[x]);
    }
}

} // namespace

void SoftwareDevice::frontRowArgb(int32_t y, uint32_t* out, uint32_t* filterScratch) const {
    const int32_t width = frame_.width();
    if (frame_.isRgb565()) {
        rgb565RowToArgb(frame_.frontRow16(y), width, out);
    } else {
        std::memcpy(out, frame_.frontRow32(y), static_cast<size_t>(width) * 4);
    }
    if (filterScratch != nullptr) {
        applyOutputFilter(out, width, filterScratch);
    }
}

bool SoftwareDevice::readFrontBufferArgb(uint32_t* pixels, size_t stride,
                                         OutputFilter filter) const {
    finishForReading();
    if (!isOpen() || pixels == nullptr || stride < static_cast<size_t>(frame_.width())) {
        return false;
    }
    std::unique_ptr<uint32_t[]> scratch;
    if (filter == OutputFilter::Smooth && frame_.isRgb565()) {
        scratch.reset(new (std::nothrow) uint32_t[static_cast<size_t>(frame_.width())]);
        if (scratch == nullptr) {
            return false;
        }
    }
    for (int32_t y = 0; y < frame_.height(); ++y) {
        frontRowArgb(y, pixels + static_cast<size_t>(y) * stride, scratch.get());
    }
    return true;
}

// Read-back without the output filter, the common case (every frame ember render writes):
// one word per pixel from a table or a byte swap, stored whole; for three channels each
// store's fourth byte is the next pixel's first, which that pixel then writes.
void SoftwareDevice::readFrontBufferUnfiltered(uint8_t* pixels, int32_t channels,
                                               size_t stride) const {
    const int32_t width = frame_.width();
    const uint32_t* table = frame_.isRgb565() ? rgb565BytesTable() : nullptr;
    for (int32_t y = 0; y < frame_.height(); ++y) {
        uint8_t* out = pixels + static_cast<size_t>(y) * stride;
        const uint16_t* row16 = table != nullptr ? frame_.frontRow16(y) : nullptr;
        const uint32_t* row32 = table != nullptr ? nullptr : frame_.frontRow32(y);
        auto bytesAt = [&](int32_t x) {
            if (table != nullptr) {
                return table[row16[x]];
            }
            const uint32_t v = row32[x];
            return (v >> 16 & 0xFF) | (v & 0xFF00) | (v & 0xFF) << 16 | 0xFF000000u;
        };
        const int32_t whole = channels == 4 ? width : width - 1;
        for (int32_t x = 0; x < whole; ++x) {
            uint32_t word = bytesAt(x);
#if __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
            word = __builtin_bswap32(word);
#endif
            std::memcpy(out + static_cast<size_t>(x) * static_cast<size_t>(channels), &word, 4);
        }
        if (channels == 3) {
            const uint32_t last = bytesAt(width - 1);
            uint8_t* p = out + static_cast<size_t>(width - 1) * 3;
            p[0] = static_cast<uint8_t>(last);
            p[1] = static_cast<uint8_t>(last >> 8);
            p[2] = static_cast<uint8_t>(last >> 16);
        }
    }
}

bool SoftwareDevice::readFrontBuffer(uint8_t* pixels, int32_t channels, size_t stride,
                                     OutputFilter filter) const {
    finishForReading();
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
    if (!filtered) {
        readFrontBufferUnfiltered(pixels, channels, stride);
        return true;
    }
    for (int32_t y = 0; y < frame_.height(); ++y) {
        uint32_t* argb = row.get();
        frontRowArgb(y, argb, row.get() + width);
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

FrameView SoftwareDevice::frontBuffer() const {
    finishForReading();
    FrameView view;
    if (!isOpen()) {
        return view;
    }
    view.rgb565 = frame_.isRgb565();
    view.pixels = view.rgb565 ? static_cast<const void*>(frame_.frontRow16(0))
                              : static_cast<const void*>(frame_.frontRow32(0));
    view.width = frame_.width();
    view.height = frame_.height();
    view.pitch = frame_.width() * frame_.bytesPerPixel();
    return view;
}

uint32_t SoftwareDevice::backPixel(int32_t column, int32_t memoryRow) const {
    finishForReading();
    if (!isOpen() || column < 0 || memoryRow < 0 || column >= width() || memoryRow >= height()) {
        return 0;
    }
    return frame_.backPixel(column, memoryRow);
}

uint32_t SoftwareDevice::frontPixel(int32_t column, int32_t memoryRow) const {
    finishForReading();
    if (!isOpen() || column < 0 || memoryRow < 0 || column >= width() || memoryRow >= height()) {
        return 0;
    }
    return frame_.frontPixel(column, memoryRow);
}

uint32_t SoftwareDevice::depthValue(int32_t column, int32_t memoryRow) const {
    finishForReading();
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
    targetDirty_ = true;
}

void SoftwareDevice::grSstOrigin(GrOriginLocation_t origin) {
    state_.origin = origin;
    targetDirty_ = true;
}

void SoftwareDevice::grDitherMode(GrDitherMode_t mode) {
    setSpanState(state_.ditherMode, mode);
}

void SoftwareDevice::grDepthBufferMode(GrDepthBufferMode_t mode) {
    setSpanState(state_.depthMode, mode);
}

void SoftwareDevice::grDepthBufferFunction(GrCmpFnc_t function) {
    setSpanState(state_.depthFunction, function);
}

void SoftwareDevice::grDepthMask(FxBool enable) {
    setSpanState(state_.depthMask, enable);
}

void SoftwareDevice::grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                                    GrCombineLocal_t local, GrCombineOther_t other, FxBool invert) {
    setSpanState(state_.color, CombineUnit{function, factor, local, other, invert});
}

void SoftwareDevice::grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                                    GrCombineLocal_t local, GrCombineOther_t other, FxBool invert) {
    setSpanState(state_.alpha, CombineUnit{function, factor, local, other, invert});
}

void SoftwareDevice::grConstantColorValue(GrColor_t color) {
    setSpanState(state_.constantColor, color);
}

void SoftwareDevice::grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSource,
                                          GrAlphaBlendFnc_t rgbDestination,
                                          GrAlphaBlendFnc_t alphaSource,
                                          GrAlphaBlendFnc_t alphaDestination) {
    setSpanState(state_.rgbSourceBlend, rgbSource);
    setSpanState(state_.rgbDestinationBlend, rgbDestination);
    setSpanState(state_.alphaSourceBlend, alphaSource);
    setSpanState(state_.alphaDestinationBlend, alphaDestination);
}

void SoftwareDevice::grAlphaTestFunction(GrCmpFnc_t function) {
    setSpanState(state_.alphaTestFunction, function);
}

void SoftwareDevice::grAlphaTestReferenceValue(GrAlpha_t value) {
    setSpanState(state_.alphaTestReference, value);
}

void SoftwareDevice::grCullMode(GrCullMode_t mode) {
    state_.cullMode = mode;
    targetDirty_ = true;
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
    setSpanState(state_.textureCombine, TextureCombineUnit{rgbFunction, rgbFactor, alphaFunction,
                                                           alphaFactor, rgbInvert, alphaInvert});
}

void SoftwareDevice::grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minFilter,
                                     GrTextureFilterMode_t magFilter) {
    if (tmu != GR_TMU0) {
        return;
    }
    setSpanState(state_.minFilter, minFilter);
    setSpanState(state_.magFilter, magFilter);
}

void SoftwareDevice::grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool /*lodBlend*/) {
    if (tmu != GR_TMU0) {
        return;
    }
    setSpanState(state_.mipMapMode, mode);
}

void SoftwareDevice::grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t sClamp,
                                    GrTextureClampMode_t tClamp) {
    if (tmu != GR_TMU0) {
        return;
    }
    setSpanState(state_.sClamp, sClamp);
    setSpanState(state_.tClamp, tClamp);
}

// ---- Drawing ---------------------------------------------------------------------------

const RasterTarget& SoftwareDevice::rasterTarget() {
    if (targetDirty_) {
        target_.bufferHeight = frame_.height();
        target_.origin = state_.origin;
        target_.clipMinX = boundedTo(state_.clipMinX, frame_.width());
        target_.clipMaxX = boundedTo(state_.clipMaxX, frame_.width());
        target_.clipMinY = boundedTo(state_.clipMinY, frame_.height());
        target_.clipMaxY = boundedTo(state_.clipMaxY, frame_.height());
        target_.cullMode = state_.cullMode;
        target_.attributes = attributes_;
        targetDirty_ = false;
    }
    return target_;
}

void SoftwareDevice::prepareToDraw() {
    if (!spanDirty_ && !textureDirty_ && !buffersDirty_) {
        return;
    }
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
        stateRecorded_ = false;
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
        targetDirty_ = true;
    }
    // A swap exchanges the colour buffers.
    context_.color16 = frame_.isRgb565() ? frame_.backRow16(0) : nullptr;
    context_.color32 = frame_.isRgb565() ? nullptr : frame_.backRow32(0);
    context_.depth = frame_.depthRow(0);
    context_.width = frame_.width();
    buffersDirty_ = false;
}

void SoftwareDevice::grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
    ++counters_.triangles;
    if (!isOpen() || a == nullptr || b == nullptr || c == nullptr) {
        ++counters_.trianglesRejected;
        return;
    }
    prepareToDraw();
    RasterResult result;
    if (recordsDrawing()) {
        RasterVertex corners[3 * kMaxRasterPieces];
        int32_t count = 0;
        result =
            prepareTriangle(*a, *b, *c, rasterTarget(), recording().triangleRoom(), corners, count);
        if (count > 0 && !stateRecorded_) {
            stateBlock_ = recording().addState(state_, context_, span_);
            stateRecorded_ = true;
        }
        recording().addTriangles(count, corners, stateBlock_);
        if (recording().full() || (recording().timeToAskForWorkers() && workers_->drained())) {
            submitRecording(true); // the workers start on the frame's first part
        }
    } else {
        context_.pixelsWritten = 0;
        result = rasterizeTriangle(*a, *b, *c, rasterTarget(), context_, span_);
        counters_.pixelsWritten += context_.pixelsWritten;
    }
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
