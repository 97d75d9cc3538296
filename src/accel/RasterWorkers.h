// RasterWorkers: the threads that draw batches band by band (DrawBatch.h).
//
// A pool of `threads - 1` background threads; the thread that submits a batch is the
// last worker: wait() makes it draw bands too until the batch is done, so that no core
// idles while the caller waits.
//
// Hand-out. Each thread owns a run of neighbouring bands (thread 0, the caller, the top
// one) and takes its bands from the front of its run; a thread whose run is used up
// takes bands one at a time from the back of the others' runs. A thread so draws mostly
// the same rows from batch to batch, with their colour and depth in its own cache, and a
// band heavy with work still does not hold up the others.
//
// Hand-over. Sleeping on a condition variable and being woken costs tens of
// microseconds, as much as drawing a band of small triangles, and at 640x480 the demo
// hands over a batch every millisecond or two. So a thread that runs out of work first
// spins for a short bounded while (kSpinMicroseconds) for the next batch or for the others to
// finish, and only then sleeps: a player that idles (waiting for vertical sync) costs at
// most that spin per batch.
//
// At most one batch is in flight; the device records the next one meanwhile.
//
// Usage (from one thread):
//   RasterWorkers workers(2);
//   workers.submit(batch);        // returns at once; the batch must stay untouched
//   ... record the next batch ...
//   uint64_t pixels = workers.wait();
//
// Threads are the standard library's; nothing here is specific to a platform.
#pragma once

#include <atomic>
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
    bool inFlight() const { return batch_.load(std::memory_order_relaxed) != nullptr; }
    const DrawBatch* batchInFlight() const { return batch_.load(std::memory_order_relaxed); }

    void submit(DrawBatch& batch);
    // Whether the threads have nothing left to draw: no batch in flight, or no band of it
    // left to hand out and no background thread drawing. Cheap enough to ask often.
    bool drained() const;
    // Draws bands of the batch in flight until it is done; returns the pixels it wrote
    // (0 when nothing was in flight).
    uint64_t wait();

    // How long a thread out of work spins before it sleeps.
    static constexpr int32_t kSpinMicroseconds = 50;

private:
    // The bands a thread owns in the batch in flight: front (next to take) in the low
    // half, end (one past the last left) in the high half. Alone on its cache line.
    struct alignas(64) Run {
        std::atomic<uint64_t> bands{0};
    };

    void threadMain(int32_t slot);
    // Draws bands of the batch in flight until none is left to hand out, as thread
    // `slot`; returns the pixels written.
    uint64_t drawBands(int32_t slot, SpanContext& scratch);
    // The next band for thread `slot`, or -1 when every band is handed out.
    int32_t takeBand(int32_t slot);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    // Written by the submitting thread under the mutex; read without it only to decide
    // whether to keep spinning.
    std::atomic<DrawBatch*> batch_{nullptr};
    std::atomic<uint64_t> generation_{0};
    std::atomic<int32_t> inside_{0}; // background threads drawing the batch in flight
    uint64_t pixels_ = 0;            // written by the background threads for the batch in flight
    std::atomic<bool> stop_{false};
    std::unique_ptr<Run[]> runs_; // one per thread
    std::unique_ptr<SpanContext> callerScratch_;
    std::vector<std::thread> threads_;
};

// The number of threads to rasterise with when a device does not say: the environment
// variable EMBER_RASTER_THREADS (1 to 64) when set, else the processor's hardware
// threads (at most 64).
int32_t defaultRasterThreads();
