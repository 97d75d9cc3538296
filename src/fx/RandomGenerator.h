// The program's one pseudo-random generator.
//
// Only the fire effect draws from it. Its state is process-wide by design: it starts at
// 1 when the process starts and is never reseeded, so the emitters of all five scenes,
// seeded one after the other while the scenes are read, continue one sequence, and an
// emitter seeded again later draws on from wherever the sequence has got to.
//
// Each draw: state = state × 214013 + 2531011 (mod 2^32); result (state >> 16) & 0x7FFF,
// 0 .. kRandomMaximum. The first draws of a process are 41, 18467, 6334, 26500, 19169.
#pragma once

#include <cstdint>

inline constexpr int32_t kRandomMaximum = 32767;

int32_t drawRandom();

// Moves the generator on by `count` draws whose values nobody needs, in at most 64 steps
// whatever the count: the state after it is the one `count` calls of drawRandom() leave.
void skipRandomDraws(uint64_t count);

// Puts the generator back into its start-up state. Only for tests and tools that load
// scenes more than once in one process and need the sequence a fresh player would see;
// the player itself never calls it.
void resetRandomGenerator();
