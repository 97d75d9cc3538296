#include "accel/RasterWorkers.h"

#include <chrono>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint64_t kEndOne = uint64_t{1} << 32; // one band in a Run's end half

int32_t runFront(uint64_t bands) {
    return static_cast<int32_t>(bands & 0xFFFFFFFFu);
}
int32_t runEnd(uint64_t bands) {
    return static_cast<int32_t>(bands >> 32);
}

// Waits, without sleeping, until ready() or kSpinMicroseconds have passed; false on
// timeout. Pauses between looks so that a sibling hardware thread keeps the core.
template <typename Ready>
bool spinUntil(const Ready& ready) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until =
        Clock::now() + std::chrono::microseconds(RasterWorkers::kSpinMicroseconds);
    for (uint32_t i = 1;; ++i) {
        if (ready()) {
            return true;
        }
#if defined(__SSE2__)
        _mm_pause();
#else
        std::this_thread::yield();
#endif
        if (i % 64 == 0 && Clock::now() >= until) {
            return false;
        }
    }
}

} // namespace

RasterWorkers::RasterWorkers(int32_t threads)
    : runs_(new Run[static_cast<size_t>(threads < 1 ? 1 : threads)]),
      callerScratch_(new SpanContext) {
    for (int32_t i = 1; i < threads; ++i) {
        threads_.emplace_back([this, i] { threadMain(i); });
    }
}

RasterWorkers::~RasterWorkers() {
    wait();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_.store(true, std::memory_order_relaxed);
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

int32_t RasterWorkers::takeBand(int32_t slot) {
    const int32_t count = threads();
    Run& own = runs_[static_cast<size_t>(slot)];
    uint64_t bands = own.bands.load(std::memory_order_relaxed);
    while (runFront(bands) < runEnd(bands)) {
        if (own.bands.compare_exchange_weak(bands, bands + 1, std::memory_order_relaxed)) {
            return runFront(bands);
        }
    }
    for (int32_t k = 1; k < count; ++k) {
        Run& other = runs_[static_cast<size_t>((slot + k) % count)];
        bands = other.bands.load(std::memory_order_relaxed);
        while (runFront(bands) < runEnd(bands)) {
            if (other.bands.compare_exchange_weak(bands, bands - kEndOne,
                                                  std::memory_order_relaxed)) {
                return runEnd(bands) - 1;
            }
        }
    }
    return -1;
}

uint64_t RasterWorkers::drawBands(int32_t slot, SpanContext& scratch) {
    // The batch and the runs were published under the mutex, which this thread has
    // taken since.
    const DrawBatch& batch = *batch_.load(std::memory_order_relaxed);
    uint64_t pixels = 0;
    for (int32_t band = takeBand(slot); band >= 0; band = takeBand(slot)) {
        pixels += batch.drawBand(band, scratch);
    }
    return pixels;
}

void RasterWorkers::threadMain(int32_t slot) {
    SpanContext scratch;
    uint64_t seen = 0;
    const auto ready = [&] {
        return stop_.load(std::memory_order_relaxed) ||
               (batch_.load(std::memory_order_relaxed) != nullptr &&
                generation_.load(std::memory_order_relaxed) != seen);
    };
    for (;;) {
        spinUntil(ready); // then sure, under the mutex
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, ready);
        if (stop_.load(std::memory_order_relaxed)) {
            return;
        }
        seen = generation_.load(std::memory_order_relaxed);
        inside_.fetch_add(1, std::memory_order_relaxed);
        lock.unlock();
        const uint64_t pixels = drawBands(slot, scratch);
        lock.lock();
        pixels_ += pixels;
        if (inside_.fetch_sub(1, std::memory_order_relaxed) == 1) {
            done_.notify_all();
        }
    }
}

void RasterWorkers::submit(DrawBatch& batch) {
    wait();
    const int32_t count = threads();
    const uint64_t bands = static_cast<uint64_t>(batch.bandCount());
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int32_t slot = 0; slot < count; ++slot) {
            const uint64_t front = bands * static_cast<uint64_t>(slot) / count;
            const uint64_t end = bands * static_cast<uint64_t>(slot + 1) / count;
            runs_[static_cast<size_t>(slot)].bands.store(front | end << 32,
                                                         std::memory_order_relaxed);
        }
        batch_.store(&batch, std::memory_order_relaxed);
        generation_.fetch_add(1, std::memory_order_relaxed);
        pixels_ = 0;
    }
    wake_.notify_all();
}

bool RasterWorkers::drained() const {
    if (batch_.load(std::memory_order_relaxed) == nullptr) {
        return true;
    }
    for (int32_t slot = 0; slot < threads(); ++slot) {
        const uint64_t bands =
            runs_[static_cast<size_t>(slot)].bands.load(std::memory_order_relaxed);
        if (runFront(bands) < runEnd(bands)) {
            return false;
        }
    }
    return inside_.load(std::memory_order_relaxed) == 0;
}

uint64_t RasterWorkers::wait() {
    if (batch_.load(std::memory_order_relaxed) == nullptr) {
        return 0;
    }
    // Every band is handed out once drawBands returns; the background threads may still
    // be drawing theirs.
    uint64_t pixels = drawBands(0, *callerScratch_);
    spinUntil([&] { return inside_.load(std::memory_order_relaxed) == 0; });
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return inside_.load(std::memory_order_relaxed) == 0; });
    pixels += pixels_;
    batch_.store(nullptr, std::memory_order_relaxed);
    return pixels;
}

int32_t defaultRasterThreads() {
    if (const char* text = std::getenv("EMBER_RASTER_THREADS")) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && value >= 1 && value <= 64) {
            return static_cast<int32_t>(value);
        }
    }
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware == 0 ? 1 : (hardware > 64 ? 64 : static_cast<int32_t>(hardware));
}
