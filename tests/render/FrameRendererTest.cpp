// Scene::renderFrame on hand-built scenes: draw order, skips, culling and the mended
// faults. The camera stays at the origin looking along +z under full white ambient
// light; every object is one front-facing triangle of grey level g (red channel g × 255).
#include <gtest/gtest.h>

#include <cmath>

#include "fx/RandomGenerator.h"
#include "player/Scene.h"
#include "render/CameraView.h"
#include "render/PipelineFixtures.h"
#include "render/RenderCounters.h"
#include "support/TraceCapture.h"

namespace {

class FrameRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        demoSettings = DemoSettings{};
        scene->camera = fullAmbientCamera();
    }
    void TearDown() override { resetRandomGenerator(); }

    SceneObject& addObject(float grey, float z = 2.0f) {
        SceneObject& object = scene->objects[scene->objectCount++];
        buildObject(object, {{0, 0, 0, grey}, {0, 0.75f, 0, grey}, {1, 0, 0, grey}}, {{0, 1, 2}});
        object.motion.position = Vector3{0.0f, 0.0f, z};
        return object;
    }
    SceneLight& addFlareLight() {
        SceneLight& light = scene->lights[scene->lightCount++];
        light.lightType = 1;
        light.lensFlare = 1;
        light.flareIntensity = 0.5f;
        light.color[0] = light.color[1] = light.color[2] = 1.0f;
        light.motion.position = Vector3{0.0f, 0.0f, 10.0f};
        return light;
    }
    // The draw calls of a frame as "operation r=<red of the first vertex>".
    std::vector<std::string> draws(float frame) {
        trace.clear();
        scene->renderFrame(frame);
        std::vector<std::string> result;
        for (const std::string& line : trace.lines()) {
            if (line.find("Triangle") != std::string::npos) {
                const size_t r = line.find(" r=") + 1;
                result.push_back(line.substr(0, line.find('(')) + " " +
                                 line.substr(r, line.find(' ', r) - r));
            }
        }
        return result;
    }

    TraceCapture trace;
    std::unique_ptr<Scene> scene = std::make_unique<Scene>();
};

} // namespace

TEST_F(FrameRendererTest, ObjectsInSlotOrderThenFiresThenFlares) {
    addObject(0.5f, 3.0f); // farther, but first: no depth sorting
    addObject(0.25f, 2.0f);
    addFlareLight();
    FireEmitter& fire = scene->fires[scene->fireCount++];
    fire.motion.position = Vector3{0.0f, 0.0f, 6.0f};
    fire.particleCount = 1; // the core alone: at the emitter in its start colour
    fire.color[0] = 200.0f;
    fire.startFrame = -1.0f;
    fire.endFrame = 10.0f;
    fire.initParticles();
    EXPECT_EQ(draws(1.0f), (std::vector<std::string>{
                               "grDrawTriangle r=127.5", "grDrawTriangle r=63.75",
                               "guDrawTriangleWithClip r=200", "guDrawTriangleWithClip r=200",
                               "guDrawTriangleWithClip r=256", "guDrawTriangleWithClip r=256"}));
    EXPECT_EQ(trace.lines().back(), "grDepthMask(FXTRUE)");
}

TEST_F(FrameRendererTest, ACameraOnItsTargetShowsNothing) {
    addObject(0.5f, 0.0f); // at the camera's own position
    addObject(0.25f, 2.0f);
    addFlareLight();
    scene->camera.hasTargetObject = 1;
    scene->camera.targetObject = 0;
    EXPECT_TRUE(draws(1.0f).empty());
    EXPECT_EQ(renderCounters.objectsCulled, 2);
}

TEST_F(FrameRendererTest, MorphTargetsDissolvedAndCulledObjectsAreNotDrawn) {
    addObject(0.25f).isMorphTarget = 1;
    SceneObject& gone = addObject(0.5f);
    gone.hasDissolve = 1, gone.dissolveIsConstant = 1, gone.dissolve = 255.0f;
    SceneObject& faded = addObject(0.75f);
    faded.hasDissolve = 1, faded.dissolveIsConstant = 1, faded.dissolve = 1.0f;
    SceneObject& behind = addObject(1.0f, -5.0f);
    behind.mesh.points[0].viewPosition[0] = 42.0f;
    EXPECT_EQ(draws(1.0f), std::vector<std::string>{"grDrawTriangle r=191.25"})
        << "only 255.0 hides: dissolve 1.0 is drawn, fully transparent";
    EXPECT_EQ(behind.transform.m[14], -5.0f) << "the culled object's transform: to world";
    EXPECT_EQ(behind.mesh.points[0].viewPosition[0], 42.0f) << "its points: last frame's";
    EXPECT_EQ(renderCounters.objectsHidden, 2);
    EXPECT_EQ(renderCounters.objectsCulled, 1);
    EXPECT_EQ(renderCounters.objectsDrawn, 1);
}

TEST_F(FrameRendererTest, MissingZoomAndValuesThatAreNotNumbersStillGiveAFrame) {
    addObject(0.5f, 8.0f);
    SceneLight& light = addFlareLight();
    scene->camera.zoomFactor = kDefaultZoomFactor;
    draws(1.0f);
    const std::vector<std::string> withDefaultLens = trace.lines();
    scene->camera.zoomFactor = 0.0f; // a scene file without "ZoomFactor"
    draws(1.0f);
    EXPECT_EQ(trace.lines(), withDefaultLens);

    addObject(0.5f).motion.scale = Vector3{INFINITY, 1.0f, NAN};
    light.range = light.rangeSquared = NAN;
    light.flareIntensity = INFINITY;
    scene->camera.motion.position = Vector3{NAN, 0.0f, INFINITY};
    for (float frame : {2.0f, NAN}) {
        draws(frame);
        EXPECT_EQ(trace.lines().back(), "grDepthMask(FXTRUE)");
    }
}
