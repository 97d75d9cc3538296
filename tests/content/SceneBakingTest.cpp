// A later scene baked into the player's records: the player's own evaluation must give
// back the scene's values at every whole frame, parents, pivots and targets included.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "anim/Envelope.h"
#include "content/LaterSceneParser.h"
#include "content/SceneBaking.h"
#include "math/Matrix4.h"
#include "player/Scene.h"
#include "support/LaterScenes.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = static_cast<double>(kDegreesToRadians); // the player's

struct Baked {
    std::unique_ptr<LaterScene> later = std::make_unique<LaterScene>();
    std::unique_ptr<Scene> scene = std::make_unique<Scene>();
    int32_t ok = 0;
    std::string problem;
};

Baked bake(const std::string& text, const BakeLimits& limits = BakeLimits{}) {
    Baked b;
    char problem[256] = "";
    if (!parseLaterScene(text.data(), text.size(), *b.later, problem, sizeof(problem))) {
        b.problem = std::string("parse: ") + problem;
        return b;
    }
    b.ok = bakeLaterScene(*b.later, *b.scene, limits, problem, sizeof(problem));
    b.problem = problem;
    return b;
}

std::string channel(int32_t index, const std::string& keys) {
    return "Channel " + std::to_string(index) + "\n" + envelopeBlock(keys);
}

std::string constant(int32_t index, double value) {
    return channel(index, " Key " + std::to_string(value) + " 0 0 0 0 0 0 0 0\n");
}

} // namespace

TEST(SceneBaking, ThePlayerGivesBackEveryFramesValues) {
    const Baked b = bake(laterTestFile("scenes/move_xz_spline.lws"));
    ASSERT_EQ(b.ok, 1) << b.problem;
    const Scene& s = *b.scene;
    EXPECT_EQ(s.lastFrame, 120);
    EXPECT_EQ(s.framesPerSecond, 30.0f);
    Motion& motion = b.scene->objects[0].motion;
    EXPECT_EQ(motion.positionIsConstant, 0);
    EXPECT_EQ(motion.rotationIsConstant, 1);
    for (int32_t frame = 0; frame <= s.lastFrame; ++frame) {
        motion.update(frame);
        const LaterItem& cube = b.later->items[0];
        EXPECT_EQ(motion.position.x, static_cast<float>(channelValue(cube, 0, frame / 30.0)))
            << frame;
        EXPECT_EQ(motion.position.z, static_cast<float>(channelValue(cube, 2, frame / 30.0)))
            << frame;
    }
    // x stops at frame 60 and z at 89: the keys that say nothing new are left out.
    EXPECT_EQ(motion.keyCount, 91);
    EXPECT_EQ(motion.keys[motion.keyCount - 1].frame, 120);
    // What never moves stays a constant, in the player's units.
    const SceneLight& light = s.lights[0];
    EXPECT_EQ(light.motion.keyCount, 0);
    EXPECT_EQ(light.motion.heading, static_cast<float>(0.78539813999999997 / kDegree));
    EXPECT_NEAR(light.motion.heading, 45.0, 1e-4);
    EXPECT_EQ(light.lightType, 0);
    EXPECT_EQ(light.range, -1.0f) << "no fall-off: unlimited reach";
    EXPECT_EQ(s.camera.motion.keyCount, 0);
    EXPECT_EQ(s.camera.motion.position.z, static_cast<float>(-6.384000301361084));
    EXPECT_EQ(s.camera.motion.scale.x, 1.0f);
    EXPECT_EQ(s.camera.zoomFactor, 3.2f);
    EXPECT_EQ(s.camera.ambientIntensity, 0.05f);
}

