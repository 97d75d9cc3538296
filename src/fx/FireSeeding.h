// Seeding of a fire emitter's particles: FireEmitter::initParticles (declared on the
// record in fx/FireEmitter.h).
//
// Call order: the scene reader, once the whole file is read, evaluates each emitter's
// motion at frame 0 and calls initParticles(); the fire's per-frame update calls it again
// when playback goes back in time. Every call draws on the program's one generator
// (fx/RandomGenerator.h), so a second seeding gives new particles.
//
// What it does not do: move or draw particles (that is the per-frame update).
#pragma once

#include <cstdint>

// Most particles one emitter may hold. Content uses tens; the bound keeps a scene file
// from making the player allocate without limit (the reader refuses larger counts).
inline constexpr int32_t kFireParticleLimit = 65536;
