// Video files are made in two steps so that the soundtrack can be exactly as long as the
// video: ffmpeg first encodes the frames as they come (a temporary file beside the
// output), and once the number of frames is known the soundtrack is written with exactly
// the matching number of samples and muxed in without encoding the video again.
#include "ember/FrameOutput.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "accel/SoftwareDevice.h"
#include "content/PngFile.h"
#include "ember/Commands.h"
#include "ember/OutputFile.h"
#include "ember/YuvConversion.h"

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    for (size_t i = 0; i < suffix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + i])) !=
            suffix[i]) {
            return false;
        }
    }
    return true;
}

// The frame as 8-bit R, G, B bytes, for writers that take those.
std::vector<uint8_t> rgbBytes(const RgbFrame& frame) {
    std::vector<uint8_t> bytes(frame.argb.size() * 3);
    uint8_t* out = bytes.data();
    for (const uint32_t pixel : frame.argb) {
        *out++ = static_cast<uint8_t>(pixel >> 16);
        *out++ = static_cast<uint8_t>(pixel >> 8);
        *out++ = static_cast<uint8_t>(pixel);
    }
    return bytes;
}

class PngFileSink : public FrameSink {
public:
    explicit PngFileSink(const std::string& path) : file_(path) {}
    void write(const RgbFrame& frame) override {
        if (written_ > 0) {
            throw ToolError(file_.path() + " holds one frame: choose one with --frame, or write "
                                           "to a directory or a video");
        }
        char message[256];
        if (!writePngFile(file_.temporaryPath().c_str(), rgbBytes(frame).data(), frame.width,
                          frame.height, 3, static_cast<size_t>(frame.width) * 3, message,
                          sizeof(message))) {
            throw ToolError("cannot write " + file_.path() + ": " + message);
        }
        ++written_;
    }
    void finish() override { file_.commit(); }

private:
    OutputFile file_;
};

class PngDirectorySink : public FrameSink {
public:
    PngDirectorySink(std::string directory, int64_t firstNumber)
        : directory_(std::move(directory)), firstNumber_(firstNumber) {
        std::error_code error;
        std::filesystem::create_directories(directory_, error);
        if (!std::filesystem::is_directory(directory_)) {
            throw ToolError("cannot create the directory " + directory_);
        }
    }
    void write(const RgbFrame& frame) override {
        char name[40];
        std::snprintf(name, sizeof(name), "/frame%06lld.png",
                      static_cast<long long>(firstNumber_ + written_));
        writePngFrame(directory_ + name, frame);
        ++written_;
    }

private:
    std::string directory_;
    int64_t firstNumber_;
};

