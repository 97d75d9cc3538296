// Per-frame costs of the animation core: a nine-channel motion track and the point
// transform that every drawn object runs each frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "anim/Envelope.h"
#include "math/Matrix4.h"
#include "object/Mesh.h"

static void BM_EvaluateEnvelopeNineChannels50Keys(benchmark::State& state) {
    MotionKey keys[50];
    for (int k = 0; k < 50; ++k) {
        keys[k].frame = k * 12;
        keys[k].tension = 0.1 * (k % 3);
        keys[k].continuity = -0.2 * (k % 2);
        keys[k].bias = 0.05 * (k % 5);
        for (int c = 0; c < 9; ++c) {
            keys[k].values[c] = std::sin(k * 0.7 + c);
        }
    }
    double out[9];
    double time = 0.0;
    for (auto _ : state) {
        evaluateEnvelope(keys, 50, time, 9, out);
        benchmark::DoNotOptimize(out);
        time += 0.37; // walks the whole track, wrapping past its end
    }
}
BENCHMARK(BM_EvaluateEnvelopeNineChannels50Keys);

static void BM_TransformPoints10000(benchmark::State& state) {
    const int count = 10000;
    const auto points = std::make_unique<MeshPoint[]>(count);
    for (int i = 0; i < count; ++i) {
        points[i].position[0] = static_cast<float>(i % 100);
        points[i].position[1] = static_cast<float>(i / 100);
        points[i].position[2] = 1.0f;
        points[i].position[3] = 1.0f;
    }
    Matrix4 m;
    m.identity();
    m.scale(1.5f, 1.5f, 1.5f);
    m.rotateZ(10.0f);
    m.rotateX(20.0f);
    m.rotateY(30.0f);
    m.translate(1.0f, 2.0f, 3.0f);
    for (auto _ : state) {
        m.transformPoints(points.get(), count);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_TransformPoints10000);
