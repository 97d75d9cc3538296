// The fire's per-frame update and its sprites, on hand-set particles. The camera sits
// at the origin looking along +z, zoom 1, 640 × 480.
#include <gtest/gtest.h>

#include <cmath>

#include "app/ProcessState.h"
#include "fx/FireEmitter.h"
#include "fx/RandomGenerator.h"
#include "math/Matrix4.h"
#include "player/SceneCamera.h"
#include "support/TraceCapture.h"
#include "texture/TextureTable.h"

namespace {

using Triple = std::vector<float>;

class FireTest : public ::testing::Test {
protected:
    void SetUp() override {
        demoSettings = DemoSettings{};
        resetRandomGenerator();
        view.identity();
        camera.zoomFactor = 1.0f;
    }
    void TearDown() override { resetRandomGenerator(); }
    // `count` zero-filled particles, the first at depth 10 with life 16 and size 1.
    void makeEmitter(int32_t mode, int32_t count) {
        fire.fireMode = mode;
        fire.baseDirection[1] = mode == 1 ? -1.0f : 1.0f;
        fire.particleCount = count;
        fire.particlesKept = count;
        fire.particles = std::make_unique<FireParticle[]>(count);
        fire.endFrame = 1000000.0f; // the default 0 would let every particle die at once
        for (int32_t i = 0; i < count; ++i) {
            set(fire.particles[i].offset, 0, 0, 10);
            set(fire.particles[i].startColor, 255, 255, 255);
            fire.particles[i].startSize = 1.0f;
        }
        set(p().position, 0, 0, 10);
        p().life = 16.0f, p().size = 1.0f;
    }
    FireParticle& p(int32_t i = 0) { return fire.particles[i]; }
    // Updates to `frame`; returns the number of sprites drawn.
    size_t update(float frame) {
        trace.clear();
        fire.updateAndDraw(view, camera, textures, frame);
        return trace.calls("guDrawTriangleWithClip").size() / 2;
    }
    static void set(float v[3], float x, float y, float z) { v[0] = x, v[1] = y, v[2] = z; }
    static Triple triple(const float v[3]) { return {v[0], v[1], v[2]}; }

    TraceCapture trace;
    FireEmitter fire;
    Matrix4 view;
    SceneCamera camera;
    TextureTable textures;
};

} // namespace

TEST_F(FireTest, LivingParticlesRiseFadeAndAreDrawnAsTurnedSquares) {
    makeEmitter(0, 1);
    set(p().velocity, 0, 0.5f, 0);
    set(p().color, 200, 100, 50);
    set(p().colorRate, -4, -2, -100);
    p().alpha = 128.0f, p().alphaRate = -80.0f;
    p().size = 2.5f, p().sizeRate = -0.25f;
    EXPECT_EQ(update(2.0f), 1u);
    EXPECT_EQ(triple(p().position), (Triple{0, 1, 10}));
    EXPECT_EQ(triple(p().color), (Triple{192, 96, 0})) << "colour stops at 0";
    EXPECT_EQ(p().alpha, 0.0f) << "alpha stops at 0";
    EXPECT_EQ(p().size, 2.0f);
    // Emitter x 0: corners left, below, right and above at 2 × 0.1 × 320 = 64 pixels,
    // truncated to 1/16; (s, t) = (0 or 256) × 0.1.
    const VertexValues left{256, 272, 10, 192, 96, 0, 0, 6553.5f, 0.1f, 0, 0};
    const VertexValues below{320, 208, 10, 192, 96, 0, 0, 6553.5f, 0.1f, 0, 25.6f};
    const VertexValues right{384, 272, 10, 192, 96, 0, 0, 6553.5f, 0.1f, 25.6f, 25.6f};
    const VertexValues above{320, 336, 10, 192, 96, 0, 0, 6553.5f, 0.1f, 25.6f, 0};
    EXPECT_EQ(
        trace.calls("guDrawTriangleWithClip"),
        (std::vector<std::string>{triangleText("guDrawTriangleWithClip", left, below, right),
                                  triangleText("guDrawTriangleWithClip", left, right, above)}));
    EXPECT_EQ(trace.lines()[trace.lines().size() - 3], "grDepthMask(FXFALSE)");

    fire.motion.position.x = 0.5f; // turned by an eighth: level sides
    update(2.5f);
    EXPECT_EQ(p().age, 2.5f);
    EXPECT_NE(trace.calls("guDrawTriangleWithClip")[0].find("{x=277.5625 y=237.5625 "),
              std::string::npos);
}

