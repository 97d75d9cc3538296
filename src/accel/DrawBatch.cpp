#include "accel/DrawBatch.h"

#include "accel/FrameBuffer.h"

#include <algorithm>

void DrawBatch::begin(const DrawTarget& target, int32_t bandHeight) {
    target_ = target;
    rowsDrawn_ = nullptr;
    rowsDrawnContext_ = nullptr;
    const int32_t rows = std::max(target.height, 0);
    bandHeight = std::max(bandHeight, 1);
    if (bandHeight != bandHeight_ || static_cast<int32_t>(bandOfRow_.size()) != rows) {
        bandOfRow_.resize(static_cast<size_t>(rows));
        for (int32_t row = 0; row < rows; ++row) {
            bandOfRow_[static_cast<size_t>(row)] = row / bandHeight;
        }
    }
    bandHeight_ = bandHeight;
    bandCount_ = (rows + bandHeight_ - 1) / bandHeight_;
    if (static_cast<int32_t>(bands_.size()) < bandCount_) {
        bands_.resize(static_cast<size_t>(bandCount_));
    }
    for (std::vector<uint32_t>& band : bands_) {
        band.clear();
    }
    states_.clear();
    if (!triangles_) {
        // Not value-initialised: the pages are only touched as triangles are written.
        triangles_.reset(new RasterTriangle[kMaxTriangles + kMaxRasterPieces]);
    }
    triangleCount_ = 0;
    corners_.clear();
    triangleStates_.clear();
    clears_.clear();
    work_ = 0;
    nextAsk_ = kMinFullWork;
    fullWork_ = std::max<uint64_t>(kMinFullWork, 8 * static_cast<uint64_t>(target.width) *
                                                     static_cast<uint64_t>(target.height));
}

uint32_t DrawBatch::addState(const RenderState& state, const SpanContext& context,
                             SpanFunction span) {
    states_.push_back(StateBlock{state, context, span});
    return static_cast<uint32_t>(states_.size() - 1);
}

void DrawBatch::file(uint32_t command, int32_t row0, int32_t row1) {
    row0 = std::max(row0, 0);
    row1 = std::min(row1, target_.height - 1);
    if (row0 > row1) {
        return;
    }
    const int32_t last = bandOfRow_[static_cast<size_t>(row1)];
    for (int32_t band = bandOfRow_[static_cast<size_t>(row0)]; band <= last; ++band) {
        bands_[static_cast<size_t>(band)].push_back(command);
    }
}

void DrawBatch::addTriangles(int32_t count, const RasterVertex* corners, uint32_t state) {
    for (int32_t k = 0; k < count; ++k) {
        const uint32_t index = static_cast<uint32_t>(triangleCount_++);
        RasterTriangle& triangle = triangles_[index];
        work_ += kSetUpWork +
                 static_cast<uint64_t>(triangle.lastRow - triangle.firstRow + 1) *
                     static_cast<uint64_t>(triangle.lastColumn - triangle.firstColumn + 1) / 2;
        if (triangle.piece >= 0) {
            const RasterVertex* first = corners + 3 * triangle.piece;
            triangle.piece = static_cast<int32_t>(corners_.size() / 3);
            corners_.insert(corners_.end(), first, first + 3);
        }
        triangleStates_.push_back(state);
        if (triangle.flip) {
            file(index, triangle.bufferHeight - 1 - triangle.lastRow,
                 triangle.bufferHeight - 1 - triangle.firstRow);
        } else {
            file(index, triangle.firstRow, triangle.lastRow);
        }
    }
}

void DrawBatch::addClear(int32_t x0, int32_t row0, int32_t x1, int32_t row1, uint32_t pixel,
                         uint16_t depth) {
    if (x0 >= x1 || row0 >= row1) {
        return;
    }
    const uint32_t index = static_cast<uint32_t>(clears_.size());
    clears_.push_back(Clear{x0, row0, x1, row1, pixel, depth});
    file(index | kClearBit, row0, row1 - 1);
}

