// The virtual clock is set, not stepped, at each presented frame: frame n (from 0) is
// shown at exactly n * 1000000 / fps microseconds after the start, so that no rounding
// accumulates and every run sees the same tick counts.
#include "ember/DemoRenderer.h"

#include <unistd.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <utility>

#include "anim/SceneReader.h"
#include "app/DesktopPlayer.h"
#include "app/MainWindow.h"
#include "app/ProcessState.h"
#include "ember/Commands.h"
#include "ember/FrameOutput.h"
#include "ember/FrameQueue.h"
#include "ember/ProgressBar.h"
#include "ember/Soundtrack.h"
#include "fx/RandomGenerator.h"
#include "platform/CdDevice.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/VirtualClock.h"
#include "player/PlayDemo.h"
#include "player/Scene.h"
#include "player/SceneList.h"

namespace {

constexpr uint64_t kStartMicroseconds = 1000000; // an arbitrary, fixed start

// Restores the working directory when the render ends, however it ends.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& directory) {
        if (getcwd(previous_, sizeof(previous_)) == nullptr) {
            throw ToolError("cannot read the working directory");
        }
        if (chdir(directory.c_str()) != 0) {
            throw ToolError("cannot enter " + directory + ": " + std::strerror(errno));
        }
    }
    ~WorkingDirectory() {
        if (chdir(previous_) != 0) {
            // Nothing sensible is left to do; the process is about to end anyway.
        }
    }

private:
    char previous_[4096] = {};
};

// Installs the headless platform and the software device for the render, and removes
// them again.
struct OfflinePlatform {
    HeadlessWindowSystem windows;
    VirtualClock clock{0};
    std::unique_ptr<SoftwareDevice> device;

    explicit OfflinePlatform(const SoftwareDeviceOptions& options)
        : device(new SoftwareDevice(options)) {
        clock.setMicroseconds(kStartMicroseconds);
        windows.echoMessageBoxes = 0; // the render's error says it
        setWindowSystem(&windows);
        setCdDevice(nullptr);
        setClock(&clock);
        setAcceleratorDevice(device.get());
    }
    ~OfflinePlatform() {
        setAcceleratorDevice(nullptr);
        setClock(nullptr);
        setWindowSystem(nullptr);
    }
};

class FrameWriter : public FramePresenter {
public:
    FrameWriter(const DemoRenderOptions& options, OfflinePlatform& platform, FrameQueue& frames,
                ProgressBar& progress)
        : options_(options), platform_(platform), frames_(frames), progress_(progress),
          convertsRows_(frames.takesYuv() && platform.device->rasterThreads() > 1) {
        if (convertsRows_) {
            for (Staged& staged : staged_) {
                staged.frame.reset(static_cast<int32_t>(options.width),
                                   static_cast<int32_t>(options.height), true);
            }
        }
    }

    // The clock and the end of the render keep pace with the swaps; the pixels of a
    // frame come when it has been drawn (present), possibly a frame later.
    void swapped(const SoftwareDevice& /*device*/, int /*swapInterval*/) override {
        const int64_t index = swapped_++;
        platform_.clock.setMicroseconds(kStartMicroseconds +
                                        static_cast<uint64_t>(swapped_) * 1000000u /
                                            static_cast<uint64_t>(options_.fps));
        if (options_.lastFrame >= 0 && index >= options_.lastFrame) {
            // The pump that follows this swap ends the demo, as a closed window would.
            platform_.windows.requestClose(static_cast<int32_t>(swapped_));
        }
    }

    // Y'CbCr frames are converted band by band on the rasterising threads, as the bands
    // are finished, into the staged frame of their frame; present() then hands it over.
    bool wantsRows() const override { return convertsRows_; }
    void rowsDrawn(const DrawnRows& rows) override {
        if (!wanted(static_cast<int64_t>(rows.frame))) {
            return;
        }
        Staged& staged = staged_[rows.frame % 2];
        convertRowsInto(FrameView{rows.pixels, rows.width, rows.height, rows.pitch, rows.rgb565},
                        rows.firstRow, rows.endRow, staged.frame);
        const uint64_t added = static_cast<uint64_t>(rows.endRow - rows.firstRow);
        uint64_t progress = staged.progress.load(std::memory_order_relaxed);
        uint64_t next;
        do {
            next = progress >> kRowBits == rows.frame ? progress + added
                                                      : (rows.frame << kRowBits | added);
        } while (!staged.progress.compare_exchange_weak(progress, next, std::memory_order_release,
                                                        std::memory_order_relaxed));
    }

