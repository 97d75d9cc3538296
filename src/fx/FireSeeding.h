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

// Most particles one emitter keeps. A scene may ask for any count that is not negative:
// every particle asked for is seeded in turn (it takes its random numbers, so each
// emitter seeded after it gets the particles it gets in the player), but those beyond
// the first kMaxKeptFireParticles - 1 are not kept, and the last kept one is the
// emitter's core. Content uses tens (the bundled demo at most 90); the bound keeps an
// emitter's memory (about 8 MiB) and the per-frame update of its particles bounded.
// What a frame may cost to draw is bounded separately, by screen area (FireEmitter.h).
inline constexpr int32_t kMaxKeptFireParticles = 65536;
