// The fire's per-frame update and its sprites, on hand-set particles.
//
// The camera sits at the world origin looking along +z (identity view), zoom 1,
// 640 × 480, so a particle at world (x, y, z) is at camera-space (x, y, z).
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

class FireTest : public ::testing::Test {
protected:
    void SetUp() override {
        demoSettings = DemoSettings{};
        view.identity();
        camera.zoomFactor = 1.0f;
    }
    // An emitter of mode `mode` with `count` zero-filled particles.
    void makeEmitter(int32_t mode, int32_t count) {
        fire.fireMode = mode;
        fire.baseDirection[1] = mode == 1 ? -1.0f : 1.0f;
        fire.particleCount = count;
        fire.particles = std::make_unique<FireParticle[]>(count);
        fire.endFrame = 1000000.0f; // the default 0 would let every particle die at once
    }
    FireParticle& particle(int32_t i) { return fire.particles[i]; }
    // Updates to `frame`; returns how many particles were drawn.
    size_t update(float frame) {
        trace.clear();
        fire.updateAndDraw(view, camera, textures, frame);
        return trace.calls("guDrawTriangleWithClip").size() / 2;
    }
    static void setVector(float v[3], float x, float y, float z) { v[0] = x, v[1] = y, v[2] = z; }

    TraceCapture trace;
    FireEmitter fire;
    Matrix4 view;
    SceneCamera camera;
    TextureTable textures;
};

using Triple = std::vector<float>;
Triple triple(const float v[3]) {
    return {v[0], v[1], v[2]};
}

} // namespace

TEST_F(FireTest, LivingParticlesMoveFadeAndChangeSizeByTheFramesElapsed) {
    makeEmitter(0, 1);
    FireParticle& p = particle(0);
    p.life = 20.0f;
    setVector(p.position, 0.0f, 0.0f, 10.0f);
    setVector(p.velocity, 0.0f, 0.5f, 0.0f);
    setVector(p.color, 200.0f, 100.0f, 50.0f);
    setVector(p.colorRate, -4.0f, -2.0f, -100.0f);
    p.alpha = 128.0f, p.alphaRate = -80.0f;
    p.size = 2.0f, p.sizeRate = -0.25f;
    update(2.0f);
    EXPECT_EQ(p.age, 2.0f);
    EXPECT_EQ(triple(p.position), (Triple{0.0f, 1.0f, 10.0f}));
    EXPECT_EQ(triple(p.color), (Triple{192.0f, 96.0f, 0.0f})) << "colour stops at 0";
    EXPECT_EQ(p.alpha, 0.0f) << "alpha stops at 0";
    EXPECT_EQ(p.size, 1.5f);
    EXPECT_EQ(fire.lastUpdateFrame, 2.0f);

    update(2.5f); // half a frame later
    EXPECT_EQ(p.age, 2.5f);
    EXPECT_EQ(p.position[1], 1.25f);
}

TEST_F(FireTest, SpriteIsACameraFacingSquareTurnedByTheEmittersX) {
    makeEmitter(0, 1);
    FireParticle& p = particle(0);
    p.life = 20.0f;
    setVector(p.position, 0.0f, 0.0f, 10.0f);
    setVector(p.color, 200.0f, 100.0f, 50.0f);
    p.alpha = 128.0f, p.size = 2.0f;
    update(1.0f);
    // Emitter x 0: corners left, below, right and above at 2 × 0.1 × 320 = 64 pixels.
    const VertexValues left{256, 240, 10, 200, 100, 50, 128, 6553.5f, 0.1f, 0, 0};
    const VertexValues below{320, 176, 10, 200, 100, 50, 128, 6553.5f, 0.1f, 0, 25.6f};
    const VertexValues right{384, 240, 10, 200, 100, 50, 128, 6553.5f, 0.1f, 25.6f, 25.6f};
    const VertexValues above{320, 304, 10, 200, 100, 50, 128, 6553.5f, 0.1f, 25.6f, 0};
    EXPECT_EQ(
        trace.calls("guDrawTriangleWithClip"),
        (std::vector<std::string>{triangleText("guDrawTriangleWithClip", left, below, right),
                                  triangleText("guDrawTriangleWithClip", left, right, above)}));
    EXPECT_EQ(triple(p.viewPosition), (Triple{0.0f, 0.0f, 10.0f}));

    // Emitter x 0.5 turns the square by an eighth: level sides.
    fire.motion.position.x = 0.5f;
    setVector(p.position, 0.0f, 1.0f, 4.0f);
    setVector(p.color, 10.0f, 20.0f, 30.0f);
    p.alpha = 40.0f, p.size = 1.0f;
    update(2.0f);
    const VertexValues v0{263.375f, 263.375f, 4, 10, 20, 30, 40, 16383.75f, 0.25f, 0, 0};
    const VertexValues v1{376.5625f, 263.375f, 4, 10, 20, 30, 40, 16383.75f, 0.25f, 0, 64};
    const VertexValues v2{376.5625f, 376.5625f, 4, 10, 20, 30, 40, 16383.75f, 0.25f, 64, 64};
    const VertexValues v3{263.375f, 376.5625f, 4, 10, 20, 30, 40, 16383.75f, 0.25f, 64, 0};
    EXPECT_EQ(trace.calls("guDrawTriangleWithClip"),
              (std::vector<std::string>{triangleText("guDrawTriangleWithClip", v0, v1, v2),
                                        triangleText("guDrawTriangleWithClip", v0, v2, v3)}));
}