    void present(const SoftwareDevice& device, int /*swapInterval*/) override {
        const int64_t index = presented_++;
        if (!error_.empty() || !wanted(index)) {
            return;
        }
        // The frame loop is the system's own code, which is not built for exceptions to
        // pass through: a failure stops the demo and is raised once it has returned.
        try {
            writeFrame(device);
            progress_.update(frames_.framesPushed());
        } catch (const ToolError& failure) {
            error_ = failure.what();
            platform_.windows.requestClose(static_cast<int32_t>(swapped_));
        }
    }

    const std::string& error() const { return error_; }
    int64_t framesShown() const { return swapped_; }

private:
    // A frame converted by rows: `progress` holds the frame's number above kRowBits and
    // the rows converted so far below.
    struct Staged {
        RgbFrame frame;
        std::atomic<uint64_t> progress{~uint64_t{0}};
    };
    static constexpr int kRowBits = 32;

    bool wanted(int64_t index) const {
        return index >= options_.firstFrame &&
               (options_.lastFrame < 0 || index <= options_.lastFrame);
    }

    // The frame goes into the output frame (in the sink's form), which the queue's thread
    // then encodes while the next frames are drawn: the staged frame when all of its rows
    // were converted, else read straight from the front buffer.
    void writeFrame(const SoftwareDevice& device) {
        RgbFrame& out = frames_.next(static_cast<int32_t>(options_.width),
                                     static_cast<int32_t>(options_.height));
        const uint64_t frame = device.presentedFrame();
        Staged& staged = staged_[frame % 2];
        const uint64_t complete = frame << kRowBits | static_cast<uint64_t>(device.height());
        if (convertsRows_ && staged.progress.load(std::memory_order_acquire) == complete) {
            std::swap(out.yuv, staged.frame.yuv); // both frames' planes, same size
        } else {
            readFrontBufferInto(device, out);
        }
        frames_.push();
    }

    const DemoRenderOptions& options_;
    OfflinePlatform& platform_;
    FrameQueue& frames_;
    ProgressBar& progress_;
    const bool convertsRows_;
    Staged staged_[2];
    int64_t swapped_ = 0;
    int64_t presented_ = 0;
    std::string error_;
};

// What the render learns once the scenes are loaded.
struct ProgressEstimate {
    const DemoRenderOptions* options;
    ProgressBar* progress;
    OfflinePlatform* platform;
    bool noSurface = false;
};

// Frames the demo will show: each scene for (lastFrame / framesPerSecond) seconds, plus
// the cleared frame after it.
void estimateLength(void* context, const Scene* scenes) {
    auto* estimate = static_cast<ProgressEstimate*>(context);
    const DemoRenderOptions& options = *estimate->options;
    // A device that could not open its surface (memory) never swaps, and the swaps drive
    // the virtual clock: the demo would never end. It ends at once instead.
    if (!estimate->platform->device->isOpen()) {
        estimate->noSurface = true;
        estimate->platform->windows.requestClose(0);
        return;
    }
    int64_t total = 0;
    if (options.lastFrame >= 0) {
        total = options.lastFrame - options.firstFrame + 1;
    } else {
        for (int32_t i = 0; i < kDemoSceneCount; ++i) {
            if ((options.scene >= 0 && i != options.scene) || scenes[i].framesPerSecond <= 0.0f) {
                continue;
            }
            total += static_cast<int64_t>(scenes[i].lastFrame / scenes[i].framesPerSecond *
                                          static_cast<float>(options.fps)) +
                     2;
        }
        total -= options.firstFrame;
    }
    estimate->progress->setTotal(total > 0 ? total : 0);
}

// The soundtrack a video of the demo gets (see DemoRenderOptions); none: empty.
SoundtrackWriter soundtrackFor(const DemoRenderOptions& options) {
    std::string cue;
    uint32_t track = options.track;
    if (track != 0) {
        cue = requireDiscTrack(track);
    } else if (options.scene < 0) {
        track = firstDiscAudioTrack(&cue);
    }
    if (track == 0) {
        return nullptr;
    }
    // Displayed frame n is shown n / fps seconds after the start, when the disc has
    // played as long: a range that starts later starts as far into the music.
    const int64_t skip = soundtrackSampleFrames(options.firstFrame, options.fps);
    return [cue, track, skip](const std::string& path, int64_t sampleFrames) {
        writeDiscSoundtrack(cue, track, path, skip, sampleFrames);
    };
}

} // namespace