// YUV4MPEG2, 4:4:4, BT.601 studio range: what video tools read without options.
class Y4mSink : public FrameSink {
public:
    Y4mSink(const std::string& path, int32_t fps) : output_(path), path_(path), fps_(fps) {
        file_ = std::fopen(output_.temporaryPath().c_str(), "wb");
        if (file_ == nullptr) {
            throw ToolError("cannot write " + path_ + ": " + std::strerror(errno));
        }
    }
    ~Y4mSink() override {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    void write(const RgbFrame& frame) override {
        if (written_ == 0) {
            width_ = frame.width;
            height_ = frame.height;
            std::fprintf(file_, "YUV4MPEG2 W%d H%d F%d:1 Ip A1:1 C444\n", width_, height_, fps_);
        } else if (frame.width != width_ || frame.height != height_) {
            throw ToolError("frame size changed while writing " + path_);
        }
        const std::vector<uint8_t>* planes = &frame.yuv;
        if (planes->empty()) {
            const size_t pixels = static_cast<size_t>(width_) * static_cast<size_t>(height_);
            planes_.resize(pixels * 3);
            argbToYuv444(frame.argb.data(), pixels, planes_.data(), planes_.data() + pixels,
                         planes_.data() + pixels * 2);
            planes = &planes_;
        }
        if (std::fputs("FRAME\n", file_) < 0 ||
            std::fwrite(planes->data(), 1, planes->size(), file_) != planes->size()) {
            throw ToolError("cannot write " + path_ + ": " + std::strerror(errno));
        }
        ++written_;
    }
    bool takesYuv() const override { return true; }
    void finish() override {
        const bool written = std::fflush(file_) == 0 && std::ferror(file_) == 0;
        const int error = errno;
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (!written || !closed) {
            throw ToolError("cannot write " + path_ + ": " +
                            std::strerror(written ? errno : error));
        }
        output_.commit();
    }

private:
    OutputFile output_;
    std::string path_;
    int32_t fps_;
    FILE* file_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint8_t> planes_;
};

// Runs a program with its standard input connected to the returned descriptor.
pid_t startWithPipe(const std::vector<std::string>& arguments, int* input) {
    int fds[2];
    if (pipe(fds) != 0) {
        throw ToolError(std::string("cannot start ffmpeg: ") + std::strerror(errno));
    }
    const pid_t child = fork();
    if (child < 0) {
        throw ToolError(std::string("cannot start ffmpeg: ") + std::strerror(errno));
    }
    if (child == 0) {
        dup2(fds[0], 0);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[0]);
    *input = fds[1];
    return child;
}

int waitFor(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

void run(const std::vector<std::string>& arguments, const std::string& what) {
    int input = -1;
    const pid_t child = startWithPipe(arguments, &input);
    close(input);
    if (waitFor(child) != 0) {
        throw ToolError("ffmpeg could not " + what);
    }
}

// The frame's words as ffmpeg sees their bytes (the fourth is not read).
constexpr const char* kWordPixelFormat =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? "bgr0" : "0rgb";

// ffmpeg writes to temporaries beside the output (the encoded frames, and with a
// soundtrack the muxed result); the output takes its name once ffmpeg has succeeded.
class VideoSink : public FrameSink {
public:
    VideoSink(const FrameOutputOptions& options, std::string ffmpeg)
        : options_(options), ffmpeg_(std::move(ffmpeg)), output_(options.path) {
        if (options_.soundtrack) {
            videoOnly_ = std::make_unique<OutputFile>(options_.path);
        }
        signal(SIGPIPE, SIG_IGN);
    }
    ~VideoSink() override {
        if (child_ > 0) {
            close(input_);
            waitFor(child_);
        }
    }
    void write(const RgbFrame& frame) override {
        if (child_ <= 0) {
            start(frame.width, frame.height);
        }
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(frame.argb.data());
        size_t left = frame.argb.size() * sizeof(uint32_t);
        while (left > 0) {
            const ssize_t done = ::write(input_, bytes, left);
            if (done < 0 && errno == EINTR) {
                continue;
            }
            if (done <= 0) {
                throw ToolError("ffmpeg stopped while writing " + options_.path);
            }
            bytes += done;
            left -= static_cast<size_t>(done);
        }
        ++written_;
    }
    void finish() override {
        if (child_ <= 0) {
            throw ToolError("no frames to write to " + options_.path);
        }
        close(input_);
        const int status = waitFor(child_);
        child_ = 0;
        if (status != 0) {
            throw ToolError("ffmpeg could not encode " + options_.path);
        }
        if (options_.soundtrack) {
            OutputFile wave(options_.path + ".wav");
            options_.soundtrack(wave.temporaryPath(),
                                soundtrackSampleFrames(written_, options_.fps));
            run({ffmpeg_,
                 "-hide_banner",
                 "-loglevel",
                 "error",
                 "-xerror",
                 "-nostdin",
                 "-y",
                 "-i",
                 videoOnly_->temporaryPath(),
                 "-i",
                 wave.temporaryPath(),
                 "-map",
                 "0:v",
                 "-map",
                 "1:a",
                 "-c:v",
                 "copy",
                 "-c:a",
                 "aac",
                 "-b:a",
                 "256k",
                 output_.temporaryPath()},
                "mux the soundtrack into " + options_.path);
            videoOnly_.reset();
        }
        output_.commit();
    }

private:
    void start(int32_t width, int32_t height) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        const std::string& encoded =
            videoOnly_ != nullptr ? videoOnly_->temporaryPath() : output_.temporaryPath();
        // -xerror: without it ffmpeg reports a failed write of the file's end (a full
        // disk) and still exits with status 0.
        child_ = startWithPipe({ffmpeg_,       "-hide_banner",
                                "-loglevel",   "error",
                                "-xerror",     "-y",
                                "-f",          "rawvideo",
                                "-pix_fmt",    kWordPixelFormat,
                                "-video_size", size,
                                "-framerate",  std::to_string(options_.fps),
                                "-i",          "pipe:0",
                                "-vf",         "pad=ceil(iw/2)*2:ceil(ih/2)*2",
                                "-c:v",        "libx264",
                                "-preset",     "medium",
                                "-crf",        "16",
                                "-pix_fmt",    "yuv420p",
                                encoded},
                               &input_);
    }

    FrameOutputOptions options_;
    std::string ffmpeg_;
    OutputFile output_;
    std::unique_ptr<OutputFile> videoOnly_; // with a soundtrack: the frames alone
    pid_t child_ = 0;
    int input_ = -1;
};

} // namespace

FrameOutputKind frameOutputKind(const std::string& path) {
    if (endsWith(path, ".png")) {
        return FrameOutputKind::Png;
    }
    if (endsWith(path, ".y4m")) {
        return FrameOutputKind::Y4m;
    }
    if (endsWith(path, ".mp4") || endsWith(path, ".mkv")) {
        return FrameOutputKind::Video;
    }
    const std::filesystem::path asPath(path);
    if (std::filesystem::is_directory(asPath) || path.back() == '/' || !asPath.has_extension()) {
        return FrameOutputKind::PngDirectory;
    }
    throw ToolError("cannot write " + path +
                    ": the output is a .png, a directory, a .y4m, a .mp4 or a .mkv");
}

