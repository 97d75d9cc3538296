// Scene::renderFrame on hand-built scenes: the order of the frame's drawing, its skips
// and its counters. The camera stays at the origin looking along +z (constant motion,
// no rotation), zoom 1, 640 × 480; every object is one front-facing triangle.
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
        scene = std::make_unique<Scene>();
        scene->camera = fullAmbientCamera();
    }
    void TearDown() override { resetRandomGenerator(); }

    // An object whose triangle sits at depth z in front of the camera, shown in grey
    // level `grey` (0..1) under the full ambient light.
    SceneObject& addObject(float grey, float z = 2.0f) {
        SceneObject& object = scene->objects[scene->objectCount++];
        TestPoint p0{0, 0, 0}, p1{0, 0.75f, 0}, p2{1, 0, 0};
        for (TestPoint* p : {&p0, &p1, &p2}) {
            p->color[0] = p->color[1] = p->color[2] = grey;
        }
        buildObject(object, {p0, p1, p2}, {{0, 1, 2}});
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
    FireEmitter& addFire() {
        FireEmitter& fire = scene->fires[scene->fireCount++];
        fire.motion.position = Vector3{0.0f, 0.0f, 6.0f};
        fire.startFrame = -1.0f;
        fire.endFrame = 1000000.0f;
        fire.particleCount = 4;
        fire.initParticles();
        return fire;
    }
    std::vector<std::string> render(float frame) {
        trace.clear();
        scene->renderFrame(frame);
        return trace.lines();
    }
    // The draw calls of the last frame, as (operation, red of the first vertex).
    std::vector<std::string> draws() const {
        std::vector<std::string> result;
        for (const std::string& line : trace.lines()) {
            const size_t open = line.find('(');
            const std::string operation = line.substr(0, open);
            if (operation == "grDrawTriangle" || operation == "guDrawTriangleWithClip") {
                const size_t r = line.find(" r=") + 3;
                result.push_back(operation + " r=" + line.substr(r, line.find(' ', r) - r));
            }
        }
        return result;
    }

    TraceCapture trace;
    std::unique_ptr<Scene> scene;
};

} // namespace

TEST_F(FrameRendererTest, ObjectsInSlotOrderThenFiresThenFlares) {
    addObject(0.5f, 3.0f); // farther, but first: no depth sorting
    addObject(0.25f, 2.0f);
    addFlareLight();
    FireEmitter& fire = addFire();
    fire.particleCount = 1; // the core alone: respawned at the emitter every frame
    fire.color[0] = fire.color[1] = fire.color[2] = 200.0f;
    fire.initParticles();
    render(1.0f);
    EXPECT_EQ(draws(), (std::vector<std::string>{
                           "grDrawTriangle r=127.5", "grDrawTriangle r=63.75",
                           "guDrawTriangleWithClip r=200", "guDrawTriangleWithClip r=200",
                           "guDrawTriangleWithClip r=256", "guDrawTriangleWithClip r=256"}));
    EXPECT_EQ(trace.lines().back(), "grDepthMask(FXTRUE)");
    EXPECT_EQ(renderCounters.objectsDrawn, 2);
    EXPECT_EQ(renderCounters.flaresDrawn, 1);
}

TEST_F(FrameRendererTest, MorphTargetsAndObjectsDissolvedToExactly255AreNotDrawn) {
    addObject(0.25f).isMorphTarget = 1;
    SceneObject& gone = addObject(0.5f);
    gone.hasDissolve = 1, gone.dissolveIsConstant = 1, gone.dissolve = 255.0f;
    SceneObject& faded = addObject(0.75f);
    faded.hasDissolve = 1, faded.dissolveIsConstant = 1, faded.dissolve = 1.0f;
    render(1.0f);
    EXPECT_EQ(draws(), (std::vector<std::string>{"grDrawTriangle r=191.25"}))
        << "dissolve 1.0 is still drawn, fully transparent";
    EXPECT_EQ(renderCounters.objectsHidden, 2);
    EXPECT_EQ(renderCounters.objectsDrawn, 1);
}

TEST_F(FrameRendererTest, CulledObjectKeepsItsWorldTransformAndLastFramesPoints) {
    SceneObject& object = addObject(0.5f, -5.0f); // behind the camera
    object.mesh.points[0].viewPosition[0] = 42.0f;
    render(1.0f);
    EXPECT_TRUE(draws().empty());
    EXPECT_EQ(object.isCulled, 1);
    EXPECT_EQ(object.transform.m[14], -5.0f) << "object to world, not to camera";
    EXPECT_EQ(object.mesh.points[0].viewPosition[0], 42.0f);
    EXPECT_EQ(renderCounters.objectsCulled, 1);

    object.motion.position.z = 2.0f;
    render(2.0f);
    EXPECT_EQ(renderCounters.objectsCulled, 0) << "counters describe the last frame";
    EXPECT_EQ(renderCounters.objectsDrawn, 1);
}

TEST_F(FrameRendererTest, MissingZoomDrawsWithTheDefaultLens) {
    addObject(0.5f, 8.0f);
    addFlareLight();
    scene->camera.zoomFactor = kDefaultZoomFactor;
    const std::vector<std::string> withDefault = render(1.0f);
    scene->camera.zoomFactor = 0.0f; // a scene file without "ZoomFactor"
    EXPECT_EQ(render(1.0f), withDefault);
    EXPECT_EQ(draws().size(), 3u);
}

TEST_F(FrameRendererTest, EmptySceneStillSetsTheFlareStateAndTexture) {
    const std::vector<std::string> lines = render(0.0f);
    ASSERT_GE(lines.size(), 13u);
    EXPECT_EQ(lines.front(), "grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE)");
    EXPECT_EQ(trace.calls("grTexSource").size(), 1u);
    EXPECT_EQ(lines.back(), "grDepthMask(FXTRUE)");
}

TEST_F(FrameRendererTest, ValuesThatAreNotNumbersDoNotStopTheFrame) {
    addObject(0.5f).motion.scale = Vector3{INFINITY, 1.0f, NAN};
    addObject(0.5f).motion.position = Vector3{NAN, 0.0f, 2.0f};
    SceneLight& light = addFlareLight();
    light.range = NAN;
    light.rangeSquared = NAN;
    light.flareIntensity = INFINITY;
    addFire().motion.position = Vector3{NAN, NAN, NAN};
    scene->camera.ambientIntensity = NAN;
    render(1.0f);
    scene->camera.motion.position = Vector3{NAN, 0.0f, INFINITY};
    render(2.0f);
    EXPECT_EQ(trace.lines().back(), "grDepthMask(FXTRUE)");
    render(NAN);
    EXPECT_EQ(trace.lines().back(), "grDepthMask(FXTRUE)");
}
