#include <gtest/gtest.h>

#include <sndfile.h>

#include <cstdlib>
#include <vector>

#include "accel/PixelMath.h"
#include "ember/Commands.h"
#include "ember/FrameOutput.h"
#include "ember/FrameQueue.h"
#include "ember/Soundtrack.h"
#include "ember/YuvConversion.h"
#include "support/ScratchDirectory.h"

namespace {

class FrameOutputTest : public ScratchDirectoryTest {
protected:
    static RgbFrame frame(int32_t width, int32_t height, uint8_t shade) {
        RgbFrame f;
        f.width = width;
        f.height = height;
        f.argb.assign(static_cast<size_t>(width * height), 0xFF000000u | shade * 0x010101u);
        return f;
    }
};

// A sink that records the first byte of each frame and fails on the third.
struct RecordingSink : FrameSink {
    std::vector<uint8_t> shades;
    void write(const RgbFrame& frame) override {
        if (written_ == 2) {
            throw ToolError("disk full");
        }
        shades.push_back(static_cast<uint8_t>(frame.argb[0]));
        ++written_;
    }
};

TEST_F(FrameOutputTest, QueuedFramesAreWrittenInOrderAndTheSinksFailureComesBack) {
    RecordingSink sink;
    FrameQueue queue(sink, 1);
    for (uint8_t shade = 1; shade <= 2; ++shade) {
        RgbFrame& f = queue.next(2, 1);
        EXPECT_EQ(f.argb.size(), 2u);
        f.argb[0] = shade;
        queue.push();
    }
    queue.finish();
    EXPECT_EQ(sink.shades, (std::vector<uint8_t>{1, 2}));
    queue.next(2, 1);
    queue.push();                            // the third frame fails on the queue's thread ...
    EXPECT_THROW(queue.finish(), ToolError); // ... and the failure reaches the caller
    EXPECT_THROW(queue.next(2, 1), ToolError);
}

TEST_F(FrameOutputTest, OutputKindFollowsThePath) {
    EXPECT_EQ(frameOutputKind("shot.PNG"), FrameOutputKind::Png);
    EXPECT_EQ(frameOutputKind("frames"), FrameOutputKind::PngDirectory);
    EXPECT_EQ(frameOutputKind("frames/"), FrameOutputKind::PngDirectory);
    EXPECT_EQ(frameOutputKind("demo.y4m"), FrameOutputKind::Y4m);
    EXPECT_EQ(frameOutputKind("demo.mkv"), FrameOutputKind::Video);
    EXPECT_THROW(frameOutputKind("demo.avi"), ToolError);
}

TEST_F(FrameOutputTest, Y4mHoldsAHeaderAndOneFramePerImage) {
    {
        auto sink = openFrameSink({"out.y4m", 25, {}});
        sink->write(frame(4, 2, 255));
        sink->write(frame(4, 2, 0));
        sink->finish();
    }
    const std::string bytes = readFile("out.y4m");
    const std::string header = "YUV4MPEG2 W4 H2 F25:1 Ip A1:1 C444\n";
    ASSERT_EQ(bytes.size(), header.size() + 2 * (6 + 4 * 2 * 3));
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    // White is Y 235, U and V 128; black is Y 16.
    EXPECT_EQ(static_cast<uint8_t>(bytes[header.size() + 6]), 235);
    EXPECT_EQ(static_cast<uint8_t>(bytes[header.size() + 6 + 8]), 128);
    EXPECT_EQ(static_cast<uint8_t>(bytes[header.size() + 6 + 24 + 6]), 16);
}

// Every colour on every path the processor runs, in runs that leave the vector paths a
// scalar tail.
TEST(YuvConversionTest, EveryColourGivesTheIntegerFormulaOnEveryPath) {
    std::vector<YuvPath> paths;
    for (YuvPath path : {YuvPath::Scalar, YuvPath::Sse2, YuvPath::Avx2, YuvPath::Avx512}) {
        if (yuvPathAvailable(path)) {
            paths.push_back(path);
        }
    }
    const size_t n = 65536 + 39;
    std::vector<uint32_t> argb(n);
    std::vector<uint8_t> expected(n * 3), planes(n * 3);
    for (uint32_t r = 0; r < 256; ++r) {
        for (uint32_t i = 0; i < n; ++i) {
            argb[i] = 0xFF000000u | r << 16 | (i & 0xFFFF);
            const int red = static_cast<int>(r), g = static_cast<int>(i >> 8 & 0xFF),
                      b = static_cast<int>(i & 0xFF);
            expected[i] = static_cast<uint8_t>((66 * red + 129 * g + 25 * b + 4224) >> 8);
            expected[n + i] = static_cast<uint8_t>((-38 * red - 74 * g + 112 * b + 32896) >> 8);
            expected[2 * n + i] = static_cast<uint8_t>((112 * red - 94 * g - 18 * b + 32896) >> 8);
        }
        for (YuvPath path : paths) {
            argbToYuv444(argb.data(), n, planes.data(), planes.data() + n, planes.data() + 2 * n,
                         path);
            ASSERT_EQ(planes, expected) << "red " << r << ", path " << static_cast<int>(path);
        }
    }
    // RGB565 widens as the device reads it back.
    std::vector<uint16_t> rgb565(n);
    for (size_t i = 0; i < n; ++i) {
        rgb565[i] = static_cast<uint16_t>(i * 40503u);
        argb[i] = rgb565ToArgb(rgb565[i]);
    }
    argbToYuv444(argb.data(), n, expected.data(), expected.data() + n, expected.data() + 2 * n,
                 YuvPath::Scalar);
    for (YuvPath path : paths) {
        rgb565ToYuv444(rgb565.data(), n, planes.data(), planes.data() + n, planes.data() + 2 * n,
                       path);
        EXPECT_EQ(planes, expected) << "path " << static_cast<int>(path);
    }
}

// A file takes its name only when finished; until then, and after a failure, the old
// file of that name stays as it was and no temporary is left beside it.
TEST_F(FrameOutputTest, FilesAppearWholeOrNotAtAll) {
    for (const char* name : {"one.png", "one.y4m"}) {
        writeFile(name, "old");
        {
            auto sink = openFrameSink({name, 30, {}});
            sink->write(frame(3, 3, 10));
            EXPECT_EQ(readFile(name), "old");
            if (std::string(name) == "one.png") {
                EXPECT_THROW(sink->write(frame(3, 3, 10)), ToolError);
            }
        }
        EXPECT_EQ(readFile(name), "old") << name;
        EXPECT_EQ(listDirectory("."), std::vector<std::string>{name});
        auto sink = openFrameSink({name, 30, {}});
        sink->write(frame(3, 3, 10));
        sink->finish();
        EXPECT_NE(readFile(name), "old") << name;
        std::remove(name);
    }
}

TEST_F(FrameOutputTest, VideoWithoutFfmpegIsAClearError) {
    const std::string saved = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    setenv("PATH", root_.c_str(), 1);
    try {
        openFrameSink({"demo.mp4", 30, {}});
        ADD_FAILURE() << "no error";
    } catch (const ToolError& error) {
        EXPECT_NE(std::string(error.what()).find("needs the ffmpeg program"), std::string::npos);
    }
    setenv("PATH", saved.c_str(), 1);
}

TEST_F(FrameOutputTest, SoundtrackLastsExactlyAsLongAsTheVideo) {
    EXPECT_EQ(soundtrackSampleFrames(30, 30), 44100);
    EXPECT_EQ(soundtrackSampleFrames(1, 24), 1838); // 1837.5 rounded
    EXPECT_EQ(soundtrackSampleFrames(0, 60), 0);

    // Track 2 starts one sector into the file; the disc holds 2 sectors of audio in all.
    std::string sectors;
    for (int i = 0; i < 2 * 588 * 2; ++i) {
        sectors += static_cast<char>(i & 0xFF);
        sectors += static_cast<char>(i >> 8);
    }
    writeFile("cdrom/disc.bin", sectors);
    writeFile("cdrom/disc.cue", "FILE disc.bin BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                " TRACK 02 AUDIO\n  INDEX 01 00:00:01\n");
    const std::string cue = requireDiscTrack(2);
    EXPECT_THROW(requireDiscTrack(3), ToolError);
    writeDiscSoundtrack(cue, 2, "track.wav", 10, 1000); // 578 frames left after the 10
    SF_INFO info{};
    SNDFILE* file = sf_open("track.wav", SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.frames, 1000);
    EXPECT_EQ(info.samplerate, 44100);
    short first[2];
    sf_readf_short(file, first, 1);
    EXPECT_EQ(first[0], (588 + 10) * 2); // the eleventh sample of track 2
    sf_seek(file, 999, SEEK_SET);
    sf_readf_short(file, first, 1);
    EXPECT_EQ(first[0], 0); // silence after the end of the disc
    sf_close(file);
}

TEST_F(FrameOutputTest, VideoGetsItsSoundtrackMuxedIn) {
    if (findFfmpeg().empty()) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    int64_t askedFor = -1;
    FrameOutputOptions options{"clip.mkv", 30, [&](const std::string& path, int64_t frames) {
                                   askedFor = frames;
                                   SF_INFO info{};
                                   info.samplerate = 44100;
                                   info.channels = 2;
                                   info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
                                   SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
                                   std::vector<short> silence(static_cast<size_t>(frames) * 2);
                                   sf_writef_short(file, silence.data(), frames);
                                   sf_close(file);
                               }};
    auto sink = openFrameSink(options);
    for (int i = 0; i < 15; ++i) {
        sink->write(frame(33, 17, static_cast<uint8_t>(i * 10)));
    }
    sink->finish();
    EXPECT_EQ(askedFor, 22050);
    const std::string probe = "ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "
                              "clip.mkv > streams.txt";
    ASSERT_EQ(std::system(probe.c_str()), 0);
    EXPECT_EQ(readFile("streams.txt"), "video\naudio\n");
    EXPECT_EQ(listDirectory("."), (std::vector<std::string>{"clip.mkv", "streams.txt"}));
}

} // namespace
