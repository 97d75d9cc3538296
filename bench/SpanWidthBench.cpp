// The span functions alone, hand-written (SSE2, AVX2, AVX-512) against the same span
// written once with Google Highway (HighwaySpan.cpp): the spans of the fill-rate
// triangles (bilinear textured, W-buffered, dithered RGB565; about 10, 100 and 5000
// pixels) are recorded once by the rasteriser, then replayed through each span function
// into a buffer of their own. Before timing, every replay's colour and depth buffers are
// checked against the general span's: a span function that differs by one bit aborts.
//
// CPU time per replay of all the triangles (one thread); callgrind gives the instruction
// counts (under valgrind the processor shows no AVX-512).
#include <benchmark/benchmark.h>

#include <hwy/highway.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <vector>

#include "FillRateTriangles.h"
#include "HighwaySpan.h"
#include "accel/Dither.h"
#include "accel/Rasterizer.h"
#include "accel/SpanSelection.h"
#include "accel/TextureCache.h"
#include "accel/TextureLayout.h"
#include "accel/TextureMemory.h"

namespace {

using fillrate::kHeight;
using fillrate::kWidth;

// One call of a span function: the triangle's steps and its spans.
struct Call {
    SpanContext steps;
    std::vector<Span> spans;
};

std::vector<Call>* recording = nullptr;

void record(SpanContext& c, const Span* spans, int32_t count) {
    recording->push_back(Call{c, std::vector<Span>(spans, spans + count)});
}

struct Scene {
    TextureMemory memory;
    TextureTables tables;
    TextureSource source;
    TextureCache cache;
    RenderState state;
    const DecodedTexture* texture = nullptr;
    std::map<int32_t, std::vector<Call>> calls; // by triangle size

    Scene() {
        GrTexInfo info;
        info.largeLod = GR_LOD_256;
        info.smallLod = GR_LOD_1;
        info.aspectRatio = GR_ASPECT_1x1;
        info.format = GR_TEXFMT_RGB_565;
        std::vector<uint16_t> texels(textureTexelBytes(info) / 2);
        std::mt19937 random(99);
        for (uint16_t& t : texels) {
            t = static_cast<uint16_t>(random());
        }
        memory.allocate(4u << 20);
        memory.write(0, reinterpret_cast<const uint8_t*>(texels.data()),
                     static_cast<uint32_t>(texels.size() * 2));
        source.active = true;
        source.info = info;
        source.info.data = nullptr;
        texture = cache.lookup(source, tables, memory);
        state.ditherMode = GR_DITHER_2x2;
        state.depthMode = GR_DEPTHBUFFER_WBUFFER;
        state.depthFunction = GR_CMP_LEQUAL;
        state.color = CombineUnit{GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                                  GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE};
        state.alpha = CombineUnit{GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_ZERO,
                                  GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT, FXFALSE};
        state.minFilter = state.magFilter = GR_TEXTUREFILTER_BILINEAR;
        state.mipMapMode = GR_MIPMAP_NEAREST;
    }

