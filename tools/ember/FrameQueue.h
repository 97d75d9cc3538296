// FrameQueue: a FrameSink written on a thread of its own, so that encoding and writing a
// frame (YUV conversion, a pipe to ffmpeg, PNG compression) overlaps drawing the next.
//
// The caller fills frames the queue lends it and hands them over in order; at most
// `depth` frames wait to be written, so a slow sink holds the caller back instead of
// piling up memory. The sink's first failure ends the writing; it is thrown (as the
// sink threw it: ToolError) from the caller's next call.
//
// Usage:
//   FrameQueue queue(*sink);
//   RgbFrame& frame = queue.next(width, height);  // black where never written, in the
//   ... fill it (readFrontBufferInto) ...         // form the sink takes
//   queue.push();
//   queue.finish();                               // every frame written (or thrown)
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "ember/FrameOutput.h"

class FrameQueue {
public:
    explicit FrameQueue(FrameSink& sink, int32_t depth = 2);
    ~FrameQueue(); // waits for the frames handed over, without throwing
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    RgbFrame& next(int32_t width, int32_t height);
    void push();
    void finish();
    int64_t framesPushed() const { return pushed_; }
    bool takesYuv() const { return sink_.takesYuv(); }

private:
    void threadMain();
    void throwIfFailed(); // with the mutex held

    FrameSink& sink_;
    const size_t depth_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<RgbFrame> waiting_; // handed over, oldest first
    std::deque<RgbFrame> spare_;   // written, to be lent again
    RgbFrame filling_;
    bool stop_ = false;
    bool writing_ = false;
    std::string error_;
    int64_t pushed_ = 0;
    std::thread thread_;
};
