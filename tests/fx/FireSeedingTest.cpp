#include <gtest/gtest.h>

#include <cmath>

#include "fx/FireEmitter.h"
#include "fx/FireSeeding.h"
#include "fx/RandomGenerator.h"

namespace {

class FireSeedingTest : public ::testing::Test {
protected:
    void SetUp() override { resetRandomGenerator(); }
    void TearDown() override { resetRandomGenerator(); }

    // The draw that follows `n` draws of a fresh generator.
    static int32_t drawAfter(int32_t n) {
        resetRandomGenerator();
        for (int32_t i = 0; i < n; ++i) {
            drawRandom();
        }
        return drawRandom();
    }
};

} // namespace

TEST_F(FireSeedingTest, TheFirstParticleTakesTheFirstDraws) {
    FireEmitter fire;
    fire.particleCount = 3;
    fire.width = 2.0f;
    fire.height = 5.0f;
    fire.motion.position = Vector3{1.0f, 2.0f, 3.0f};
    fire.initParticles();
    ASSERT_NE(fire.particles, nullptr);
    EXPECT_EQ(fire.baseDirection[1], 1.0f);
    // Draws 41, 18467, 6334, 26500, 19169, then the offset's: life from the first, the
    // jitter from the next three, the size rate from the fifth.
    const FireParticle& p = fire.particles[0];
    const float life = static_cast<float>(41 * 20) * (1.0f / 32767.0f) + 20.0f;
    EXPECT_EQ(p.life, life);
    EXPECT_EQ(p.jitter[0], 0.2f - 18467.0f * 0.4f / 32767.0f);
    EXPECT_EQ(p.jitter[2], 0.2f - 26500.0f * 0.4f / 32767.0f);
    EXPECT_EQ(p.sizeRate, (19169.0f / 32767.0f - 1.0f) * 2.0f / life);
    EXPECT_EQ(p.offset[0], (0.1f - static_cast<float>(drawAfter(5)) * 0.2f / 32767.0f) * 2.0f);
    EXPECT_EQ(p.position[0], 1.0f + p.offset[0]);
}

TEST_F(FireSeedingTest, ModesDrawSevenOrEightTimesPerParticleAndSeedingAgainDrawsOn) {
    FireEmitter rising;
    rising.particleCount = 4;
    rising.initParticles();
    const int32_t afterRising = drawRandom();
    EXPECT_EQ(afterRising, drawAfter(4 * 7));

    resetRandomGenerator();
    FireEmitter falling;
    falling.fireMode = 1;
    falling.particleCount = 4;
    falling.initParticles();
    EXPECT_EQ(falling.baseDirection[1], -1.0f);
    EXPECT_EQ(falling.particles[0].sizeRate, 2.0f * 1.0f / falling.particles[0].life);
    const float firstLife = falling.particles[0].life;
    const int32_t afterFalling = drawRandom();
    EXPECT_EQ(afterFalling, drawAfter(4 * 8));

    falling.initParticles(); // seeded again: new values
    EXPECT_NE(falling.particles[0].life, firstLife);
}

TEST_F(FireSeedingTest, TheLastParticleIsAFixedCore) {
    FireEmitter fire;
    fire.particleCount = 5;
    fire.motion.position = Vector3{4.0f, 5.0f, 6.0f};
    fire.initParticles();
    const FireParticle& core = fire.particles[4];
    EXPECT_EQ(core.life, 0.0f);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(core.offset[c], 0.0f);
        EXPECT_EQ(core.jitter[c], 0.0f);
    }
    EXPECT_NE(core.velocity[1], 0.0f); // computed from its drawn life, then left
    EXPECT_EQ(core.startSize, 1.0f);
}

TEST_F(FireSeedingTest, AFadeTimeOfZeroLeavesNoInfiniteRates) {
    FireEmitter fire;
    fire.particleCount = 8;
    fire.fadeTime = 0;
    fire.initParticles();
    for (int32_t i = 0; i < fire.particleCount; ++i) {
        const FireParticle& p = fire.particles[i];
        EXPECT_EQ(p.life, 0.0f);
        EXPECT_TRUE(std::isfinite(p.velocity[1]) && std::isfinite(p.sizeRate) &&
                    std::isfinite(p.alphaRate) && std::isfinite(p.colorRate[0]));
    }
}

TEST_F(FireSeedingTest, SkippingDrawsLeavesTheStateThatDrawingThemLeaves) {
    for (const uint64_t n : {0u, 1u, 2u, 7u, 12345u, 1000000u}) {
        resetRandomGenerator();
        skipRandomDraws(n);
        const int32_t next = drawRandom();
        EXPECT_EQ(next, drawAfter(static_cast<int32_t>(n))) << n;
    }
    resetRandomGenerator();
    skipRandomDraws(uint64_t{1} << 32); // the generator's period
    EXPECT_EQ(drawRandom(), 41);
}

TEST_F(FireSeedingTest, EveryParticleAskedForDrawsButOnlySomeAreKept) {
    FireEmitter none;
    none.particleCount = -3;
    none.initParticles();
    EXPECT_EQ(none.particles, nullptr);
    EXPECT_EQ(none.particlesKept, 0);
    EXPECT_EQ(drawRandom(), 41) << "nothing was drawn";

    resetRandomGenerator();
    FireEmitter many;
    many.particleCount = kMaxKeptFireParticles + 1000;
    many.initParticles();
    ASSERT_EQ(many.particlesKept, kMaxKeptFireParticles);
    EXPECT_EQ(many.particleCount, kMaxKeptFireParticles + 1000);
    EXPECT_EQ(many.particles[0].life, static_cast<float>(41 * 20) * (1.0f / 32767.0f) + 20.0f);
    EXPECT_EQ(many.particles[kMaxKeptFireParticles - 1].life, 0.0f) << "the core";
    const int32_t next = drawRandom();
    EXPECT_EQ(next, drawAfter((kMaxKeptFireParticles + 1000) * 7));
}

// Seeded like the others without the size draw, so the fires after it keep their draws.
TEST_F(FireSeedingTest, OtherModesAreSeededWithoutASizeDraw) {
    FireEmitter fire;
    fire.fireMode = 2;
    fire.particleCount = 3;
    fire.fadeTime = 20;
    fire.width = 2.0f;
    fire.initParticles();
    ASSERT_EQ(fire.particlesKept, 3);
    EXPECT_EQ(fire.particles[0].life, static_cast<float>(41 * 20) * (1.0f / 32767.0f) + 20.0f);
    EXPECT_EQ(fire.particles[0].size, 2.0f);
    EXPECT_EQ(fire.particles[0].sizeRate, 0.0f);
    EXPECT_EQ(fire.baseDirection[1], 0.0f);
    const int32_t next = drawRandom();
    EXPECT_EQ(next, drawAfter(3 * 6));
}
