// DrawBatch: drawing work recorded in submission order, to be carried out later band by
// band, each band by whichever thread takes it.
//
// The device records into a batch what it would otherwise draw at once: clears and
// prepared triangles (Rasterizer.h), each triangle with the render state it was issued
// under (a copy, so that later state changes never reach it). Every command is also
// filed under each band of rows it touches. A band is a strip of whole rows of the back
// buffer; drawing one band means carrying out that band's commands in submission order,
// restricted to its rows. Since every pixel belongs to exactly one band and a triangle's
// row draws the same pixels whichever rows are drawn with it, bands can be drawn by
// different threads in any order and still give the bits of drawing everything at once,
// in order.
//
// What a batch does not hold: texels. A state refers to the decoded texture of the
// device's cache; the device keeps every texture a recorded state refers to alive until
// the batch has been drawn.
//
// Usage (one thread records; after submission the batch is read-only until it is done):
//   batch.begin(target, bandHeight);
//   uint32_t state = batch.addState(renderState, context, span);
//   prepareTriangle(..., batch.triangleRoom(), corners, count);
//   batch.addTriangles(count, corners, state);  batch.addClear(...);
//   batch.whenDrawn(function, context);   // the frame's last batch: its rows are final
//   ... per band, on any thread: pixels += batch.drawBand(band, scratchContext);
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "accel/Rasterizer.h"
#include "accel/RenderState.h"
#include "accel/SpanContext.h"

// The back buffer a batch draws into (see SpanContext for the formats).
struct DrawTarget {
    bool rgb565 = true;
    uint16_t* color16 = nullptr;
    uint32_t* color32 = nullptr;
    uint16_t* depth = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// Rows of a back buffer that a batch has finished drawing (see DrawBatch::whenDrawn):
// memory rows firstRow <= row < endRow of `pixels` (RGB565 or 0xFFRRGGBB words, row 0 at
// the top, rows `pitch` bytes apart), of the frame `frame` (the device's swap count).
struct DrawnRows {
    const void* pixels;
    int32_t width, height, pitch;
    bool rgb565;
    int32_t firstRow, endRow;
    uint64_t frame;
};
using RowsDrawnFunction = void (*)(void* context, const DrawnRows& rows);

class DrawBatch {
public:
    void begin(const DrawTarget& target, int32_t bandHeight);
    bool empty() const { return triangleCount_ == 0 && clears_.empty(); }
    size_t triangleCount() const { return triangleCount_; }
    // Whether the batch should go to the workers before its frame ends: when it is full,
    // or when it is worth handing over and they have nothing left to draw (see work_).
    bool full() const { return work_ >= fullWork_ || triangleCount_ >= kMaxTriangles; }
    // ... and whether to ask if they have: true once the batch holds kMinFullWork, then
    // after every kWorkBetweenAsks more (asking reads what the workers write: once per
    // 10-pixel triangle, it cost 1.4% of their fill rate).
    bool timeToAskForWorkers() {
        if (work_ < nextAsk_) {
            return false;
        }
        nextAsk_ = work_ + kWorkBetweenAsks;
        return true;
    }
    int32_t bandCount() const { return bandCount_; }
    // Whether band b of both covers the same rows.
    bool sameBands(const DrawBatch& other) const {
        return bandHeight_ == other.bandHeight_ && bandCount_ == other.bandCount_;
    }

    // A render state for the triangles that follow; `context` holds its span constants.
    uint32_t addState(const RenderState& state, const SpanContext& context, SpanFunction span);
    // Room for one triangle's pieces (kMaxRasterPieces), for prepareTriangle to write
    // them where they are kept: copied from the caller's stack, a record was read back
    // in wider loads than its fields had just been stored with, which waited for the
    // stores to reach the cache (half of the recording's own time with 10-pixel
    // triangles).
    RasterTriangle* triangleRoom() { return triangles_.get() + triangleCount_; }
    // Records the first `count` triangles written to triangleRoom() under `state`;
    // `corners`: the corner array prepareTriangle gave with cut pieces (else unused).
    void addTriangles(int32_t count, const RasterVertex* corners, uint32_t state);
    // Fills columns [x0, x1) of memory rows [row0, row1) with a colour pixel (in the
    // buffer's format) and a depth value.
    void addClear(int32_t x0, int32_t row0, int32_t x1, int32_t row1, uint32_t pixel,
                  uint16_t depth);