void renderDemo(const DemoRenderOptions& options) {
    if (options.fps < 1 || options.fps > 1000) {
        throw ToolError("--fps must be 1 to 1000");
    }
    if (options.width < 1 || options.height < 1 || options.width > 8192 || options.height > 8192) {
        throw ToolError("--size: each side is 1 to 8192 pixels");
    }
    if (options.loop && options.lastFrame < 0) {
        throw ToolError("--loop plays forever: say where to stop with --frames A:B");
    }
    if (options.output.empty()) {
        throw ToolError("say where the frames go with -o");
    }
    // The output path is the user's, relative to where ember was started.
    FrameOutputOptions output;
    output.path = options.output;
    if (!output.path.empty() && output.path[0] != '/') {
        char here[4096];
        if (getcwd(here, sizeof(here)) != nullptr) {
            output.path = std::string(here) + "/" + output.path;
        }
    }
    output.fps = options.fps;
    output.firstNumber = options.firstFrame;
    const FrameOutputKind kind = frameOutputKind(output.path);
    if (kind == FrameOutputKind::Png &&
        !(options.lastFrame >= 0 && options.lastFrame == options.firstFrame)) {
        throw ToolError(options.output + " holds one frame: choose it with --frame, or write to a "
                                         "directory or a video");
    }
    if (options.track != 0 && (kind != FrameOutputKind::Video || !options.audio)) {
        throw ToolError(options.audio ? "--track muxes audio into a video: write a .mp4 or .mkv"
                                      : "--track and --no-audio contradict each other");
    }
    const WorkingDirectory inDemo(options.directory);
    if (kind == FrameOutputKind::Video && options.audio) {
        output.soundtrack = soundtrackFor(options);
    }
    std::unique_ptr<FrameSink> sink = openFrameSink(output);

    uint32_t drawnWidth = 0;
    uint32_t drawnHeight = 0;
    fitFourByThree(options.width, options.height, &drawnWidth, &drawnHeight);
    SoftwareDeviceOptions deviceOptions;
    deviceOptions.colorMode = options.colorMode;
    deviceOptions.width = static_cast<int32_t>(drawnWidth);
    deviceOptions.height = static_cast<int32_t>(drawnHeight);
    OfflinePlatform platform(deviceOptions);

    demoSettings = DemoSettings{};
    demoSettings.screenWidth = drawnWidth;
    demoSettings.screenHeight = drawnHeight;
    demoSettings.swapInterval = 0;
    demoSettings.playLooped = options.loop ? 1 : 0;
    demoSettings.noSound = 1;
    appState = AppState{};
    appState.frameBufferMegabytes = 4;
    keyQueue = KeyQueue{};
    if (!createMainWindow(nullptr)) {
        throw ToolError("cannot set up the offline window");
    }

    // The fire starts from the generator's seed as in a freshly started player.
    resetRandomGenerator();

    ProgressBar progress("rendering", 0);
    progress.enabled = progress.enabled && options.progress;
    FrameQueue frames(*sink);
    FrameWriter writer(options, platform, frames, progress);
    platform.device->setPresenter(&writer);
    ProgressEstimate estimate{&options, &progress, &platform};
    DemoPlaybackOptions playback;
    playback.onlyScene = options.scene;
    playback.scenesLoaded = &estimateLength;
    playback.context = &estimate;
    playDemoWith(playback);
    progress.finish();
    platform.device->setPresenter(nullptr);

    if (!writer.error().empty()) {
        throw ToolError(writer.error());
    }
    if (estimate.noSurface) {
        throw ToolError("the accelerator could not open a " + std::to_string(drawnWidth) + "x" +
                        std::to_string(drawnHeight) + " surface: not enough memory");
    }
    if (!platform.windows.messageBoxes.empty()) {
        const std::string reason = lastSceneLoadMessage();
        throw ToolError(platform.windows.messageBoxes.front() +
                        (reason.empty() ? std::string() : ": " + displayText(reason)));
    }
    frames.finish();
    if (sink->framesWritten() == 0) {
        throw ToolError("the demo ended after " + std::to_string(writer.framesShown()) +
                        " displayed frames (0 to " + std::to_string(writer.framesShown() - 1) +
                        " at " + std::to_string(options.fps) + " per second): nothing in " +
                        std::to_string(options.firstFrame) + ":" +
                        std::to_string(options.lastFrame));
    }
    sink->finish();
}
