// Evaluation of key tracks: the Kochanek-Bartels (tension, continuity, bias) Hermite
// spline with tangents scaled for unevenly spaced keys, per-key straight segments and
// time wrap. Every animated value of a scene goes through evaluateEnvelope().
//
// All arithmetic is double precision, in a fixed order, so that a track always yields
// the same bits on every machine the player runs on.
#pragma once

#include <cstdint>

#include "anim/Motion.h"

struct HermiteBasis {
    double h1 = 0.0; // weight of the segment's start value
    double h2 = 0.0; // weight of the end value
    double h3 = 0.0; // weight of the outgoing tangent at the start
    double h4 = 0.0; // weight of the incoming tangent at the end
};

HermiteBasis hermiteBasis(double t);

// Evaluates `channelCount` channels (at most 9; more are cut to 9, none writes nothing) of
// keys[0 .. keyCount) at `time` frames into output[0 .. channelCount).
//
// Tracks that real content never holds give defined results instead of faults: no keys
// give zeros; a track whose last key lies at frame 0 or below does not wrap; two keys on
// one frame give the later key's values; a non-finite time does not wrap.
void evaluateEnvelope(const MotionKey* keys, int32_t keyCount, double time, int32_t channelCount,
                      double* output);

inline void evaluateEnvelope(const Envelope& envelope, double time, int32_t channelCount,
                             double* output) {
    evaluateEnvelope(envelope.keys.get(), envelope.keyCount, time, channelCount, output);
}
