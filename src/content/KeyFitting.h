// fitVersionOneKeys: a later scene's own keys, written as version-1 keys where their
// shapes allow it, so that a converted scene keeps keys a person can edit instead of one
// key per frame.
//
// Version-1 keys share their frames over all channels and know two shapes: the
// Kochanek-Bartels spline (tension, continuity, bias) and straight segments. So a track
// can be written this way when every animated channel has its keys at the same whole
// frames, all of them TCB or linear with the same tension, continuity and bias, and the
// behaviours before and after the keys hold the end values (or the keys span the played
// frames). Two things of the version-1 evaluation differ and are made up for:
//   - it gives end keys the tangent (a + b)·d/2 where later versions give b·d (first
//     key) or a·d (last key): the end key's tension is chosen to give the same tangent;
//   - it has no behaviours: a held value becomes one more key (a straight segment) at
//     frame 0 or at the last frame, and the bias of the key next to it is chosen so that
//     its tangent on the curve's side stays what it was.
//
// Usage:
//   const ChannelEnvelope* channels[9] = {...};     // nullptr or no keys: constant
//   FittedKeys fitted;
//   if (fitVersionOneKeys(channels, constants, scales, 9, timing, fitted)) ... fitted.keys
//
// The caller checks the result against the track baked frame by frame before using it.
#pragma once

#include <cstdint>
#include <memory>

#include "anim/Motion.h"
#include "content/ChannelEnvelope.h"

struct KeyTiming {
    double framesPerSecond = 30.0;
    int32_t origin = 0;    // the scene frame that the player's frame 0 shows
    int32_t lastFrame = 0; // the player's last frame
};

struct FittedKeys {
    std::unique_ptr<MotionKey[]> keys;
    int32_t keyCount = 0;
};

// channels[c]: the channel's envelope (nullptr or without keys for a constant, whose
// value is constants[c]); values are multiplied by scales[c] into the player's units.
// Returns 1 with the keys, 0 when the channels cannot be written as version-1 keys.
int32_t fitVersionOneKeys(const ChannelEnvelope* const* channels, const double* constants,
                          const double* scales, int32_t channelCount, const KeyTiming& timing,
                          FittedKeys& fitted);
