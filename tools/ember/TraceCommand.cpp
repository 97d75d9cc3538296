// ember trace DIR --scene I --frame F: the accelerator calls of one frame of one scene,
// one per line, with every argument and vertex field (floats to 9 significant digits,
// so that they read back exactly). For review and regression tests of the renderer.
//
// The scene is loaded (after the scenes before it, so that its fires are seeded as in
// the player; --alone loads it alone) and started as the player starts it (textures
// resident), played up to the frame on no device (see SceneSession), and then the calls
// that Scene::renderFrame makes for frame F are printed. Loading and the scene start are
// not part of the output.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "accel/Device.h"
#include "accel/TraceDevice.h"
#include "app/ProcessState.h"
#include "ember/CommandOptions.h"
#include "ember/Commands.h"
#include "ember/SceneSession.h"
#include "player/Scene.h"

namespace {

struct TraceOptions {
    std::string directory;
    int32_t scene = 0;
    float frame = 0.0f;
    std::string size = "640x480";
    double displayRate = 30.0;
    bool alone = false;
};

void runTrace(const TraceOptions& options) {
    uint32_t width = 0;
    uint32_t height = 0;
    parseSize(options.size, &width, &height);
    demoSettings = DemoSettings{};
    demoSettings.screenWidth = width;
    demoSettings.screenHeight = height;

    SceneSession session(options.directory, options.scene,
                         options.alone ? SceneSeeding::Alone : SceneSeeding::AsThePlayer);
    TraceDevice trace;
    setAcceleratorDevice(&trace);
    try {
        session.load();
        requireFramesInScene(session.scene().lastFrame, session.fileName(), options.frame,
                             options.frame);
        session.start();
        session.playUpTo(options.frame, options.displayRate);
        trace.clear();
        session.scene().renderFrame(options.frame);
    } catch (...) {
        setAcceleratorDevice(nullptr);
        throw;
    }
    setAcceleratorDevice(nullptr);
    std::fwrite(trace.text().data(), 1, trace.text().size(), stdout);
}

} // namespace

void addTraceCommand(CLI::App& app) {
    auto options = std::make_shared<TraceOptions>();
    CLI::App* trace = app.add_subcommand(
        "trace", "Print the accelerator calls of one frame of one scene, one per line");
    trace
        ->add_option("DIR", options->directory,
                     "Demo content directory (scenes\\, objects\\, "
                     "textures\\)")
        ->required();
    trace->add_option("--scene", options->scene, sceneIndexHelp())->required();
    trace->add_option("--frame", options->frame, "Scene frame number (frames from its start)")
        ->required();
    trace->add_option("--size", options->size, "Screen size WxH the frame is drawn for")
        ->capture_default_str();
    trace
        ->add_option("--fps", options->displayRate,
                     "Displayed frames per second of the playback that leads up to the frame")
        ->capture_default_str();
    trace->add_flag("--alone", options->alone, kAloneHelp);
    trace->callback([options] { runTrace(*options); });
}
