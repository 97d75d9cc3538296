// Motion and envelope blocks of a scene file.
//
// readMotion is called after a motion keyword ("ObjectMotion", "LightMotion",
// "CameraMotion", "FireMotion"); readEnvelope after a value written as "(envelope)".
// Both read from the scene's tokenizer and return 1, or 0 after a failure that ends the
// load (the tokenizer's failure() says why).
//
// Motion block: a name (discarded), the channel count, the key count, then per key nine
// reals (x, y, z, heading, pitch, bank, scale x, y, z), the integer frame and linear
// flag, and the reals tension, continuity and bias.
//   - A channel count other than 9, or a key count below 1, reads nothing more and leaves
//     the Motion as it was; the numbers that follow are then read as words.
//   - One key: the constants are read into position, heading/pitch/bank and scale; the
//     key's frame and spline values are left to be read as words.
//   - Two or more keys: read into a new key array; the three IsConstant flags tell which
//     groups stay the same across all keys. A motion constant in all three groups keeps
//     the first key's values in its fields and releases the keys.
//
// Envelope block: the channel count (1 to 9), the key count, then per key the channel
// values, the frame, the linear flag, tension, continuity and bias. A key count below 1
// reads no keys and leaves the envelope empty (keyCount 0): the caller then keeps the
// value constant.
//
// Refused (the load fails): an envelope channel count outside 1..9, a key count larger
// than the rest of the file could hold (every number takes at least two bytes), memory
// that cannot be had. So no block can make the reader allocate more than a few times
// the size of its file.
#pragma once

#include <cstdint>

#include "anim/Motion.h"

class SceneTokenizer;

int32_t readMotion(SceneTokenizer& in, Motion& motion);
int32_t readEnvelope(SceneTokenizer& in, Envelope& envelope);
