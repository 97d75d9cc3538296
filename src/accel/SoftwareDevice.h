// SoftwareDevice: the accelerator board and its library, on the CPU.
//
// It keeps the library's state machine, two colour buffers and a depth buffer of any
// size (16-bit RGB565 with ordered dither, or 32-bit colour), texture memory as real
// bytes at real addresses, and rasterises triangles with the library's per-pixel
// pipeline. Behaviour of each operation: see the usage blocks of Accelerator.h, the
// banners of Rasterizer.h, PixelMath.h, Combine.h, TextureSampler.h, TextureCache.h and
// Dither.h.
//
// Usage:
//   SoftwareDeviceOptions options;          // colour mode, size, the board to report
//   options.colorMode = AccelColorMode::Clean32;
//   SoftwareDevice device(options);
//   device.setPresenter(&myWindow);         // optional: called on every grBufferSwap
//   setAcceleratorDevice(&device);
//   grGlideInit(); ... grSstWinOpen(...); ... per frame ... grBufferSwap(1);
//   device.readFrontBuffer(pixels, 4, stride, OutputFilter::None);
//   grGlideShutdown();                      // every call stays safe afterwards
//
// Coordinates are the current origin's (upper left: y = 0 is the top row). With one
// rasterising thread the device is synchronous: every triangle is drawn when it is
// issued and grBufferSwap presents at once. With more, drawing is recorded and drawn in
// bands by a pool of threads (DrawBatch.h, RasterWorkers.h) with the same bits, and a
// frame is presented once drawn, at the latest one frame later (see FramePresenter);
// every read of pixels or counters waits for the drawing first. Either way
// grBufferNumPending() is 0 (the presenter decides whether to wait for vertical sync).
// It does not open windows.
// Diagnostics (texture memory overruns and the like) go to the report function once
// each, standard error by default.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "accel/Device.h"
#include "accel/DrawBatch.h"
#include "accel/FrameBuffer.h"
#include "accel/OutputFilter.h"
#include "accel/RasterWorkers.h"
#include "accel/Rasterizer.h"
#include "accel/RenderState.h"
#include "accel/SpanContext.h"
#include "accel/SpanSelection.h"
#include "accel/TextureCache.h"
#include "accel/TextureMemory.h"

enum class AccelColorMode {
    Authentic16, // RGB565 frame buffer with ordered dither (the board's look)
    Clean32,     // 8 bits per channel, no dither
};

using DeviceReportFunction = void (*)(void* context, const char* line);

struct SoftwareDeviceOptions {
    AccelColorMode colorMode = AccelColorMode::Authentic16;
    // Frame size for offline rendering: when both are positive they replace the size of
    // the resolution grSstWinOpen asks for.
    int32_t width = 0;
    int32_t height = 0;
    // The hardware grSstQueryHardware reports.
    bool boardPresent = true;
    GrSstType boardType = GR_SSTTYPE_VOODOO;
    int32_t frameBufferMegabytes = 4;
    uint32_t textureMemoryBytes = 4u << 20;
    // What grSstControl answers (a device that cannot resize answers 0).
    bool controlSucceeds = true;
    // Tests: which span functions shade pixels (all give the same bits).
    SpanPath spanPath = SpanPath::Fastest;
    // Threads that rasterise: 1 draws every triangle at once on the calling thread; more
    // record the drawing and draw it in bands on that many threads (the same bits); 0
    // takes defaultRasterThreads() (RasterWorkers.h).
    int32_t rasterThreads = 0;
    // One-line diagnostics; nullptr writes them to standard error.
    DeviceReportFunction report = nullptr;
    void* reportContext = nullptr;
};

// What was drawn: per frame (reset by grBufferSwap) and in total. Plain increments,
// cheap enough to stay on.
struct DeviceCounters {
    uint64_t triangles = 0;         // grDrawTriangle and guDrawTriangleWithClip calls
    uint64_t trianglesCulled = 0;   // by the cull mode
    uint64_t trianglesRejected = 0; // degenerate or non-finite
    uint64_t pixelsWritten = 0;
    uint64_t textureDownloads = 0; // grTexDownloadMipMap calls
    uint64_t textureBytesDownloaded = 0;
    uint64_t tableDownloads = 0; // grTexDownloadTable calls
    uint64_t textureDecodes = 0; // textures decoded into the sampling cache
    uint64_t frames = 0;         // grBufferSwap calls (totals only)

    void add(const DeviceCounters& other);
};

class SoftwareDevice;

// A frame buffer's memory as it is: RGB565 words or 0xFFRRGGBB words, rows `pitch` bytes
// apart, top row first.
struct FrameView {
    const void* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;
    bool rgb565 = true;
};

