#include "fx/RandomGenerator.h"

namespace {

// The generator's whole state (see the header for why it is process-wide).
uint32_t randomState = 1;

} // namespace

int32_t drawRandom() {
    randomState = randomState * 214013u + 2531011u; // unsigned: wraps modulo 2^32
    return static_cast<int32_t>((randomState >> 16) & 0x7FFFu);
}

void resetRandomGenerator() {
    randomState = 1;
}
