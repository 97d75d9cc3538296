// ember render DIR: the demo, one scene of it, or chosen frames, drawn by the software
// accelerator and written as PNGs, a .y4m or a video.
//
// Two ways of choosing frames:
//   - scene frames: --scene I with --frame F or --frames A:B draws exactly those frame
//     numbers of that scene. The surface is opened and the scene loaded as the player
//     does it (surface first, then the scene, then the 2x2 dither); the scene is started
//     (textures resident) and played up to the first frame on no device (see
//     SceneSession), and each frame is then drawn like one iteration of the frame loop:
//     clip window and clear, Scene::renderFrame, buffer swap. The scenes before it are
//     loaded first so that its fires are the player's (--alone: that scene only). --stats
//     prints the renderer's counters for the last frame and the pixels the device wrote.
//     Frames after the scene's lastFrame are refused (the player would have moved on).
//   - playback: anything else plays the demo (or with --scene I that scene alone) through
//     the player's own frame loop on a virtual clock of exactly 1000/fps ms per displayed
//     frame (see DemoRenderer); --frame F / --frames A:B then count displayed frames from 0.
//
// Frames are drawn at the largest 4:3 size inside --size and centred on black, so the
// field keeps its shape at any size; at a 4:3 size that is the whole frame. Numbered
// PNGs carry the frame numbers asked for: the scene's with --scene, else the displayed
// frame's.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "accel/Device.h"
#include "accel/SoftwareDevice.h"
#include "app/DesktopPlayer.h"
#include "app/ProcessState.h"
#include "ember/CommandOptions.h"
#include "ember/Commands.h"
#include "ember/DemoRenderer.h"
#include "ember/FrameOutput.h"
#include "ember/SceneSession.h"
#include "player/Scene.h"
#include "render/RenderCounters.h"

namespace {

struct RenderOptions {
    std::string directory;
    int32_t scene = -1;
    std::string frame;  // as given; empty when not
    std::string frames; // "A:B"; empty when not
    std::string output;
    std::string size = "640x480";
    int32_t color = 16;
    int32_t fps = 30;
    bool loop = false;
    uint32_t track = 0;
    bool noAudio = false;
    bool stats = false;
    bool alone = false;
};

// Opens the surface as the player's start does: full screen (here: the device's
// offline size), two colour buffers and a depth buffer, W-buffering, cleared.
void openSurface() {
    grGlideInit();
    GrHwConfiguration hardware;
    grSstQueryHardware(&hardware);
    grSstSelect(0);
    grSstWinOpen(nullptr, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                 GR_ORIGIN_UPPER_LEFT, 2, 1);
    grClipWindow(0, 0, demoSettings.screenWidth, demoSettings.screenHeight);
    grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
    grDepthBufferFunction(GR_CMP_LESS);
    grDepthMask(FXTRUE);
    grBufferClear(0, 0, 0xFFFF);
}

void printStats(const SoftwareDevice& device) {
    const RenderCounters& c = renderCounters;
    const DeviceCounters& d = device.lastFrameCounters();
    std::printf("objects drawn %d, culled %d, hidden %d\n", c.objectsDrawn, c.objectsCulled,
                c.objectsHidden);
    std::printf("triangles drawn %d, clipped %d, rejected %d, back faces %d\n", c.trianglesDrawn,
                c.trianglesClipped, c.trianglesRejected, c.backFaces);
    std::printf("fire sprites drawn %d, left out %d\n", c.fireSpritesDrawn,
                c.fireSpritesOverBudget);
    std::printf("flares drawn %d\n", c.flaresDrawn);
    std::printf("pixels written %llu\n", static_cast<unsigned long long>(d.pixelsWritten));
}

float parseFrameNumber(const std::string& text) {
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(value >= 0.0f) || value > 1.0e7f) {
        throw UsageError("--frame " + text + ": give a frame number, e.g. 120");
    }
    return value;
}

