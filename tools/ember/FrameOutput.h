// Where `ember render` writes its frames: one PNG, a directory of numbered PNGs, a
// YUV4MPEG2 stream (.y4m) or a video file (.mp4 / .mkv) encoded by the ffmpeg program,
// with the disc's audio muxed in when asked.
//
// Frames are 0xFFRRGGBB words (what the device reads back without a byte's shuffling),
// top row first, or for a sink that takes them (a .y4m) the Y'CbCr planes the sink
// writes, converted as the frame is read from the device: a frame then crosses memory
// once, not three times (read back, converted, written). A sink is opened once the frame
// size is known, takes the frames in order and is finished once; finish() is where a video
// gets its soundtrack. Every failure throws ToolError with one line for the user.
//
// Every file appears whole or not at all (OutputFile.h): a .png, .y4m or video is
// written under a temporary name and takes its own name in finish(); a sink destroyed
// before finish() leaves no file behind and an existing file of that name untouched.
// Numbered PNGs each appear whole as they are written.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct RgbFrame {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> argb; // width * height words 0xFFRRGGBB, or empty when
    std::vector<uint8_t> yuv;   // the Y, Cb and Cr planes (YuvConversion.h) hold the frame

    // A black frame in words or in planes.
    void reset(int32_t width, int32_t height, bool planes);
};

// Writes the frames' soundtrack: exactly `sampleFrames` stereo frames at 44.1 kHz as a
// WAV file at `path` (called by finish() of a video sink that has a soundtrack).
using SoundtrackWriter = std::function<void(const std::string& path, int64_t sampleFrames)>;

struct FrameOutputOptions {
    std::string path;            // .png, .y4m, .mp4, .mkv, or a directory
    int32_t fps = 30;            // frames per second of a video
    SoundtrackWriter soundtrack; // empty: no audio
    int64_t firstNumber = 0;     // a directory's first file is frame<firstNumber>.png
};

class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void write(const RgbFrame& frame) = 0;
    // Whether the sink would rather have frames as Y'CbCr planes (it takes words too).
    virtual bool takesYuv() const { return false; }
    virtual void finish() {}
    int64_t framesWritten() const { return written_; }

protected:
    int64_t written_ = 0;
};

enum class FrameOutputKind { Png, PngDirectory, Y4m, Video };

// The kind of output a path asks for; throws ToolError for anything else.
FrameOutputKind frameOutputKind(const std::string& path);

std::unique_ptr<FrameSink> openFrameSink(const FrameOutputOptions& options);

// The number of 44.1 kHz sample frames that last exactly as long as `frames` video frames.
int64_t soundtrackSampleFrames(int64_t frames, int32_t fps);

// Where the ffmpeg program is, or "" when it is not installed.
std::string findFfmpeg();

// Writes one frame as a PNG file, whole or not at all (throws ToolError).
void writePngFrame(const std::string& path, const RgbFrame& frame);

class SoftwareDevice;
struct FrameView;
// Reads the device's front buffer into the middle of `frame` (made by reset()), in the
// frame's form; a front buffer larger than the frame keeps its middle. The rest of the
// frame is left as it is.
void readFrontBufferInto(const SoftwareDevice& device, RgbFrame& frame);
// The same for the rows firstRow <= row < endRow of a picture, into a frame of Y'CbCr
// planes: what readFrontBufferInto does to them.
void convertRowsInto(const FrameView& picture, int32_t firstRow, int32_t endRow, RgbFrame& frame);