// Keys that version 1 can hold stay keys: end tangents and held values are made up for by
// tension and bias, and the player's evaluation still gives every frame's value.
TEST(SceneBaking, KeysThatVersionOneCanHoldStayKeys) {
    const struct {
        std::string text;
        int32_t keys;
    } cases[] = {
        {laterTestFile("scenes/move_x.lws"), 4}, // keys at 0, 20, 40 and the value held to frame 60
        {"LWSC\n3\n\nLastFrame 40\nLoadObject box.lwo\nObjectMotion\n" +
             channel(0, " Key 1 0.3333333333333333 0 0.5 0 0 0 0 0\n"
                        " Key -2 0.6666666666666666 0 0 0.3 0 0 0 0\n"
                        " Key 4 1 0 0 0 -0.4 0 0 0\n") +
             channel(4, " Key 0.1 0.3333333333333333 0 0.5 0 0 0 0 0\n"
                        " Key 0.7 0.6666666666666666 0 0 0.3 0 0 0 0\n"
                        " Key 0.2 1 0 0 0 -0.4 0 0 0\n") +
             "AddCamera\n",
         5},
        {"LWSC\n3\n\nLastFrame 30\nLoadObject box.lwo\nObjectMotion\n" +
             channel(2, " Key 1 0 0 0.25 0 0.5 0 0 0\n Key 3 0.5 3 0 0 0 0 0 0\n"
                        " Key -1 1 0 -0.5 0.2 0 0 0 0\n") +
             "AddCamera\n",
         3},
    };
    for (const auto& c : cases) {
        const Baked b = bake(c.text);
        ASSERT_EQ(b.ok, 1) << b.problem;
        Motion& motion = b.scene->objects[0].motion;
        EXPECT_EQ(motion.keyCount, c.keys);
        const LaterItem& item = b.later->items[0];
        for (int32_t frame = 0; frame <= b.scene->lastFrame; ++frame) {
            motion.update(frame);
            const double seconds = frame / 30.0;
            EXPECT_NEAR(motion.position.x, channelValue(item, 0, seconds), 2e-6) << frame;
            EXPECT_NEAR(motion.position.z, channelValue(item, 2, seconds), 2e-6) << frame;
            EXPECT_NEAR(motion.pitch * kDegree, channelValue(item, 4, seconds), 2e-6) << frame;
        }
    }
}

