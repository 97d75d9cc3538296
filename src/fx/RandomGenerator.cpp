#include "fx/RandomGenerator.h"

namespace {

// The generator's whole state (see the header for why it is process-wide).
uint32_t randomState = 1;

} // namespace

int32_t drawRandom() {
    randomState = randomState * 214013u + 2531011u; // unsigned: wraps modulo 2^32
    return static_cast<int32_t>((randomState >> 16) & 0x7FFFu);
}

// n draws are one affine map of the state, s -> A s + C (mod 2^32); the maps of 1, 2, 4 ...
// draws are found by composing the map with itself, and those of the set bits of n
// applied one after the other (powers of one map commute).
void skipRandomDraws(uint64_t count) {
    uint32_t stepMultiplier = 214013u;
    uint32_t stepIncrement = 2531011u;
    uint32_t multiplier = 1u;
    uint32_t increment = 0u;
    for (; count != 0; count >>= 1) {
        if ((count & 1u) != 0) {
            multiplier *= stepMultiplier;
            increment = increment * stepMultiplier + stepIncrement;
        }
        stepIncrement = (stepMultiplier + 1u) * stepIncrement;
        stepMultiplier *= stepMultiplier;
    }
    randomState = multiplier * randomState + increment;
}

void resetRandomGenerator() {
    randomState = 1;
}