// Receives each finished frame. swapped() runs inside grBufferSwap, after the swap, for
// what must keep pace with the caller (clocks, requests to stop); the frame may still be
// being drawn. present() runs once the frame is drawn, with the frame as the device's
// front buffer: inside grBufferSwap when one thread rasterises, else up to one frame
// later (inside the next grBufferSwap, or the next call that reads pixels or counters),
// so that the caller's next frame overlaps the drawing of this one. Both run on the
// thread that calls the device.
//
// A presenter that converts every pixel may rather take the rows as they are finished:
// when wantsRows() says so and several threads rasterise, rowsDrawn() gets the rows of
// each band of a swapped frame once they are final, on the rasterising thread that drew
// them, right after it drew them (their pixels still in its cache; at 3840x2880 reading
// a whole frame back from memory costs about as much as converting it). Calls for
// different bands of a frame run at once; they may come before present() of the frame
// before it, and all of them before present() of their own frame. A frame may also come
// without them (when its last drawing went to the threads before the swap): present()
// then reads the front buffer as usual; SoftwareDevice::presentedFrame() tells which
// frame present() presents.
class FramePresenter {
public:
    virtual ~FramePresenter() = default;
    virtual void swapped(const SoftwareDevice& /*device*/, int /*swapInterval*/) {}
    virtual void present(const SoftwareDevice& device, int swapInterval) = 0;
    virtual bool wantsRows() const { return false; }
    virtual void rowsDrawn(const DrawnRows& /*rows*/) {}
};

class SoftwareDevice : public AcceleratorDevice {
public:
    explicit SoftwareDevice(const SoftwareDeviceOptions& options = SoftwareDeviceOptions());
    ~SoftwareDevice() override;

    const SoftwareDeviceOptions& options() const { return options_; }
    // Presents a frame still waiting for the old presenter first.
    void setPresenter(FramePresenter* presenter);
    // Threads that rasterise (1: at once, on the calling thread).
    int32_t rasterThreads() const;
    // Finishes every recorded drawing and presents a frame that waits for it. Every read
    // of pixels or counters does this first.
    void finish();

    // The open surface (0 x 0 when closed).
    bool isOpen() const { return frame_.isAllocated(); }
    int32_t width() const { return frame_.width(); }
    int32_t height() const { return frame_.height(); }
    const RenderState& state() const { return state_; }

    // The front buffer as 8-bit pixels, top row first: `channels` 4 (R, G, B, A = 255)
    // or 3 (R, G, B), rows `stride` (at least width * channels) bytes apart. False when the
    // surface is closed or the arguments cannot hold the frame.
    bool readFrontBuffer(uint8_t* pixels, int32_t channels, size_t stride,
                         OutputFilter filter = OutputFilter::None) const;
    // The front buffer as 0xFFRRGGBB words, top row first, rows `stride` words apart (at
    // least the width). False when the surface is closed or the rows cannot hold it.
    bool readFrontBufferArgb(uint32_t* pixels, size_t stride,
                             OutputFilter filter = OutputFilter::None) const;
    // The front buffer's memory as it is, for presenters that show it without
    // converting it; valid until the next device call. `pixels` is nullptr when closed.
    FrameView frontBuffer() const;
    // One pixel of the back or front buffer as 0xAARRGGBB (alpha 255), by memory
    // position (row 0 at the top); 0 outside the buffer or when closed.
    uint32_t backPixel(int32_t column, int32_t memoryRow) const;
    uint32_t frontPixel(int32_t column, int32_t memoryRow) const;
    // The depth buffer value at a memory position (0xFFFF outside or when closed).
    uint32_t depthValue(int32_t column, int32_t memoryRow) const;

    // In FramePresenter::present(): the frame presented, as DrawnRows::frame counts it.
    uint64_t presentedFrame() const { return presentedFrame_; }

    const DeviceCounters& frameCounters() const; // since the last swap
    const DeviceCounters& lastFrameCounters() const;
    DeviceCounters totalCounters() const;

    // Operations.
    void grGlideInit() override;
    FxBool grSstQueryHardware(GrHwConfiguration* hardware) override;
    FxBool grSstWinOpen(void* window, GrScreenResolution_t resolution, GrScreenRefresh_t refresh,
                        GrColorFormat_t colorFormat, GrOriginLocation_t origin, int colorBuffers,
                        int auxBuffers) override;
    void grGlideShutdown() override;
    FxBool grSstControl(GrControl_t code) override;

