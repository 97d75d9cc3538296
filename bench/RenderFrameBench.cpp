// Time per frame of Scene::renderFrame on the generated scene of GeneratedScene.h
// (20 objects, 100,000 triangles, two lights, one fire, one lens flare) at 640 × 480:
//
//   BM_RenderFrameGeometry   everything up to the accelerator: animation, culling,
//                            transforms, back faces, lighting, clip codes, projection,
//                            surface states, clipping and vertex set-up, fire and
//                            flares; the accelerator is a null device that answers the
//                            texture-memory queries like a 4 MB board and draws nothing.
//   BM_RenderFrameSoftware   the same frames drawn by the software accelerator (clear,
//                            renderFrame, swap), dithered RGB565 as the player shows it.
//
// Rasterisation per frame is the difference of the two. Counters: triangles handed to
// the accelerator per frame, and (software) pixels written per frame.
#include <benchmark/benchmark.h>

#include "GeneratedScene.h"
#include "accel/Device.h"
#include "accel/SoftwareDevice.h"
#include "app/ProcessState.h"
#include "render/RenderCounters.h"

namespace {

class NullDevice : public AcceleratorDevice {
public:
    FxU32 grTexMinAddress(GrChipID_t) override { return 0; }
    FxU32 grTexMaxAddress(GrChipID_t) override { return 4u << 20; }
};

void reportCounters(benchmark::State& state) {
    state.counters["triangles"] = renderCounters.trianglesDrawn;
    state.counters["clipped"] = renderCounters.trianglesClipped;
    state.counters["objects"] = renderCounters.objectsDrawn;
}

void BM_RenderFrameGeometry(benchmark::State& state) {
    demoSettings = DemoSettings{};
    NullDevice device;
    setAcceleratorDevice(&device);
    const std::unique_ptr<Scene> scene = generated::buildScene();
    scene->textures.reloadAll();
    float frame = 0.0f;
    for (auto _ : state) {
        scene->renderFrame(frame);
        frame += 1.0f;
    }
    reportCounters(state);
    setAcceleratorDevice(nullptr);
}
BENCHMARK(BM_RenderFrameGeometry)->Unit(benchmark::kMillisecond);

void BM_RenderFrameSoftware(benchmark::State& state) {
    demoSettings = DemoSettings{};
    SoftwareDevice device;
    setAcceleratorDevice(&device);
    grGlideInit();
    grSstSelect(0);
    grSstWinOpen(nullptr, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                 GR_ORIGIN_UPPER_LEFT, 2, 1);
    grDitherMode(GR_DITHER_2x2);
    const std::unique_ptr<Scene> scene = generated::buildScene();
    scene->textures.reloadAll();
    float frame = 0.0f;
    for (auto _ : state) {
        grClipWindow(0, 0, 640, 480);
        grBufferClear(0, 0, 0xFFFF);
        scene->renderFrame(frame);
        grBufferSwap(0);
        frame += 1.0f;
    }
    reportCounters(state);
    state.counters["pixels"] = static_cast<double>(device.lastFrameCounters().pixelsWritten);
    grGlideShutdown();
    setAcceleratorDevice(nullptr);
}
BENCHMARK(BM_RenderFrameSoftware)->Unit(benchmark::kMillisecond);

} // namespace