std::unique_ptr<FrameSink> openFrameSink(const FrameOutputOptions& options) {
    switch (frameOutputKind(options.path)) {
    case FrameOutputKind::Png:
        return std::make_unique<PngFileSink>(options.path);
    case FrameOutputKind::PngDirectory:
        return std::make_unique<PngDirectorySink>(options.path, options.firstNumber);
    case FrameOutputKind::Y4m:
        return std::make_unique<Y4mSink>(options.path, options.fps);
    case FrameOutputKind::Video: {
        const std::string ffmpeg = findFfmpeg();
        if (ffmpeg.empty()) {
            throw ToolError("writing " + options.path +
                            " needs the ffmpeg program, which is not installed (apt-get install "
                            "ffmpeg); .y4m and PNG output work without it");
        }
        return std::make_unique<VideoSink>(options, ffmpeg);
    }
    }
    return nullptr;
}

int64_t soundtrackSampleFrames(int64_t frames, int32_t fps) {
    return (frames * 44100 + fps / 2) / fps;
}

std::string findFfmpeg() {
    const char* path = std::getenv("PATH");
    std::string directories = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= directories.size()) {
        size_t end = directories.find(':', start);
        if (end == std::string::npos) {
            end = directories.size();
        }
        std::string candidate = directories.substr(start, end - start);
        candidate = (candidate.empty() ? std::string(".") : candidate) + "/ffmpeg";
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return "";
}

void writePngFrame(const std::string& path, const RgbFrame& frame) {
    PngFileSink sink(path);
    sink.write(frame);
    sink.finish();
}

void RgbFrame::reset(int32_t width_, int32_t height_, bool planes) {
    width = width_;
    height = height_;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (planes) {
        argb.clear();
        yuv.resize(pixels * 3);
        std::fill(yuv.begin(), yuv.begin() + static_cast<ptrdiff_t>(pixels), kBlackLuma);
        std::fill(yuv.begin() + static_cast<ptrdiff_t>(pixels), yuv.end(), kBlackChroma);
    } else {
        yuv.clear();
        argb.assign(pixels, 0xFF000000u);
    }
}

void convertRowsInto(const FrameView& picture, int32_t firstRow, int32_t endRow, RgbFrame& frame) {
    // Offsets of the picture in the frame; negative when it is the larger.
    const int32_t left = (frame.width - picture.width) / 2;
    const int32_t top = (frame.height - picture.height) / 2;
    const size_t width = static_cast<size_t>(frame.width);
    const int32_t firstColumn = std::max(0, -left);
    const size_t columns = static_cast<size_t>(
        std::min(picture.width - firstColumn, frame.width - (left + firstColumn)));
    const size_t planeSize = width * static_cast<size_t>(frame.height);
    endRow = std::min({endRow, picture.height, frame.height - top});
    for (int32_t row = std::max(firstRow, -top); row < endRow; ++row) {
        const void* source = static_cast<const uint8_t*>(picture.pixels) +
                             static_cast<size_t>(row) * static_cast<size_t>(picture.pitch);
        uint8_t* y = &frame.yuv[static_cast<size_t>(row + top) * width +
                                static_cast<size_t>(left + firstColumn)];
        if (picture.rgb565) {
            rgb565ToYuv444(static_cast<const uint16_t*>(source) + firstColumn, columns, y,
                           y + planeSize, y + 2 * planeSize);
        } else {
            argbToYuv444(static_cast<const uint32_t*>(source) + firstColumn, columns, y,
                         y + planeSize, y + 2 * planeSize);
        }
    }
}

void readFrontBufferInto(const SoftwareDevice& device, RgbFrame& frame) {
    const FrameView view = device.frontBuffer();
    if (view.pixels == nullptr) {
        throw ToolError("the accelerator surface is not open");
    }
    if (!frame.yuv.empty()) {
        convertRowsInto(view, 0, view.height, frame);
        return;
    }
    // Offsets of the drawn picture in the frame; negative when it is the larger.
    const int32_t left = (frame.width - view.width) / 2;
    const int32_t top = (frame.height - view.height) / 2;
    const size_t width = static_cast<size_t>(frame.width);
    if (left >= 0 && top >= 0) {
        device.readFrontBufferArgb(
            &frame.argb[static_cast<size_t>(top) * width + static_cast<size_t>(left)], width);
        return;
    }
    // A frame smaller than the picture: the rare case.
    const int32_t firstColumn = std::max(0, -left);
    const size_t columns =
        static_cast<size_t>(std::min(view.width - firstColumn, frame.width - (left + firstColumn)));
    const int32_t endRow = std::min(view.height, frame.height - top);
    std::vector<uint32_t> whole(static_cast<size_t>(view.width) * static_cast<size_t>(view.height));
    device.readFrontBufferArgb(whole.data(), static_cast<size_t>(view.width));
    for (int32_t row = std::max(0, -top); row < endRow; ++row) {
        const size_t to =
            static_cast<size_t>(row + top) * width + static_cast<size_t>(left + firstColumn);
        std::memcpy(&frame.argb[to], &whole[static_cast<size_t>(row) * view.width + firstColumn],
                    columns * 4);
    }
}
