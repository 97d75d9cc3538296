// FireEmitter::initParticles.
//
// Why it is written this way:
//   - The order of the generator draws is part of the result: every particle takes its
//     life, its three jitters, (mode 0) one size draw or (mode 1) two unused draws, then
//     its two offsets, in that order. An emitter of any other mode is seeded all the same
//     (no size draw, no base direction, no size change): its sprites stand still, and
//     the fires after it keep their places in the sequence. The emitters of a whole demo share one
//     sequence, so one extra or missing draw changes every fire seeded after it.
//   - The arithmetic is single precision in the written order; "R × fadeTime × (1/32767)"
//     multiplies by the float reciprocal, which rounds differently from a division.
//     R × fadeTime is formed in 64 bits: exact for every int32 fade time (the product of
//     two ints would overflow for fade times above 65537).
//   - A life of 0 (a fade time of 0) has no rates: they are left at 0 instead of the
//     infinities and NaNs a division by zero would store. Such a particle never lives
//     (its age is never below 0), so no rate is ever applied.
//   - Only the first kMaxKeptFireParticles particles are kept (the last kept one
//     becomes the core), but the generator always moves on by the draws of every
//     particle asked for, so what emitters seeded later get never depends on the bound.
//     The particles not kept take no time: their draws are skipped in one jump.
//   - The array is replaced, never grown, and particlesKept says how long it is: a
//     negative count, or an array that cannot be allocated, keeps none, so nothing can
//     index past it. particleCount stays as the scene gave it, for the next seeding.
#include "fx/FireEmitter.h"

#include <new>

#include "fx/FireSeeding.h"
#include "fx/RandomGenerator.h"

namespace {

constexpr float kRandomScale = 32767.0f;
constexpr float kReciprocalRandomScale = 1.0f / 32767.0f;

float drawFloat() {
    return static_cast<float>(drawRandom());
}

// Random draws one particle takes when it is seeded: 7 in mode 0, 8 in mode 1, 6 in
// other modes.
int32_t drawsPerParticle(int32_t fireMode) {
    return fireMode == 0 ? 7 : (fireMode == 1 ? 8 : 6);
}

} // namespace

void FireEmitter::initParticles() {
    particles.reset();
    particlesKept = 0;
    if (particleCount <= 0) {
        return;
    }
    const int32_t kept =
        particleCount < kMaxKeptFireParticles ? particleCount : kMaxKeptFireParticles;
    const uint64_t draws = static_cast<uint64_t>(drawsPerParticle(fireMode));
    const uint64_t drawsNotKept = static_cast<uint64_t>(particleCount - kept) * draws;
    particles.reset(new (std::nothrow) FireParticle[kept]);
    if (particles == nullptr) {
        skipRandomDraws(static_cast<uint64_t>(particleCount) * draws);
        return;
    }
    particlesKept = kept;
    if (fireMode == 0) {
        baseDirection[0] = 0.0f, baseDirection[1] = 1.0f, baseDirection[2] = 0.0f;
    } else if (fireMode == 1) {
        baseDirection[0] = 0.0f, baseDirection[1] = -1.0f, baseDirection[2] = 0.0f;
    }

    const float fade = static_cast<float>(fadeTime);
    for (int32_t i = 0; i < kept; ++i) {
        FireParticle& p = particles[i];
        const int64_t scaledDraw = static_cast<int64_t>(drawRandom()) * fadeTime;
        p.life = static_cast<float>(scaledDraw) * kReciprocalRandomScale + fade;
        p.age = 0.0f;
        for (float& jitter : p.jitter) {
            jitter = 0.2f - drawFloat() * 0.4f / kRandomScale;
        }
        const bool lives = p.life != 0.0f;
        for (int c = 0; c < 3; ++c) {
            p.velocity[c] = lives ? ((p.jitter[c] + baseDirection[c]) / p.life) * height : 0.0f;
        }
        p.startSize = width;
        p.size = p.startSize;
        if (fireMode == 0) {
            const float shrink = (drawFloat() / kRandomScale - 1.0f) * p.startSize;
            p.sizeRate = lives ? shrink / p.life : 0.0f;
        } else if (fireMode == 1) {
            drawRandom(); // two draws whose values mode 1 does not use
            drawRandom();
            p.sizeRate = lives ? 2.0f * p.startSize / p.life : 0.0f;
        }
        p.offset[0] = (0.1f - drawFloat() * 0.2f / kRandomScale) * width;
        p.offset[1] = 0.0f;
        p.offset[2] = (0.1f - drawFloat() * 0.2f / kRandomScale) * width;
        p.position[0] = motion.position.x + p.offset[0];
        p.position[1] = motion.position.y + p.offset[1];
        p.position[2] = motion.position.z + p.offset[2];
        p.startAlpha = 255.0f;
        p.alpha = 255.0f;
        p.alphaRate = lives ? -254.0f / p.life : 0.0f;
        for (int c = 0; c < 3; ++c) {
            p.startColor[c] = color[c];
            p.color[c] = color[c];
            p.colorRate[c] = lives ? -((color[c] - 0.1f) / p.life) * colorFade[c] : 0.0f;
        }
        p.isDead = 0;
    }

    skipRandomDraws(drawsNotKept);

    // The core: a particle that never moves and is respawned at the emitter every frame.
    FireParticle& core = particles[kept - 1];
    core.life = 0.0f;
    for (int c = 0; c < 3; ++c) {
        core.offset[c] = 0.0f;
        core.jitter[c] = 0.0f;
    }
}
