// FireParticle: one sprite of a fire emitter. Positions are world units, rates are per
// frame, colours 0..255.
#pragma once

#include <cstdint>

struct FireParticle {
    float offset[3] = {};       // spawn position relative to the emitter; y is always 0
    float position[3] = {};     // world position
    float viewPosition[3] = {}; // camera-space position, computed when drawn
    float velocity[3] = {};     // world units per frame
    float jitter[3] = {};       // random direction offset, each in [-0.2, 0.2]
    float startColor[3] = {};   // the emitter's colour at seeding
    float color[3] = {};        // current colour, 0..255
    float colorRate[3] = {};    // colour change per frame
    float startSize = 0.0f;     // the emitter's width at seeding
    float size = 0.0f;          // distance from the sprite's centre to each corner
    float sizeRate = 0.0f;      // per frame
    float startAlpha = 0.0f;    // 255
    float alpha = 0.0f;
    float alphaRate = 0.0f; // per frame
    float life = 0.0f;      // frames from spawn to respawn
    float age = 0.0f;       // frames since the last spawn
    int32_t isDead = 0;     // 1 once expired at or after the emitter's endFrame
};