    // After drawing a band, call `function` with its rows (on the thread that drew it,
    // its pixels still in that thread's cache): for the last batch of a frame, whose
    // bands are then final. Until the next begin().
    void whenDrawn(RowsDrawnFunction function, void* context) {
        rowsDrawn_ = function;
        rowsDrawnContext_ = context;
    }

    // Carries out band `band`'s commands; `scratch` is the calling thread's own. Returns
    // the pixels the triangles wrote.
    uint64_t drawBand(int32_t band, SpanContext& scratch) const;

    // The frame the batch belongs to (the device's bookkeeping).
    uint64_t frame = 0;

private:
    struct StateBlock {
        RenderState state;
        SpanContext context;
        SpanFunction span;
    };
    struct Clear {
        int32_t x0, row0, x1, row1;
        uint32_t pixel;
        uint16_t depth;
    };
    // A band's command: a triangle index, or a clear index with kClearBit set.
    static constexpr uint32_t kClearBit = 0x80000000u;

    void file(uint32_t command, int32_t row0, int32_t row1); // memory rows, inclusive
    void fill(const Clear& clear, int32_t row0, int32_t row1) const;

    DrawTarget target_;
    RowsDrawnFunction rowsDrawn_ = nullptr;
    void* rowsDrawnContext_ = nullptr;
    int32_t bandHeight_ = 1;
    int32_t bandCount_ = 0;
    // The band of each memory row: filing a triangle by two divisions took a third of
    // the time spent filing 10-pixel triangles.
    std::vector<int32_t> bandOfRow_;
    // The drawing recorded so far, roughly in pixels: half of each triangle's bounds and
    // kSetUpWork for setting it up. A frame goes to the workers as one batch up to
    // fullWork_, eight times the buffer's pixels (the bundled demo's frames come to at
    // most six and a half): each band is then cleared, drawn and left once, its colour
    // and depth in cache all along. Split into batches of a fixed 131,072 work, the demo
    // took 18% longer at 640x480 and 60% longer at 3840x2880, every batch fetching its
    // bands from memory again. But a frame heavy in geometry and light in pixels would
    // then leave the workers idle while it is recorded: so a batch of kMinFullWork or
    // more also goes when they have drawn everything before it. kMinFullWork keeps
    // handing over (a few microseconds) small beside the drawing; kMaxTriangles bounds
    // the memory a batch takes.
    static constexpr uint64_t kSetUpWork = 48;
    static constexpr uint64_t kMinFullWork = 131072;
    static constexpr uint64_t kWorkBetweenAsks = 4096;
    static constexpr size_t kMaxTriangles = 16384;
    uint64_t work_ = 0;
    uint64_t nextAsk_ = 0;
    uint64_t fullWork_ = 0;
    std::vector<StateBlock> states_;
    // kMaxTriangles and room for one more triangle's pieces, allocated once.
    std::unique_ptr<RasterTriangle[]> triangles_;
    size_t triangleCount_ = 0;
    std::vector<RasterVertex> corners_;    // of cut pieces, three per piece
    std::vector<uint32_t> triangleStates_; // the state of each triangle
    std::vector<Clear> clears_;
    std::vector<std::vector<uint32_t>> bands_; // command lists, kept between batches
};

// Rows per band for a buffer drawn by `threads` threads: a band's colour and depth stay
// in a core's cache, and a frame has enough bands to share among the threads.
int32_t drawBandHeight(int32_t width, int32_t height, bool rgb565, int32_t threads);
