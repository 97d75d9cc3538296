// Fill rate of the software accelerator at 640x480, in pixels written per second of real
// time (items_per_second; the Mpixels/s counter says the same in millions), on the
// rasterising threads EMBER_RASTER_THREADS asks for (default: all), with the span
// functions EMBER_BENCH_SPANS asks for (see options()).
//
//   Gouraud:  opaque vertex colour, W-buffered, dithered RGB565
//   Textured: bilinear, nearest mip-mapped 256x256 RGB565 texture times vertex colour,
//             perspective-correct, W-buffered, dithered RGB565
// for triangles of about 10, 100 and 5000 pixels scattered over the screen. Depth
// follows one plane over the screen and the compare is LEQUAL, so redrawn triangles keep
// passing the depth test and every covered pixel is shaded and written.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "FillRateTriangles.h"
#include "accel/SoftwareDevice.h"
#include "accel/TextureLayout.h"

namespace {

using fillrate::kHeight;
using fillrate::kWidth;

// EMBER_BENCH_SPANS=general|sse2|avx2 restricts the span functions (default: the widest
// the processor runs), for comparing them.
SoftwareDeviceOptions options() {
    SoftwareDeviceOptions options;
    const char* spans = std::getenv("EMBER_BENCH_SPANS");
    const std::string name = spans != nullptr ? spans : "";
    options.spanPath = name == "general" ? SpanPath::General
                       : name == "sse2"  ? SpanPath::Sse2
                       : name == "avx2"  ? SpanPath::Avx2
                                         : SpanPath::Fastest;
    return options;
}

struct Device {
    SoftwareDevice device{options()};
    std::vector<uint16_t> texels;

    explicit Device(bool textured) {
        setAcceleratorDevice(&device);
        grSstWinOpen(nullptr, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                     GR_ORIGIN_UPPER_LEFT, 2, 1);
        grDitherMode(GR_DITHER_2x2);
        grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
        grDepthBufferFunction(GR_CMP_LEQUAL);
        grDepthMask(FXTRUE);
        grBufferClear(0, 0, 0xFFFF);
        grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
        grAlphaCombine(GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                       GR_COMBINE_OTHER_CONSTANT, FXFALSE);
        if (!textured) {
            grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                           GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
            return;
        }
        GrTexInfo info;
        info.largeLod = GR_LOD_256;
        info.smallLod = GR_LOD_1;
        info.aspectRatio = GR_ASPECT_1x1;
        info.format = GR_TEXFMT_RGB_565;
        texels.resize(textureTexelBytes(info) / 2);
        std::mt19937 random(99);
        for (uint16_t& t : texels) {
            t = static_cast<uint16_t>(random());
        }
        info.data = texels.data();
        grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
        grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
        grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                       GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
        grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
        grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
        grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                     GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
        grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    }
    ~Device() { setAcceleratorDevice(nullptr); }
};

void fill(benchmark::State& state, bool textured) {
    const double area = static_cast<double>(state.range(0));
    const int32_t count = fillrate::triangleCount(area);
    const std::vector<GrVertex> vertices = fillrate::makeTriangles(area, count);
    Device device(textured);
    uint64_t pixels = 0;
    for (auto _ : state) {
        const uint64_t before = device.device.frameCounters().pixelsWritten;
        for (size_t i = 0; i + 2 < vertices.size(); i += 3) {
            grDrawTriangle(&vertices[i], &vertices[i + 1], &vertices[i + 2]);
        }
        pixels += device.device.frameCounters().pixelsWritten - before;
    }
    state.SetItemsProcessed(static_cast<int64_t>(pixels));
    state.counters["Mpixels/s"] =
        benchmark::Counter(static_cast<double>(pixels) / 1e6, benchmark::Counter::kIsRate);
    state.counters["pixels/triangle"] =
        static_cast<double>(pixels) / static_cast<double>(state.iterations()) / count;
}

void GouraudWBufferedDithered(benchmark::State& state) {
    fill(state, false);
}
void BilinearTexturedWBufferedDithered(benchmark::State& state) {
    fill(state, true);
}

} // namespace

// Real time: the pixels are drawn by the rasterising threads (EMBER_RASTER_THREADS), not
// only by the thread that times them.
BENCHMARK(GouraudWBufferedDithered)
    ->Arg(10)
    ->Arg(100)
    ->Arg(5000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BilinearTexturedWBufferedDithered)
    ->Arg(10)
    ->Arg(100)
    ->Arg(5000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
