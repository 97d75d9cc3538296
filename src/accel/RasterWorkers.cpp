#include "accel/RasterWorkers.h"

#include "accel/FrameBuffer.h"

#include <chrono>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A Run's fields (see RasterWorkers::Run).
constexpr uint64_t kEndOne = uint64_t{1} << 16;
constexpr uint64_t kFollows = uint64_t{1} << 31;
uint32_t runSequence(uint64_t bands) {
    return static_cast<uint32_t>(bands >> 32);
}
bool runFollows(uint64_t bands) {
    return (bands & kFollows) != 0;
}
int32_t runEnd(uint64_t bands) {
    return static_cast<int32_t>(bands >> 16 & 0x7FFF);
}
int32_t runFront(uint64_t bands) {
    return static_cast<int32_t>(bands & 0xFFFF);
}

// Waits, without sleeping, until ready() or `micro` microseconds have passed; false on
// timeout. Pauses between looks so that a sibling hardware thread keeps the core; after
// kSpinMicroseconds yields instead, so that the thread it waits for gets a core where
// there are more threads than cores.
template <typename Ready>
bool spinUntil(const Ready& ready, int32_t micro) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point yieldFrom =
        start + std::chrono::microseconds(RasterWorkers::kSpinMicroseconds);
    const Clock::time_point until = start + std::chrono::microseconds(micro);
    bool yielding = false;
    for (uint32_t i = 1;; ++i) {
        if (ready()) {
            return true;
        }
#if defined(__SSE2__)
        if (!yielding) {
            _mm_pause();
        } else
#endif
        {
            std::this_thread::yield();
        }
        if (i % 64 == 0) {
            const Clock::time_point now = Clock::now();
            if (now >= until) {
                return false;
            }
            yielding = now >= yieldFrom;
        }
    }
}

} // namespace

RasterWorkers::RasterWorkers(int32_t threads)
    : threadCount_(threads < 1 ? 1 : threads),
      bandDone_(new std::atomic<uint32_t>[kMaxFrameBufferSide]()), callerScratch_(new SpanContext) {
    for (Slot& slot : slots_) {
        slot.runs.reset(new Run[static_cast<size_t>(threadCount_)]);
    }
    for (int32_t i = 1; i < threadCount_; ++i) {
        threads_.emplace_back([this, i] { threadMain(i); });
    }
}

RasterWorkers::~RasterWorkers() {
    while (completeOldest().batch != nullptr) {
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_.store(true, std::memory_order_relaxed);
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

RasterWorkers::Take RasterWorkers::takeBand(int32_t thread, Taken& taken) {
    const int32_t count = threads();
    const uint32_t oldest = oldest_.load(std::memory_order_acquire);
    bool later = false;
    for (uint32_t sequence = oldest; sequence != oldest + kMaxInFlight; ++sequence) {
        Slot& slot = slots_[sequence % kMaxInFlight];
        // The thread's own run from the front, then the others' from the back.
        for (int32_t k = 0; k < count; ++k) {
            Run& run = slot.runs[static_cast<size_t>((thread + k) % count)];
            uint64_t bands = run.bands.load(std::memory_order_acquire);
            // A run with bands left keeps its batch in flight, and the slot's fields with it.
            while (runSequence(bands) == sequence && runFront(bands) < runEnd(bands)) {
                const int32_t band = k == 0 ? runFront(bands) : runEnd(bands) - 1;
                if (runFollows(bands) && bandDone_[static_cast<size_t>(band)].load(
                                             std::memory_order_acquire) != sequence - 1) {
                    later = true;
                    break;
                }
                const uint64_t left = k == 0 ? bands + 1 : bands - kEndOne;
                if (run.bands.compare_exchange_weak(bands, left, std::memory_order_acquire)) {
                    taken = Taken{&slot, band};
                    return Take::Band;
                }
            }
        }
    }
    return later ? Take::Later : Take::None;
}

void RasterWorkers::draw(const Taken& taken, SpanContext& scratch) {
    Slot& slot = *taken.slot;
    const uint64_t pixels = slot.batch->drawBand(taken.band, scratch);
    bandDone_[static_cast<size_t>(taken.band)].store(slot.sequence, std::memory_order_release);
    slot.pixels.fetch_add(pixels, std::memory_order_relaxed);
    if (slot.bandsLeft.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        // The submitting thread may sleep on it.
        { std::lock_guard<std::mutex> lock(mutex_); }
        done_.notify_all();
    }
}

void RasterWorkers::threadMain(int32_t thread) {
    SpanContext scratch;
    for (;;) {
        // Read before looking for bands: a batch handed over after it is seen, with its
        // runs, when nothing is found.
        const uint64_t seen = generation_.load(std::memory_order_acquire);
        Taken taken{};
        const Take take = takeBand(thread, taken);
        if (take == Take::Band) {
            draw(taken, scratch);
            continue;
        }
        if (take == Take::Later) { // a band another thread is drawing goes first
            std::this_thread::yield();
            continue;
        }
        const auto ready = [&] {
            return stop_.load(std::memory_order_relaxed) ||
                   generation_.load(std::memory_order_acquire) != seen;
        };
        if (!spinUntil(ready, kSpinMicroseconds)) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, ready);
        }
        if (stop_.load(std::memory_order_relaxed)) {
            return;
        }
    }
}