TEST_F(FireTest, StatesAreAdditiveWithoutDepthWritesAfterTheTextureIsSelected) {
    makeEmitter(0, 1);
    update(1.0f);
    const std::vector<std::string> lines = trace.lines();
    const std::vector<std::string> expected = {
        "grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL, "
        "GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE)",
        "grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ONE, "
        "GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_CONSTANT, FXFALSE)",
        "grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, "
        "GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE)",
        "grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO)",
        "grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR)",
        "grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE)",
        "grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP)",
        "grDepthMask(FXFALSE)"};
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(lines.back(), "grDepthMask(FXFALSE)");
    EXPECT_EQ(std::vector<std::string>(lines.end() - expected.size(), lines.end()), expected);
    EXPECT_EQ(trace.calls("grTexSource").size(), 1u) << "the texture comes first";
}

TEST_F(FireTest, ExpiredParticlesRespawnAtTheEmitterWithTheirAgeCarriedOver) {
    makeEmitter(0, 1);
    fire.height = 4.0f;
    fire.motion.position = Vector3{1.0f, 2.0f, 3.0f};
    FireParticle& p = particle(0);
    p.life = 16.0f, p.age = 15.0f;
    setVector(p.offset, 0.25f, 0.0f, -0.25f);
    setVector(p.jitter, 0.125f, 0.0f, -0.125f);
    setVector(p.startColor, 255.0f, 128.0f, 64.0f);
    setVector(p.velocity, 9.0f, 9.0f, 9.0f);
    p.startSize = 3.0f, p.startAlpha = 255.0f;
    update(3.0f);
    EXPECT_EQ(p.age, 2.0f);
    EXPECT_EQ(triple(p.position), (Triple{1.25f, 2.0f, 2.75f})) << "not moved this frame";
    EXPECT_EQ(triple(p.color), (Triple{255.0f, 128.0f, 64.0f}));
    // ((jitter + (0, 1, 0)) / life) × height
    EXPECT_EQ(triple(p.velocity), (Triple{0.03125f, 0.25f, -0.03125f}));
    EXPECT_EQ(p.size, 3.0f);
    EXPECT_EQ(p.alpha, 255.0f);

    p.age = 15.0f;
    update(54.0f); // age 15 + 51 = 66: four whole lives pass, 2 frames carry over
    EXPECT_EQ(p.age, 2.0f);
}

TEST_F(FireTest, NothingIsDrawnUntilTheStartFrameAndEarlyRespawnsAreBlack) {
    makeEmitter(0, 2);
    fire.startFrame = 100.0f;
    for (int i = 0; i < 2; ++i) {
        FireParticle& p = particle(i);
        setVector(p.position, 0.0f, 0.0f, 10.0f);
        setVector(p.startColor, 255.0f, 255.0f, 255.0f);
        setVector(p.color, 255.0f, 255.0f, 255.0f);
        p.size = p.startSize = 1.0f;
        setVector(p.offset, 0.0f, 0.0f, 10.0f);
    }
    particle(0).life = 16.0f; // particle 1 is the core: life 0
    EXPECT_EQ(update(50.0f), 0u);
    EXPECT_EQ(particle(0).age, 2.0f);
    EXPECT_EQ(triple(particle(0).color), (Triple{0.0f, 0.0f, 0.0f})) << "respawned before 100";
    EXPECT_EQ(update(100.0f), 0u) << "drawn only after the start frame";
    EXPECT_EQ(update(101.0f), 2u) << "the core, and the black particle";
    EXPECT_EQ(triple(particle(1).color), (Triple{255.0f, 255.0f, 255.0f}));
    EXPECT_EQ(triple(particle(0).color), (Triple{0.0f, 0.0f, 0.0f}));
    update(114.5f);
    EXPECT_EQ(particle(0).age, 2.5f);
    EXPECT_EQ(triple(particle(0).color), (Triple{255.0f, 255.0f, 255.0f}));
}

