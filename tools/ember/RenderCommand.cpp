// ember render DIR --scene I --frame F -o OUT.png: one frame of one scene, drawn by the
// software accelerator and written as a PNG.
//
// The surface is opened and the scene loaded as the player does it (surface first,
// then the scene, then the 2x2 dither); the scene is started (textures resident) and
// played up to the frame on no device (see SceneSession), and frame F is then drawn
// like one iteration of the frame loop: clip window and clear, Scene::renderFrame,
// buffer swap. --stats prints the renderer's counters for that frame and the pixels
// the device wrote.
//
// The frame is drawn at exactly --size (the field is always treated as 4:3, so other
// shapes stretch it, as a board set to such a mode would).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "accel/Device.h"
#include "accel/PngFile.h"
#include "accel/SoftwareDevice.h"
#include "app/ProcessState.h"
#include "ember/CommandOptions.h"
#include "ember/Commands.h"
#include "ember/SceneSession.h"
#include "player/Scene.h"
#include "render/RenderCounters.h"

namespace {

struct RenderFrameOptions {
    std::string directory;
    int32_t scene = 0;
    float frame = 0.0f;
    std::string output;
    std::string size = "640x480";
    int32_t color = 16;
    double displayRate = 30.0;
    bool stats = false;
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
    std::printf("flares drawn %d\n", c.flaresDrawn);
    std::printf("pixels written %llu\n", static_cast<unsigned long long>(d.pixelsWritten));
}

void renderFrame(const RenderFrameOptions& options) {
    uint32_t width = 0;
    uint32_t height = 0;
    parseSize(options.size, &width, &height);
    if (options.color != 16 && options.color != 32) {
        throw ToolError("--color " + std::to_string(options.color) + ": give 16 or 32");
    }
    const std::string output = std::filesystem::absolute(options.output).string();
    demoSettings = DemoSettings{};
    demoSettings.screenWidth = width;
    demoSettings.screenHeight = height;

    SoftwareDeviceOptions deviceOptions;
    deviceOptions.colorMode =
        options.color == 32 ? AccelColorMode::Clean32 : AccelColorMode::Authentic16;
    deviceOptions.width = static_cast<int32_t>(width);
    deviceOptions.height = static_cast<int32_t>(height);
    auto device = std::make_unique<SoftwareDevice>(deviceOptions);

    SceneSession session(options.directory, options.scene);
    setAcceleratorDevice(device.get());
    try {
        openSurface();
        session.load();
        grDitherMode(GR_DITHER_2x2);
        session.start();
        session.playUpTo(options.frame, options.displayRate);
        grClipWindow(0, 0, width, height);
        grBufferClear(0, 0, 0xFFFF);
        session.scene().renderFrame(options.frame);
        grBufferSwap(0);
    } catch (...) {
        setAcceleratorDevice(nullptr);
        throw;
    }
    char message[256] = {};
    const int32_t written =
        writeFrontBufferPng(*device, output.c_str(), OutputFilter::None, message, sizeof(message));
    if (options.stats) {
        printStats(*device);
    }
    grGlideShutdown();
    setAcceleratorDevice(nullptr);
    if (!written) {
        throw ToolError(message);
    }
}

} // namespace

void addRenderCommand(CLI::App& app) {
    auto options = std::make_shared<RenderFrameOptions>();
    CLI::App* render = app.add_subcommand(
        "render", "Draw one frame of one scene with the software accelerator into a PNG");
    render
        ->add_option("DIR", options->directory,
                     "Demo content directory (scenes\\, objects\\, textures\\)")
        ->required();
    render->add_option("--scene", options->scene, sceneIndexHelp())->required();
    render->add_option("--frame", options->frame, "Scene frame number (frames from its start)")
        ->required();
    render->add_option("-o,--output", options->output, "The PNG file to write")->required();
    render->add_option("--size", options->size, "Frame size WxH in pixels")->capture_default_str();
    render
        ->add_option("--color", options->color,
                     "16: the board's dithered RGB565 look; 32: 8 bits per channel")
        ->capture_default_str();
    render
        ->add_option("--fps", options->displayRate,
                     "Displayed frames per second of the playback that leads up to the frame")
        ->capture_default_str();
    render->add_flag("--stats", options->stats,
                     "Print what the frame drew: objects, triangles, flares, pixels");
    render->callback([options] { renderFrame(*options); });
}
