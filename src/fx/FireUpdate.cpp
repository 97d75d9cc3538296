// The fire's per-frame update and drawing: FireEmitter::updateAndDraw.
//
// Particles live in frame time: each frame advances them by the frames elapsed since
// the emitter's previous update (fractional), so the fire burns at the same speed
// whatever the display rate. A particle flies in a straight line for its life, fading
// its colour towards 0.1 by colorFade and changing size, then respawns at its spawn
// point with the remainder of its age carried over; from endFrame on, particles that
// reach the end of their life die instead. Mode 1 particles fall and, on reaching the
// ground plane y = 0, bounce up at a tenth of their speed and slide outwards along
// their jitter. The last particle of an emitter (life 0) is its fixed core.
//
// Each living particle is a camera-facing square of half-diagonal `size`, textured
// and added to the picture (additive, depth-tested, no depth writes); the square's
// rotation follows the emitter's x position. Particles at camera depth 1.0 or nearer
// are skipped, not clipped; the accelerator's clipping draw trims the rest to the
// screen. The vertex alpha is not read by the additive blend: a particle fades only
// through its colour. What one emitter draws in a frame is bounded by screen area
// (kFireScreensPerFrame): a sprite whose on-screen part would take the emitter past it
// is left out of that frame, so a fire of any size near the camera costs a bounded fill.
//
// What this adds to guard against bad content (results are otherwise exactly as the
// arithmetic below): a frame that is not a number leaves the emitter untouched; the
// respawn's age remainder is found by at most kMaxLifeSubtractions subtractions and
// then by a remainder operation, and a life that is negative or not a number restarts
// the age at 0, so a huge frame jump or a negative "FireFadeTime" cannot loop without
// end; a particle sliding with no horizontal jitter stays put instead of getting an
// infinite speed. Particles of modes other than 0 and 1 neither move, fade nor respawn:
// they are drawn where they were seeded.
#include <cmath>

#include "accel/Accelerator.h"
#include "app/ProcessState.h"
#include "fx/FireEmitter.h"
#include "math/Matrix4.h"
#include "player/SceneCamera.h"
#include "render/CameraView.h"
#include "render/ScreenSnap.h"
#include "texture/TextureTable.h"

namespace {

constexpr float kNearestParticleDepth = 1.0f;
constexpr float kGroundClearance = 0.0001f;
constexpr int32_t kMaxLifeSubtractions = 1024;

float clampToUnit(float v) {
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; // not a number: 0
}

// Fraction of the screen covered by the box around four points in unit screen
// coordinates, clipped to the screen.
float screenShare(const float (&x)[4], const float (&y)[4]) {
    float left = x[0], right = x[0], bottom = y[0], top = y[0];
    for (int k = 1; k < 4; ++k) {
        left = x[k] < left ? x[k] : left;
        right = x[k] > right ? x[k] : right;
        bottom = y[k] < bottom ? y[k] : bottom;
        top = y[k] > top ? y[k] : top;
    }
    return (clampToUnit(right) - clampToUnit(left)) * (clampToUnit(top) - clampToUnit(bottom));
}

void setFireStates() {
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                   GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_CONSTANT, FXFALSE);
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO,
                 GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, FXFALSE, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);
    grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP);
    grDepthMask(FXFALSE);
}

// Age left over after whole lives have passed (life > 0).
float carriedAge(float age, float life) {
    for (int32_t i = 0; i < kMaxLifeSubtractions; ++i) {
        if (age < life) {
            return age;
        }
        age -= life;
    }
    const float rest = std::fmod(age, life);
    return std::isfinite(rest) ? rest : 0.0f;
}

// One step of dt frames (its age already advanced) for a particle of mode 0 or 1:
// flight, death from endFrame on, or respawn at the emitter.
void advanceParticle(const FireEmitter& fire, FireParticle& p, float dt, float frame) {
    if (p.age < p.life) {
        for (int c = 0; c < 3; ++c) {
            p.color[c] += p.colorRate[c] * dt;
            p.position[c] += p.velocity[c] * dt;
        }
        if (fire.fireMode == 1 && p.position[1] <= 0.0f) {
            const float r = std::sqrt(p.jitter[0] * p.jitter[0] + p.jitter[2] * p.jitter[2]);
            if (r > 0.0f) {
                p.velocity[0] = (-fire.baseDirection[1] * p.jitter[0]) / (p.life * r) * fire.height;
                p.velocity[2] = (-fire.baseDirection[1] * p.jitter[2]) / (p.life * r) * fire.height;
            } else {
                p.velocity[0] = 0.0f;
                p.velocity[2] = 0.0f;
            }
            p.velocity[1] = -(p.velocity[1] * 0.1f);
            p.position[1] = kGroundClearance;
        }
        p.alpha += p.alphaRate * dt;
        p.size += p.sizeRate * dt;
        if (p.alpha < 0.0f) {
            p.alpha = 0.0f;
        }
        for (float& c : p.color) {
            if (c < 0.0f) {
                c = 0.0f;
            }
        }
    } else if (fire.endFrame <= frame) {
        p.isDead = 1;
    } else {
        p.isDead = 0;
        p.age = p.life > 0.0f ? carriedAge(p.age, p.life) : 0.0f;
        const float spawn[3] = {fire.motion.position.x, fire.motion.position.y,
                                fire.motion.position.z};
        for (int c = 0; c < 3; ++c) {
            p.position[c] = spawn[c] + p.offset[c];
            p.color[c] = fire.startFrame < frame ? p.startColor[c] : 0.0f;
            p.velocity[c] = ((p.jitter[c] + fire.baseDirection[c]) / p.life) * fire.height;
        }
        p.size = p.startSize;
        p.alpha = p.startAlpha;
    }
}

} // namespace