TEST_F(FireTest, FromTheEndFrameParticlesDieWhenTheirLifeEnds) {
    makeEmitter(0, 2);
    fire.endFrame = 200.0f;
    fire.lastUpdateFrame = 195.0f;
    for (int i = 0; i < 2; ++i) {
        setVector(particle(i).position, 0.0f, 0.0f, 10.0f);
        particle(i).size = 1.0f;
    }
    particle(0).life = 16.0f, particle(0).age = 10.0f;
    EXPECT_EQ(update(200.0f), 1u) << "the core dies at the first update from the end frame";
    EXPECT_EQ(particle(1).isDead, 1);
    EXPECT_EQ(particle(0).isDead, 0);
    EXPECT_EQ(update(201.0f), 0u);
    EXPECT_EQ(particle(0).isDead, 1);
    EXPECT_EQ(update(300.0f), 0u) << "and stays dead";
}

TEST_F(FireTest, FallingParticlesBounceAndSlideOutwardsOnTheGround) {
    makeEmitter(1, 1);
    fire.height = 2.0f;
    FireParticle& p = particle(0);
    p.life = 10.0f;
    setVector(p.position, 0.0f, 0.05f, 5.0f);
    setVector(p.velocity, 0.0f, -0.125f, 0.0f);
    setVector(p.jitter, 0.375f, 0.0f, 0.5f); // horizontal length 0.625
    update(1.0f);
    EXPECT_EQ(p.position[1], 0.0001f);
    // (0.375, 0.5) / (10 × 0.625) × 2 outwards; a tenth of the fall upwards.
    EXPECT_EQ(triple(p.velocity), (Triple{0.12f, 0.0125f, 0.16f}));
    EXPECT_EQ(p.position[0], 0.0f) << "the slide starts next frame";
    update(2.0f);
    EXPECT_EQ(p.position[0], 0.12f);
    EXPECT_EQ(p.position[1], 0.0001f + 0.0125f);
}

TEST_F(FireTest, ParticlesAtDepthOneOrNearerAreNotDrawn) {
    makeEmitter(0, 1);
    FireParticle& p = particle(0);
    p.life = 100.0f, p.size = 1.0f;
    setVector(p.position, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(update(1.0f), 0u);
    p.position[2] = 1.5f;
    EXPECT_EQ(update(2.0f), 1u);
}

TEST_F(FireTest, EmittersOfUnknownModesShowNothing) {
    makeEmitter(2, 1);
    particle(0).life = 100.0f;
    setVector(particle(0).position, 0.0f, 0.0f, 10.0f);
    EXPECT_EQ(update(1.0f), 0u);
    EXPECT_EQ(particle(0).age, 0.0f) << "never moved";
}

TEST_F(FireTest, HugeFrameJumpsAndNegativeLivesEndPromptly) {
    makeEmitter(0, 2);
    particle(0).life = 16.0f;
    particle(1).life = -5.0f; // a negative "FireFadeTime"
    fire.endFrame = 1e31f;
    update(1e30f);
    EXPECT_LT(particle(0).age, 16.0f);
    EXPECT_GE(particle(0).age, 0.0f);
    EXPECT_EQ(particle(1).age, 0.0f);

    update(NAN);
    EXPECT_EQ(fire.lastUpdateFrame, 1e30f) << "a frame that is not a number changes nothing";
}

TEST_F(FireTest, GoingBackInTimeSeedsAgainWithNewDrawsAndAdvancesFromFrameZero) {
    resetRandomGenerator();
    fire.particleCount = 3;
    fire.endFrame = 1000000.0f;
    fire.motion.position = Vector3{0.0f, 0.0f, 10.0f};
    fire.initParticles(); // draws 1 .. 21 (seven per particle); the first is 41
    EXPECT_EQ(particle(0).life, 41.0f * 20.0f * (1.0f / 32767.0f) + 20.0f);
    update(10.0f);
    EXPECT_EQ(particle(0).age, 10.0f);

    update(4.0f); // playback went back: seeded again from draw 22, which is 14604
    EXPECT_EQ(particle(0).life, 14604.0f * 20.0f * (1.0f / 32767.0f) + 20.0f);
    EXPECT_EQ(particle(0).age, 4.0f) << "advanced by the whole frame number";
    EXPECT_EQ(fire.lastUpdateFrame, 4.0f);
    resetRandomGenerator();
}