void DrawBatch::fill(const Clear& clear, int32_t row0, int32_t row1) const {
    const size_t width = static_cast<size_t>(target_.width);
    const int32_t first = std::max(clear.row0, row0);
    const int32_t last = std::min(clear.row1 - 1, row1);
    for (int32_t row = first; row <= last; ++row) {
        const size_t at = static_cast<size_t>(row) * width;
        const size_t count = static_cast<size_t>(clear.x1 - clear.x0);
        if (target_.rgb565) {
            fillValues(target_.color16 + at + clear.x0, count, static_cast<uint16_t>(clear.pixel));
        } else {
            fillValues(target_.color32 + at + clear.x0, count, clear.pixel);
        }
        fillValues(target_.depth + at + clear.x0, count, clear.depth);
    }
}

uint64_t DrawBatch::drawBand(int32_t band, SpanContext& scratch) const {
    const int32_t row0 = band * bandHeight_;
    const int32_t row1 = std::min(row0 + bandHeight_, target_.height) - 1;
    uint32_t current = UINT32_MAX;
    SpanFunction span = nullptr;
    scratch.pixelsWritten = 0;
    const std::vector<uint32_t>& commands = bands_[static_cast<size_t>(band)];
    for (size_t i = 0; i < commands.size(); ++i) {
        const uint32_t command = commands[i];
        // The next triangle's record was written by the recording thread, most likely on
        // another core: fetching it while this one is drawn hides that latency (about 4%
        // of the CPU time of 10-pixel triangles on two threads).
        if (i + 1 < commands.size() && (commands[i + 1] & kClearBit) == 0) {
            const char* next = reinterpret_cast<const char*>(&triangles_[commands[i + 1]]);
            for (size_t at = 0; at < sizeof(RasterTriangle); at += 64) {
                __builtin_prefetch(next + at);
            }
            __builtin_prefetch(next + sizeof(RasterTriangle) - 1);
            __builtin_prefetch(&triangleStates_[commands[i + 1]]);
        }
        if ((command & kClearBit) != 0) {
            fill(clears_[command & ~kClearBit], row0, row1);
            continue;
        }
        const RasterTriangle& triangle = triangles_[command];
        const uint32_t state = triangleStates_[command];
        if (state != current) {
            const uint64_t written = scratch.pixelsWritten;
            const StateBlock& block = states_[state];
            scratch = block.context;
            scratch.state = &block.state;
            scratch.rgb565 = target_.rgb565;
            scratch.color16 = target_.color16;
            scratch.color32 = target_.color32;
            scratch.depth = target_.depth;
            scratch.width = target_.width;
            scratch.pixelsWritten = written;
            span = block.span;
            current = state;
        }
        // Memory rows to the triangle's own rows.
        if (triangle.flip) {
            const int32_t h = triangle.bufferHeight;
            drawTriangleRows(triangle, corners_.data(), h - 1 - row1, h - 1 - row0, scratch, span);
        } else {
            drawTriangleRows(triangle, corners_.data(), row0, row1, scratch, span);
        }
    }
    if (rowsDrawn_ != nullptr) {
        const bool rgb565 = target_.rgb565;
        const DrawnRows rows{rgb565 ? static_cast<const void*>(target_.color16)
                                    : static_cast<const void*>(target_.color32),
                             target_.width,
                             target_.height,
                             target_.width * (rgb565 ? 2 : 4),
                             rgb565,
                             row0,
                             row1 + 1,
                             frame};
        rowsDrawn_(rowsDrawnContext_, rows);
    }
    return scratch.pixelsWritten;
}

int32_t drawBandHeight(int32_t width, int32_t height, bool rgb565, int32_t threads) {
    // About 256 KB of colour and depth per band (it stays in a core's second-level cache),
    // 8 to 128 rows, and at least four bands per thread where the buffer has the rows
    // for them. Tall bands matter: a triangle is set up again in every band it touches
    // (at 640x480, 19-row bands set up about one 10-pixel triangle in five twice; and
    // eight bands of 60 rows fill 1.6% more 10-pixel triangles a second on two threads
    // than ten bands, nine of 51 rows and one of 21).
    const int32_t rowBytes = width * (rgb565 ? 4 : 6);
    int32_t rows = rowBytes > 0 ? (256 * 1024) / rowBytes : 128;
    rows = std::clamp(rows, 8, 128);
    if (height / rows < 4 * threads) {
        rows = std::max(8, height / (4 * threads));
    }
    return rows;
}