// A single scene file (any version) or one scene of a demo folder.
std::unique_ptr<SceneSession> openSession(const RenderOptions& options) {
    if (std::filesystem::is_regular_file(options.directory)) {
        return std::make_unique<SceneSession>(options.directory);
    }
    return std::make_unique<SceneSession>(options.directory, options.scene,
                                          options.alone ? SceneSeeding::Alone
                                                        : SceneSeeding::AsThePlayer);
}

// last < 0: up to the scene's last frame.
void renderSceneFrames(const RenderOptions& options, float first, float last) {
    uint32_t width = 0;
    uint32_t height = 0;
    parseSize(options.size, &width, &height);
    if (options.track != 0) {
        throw ToolError("--track goes with playback: leave out --frame/--frames or --scene");
    }
    FrameOutputOptions output;
    output.path = std::filesystem::absolute(options.output).string();
    output.fps = options.fps;
    output.firstNumber = static_cast<int64_t>(first);
    if (frameOutputKind(output.path) == FrameOutputKind::Png && first != last) {
        throw ToolError(options.output + " holds one frame: write the frames to a directory or "
                                         "a video");
    }

    uint32_t drawnWidth = 0;
    uint32_t drawnHeight = 0;
    fitFourByThree(width, height, &drawnWidth, &drawnHeight);
    demoSettings = DemoSettings{};
    demoSettings.screenWidth = drawnWidth;
    demoSettings.screenHeight = drawnHeight;

    SoftwareDeviceOptions deviceOptions;
    deviceOptions.colorMode =
        options.color == 32 ? AccelColorMode::Clean32 : AccelColorMode::Authentic16;
    deviceOptions.width = static_cast<int32_t>(drawnWidth);
    deviceOptions.height = static_cast<int32_t>(drawnHeight);
    auto device = std::make_unique<SoftwareDevice>(deviceOptions);

    const std::string here = std::filesystem::current_path().string();
    const std::unique_ptr<SceneSession> opened = openSession(options);
    SceneSession& session = *opened;
    setAcceleratorDevice(device.get());
    try {
        openSurface();
        session.load();
        if (last < 0.0f) {
            last = static_cast<float>(session.scene().lastFrame);
        }
        requireFramesInScene(session.scene().lastFrame, session.fileName(), first, last);
        const std::unique_ptr<FrameSink> sink = openFrameSink(output);
        RgbFrame picture; // black once: every frame overwrites the same middle
        picture.reset(static_cast<int32_t>(width), static_cast<int32_t>(height), sink->takesYuv());
        grDitherMode(GR_DITHER_2x2);
        session.start();
        session.playUpTo(first, options.fps);
        for (float frame = first; frame <= last; frame += 1.0f) {
            grClipWindow(0, 0, drawnWidth, drawnHeight);
            grBufferClear(0, 0, 0xFFFF);
            session.scene().renderFrame(frame);
            grBufferSwap(0);
            readFrontBufferInto(*device, picture);
            sink->write(picture);
        }
        if (options.stats) {
            printStats(*device);
        }
        sink->finish();
    } catch (...) {
        grGlideShutdown();
        setAcceleratorDevice(nullptr);
        std::filesystem::current_path(here);
        throw;
    }
    grGlideShutdown();
    setAcceleratorDevice(nullptr);
    std::filesystem::current_path(here);
}

