// RasterWorkers: the threads that draw batches band by band (DrawBatch.h).
//
// A pool of `threads - 1` background threads; the thread that submits batches is the
// last worker: completeOldest() makes it draw bands too until the oldest batch is done,
// so that no core idles while the caller waits.
//
// Hand-out. Each thread owns a run of neighbouring bands of every batch (thread 0, the
// caller, the top one) and takes its bands from the front of its run; a thread whose
// run is used up takes bands one at a time from the back of the others' runs. A thread
// so draws mostly the same rows from batch to batch, with their colour and depth in its
// own cache, and a band heavy with work still does not hold up the others.
//
// Two batches in flight. A batch's bands end unevenly: the last one drawn takes as long
// as a band, and a thread with nothing left would wait that long for the next batch
// (8% of the time of small triangles on two threads). So a second batch may be handed
// over while the first is drawn, and a thread out of the first's bands goes on with the
// second's: band b of the second once band b of the first is done, so that every pixel
// still sees its commands in submission order. The two must have the same bands
// (DrawBatch::sameBands).
//
// Hand-over. Sleeping on a condition variable and being woken costs tens of
// microseconds, as much as drawing a band of small triangles, and at 640x480 the demo
// hands over a batch every millisecond or two. So a thread that runs out of work first
// spins for a short bounded while (kSpinMicroseconds) for the next batch, and only then
// sleeps: a player that idles (waiting for vertical sync) costs at most that spin per
// batch. A thread waiting for a band another is drawing spins longer
// (kBandSpinMicroseconds, yielding after kSpinMicroseconds): the wait is a band's
// drawing at most.
//
// Usage (from one thread):
//   RasterWorkers workers(2);
//   workers.submit(batch);        // returns at once; the batch must stay untouched
//   ... record the next batch; submit it too if inFlight() < kMaxInFlight ...
//   RasterWorkers::Completed done = workers.completeOldest();  // draws with them
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
    static constexpr int32_t kMaxInFlight = 2;

    explicit RasterWorkers(int32_t threads);
    ~RasterWorkers();
    RasterWorkers(const RasterWorkers&) = delete;
    RasterWorkers& operator=(const RasterWorkers&) = delete;

    int32_t threads() const { return threadCount_; }
    // Batches handed over and not yet completed (0 to kMaxInFlight).
    int32_t inFlight() const {
        return static_cast<int32_t>(next_ - oldest_.load(std::memory_order_relaxed));
    }
    // The batch handed over last, if still in flight.
    const DrawBatch* newest() const {
        return inFlight() > 0 ? slots_[(next_ - 1) % kMaxInFlight].batch : nullptr;
    }

    // Hands `batch` over; returns at once. Needs inFlight() < kMaxInFlight, and a batch in
    // flight to have the same bands.
    void submit(DrawBatch& batch);
    // Whether a batch handed over now would be drawn at once: no band of the batches in
    // flight is left to hand out, and there is room for it. Cheap enough to ask often.
    bool drained() const;

    struct Completed {
        const DrawBatch* batch; // nullptr when nothing was in flight
        uint64_t pixels;        // written by its triangles
    };
    // Draws bands until the oldest batch in flight is done, and lets it go.
    Completed completeOldest();

    // How long a thread out of work spins before it sleeps.
    static constexpr int32_t kSpinMicroseconds = 50;
    // How long a thread waiting for another's band spins before it sleeps.
    static constexpr int32_t kBandSpinMicroseconds = 2000;

private:
    // The bands a thread owns in one batch: the batch's sequence number in the high half;
    // bit 31 set when its band b waits for band b of the batch before; the end of the run
    // (one past the last left) in bits 16-30 and its front (next to take) in the low
    // bits. Whoever reads a run so knows all it needs of its batch's hand-out at once, and
    // the sequence number keeps a thread that looked at a batch just completed from
    // taking a band of the next one in its slot. Alone on its cache line.
    struct alignas(64) Run {
        std::atomic<uint64_t> bands{0};
    };
    struct Slot {
        DrawBatch* batch = nullptr;
        uint32_t sequence = 0;
        std::unique_ptr<Run[]> runs;                   // one per thread
        alignas(64) std::atomic<int32_t> bandsLeft{0}; // not yet drawn
        std::atomic<uint64_t> pixels{0};
    };
    struct Taken {
        Slot* slot;
        int32_t band;
    };
    enum class Take { Band, Later, None };

    void threadMain(int32_t thread);
    // The next band for thread `thread`, oldest batch first: Later when the bands left
    // must wait for bands being drawn, None when every band is handed out.
    Take takeBand(int32_t thread, Taken& taken);
    void draw(const Taken& taken, SpanContext& scratch);

    const int32_t threadCount_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    Slot slots_[kMaxInFlight];
    // For each band, the sequence number of the last batch whose band is drawn. A batch
    // has at most a band per row.
    std::unique_ptr<std::atomic<uint32_t>[]> bandDone_;
    // Batches oldest_ <= s < next_ are in flight, batch s in slot s % kMaxInFlight. Written
    // by the submitting thread only.
    std::atomic<uint32_t> oldest_{1};
    uint32_t next_ = 1;
    std::atomic<uint64_t> generation_{0}; // submissions so far
    std::atomic<bool> stop_{false};
    std::unique_ptr<SpanContext> callerScratch_;
    std::vector<std::thread> threads_;
};

// The number of threads to rasterise with when a device does not say: the environment
// variable EMBER_RASTER_THREADS (1 to 64) when set, else the processor's hardware
// threads (at most 64).
int32_t defaultRasterThreads();
