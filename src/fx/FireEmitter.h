// FireEmitter: a particle fire declared in a scene file ("AddFire" and the Fire*
// keywords). Mode 0 rises from the emitter; mode 1 falls and slides outwards on the
// ground plane y = 0. Frames are scene frames; colours 0..255.
//
// Call order: the scene reader evaluates the emitter's motion at frame 0 and calls
// initParticles(); each frame the renderer updates the motion and then calls
// updateAndDraw() after all objects are drawn.
#pragma once

#include <cstdint>
#include <memory>

#include "anim/Motion.h"
#include "fx/FireParticle.h"

// Most screen area the sprites of one emitter may cover in one frame, in whole screens:
// each sprite counts the part of its bounding square that lies on the screen, and a
// sprite that would take its emitter past the bound is left out of that frame (the
// particle itself lives on). A board of the classic player's time filled about five
// screens per frame at 30 frames per second for the whole picture, so fires it could
// show never come near the bound (the bundled demo's cover at most 1.5 screens); it
// keeps a frame of ten emitters within 160 screens of fire, however many particles
// they hold or however near the camera they burn. The bound is in screens, not pixels,
// so the picture does not depend on the output size.
inline constexpr float kFireScreensPerFrame = 16.0f;

struct Matrix4;
struct SceneCamera;
struct TextureTable;

struct FireEmitter {
    Motion motion;                             // "FireMotion": the emitter's world position
    int32_t fireMode = 0;                      // 0 rising flames, 1 falling particles
    float width = 1.0f;                        // spawn spread and start size
    float height = 1.0f;                       // distance a particle travels in one life
    float lastUpdateFrame = 0.0f;              // frame of the previous update
    float startFrame = 0.0f;                   // particles are drawn only at frames after it
    float endFrame = 0.0f;                     // from this frame on, expiring particles die
    float baseDirection[3] = {};               // (0, 1, 0) in mode 0, (0, -1, 0) in mode 1
    std::unique_ptr<FireParticle[]> particles; // particlesKept of them
    int32_t particleCount = 40;                // as the scene asks ("FireParts", "AddFire")
    int32_t particlesKept = 0; // ours: particleCount up to kMaxKeptFireParticles (fx/FireSeeding.h)
    int32_t texture = 0;       // index in the scene's TextureTable
    int32_t fadeTime = 20;     // shortest life, frames
    float color[3] = {255.0f, 255.0f, 255.0f};
    float colorFade[3] = {1.0f, 1.0f, 1.0f}; // 1 fades a channel to 0.1 over a life, 0 keeps it

    // Ours, for the renderer's counters: sprites of the last updateAndDraw() drawn, and
    // left out because they would have taken the emitter past kFireScreensPerFrame.
    int32_t spritesDrawn = 0;
    int32_t spritesOverBudget = 0;

    void initParticles();
    void updateAndDraw(const Matrix4& viewRotation, const SceneCamera& camera,
                       TextureTable& textures, float frame);
};
