// RasterWorkers: the threads that draw batches band by band (DrawBatch.h).
//
// A pool of `threads - 1` background threads; the thread that submits a batch is the
// last worker: wait() makes it draw bands too until the batch is done, so that no core
// idles while the caller waits. Bands are handed out one at a time from an atomic
// counter, so that a band heavy with work does not hold up the others. At most one batch
// is in flight; the device records the next one meanwhile.
//
// Usage (from one thread):
//   RasterWorkers workers(2);
//   workers.submit(batch);        // returns at once; the batch must stay untouched
//   ... record the next batch ...
//   uint64_t pixels = workers.wait();
//
// Threads are the standard library's; nothing here is specific to a platform.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "accel/DrawBatch.h"
#include "accel/SpanContext.h"

class RasterWorkers {
public:
    explicit RasterWorkers(int32_t threads);
    ~RasterWorkers();
    RasterWorkers(const RasterWorkers&) = delete;
    RasterWorkers& operator=(const RasterWorkers&) = delete;

    int32_t threads() const { return static_cast<int32_t>(threads_.size()) + 1; }
    bool inFlight() const { return batch_ != nullptr; }
    const DrawBatch* batchInFlight() const { return batch_; }

    void submit(DrawBatch& batch);
    // Draws bands of the batch in flight until it is done; returns the pixels it wrote
    // (0 when nothing was in flight).
    uint64_t wait();

private:
    void threadMain();
    // Draws bands of `batch` until none is left to hand out; returns the pixels written.
    static uint64_t drawBands(DrawBatch& batch, SpanContext& scratch);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    DrawBatch* batch_ = nullptr; // written by the submitting thread under the mutex
    uint64_t generation_ = 0;
    int32_t inside_ = 0;  // background threads drawing the batch in flight
    uint64_t pixels_ = 0; // written by the background threads for the batch in flight
    bool stop_ = false;
    std::unique_ptr<SpanContext> callerScratch_;
    std::vector<std::thread> threads_;
};

// The number of threads to rasterise with when a device does not say: the environment
// variable EMBER_RASTER_THREADS (1 to 64) when set, else the processor's hardware
// threads (at most 64).
int32_t defaultRasterThreads();
