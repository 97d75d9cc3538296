#include "accel/RasterWorkers.h"

#include <cstdlib>

RasterWorkers::RasterWorkers(int32_t threads) : callerScratch_(new SpanContext) {
    for (int32_t i = 1; i < threads; ++i) {
        threads_.emplace_back([this] { threadMain(); });
    }
}

RasterWorkers::~RasterWorkers() {
    wait();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

uint64_t RasterWorkers::drawBands(DrawBatch& batch, SpanContext& scratch) {
    uint64_t pixels = 0;
    const int32_t count = batch.bandCount();
    for (int32_t band = batch.nextBand.fetch_add(1, std::memory_order_relaxed); band < count;
         band = batch.nextBand.fetch_add(1, std::memory_order_relaxed)) {
        pixels += batch.drawBand(band, scratch);
    }
    return pixels;
}

void RasterWorkers::threadMain() {
    SpanContext scratch;
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || (batch_ != nullptr && generation_ != seen); });
        if (stop_) {
            return;
        }
        seen = generation_;
        DrawBatch* batch = batch_;
        ++inside_;
        lock.unlock();
        const uint64_t pixels = drawBands(*batch, scratch);
        lock.lock();
        pixels_ += pixels;
        if (--inside_ == 0) {
            done_.notify_all();
        }
    }
}

void RasterWorkers::submit(DrawBatch& batch) {
    wait();
    batch.nextBand.store(0, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        batch_ = &batch;
        ++generation_;
        pixels_ = 0;
    }
    wake_.notify_all();
}

uint64_t RasterWorkers::wait() {
    if (batch_ == nullptr) {
        return 0;
    }
    // Every band is handed out once this returns; the background threads may still be
    // drawing theirs.
    uint64_t pixels = drawBands(*batch_, *callerScratch_);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return inside_ == 0; });
    pixels += pixels_;
    batch_ = nullptr;
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