void runRender(const RenderOptions& options) {
    if (options.color != 16 && options.color != 32) {
        throw ToolError("--color " + std::to_string(options.color) + ": give 16 or 32");
    }
    if (!options.frame.empty() && !options.frames.empty()) {
        throw ToolError("give --frame or --frames, not both");
    }
    const bool oneFile = std::filesystem::is_regular_file(options.directory);
    if (oneFile && options.scene >= 0) {
        throw ToolError("--scene picks a scene of a demo folder; " + options.directory +
                        " is a scene file");
    }
    if (oneFile || (options.scene >= 0 && (!options.frame.empty() || !options.frames.empty()))) {
        if (options.loop) {
            throw ToolError("--loop goes with playback: leave out --frame/--frames or --scene");
        }
        float first = 0.0f;
        float last = -1.0f; // a scene file alone: all its frames
        if (!options.frame.empty()) {
            first = last = parseFrameNumber(options.frame);
        } else if (!options.frames.empty()) {
            int64_t a = 0;
            int64_t b = 0;
            parseFrameRange(options.frames, &a, &b);
            if (b - a > 1000000) {
                throw UsageError("--frames " + options.frames + ": at most a million frames");
            }
            first = static_cast<float>(a);
            last = static_cast<float>(b);
        }
        renderSceneFrames(options, first, last);
        return;
    }
    DemoRenderOptions demo;
    demo.directory = options.directory;
    demo.output = options.output;
    demo.fps = options.fps;
    parseSize(options.size, &demo.width, &demo.height);
    demo.colorMode = options.color == 32 ? AccelColorMode::Clean32 : AccelColorMode::Authentic16;
    demo.scene = options.scene;
    demo.loop = options.loop;
    demo.track = options.track;
    demo.audio = !options.noAudio;
    if (!options.frame.empty()) {
        int64_t first = 0;
        int64_t last = 0;
        parseFrameRange(options.frame + ":" + options.frame, &first, &last);
        demo.firstFrame = first;
        demo.lastFrame = last;
    } else if (!options.frames.empty()) {
        parseFrameRange(options.frames, &demo.firstFrame, &demo.lastFrame);
    }
    if (options.stats) {
        throw ToolError("--stats goes with --scene and --frame");
    }
    if (options.alone) {
        throw ToolError("--alone goes with --scene and --frame/--frames");
    }
    renderDemo(demo);
}

} // namespace

void addRenderCommand(CLI::App& app) {
    auto options = std::make_shared<RenderOptions>();
    CLI::App* render = app.add_subcommand(
        "render", "Draw the demo, a scene or chosen frames with the software accelerator, on a "
                  "virtual clock, into PNGs, a .y4m or a video");
    render
        ->add_option("DIR", options->directory,
                     "Demo content directory (scenes\\, objects\\, textures\\, cdrom\\), or "
                     "one scene file (.lws, any version): its frames, or those of --frame/--frames")
        ->required();
    render
        ->add_option("-o,--output", options->output,
                     "Where the frames go: a .png (one frame), a directory (numbered PNGs), a "
                     ".y4m, or a .mp4/.mkv (through ffmpeg)")
        ->required();
    render->add_option("--scene", options->scene, sceneIndexHelp() + " (default: the whole demo)");
    render->add_option("--frame", options->frame,
                       "One frame: with --scene or a scene file a frame number of that scene, "
                       "else the number of a displayed frame of the demo (from 0)");
    render->add_option("--frames", options->frames, "Frames FIRST:LAST, counted as for --frame");
    render
        ->add_option("--size", options->size,
                     "Frame size WxH in pixels (the 4:3 field is "
                     "centred)")
        ->capture_default_str();
    render
        ->add_option("--color", options->color,
                     "16: the board's dithered RGB565 look; 32: 8 bits per channel")
        ->capture_default_str();
    render->add_option("--fps", options->fps, "Displayed frames per second (1 to 1000)")
        ->capture_default_str()
        ->check(CLI::Range(1, 1000));
    render->add_flag("--loop", options->loop,
                     "Play looped (the first scene follows the last); needs --frames");
    render
        ->add_option("--track", options->track,
                     "Mux the disc image's audio from this track on into the video (default: "
                     "its first audio track, for the whole demo)")
        ->check(CLI::Range(1, 99));
    render->add_flag("--no-audio", options->noAudio, "Leave the disc's audio out of a video");
    render->add_flag("--stats", options->stats,
                     "With --scene and --frame: print what the last frame drew");
    render->add_flag("--alone", options->alone,
                     std::string("With --scene and --frame/--frames: ") + kAloneHelp);
    render->callback([options] { runRender(*options); });
}
