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

// Most particles one emitter may hold. Content uses tens (the bundled demo at most 90);
// the bound keeps a scene file from making the player allocate or draw without limit
// (the reader refuses larger counts). Drawing is the tighter bound: every particle is a
// textured square that may fill the screen, so one frame may cost up to 10 emitters x
// this many x the screen's pixels. At 65536, a fire of 20 bytes near the camera took
// over three minutes for one 640 x 480 frame; at 1024 ten such fires take seconds.
inline constexpr int32_t kFireParticleLimit = 1024;
