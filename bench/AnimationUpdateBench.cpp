// Per-frame cost of bringing a whole scene to a frame (animateScene): 60 objects with
// 50-key nine-channel tracks, 10 lights with moving tracks and three envelopes each,
// and a 3-member morph chain of 10,000 points; plus the morph blend alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "anim/Morph.h"
#include "anim/SceneAnimation.h"
#include "player/Scene.h"

namespace {

constexpr int32_t kKeys = 50;
constexpr int32_t kKeySpacing = 12; // frames
constexpr int32_t kMorphPoints = 10000;

void fillTrack(std::unique_ptr<MotionKey[]>& keys, int32_t& keyCount, int32_t channels,
               int32_t seed) {
    keys = std::make_unique<MotionKey[]>(kKeys);
    keyCount = kKeys;
    for (int32_t k = 0; k < kKeys; ++k) {
        keys[k].frame = k * kKeySpacing;
        keys[k].tension = 0.1 * (k % 3);
        keys[k].continuity = -0.2 * (k % 2);
        keys[k].bias = 0.05 * (k % 5);
        for (int32_t c = 0; c < channels; ++c) {
            keys[k].values[c] = std::sin(k * 0.7 + c + seed);
        }
    }
}

void animate(Motion& motion, int32_t seed) {
    fillTrack(motion.keys, motion.keyCount, kMotionChannelCount, seed);
    motion.positionIsConstant = 0;
    motion.rotationIsConstant = 0;
    motion.scaleIsConstant = 0;
}

void giveShape(SceneObject& object, float offset) {
    object.mesh.pointCount = kMorphPoints;
    object.mesh.points = std::make_unique<MeshPoint[]>(kMorphPoints);
    for (int32_t i = 0; i < kMorphPoints; ++i) {
        MeshPoint& p = object.mesh.points[i];
        p.position[0] = static_cast<float>(i % 100) + offset;
        p.position[1] = static_cast<float>(i / 100);
        p.position[2] = offset;
        p.position[3] = 1.0f;
        p.normal[2] = 1.0f;
    }
}

std::unique_ptr<Scene> buildScene(int32_t morphMode) {
    auto scene = std::make_unique<Scene>();
    scene->objectCount = kSceneObjectCapacity;
    for (int32_t i = 0; i < kSceneObjectCapacity; ++i) {
        animate(scene->objects[i].motion, i);
    }
    for (int32_t k = 0; k < 3; ++k) {
        giveShape(scene->objects[k], static_cast<float>(k) * 5.0f);
    }
    SceneObject& head = scene->objects[0];
    head.hasMorph = 1;
    head.morphMode = morphMode;
    head.morphTarget = 1;
    fillTrack(head.morphEnvelope.keys, head.morphEnvelope.keyCount, 1, 0);
    for (int32_t k = 0; k < kKeys; ++k) {
        head.morphEnvelope.keys[k].values[0] = (k % 5) * 0.5; // 0 .. 2 along the chain
    }
    scene->objects[1].hasMorph = 1;
    scene->objects[1].morphTarget = 2;
    prepareMorphChains(scene->objects, scene->objectCount);

    scene->lightCount = kSceneLightCapacity;
    for (int32_t i = 0; i < kSceneLightCapacity; ++i) {
        SceneLight& light = scene->lights[i];
        animate(light.motion, 100 + i);
        fillTrack(light.rangeEnvelope.keys, light.rangeEnvelope.keyCount, 1, i);
        fillTrack(light.intensityEnvelope.keys, light.intensityEnvelope.keyCount, 1, i + 1);
        fillTrack(light.flareEnvelope.keys, light.flareEnvelope.keyCount, 1, i + 2);
        light.rangeIsConstant = light.intensityIsConstant = light.flareIsConstant = 0;
    }
    animate(scene->camera.motion, 200);
    scene->camera.zoomFactor = 3.2f;
    return scene;
}

void BM_AnimateScene(benchmark::State& state) {
    const auto scene = buildScene(static_cast<int32_t>(state.range(0)));
    SceneView view;
    float frame = 0.0f;
    for (auto _ : state) {
        animateScene(*scene, frame, view);
        benchmark::ClobberMemory();
        frame += 0.37f; // walks the whole track, wrapping past its end
    }
    state.SetLabel(state.range(0) != 0 ? "straight morph" : "cubic morph");
}
BENCHMARK(BM_AnimateScene)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ApplyMorph10000Points(benchmark::State& state) {
    const auto scene = buildScene(static_cast<int32_t>(state.range(0)));
    SceneObject& head = scene->objects[0];
    float amount = 0.0f;
    for (auto _ : state) {
        head.morphAmount = amount;
        head.applyMorph();
        benchmark::ClobberMemory();
        amount = amount >= 1.9f ? 0.0f : amount + 0.013f; // both segments
    }
    state.SetItemsProcessed(state.iterations() * kMorphPoints);
    state.SetLabel(state.range(0) != 0 ? "straight" : "cubic");
}
BENCHMARK(BM_ApplyMorph10000Points)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