TEST(SceneBaking, ChildrenArePlacedThroughTheirParentsAndPivots) {
    // A null at x = 1 turning a quarter about y over frames 0..30, with its pivot at
    // z = 1; its child sits at z = 2 in the null's frame, so at z = 2 - 1 from the pivot.
    const Baked b =
        bake("LWSC\n3\n\nFirstFrame 0\nLastFrame 30\n"
             "LoadObject box.lwo\nParentItem 10000001\nObjectMotion\n" +
             constant(2, 2.0) + "AddNullObject Arm\nPivotPosition 0 0 1\nObjectMotion\n" +
             constant(0, 1.0) +
             channel(3, " Key 0 0 0 0 0 0 0 0 0\n Key 1.5707963267948966 1 3 0 0 0 "
                        "0 0 0\n") +
             "AddCamera\n");
    ASSERT_EQ(b.ok, 1) << b.problem;
    EXPECT_EQ(b.scene->objectCount, 1) << "the null takes no slot";
    Motion& motion = b.scene->objects[0].motion;
    motion.update(30.0);
    EXPECT_NEAR(motion.position.x, 2.0, 1e-6);
    EXPECT_NEAR(motion.position.z, 0.0, 1e-6);
    EXPECT_NEAR(motion.heading * kDegree, kPi / 2, 1e-6);
    motion.update(15.0); // half way: the child has swung 45 degrees about x = 1
    EXPECT_NEAR(motion.position.x, 1.0 + std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(motion.position.z, std::sqrt(0.5), 1e-6);
}

TEST(SceneBaking, TargetsBecomeHeadingAndPitch) {
    const Baked b = bake("LWSC\n3\n\nLastFrame 10\nLoadObject box.lwo\nObjectMotion\n" +
                         channel(0, " Key 5 0 0 0 0 0 0 0 0\n Key -5 0.3333333333333333 3 0 0 "
                                    "0 0 0 0\n") +
                         constant(1, -5.0) + "AddCamera\nCameraMotion\n" + constant(2, -5.0) +
                         constant(5, 0.25) + "TargetItem 10000000\n");
    ASSERT_EQ(b.ok, 1) << b.problem;
    Motion& camera = b.scene->camera.motion;
    EXPECT_EQ(b.scene->camera.hasTargetObject, 0) << "aimed by its baked angles";
    camera.update(0.0); // target at (5, -5, 0), five ahead and below: 45 down, 45 right
    EXPECT_NEAR(camera.heading * kDegree, kPi / 4, 1e-6);
    EXPECT_NEAR(camera.pitch * kDegree, std::atan2(5.0, std::sqrt(50.0)), 1e-6);
    EXPECT_NEAR(camera.bank * kDegree, 0.25, 1e-6) << "the camera keeps its own bank";
    camera.update(10.0);
    EXPECT_NEAR(camera.heading * kDegree, -kPi / 4, 1e-6);
}

TEST(SceneBaking, FramesLightsAndEnvelopesInThePlayersTerms) {
    const Baked b = bake("LWSC\n3\n\nFirstFrame -10\nLastFrame 20\nFramesPerSecond 10\n"
                         "LoadObject box.lwo\nObjectDissolve (envelope)\n{ Envelope\n 2\n"
                         " Key 0 -1 0 0 0 0 0 0 0\n Key 1 1 3 0 0 0 0 0 0\n}\n"
                         "AddLight\nLightType 2\nLightFalloffType 1\nLightRange 8\n"
                         "LightIntensity (envelope)\n{ Envelope\n 2\n"
                         " Key 0 0 0 0 0 0 0 0 0\n Key 2 2 3 0 0 0 0 0 0\n}\n"
                         "AddCamera\nZoomFactor 2.5\n");
    ASSERT_EQ(b.ok, 1) << b.problem;
    Scene& s = *b.scene;
    EXPECT_EQ(s.firstFrame, -10);
    EXPECT_EQ(s.lastFrame, 30) << "played from frame -10: 31 frames";
    SceneObject& box = s.objects[0];
    EXPECT_EQ(box.hasDissolve, 1);
    EXPECT_EQ(box.dissolveIsConstant, 0);
    double value = 0.0;
    evaluateEnvelope(box.dissolveEnvelope, 10.0, 1, &value); // scene frame 0: time 0
    EXPECT_EQ(value, 0.5);
    SceneLight& light = s.lights[0];
    EXPECT_EQ(light.lightType, 1) << "a spot shines as a point light";
    EXPECT_EQ(light.range, 8.0f);
    EXPECT_EQ(light.rangeSquared, 64.0f);
    light.updateEnvelopes(20.0); // scene frame 10: time 1
    EXPECT_EQ(light.intensity, 1.0f);
    EXPECT_EQ(s.camera.zoomFactor, 2.5f);
}

TEST(SceneBaking, RefusesWhatThePlayerCannotHold) {
    const std::string objects = [] {
        std::string text;
        for (int32_t i = 0; i <= kSceneObjectCapacity; ++i) {
            text += "LoadObject box.lwo\n";
        }
        return text;
    }();
    const std::string moving = "LWSC\n3\n\nLastFrame 100\nLoadObject box.lwo\nObjectMotion\n" +
                               channel(0, " Key 0 0 0 0 0 0 0 0 0\n Key 9 9 0 0 0 0 0 0 0\n");
    BakeLimits few;
    few.maxKeys = 50;
    BakeLimits short_;
    short_.maxFrames = 100;
    const struct {
        Baked baked;
        const char* problem;
    } cases[] = {
        {bake("LWSC\n3\n\n" + objects),
         "61 objects and 0 lights: the player has room for 60 objects and 10 lights"},
        {bake("LWSC\n3\n\nFirstFrame 5\nLastFrame 4\n"), "LastFrame 4 comes before FirstFrame 5"},
        {bake(moving, short_), "frames 0 to 100: at most 100 frames are played"},
        {bake(moving, few), "the animation needs more than 50 keys (one per frame where things "
                            "move), or more memory than there is"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.baked.ok, 0) << c.problem;
        EXPECT_EQ(c.baked.problem, c.problem);
    }
}