    void grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU16 depth) override;
    void grBufferSwap(int swapInterval) override;
    int grBufferNumPending() override { return 0; }
    void grClipWindow(FxU32 minX, FxU32 minY, FxU32 maxX, FxU32 maxY) override;
    void grSstOrigin(GrOriginLocation_t origin) override;
    void grDitherMode(GrDitherMode_t mode) override;

    void grDepthBufferMode(GrDepthBufferMode_t mode) override;
    void grDepthBufferFunction(GrCmpFnc_t function) override;
    void grDepthMask(FxBool enable) override;

    void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                        GrCombineLocal_t local, GrCombineOther_t other, FxBool invert) override;
    void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                        GrCombineLocal_t local, GrCombineOther_t other, FxBool invert) override;
    void grConstantColorValue(GrColor_t color) override;
    void grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSource, GrAlphaBlendFnc_t rgbDestination,
                              GrAlphaBlendFnc_t alphaSource,
                              GrAlphaBlendFnc_t alphaDestination) override;
    void grAlphaTestFunction(GrCmpFnc_t function) override;
    void grAlphaTestReferenceValue(GrAlpha_t value) override;
    void grCullMode(GrCullMode_t mode) override;

    FxU32 grTexMinAddress(GrChipID_t tmu) override;
    FxU32 grTexMaxAddress(GrChipID_t tmu) override;
    void grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd,
                             GrTexInfo* info) override;
    void grTexDownloadTable(GrChipID_t tmu, GrTexTable_t type, void* data) override;
    void grTexNCCTable(GrChipID_t tmu, GrNCCTable_t table) override;
    void grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) override;
    void grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgbFunction, GrCombineFactor_t rgbFactor,
                      GrCombineFunction_t alphaFunction, GrCombineFactor_t alphaFactor,
                      FxBool rgbInvert, FxBool alphaInvert) override;
    void grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minFilter,
                         GrTextureFilterMode_t magFilter) override;
    void grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend) override;
    void grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t sClamp,
                        GrTextureClampMode_t tClamp) override;

    void grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) override;
    void guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c) override;

private:
    // Each diagnostic is reported once per device.
    enum Diagnostic {
        kDownloadOverrun,
        kSourceOverrun,
        kInvalidDownload,
        kInvalidSource,
        kOutOfMemory,
        kDiagnosticCount
    };
    void reportOnce(Diagnostic which, const char* line);
    void prepareToDraw();
    const RasterTarget& rasterTarget();
    // Sets a piece of state the span function depends on; setting the value it already
    // has changes nothing (the player repeats its states for every surface).
    template <typename T>
    void setSpanState(T& field, const T& value) {
        if (std::memcmp(&field, &value, sizeof(T)) != 0) {
            field = value;
            spanDirty_ = true;
        }
    }

    // Recorded drawing (more than one rasterising thread).
    bool recordsDrawing() const { return workers_ != nullptr; }
    DrawBatch& recording() { return batches_[recording_]; }
    void beginBatch();
    bool completeOldestBatch(); // drawn and counted; false when none was in flight
    void waitForWorkers();      // every batch in flight is drawn and counted
    // ... and the recorded one is in flight; with `overlap`, batches of the frame being
    // recorded may still be in flight too.
    void submitRecording(bool overlap = false);
    void completeDrawing(); // ... and drawn
    void presentWaitingFrame();
    static void completeDrawingHook(void* device);
    static void rowsDrawnHook(void* device, const DrawnRows& rows);
    void finishForReading() const { const_cast<SoftwareDevice*>(this)->finish(); }
    void readFrontBufferUnfiltered(uint8_t* pixels, int32_t channels, size_t stride) const;
    // Row `y` of the front buffer as 0xFFRRGGBB words; filtered through `filterScratch`
    // (width words) when it is given.
    void frontRowArgb(int32_t y, uint32_t* out, uint32_t* filterScratch) const;

    SoftwareDeviceOptions options_;
    FramePresenter* presenter_ = nullptr;

    RenderState state_;
    FrameBuffer frame_;
    TextureMemory textureMemory_;
    TextureTables tables_;
    TextureSource source_;
    TextureCache cache_;

    // Derived from the state on the first draw after a change.
    bool spanDirty_ = true;
    bool textureDirty_ = true;
    bool usesTexture_ = false;
    uint32_t attributes_ = ~0u; // kAttribute* bits the state reads
    SpanFunction span_ = nullptr;
    SpanContext context_;
    bool buffersDirty_ = true; // context_'s buffers are to be refreshed (open, swap)
    bool targetDirty_ = true;  // target_ is to be derived again
    RasterTarget target_;

    DeviceCounters counters_;
    DeviceCounters lastFrame_;
    DeviceCounters total_; // frames before the current one
    bool reported_[kDiagnosticCount] = {};

    std::unique_ptr<RasterWorkers> workers_; // nullptr: one thread, drawing at once
    static constexpr int32_t kBatches = RasterWorkers::kMaxInFlight + 1;
    DrawBatch batches_[kBatches]; // in flight or being recorded, in rotation
    int32_t recording_ = 0;       // the batch being recorded; the next ones may be in flight
    bool stateRecorded_ = false;  // the recording batch holds the current state
    uint32_t stateBlock_ = 0;
    int32_t bandHeight_ = 16;
    uint64_t frameSerial_ = 0;  // swaps so far: the frame being recorded
    bool framePending_ = false; // swapped, drawing, not yet presented
    int32_t pendingInterval_ = 0;
    uint64_t pendingFrame_ = 0;
    uint64_t presentedFrame_ = 0;
    bool finishing_ = false; // inside finish() or a presenter: no nested finishing
};