void RasterWorkers::submit(DrawBatch& batch) {
    const uint32_t sequence = next_;
    const bool follows = inFlight() > 0;
    const int32_t bands = batch.bandCount();
    Slot& slot = slots_[sequence % kMaxInFlight];
    slot.batch = &batch;
    slot.sequence = sequence;
    slot.pixels.store(0, std::memory_order_relaxed);
    slot.bandsLeft.store(bands, std::memory_order_relaxed);
    const int32_t count = threads();
    for (int32_t thread = 0; thread < count; ++thread) {
        const uint64_t front = static_cast<uint64_t>(bands) * static_cast<uint64_t>(thread) /
                               static_cast<uint64_t>(count);
        const uint64_t end = static_cast<uint64_t>(bands) * static_cast<uint64_t>(thread + 1) /
                             static_cast<uint64_t>(count);
        slot.runs[static_cast<size_t>(thread)].bands.store(
            uint64_t{sequence} << 32 | (follows ? kFollows : 0) | end << 16 | front,
            std::memory_order_release);
    }
    next_ = sequence + 1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        generation_.fetch_add(1, std::memory_order_release);
    }
    wake_.notify_all();
}

bool RasterWorkers::drained() const {
    const uint32_t oldest = oldest_.load(std::memory_order_relaxed);
    if (next_ - oldest >= static_cast<uint32_t>(kMaxInFlight) &&
        slots_[oldest % kMaxInFlight].bandsLeft.load(std::memory_order_relaxed) > 0) {
        return false;
    }
    for (uint32_t sequence = oldest; sequence != next_; ++sequence) {
        const Slot& slot = slots_[sequence % kMaxInFlight];
        for (int32_t thread = 0; thread < threads(); ++thread) {
            const uint64_t bands =
                slot.runs[static_cast<size_t>(thread)].bands.load(std::memory_order_relaxed);
            if (runFront(bands) < runEnd(bands)) {
                return false;
            }
        }
    }
    return true;
}

RasterWorkers::Completed RasterWorkers::completeOldest() {
    const uint32_t oldest = oldest_.load(std::memory_order_relaxed);
    if (oldest == next_) {
        return Completed{nullptr, 0};
    }
    Slot& slot = slots_[oldest % kMaxInFlight];
    const auto done = [&] { return slot.bandsLeft.load(std::memory_order_acquire) == 0; };
    while (!done()) {
        Taken taken{};
        if (takeBand(0, taken) == Take::Band) {
            draw(taken, *callerScratch_);
            continue;
        }
        // The others are drawing its last bands.
        if (!spinUntil(done, kBandSpinMicroseconds)) {
            std::unique_lock<std::mutex> lock(mutex_);
            done_.wait(lock, done);
        }
    }
    const Completed completed{slot.batch, slot.pixels.load(std::memory_order_relaxed)};
    slot.batch = nullptr;
    oldest_.store(oldest + 1, std::memory_order_release);
    return completed;
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