TEST_F(FireTest, ExpiredParticlesRespawnAtTheEmitterCarryingTheirAge) {
    makeEmitter(0, 1);
    fire.height = 4.0f;
    fire.motion.position = Vector3{1, 2, 3};
    p().age = 15.0f;
    set(p().offset, 0.25f, 0, -0.25f);
    set(p().jitter, 0.125f, 0, -0.125f);
    p().startAlpha = 255.0f;
    update(3.0f);
    EXPECT_EQ(p().age, 2.0f);
    EXPECT_EQ(triple(p().position), (Triple{1.25f, 2, 2.75f})) << "not moved this frame";
    EXPECT_EQ(triple(p().color), (Triple{255, 255, 255}));
    EXPECT_EQ(triple(p().velocity), (Triple{0.03125f, 0.25f, -0.03125f}))
        << "((jitter + (0, 1, 0)) / life) × height";
    EXPECT_EQ(p().alpha, 255.0f);
    update(54.0f); // age 2 + 51 = 53: three whole lives pass, 5 frames carry over
    EXPECT_EQ(p().age, 5.0f);
}

TEST_F(FireTest, StartAndEndFramesBoundWhatIsDrawn) {
    makeEmitter(0, 2); // particle 1 is a core: life 0, respawned every frame
    fire.startFrame = 100.0f;
    EXPECT_EQ(update(50.0f), 0u);
    EXPECT_EQ(triple(p().color), (Triple{0, 0, 0})) << "respawned before the start: black";
    EXPECT_EQ(update(100.0f), 0u) << "drawn only after the start frame";
    EXPECT_EQ(update(101.0f), 2u) << "the core, and the black particle";
    EXPECT_EQ(triple(p(1).color), (Triple{255, 255, 255}));
    update(114.5f);
    EXPECT_EQ(triple(p().color), (Triple{255, 255, 255})) << "respawned after the start";

    fire.endFrame = 120.0f;
    EXPECT_EQ(update(120.0f), 1u) << "the core dies at the first update from the end frame";
    EXPECT_EQ(update(128.5f), 0u) << "the other at the end of its life";
    EXPECT_EQ(update(300.0f), 0u);
}

TEST_F(FireTest, ParticlesOfOtherModesStandStillAndAreDrawn) {
    makeEmitter(2, 1);
    set(p().velocity, 0, 0.5f, 0);
    set(p().color, 200, 100, 50);
    p().age = 15.0f;
    EXPECT_EQ(update(3.0f), 1u);
    EXPECT_EQ(p().age, 18.0f);
    EXPECT_EQ(triple(p().position), (Triple{0, 0, 10})) << "neither moved nor respawned";
    EXPECT_EQ(triple(p().color), (Triple{200, 100, 50}));
}

TEST_F(FireTest, AnEmitterCoversAtMostItsScreensPerFrame) {
    makeEmitter(0, 20); // 20 sprites, each of them larger than the screen
    for (int32_t i = 0; i < 20; ++i) {
        set(p(i).offset, 0, 0, 2);
        p(i).startSize = 40.0f;
        p(i).life = 0.0f; // respawned at the offset every frame
    }
    EXPECT_EQ(update(1.0f), 16u);
    EXPECT_EQ(fire.spritesDrawn, 16);
    EXPECT_EQ(fire.spritesOverBudget, 4);
    EXPECT_EQ(update(2.0f), 16u) << "the bound is per frame";
}

TEST_F(FireTest, FallingParticlesBounceAndSlideOutwardsOnTheGround) {
    makeEmitter(1, 1);
    fire.height = 2.0f;
    set(p().position, 0, 0.05f, 5);
    set(p().velocity, 0, -0.125f, 0);
    set(p().jitter, 0.375f, 0, 0.5f); // horizontal length 0.625
    update(1.0f);
    EXPECT_EQ(p().position[1], 0.0001f);
    EXPECT_EQ(triple(p().velocity), (Triple{0.075f, 0.0125f, 0.1f}))
        << "(0.375, 0.5) / (16 × 0.625) × 2 outwards, a tenth of the fall upwards";
}

TEST_F(FireTest, GoingBackInTimeSeedsAgainWithNewDrawsAndAdvancesFromFrameZero) {
    fire.particleCount = 3;
    fire.endFrame = 1000000.0f;
    fire.initParticles(); // draws 1 .. 21, seven per particle; the first is 41
    EXPECT_EQ(p().life, 41.0f * 20.0f * (1.0f / 32767.0f) + 20.0f);
    update(10.0f);
    update(4.0f); // seeded again from draw 22, which is 14604
    EXPECT_EQ(p().life, 14604.0f * 20.0f * (1.0f / 32767.0f) + 20.0f);
    EXPECT_EQ(p().age, 4.0f) << "advanced by the whole frame number";
}

TEST_F(FireTest, HugeJumpsNegativeLivesAndFramesThatAreNotNumbersEndPromptly) {
    makeEmitter(0, 2);
    p(1).life = -5.0f; // a negative "FireFadeTime"
    fire.endFrame = 1e31f;
    update(1e30f);
    EXPECT_LT(p().age, 16.0f);
    EXPECT_EQ(p(1).age, 0.0f);
    update(NAN);
    EXPECT_EQ(fire.lastUpdateFrame, 1e30f);
}