void FireEmitter::updateAndDraw(const Matrix4& viewRotation, const SceneCamera& camera,
                                TextureTable& textures, float frame) {
    textures.selectTexture(texture);
    const float theta =
        static_cast<float>(static_cast<double>(motion.position.x) * kQuarterTurn + kHalfTurn);
    float corner[4][2];
    for (int k = 0; k < 4; ++k) {
        const float angle = static_cast<float>(static_cast<double>(theta) + k * kQuarterTurn);
        corner[k][0] = static_cast<float>(std::cos(static_cast<double>(angle)));
        corner[k][1] = static_cast<float>(std::sin(static_cast<double>(angle)));
    }
    setFireStates();
    if (std::isnan(frame)) {
        return;
    }

    if (frame < lastUpdateFrame) { // playback went back: seed again
        lastUpdateFrame = 0.0f;
        initParticles();
    }
    const float dt = frame - lastUpdateFrame;
    lastUpdateFrame = frame;
    spritesDrawn = 0;
    spritesOverBudget = 0;
    if (particles == nullptr) {
        return;
    }
    const bool moves = fireMode == 0 || fireMode == 1;

    const float zoom = usableZoomFactor(camera.zoomFactor);
    const float screenWidth = static_cast<float>(demoSettings.screenWidth);
    const float screenHeight = static_cast<float>(demoSettings.screenHeight);
    const Vector3& eye = camera.motion.position;
    const float* m = viewRotation.m;
    float screensCovered = 0.0f;

    for (int32_t i = 0; i < particlesKept; ++i) {
        FireParticle& p = particles[i];
        p.age += dt;
        if (moves) {
            advanceParticle(*this, p, dt, frame);
        }

        if (!(startFrame < frame) || p.isDead != 0) {
            continue;
        }
        const float d[3] = {p.position[0] - eye.x, p.position[1] - eye.y, p.position[2] - eye.z};
        p.viewPosition[0] = d[0] * m[0] + d[1] * m[4] + d[2] * m[8];
        p.viewPosition[1] = d[0] * m[1] + d[1] * m[5] + d[2] * m[9];
        p.viewPosition[2] = d[0] * m[2] + d[1] * m[6] + d[2] * m[10];
        if (!(p.viewPosition[2] > kNearestParticleDepth)) {
            continue;
        }
        const float q = 1.0f / p.viewPosition[2];
        float unitX[4];
        float unitY[4];
        for (int k = 0; k < 4; ++k) {
            const float cx = p.size * corner[k][0] + p.viewPosition[0];
            const float cy = corner[k][1] * p.size + p.viewPosition[1];
            unitX[k] = ((cx * zoom * q) + 1.0f) * 0.5f;
            unitY[k] = ((cy * zoom * q * kScreenAspect) + 1.0f) * 0.5f;
        }
        const float share = screenShare(unitX, unitY);
        if (screensCovered + share > kFireScreensPerFrame) {
            ++spritesOverBudget;
            continue;
        }
        screensCovered += share;
        static constexpr float kTexel[4][2] = {{0, 0}, {0, 256}, {256, 256}, {256, 0}};
        GrVertex v[4];
        for (int k = 0; k < 4; ++k) {
            GrVertex& g = v[k];
            g.x = truncateToSixteenth(unitX[k] * screenWidth);
            g.y = truncateToSixteenth(unitY[k] * screenHeight);
            g.z = p.viewPosition[2];
            g.r = p.color[0], g.g = p.color[1], g.b = p.color[2];
            g.a = p.alpha;
            g.ooz = 65535.0f * q;
            g.oow = q;
            g.tmuvtx[0].oow = q;
            g.tmuvtx[0].sow = kTexel[k][0] * q;
            g.tmuvtx[0].tow = kTexel[k][1] * q;
        }
        guDrawTriangleWithClip(&v[0], &v[1], &v[2]);
        guDrawTriangleWithClip(&v[0], &v[2], &v[3]);
        ++spritesDrawn;
    }
}