    const std::vector<Call>& callsFor(int32_t area) {
        std::vector<Call>& list = calls[area];
        if (!list.empty()) {
            return list;
        }
        const std::vector<GrVertex> vertices =
            fillrate::makeTriangles(area, fillrate::triangleCount(area));
        SpanContext context;
        context.state = &state;
        context.texture = texture;
        RasterTarget target;
        target.bufferHeight = kHeight;
        target.clipMaxX = kWidth;
        target.clipMaxY = kHeight;
        target.attributes = kAttributeColor | kAttributeOow | kAttributeTexture;
        recording = &list;
        for (size_t i = 0; i + 2 < vertices.size(); i += 3) {
            rasterizeTriangle(vertices[i], vertices[i + 1], vertices[i + 2], target, context,
                              record);
        }
        recording = nullptr;
        return list;
    }
};

Scene& scene() {
    static Scene s;
    return s;
}

struct Buffers {
    std::vector<uint16_t> color = std::vector<uint16_t>(kWidth * kHeight, 0);
    std::vector<uint16_t> depth = std::vector<uint16_t>(kWidth * kHeight, 0xFFFF);
};

// Replays the recorded calls of triangles of `area` pixels through `span`.
uint64_t replay(SpanFunction span, SpanPath path, int32_t area, Buffers& buffers) {
    Scene& s = scene();
    SpanContext context;
    context.state = &s.state;
    context.texture = s.texture;
    context.dither = &ditherTables(s.state.ditherMode);
    context.rgb565 = true;
    context.color16 = buffers.color.data();
    context.depth = buffers.depth.data();
    context.width = kWidth;
    SpanFunction chosen = selectSpanFunction(context, path); // fills the level tables
    if (span == nullptr) {
        span = chosen;
    }
    for (const Call& c : s.callsFor(area)) {
        context.dr = c.steps.dr, context.dg = c.steps.dg, context.db = c.steps.db;
        context.da = c.steps.da;
        context.doow = c.steps.doow, context.dooz = c.steps.dooz;
        context.dsow = c.steps.dsow, context.dtow = c.steps.dtow, context.dtoow = c.steps.dtoow;
        context.dsowdy = c.steps.dsowdy, context.dtowdy = c.steps.dtowdy;
        context.dtoowdy = c.steps.dtoowdy;
        context.sharedOow = c.steps.sharedOow;
        span(context, c.spans.data(), static_cast<int32_t>(c.spans.size()));
    }
    return context.pixelsWritten;
}

void check(SpanFunction span, SpanPath path, int32_t area, const char* name) {
    Buffers reference, mine;
    replay(nullptr, SpanPath::General, area, reference);
    replay(span, path, area, mine);
    if (reference.color != mine.color || reference.depth != mine.depth) {
        std::fprintf(stderr, "%s: pixels differ from the general span's\n", name);
        std::abort();
    }
}

void run(benchmark::State& state, SpanFunction span, SpanPath path, const char* name) {
    const int32_t area = static_cast<int32_t>(state.range(0));
    check(span, path, area, name);
    Buffers buffers;
    uint64_t pixels = 0;
    for (auto _ : state) {
        pixels += replay(span, path, area, buffers);
    }
    state.counters["Mpixels/s"] =
        benchmark::Counter(static_cast<double>(pixels) / 1e6, benchmark::Counter::kIsRate);
}

void HandWrittenFastest(benchmark::State& state) {
    state.SetLabel(avx512SpansAvailable() ? "AVX-512" : avx2SpansAvailable() ? "AVX2" : "SSE2");
    run(state, nullptr, SpanPath::Fastest, "hand-written, fastest");
}
void HandWrittenAvx2(benchmark::State& state) {
    run(state, nullptr, SpanPath::Avx2, "hand-written, AVX2");
}
void HandWrittenSse2(benchmark::State& state) {
    run(state, nullptr, SpanPath::Sse2, "hand-written, SSE2");
}
void HighwayBest(benchmark::State& state) {
    state.SetLabel(highwayTargetName(0));
    run(state, highwayTexturedBilinearSpan(0), SpanPath::Fastest, "Highway, best target");
}
void HighwayAvx2(benchmark::State& state) {
    state.SetLabel(highwayTargetName(HWY_AVX2));
    run(state, highwayTexturedBilinearSpan(HWY_AVX2), SpanPath::Fastest, "Highway, AVX2");
}

} // namespace

BENCHMARK(HandWrittenFastest)->Arg(10)->Arg(100)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(HighwayBest)->Arg(10)->Arg(100)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(HandWrittenAvx2)->Arg(10)->Arg(100)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(HighwayAvx2)->Arg(10)->Arg(100)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(HandWrittenSse2)->Arg(10)->Arg(100)->Arg(5000)->Unit(benchmark::kMillisecond);
