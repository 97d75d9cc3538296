#include "ember/FrameQueue.h"

#include <utility>

#include "ember/Commands.h"

FrameQueue::FrameQueue(FrameSink& sink, int32_t depth)
    : sink_(sink), depth_(depth < 1 ? 1 : static_cast<size_t>(depth)) {
    thread_ = std::thread([this] { threadMain(); });
}

FrameQueue::~FrameQueue() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void FrameQueue::threadMain() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stop_ || !waiting_.empty(); });
        if (waiting_.empty()) {
            return; // stopped, and everything handed over is written
        }
        RgbFrame frame = std::move(waiting_.front());
        waiting_.pop_front();
        writing_ = true;
        const bool failed = !error_.empty();
        lock.unlock();
        std::string error;
        if (!failed) {
            try {
                sink_.write(frame);
            } catch (const ToolError& failure) {
                error = failure.what();
            }
        }
        lock.lock();
        writing_ = false;
        if (error_.empty()) {
            error_ = error;
        }
        spare_.push_back(std::move(frame));
        changed_.notify_all();
    }
}

void FrameQueue::throwIfFailed() {
    if (!error_.empty()) {
        throw ToolError(error_);
    }
}

RgbFrame& FrameQueue::next(int32_t width, int32_t height) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !error_.empty() || waiting_.size() < depth_; });
    throwIfFailed();
    if (!spare_.empty()) {
        filling_ = std::move(spare_.front());
        spare_.pop_front();
    }
    if (filling_.width != width || filling_.height != height ||
        filling_.yuv.empty() == sink_.takesYuv()) {
        filling_.reset(width, height, sink_.takesYuv());
    }
    return filling_;
}

void FrameQueue::push() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        throwIfFailed();
        waiting_.push_back(std::move(filling_));
        filling_ = RgbFrame();
        ++pushed_;
    }
    changed_.notify_all();
}

void FrameQueue::finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return waiting_.empty() && !writing_; });
    throwIfFailed();
}
