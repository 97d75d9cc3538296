// KeyTrackBuilder: values given frame by frame become a version-1 key track that the
// player's own evaluation (anim/Envelope.h) gives back exactly at every whole frame.
//
// Every key is linear (the segment that ends at it is a straight line), so between two
// whole frames the player moves in a straight line, and at a whole frame it lands on the
// value given for that frame. A key whose values equal both its neighbours' adds nothing
// and is left out: a value that holds still costs two keys however long it holds.
//
// Usage:
//   KeyBudget budget{2000000};                 // shared by every track of a scene
//   KeyTrackBuilder track(9, budget);
//   for (frame 0 .. last) track.append(frame, values);   // values[0 .. channelCount)
//   track.finish(motion);   or   track.finish(envelope, value, isConstant);
//
// Values are stored as single-precision numbers (as the player's records hold them and
// as a scene file's text gives them back). append() returns 0 when the budget or the
// memory runs out; the track is then unusable.
#pragma once

#include <cstdint>
#include <memory>

#include "anim/Motion.h"

struct KeyBudget {
    int64_t remaining = 0; // keys that may still be made, over all tracks
};

class KeyTrackBuilder {
public:
    KeyTrackBuilder(int32_t channelCount, KeyBudget& budget);

    int32_t append(int32_t frame, const double* values);

    // Channels 0..2, 3..5 and 6..8 that never changed are constant groups.
    bool channelsConstant(int32_t first, int32_t count) const;
    int32_t keyCount() const { return count_; }
    const MotionKey* keys() const { return keys_.get(); }

    // Puts other keys in place of those made frame by frame (keys that give the same
    // values at every whole frame, fewer of them).
    void replaceKeys(std::unique_ptr<MotionKey[]> keys, int32_t count);

    // A motion: constants when all nine channels held still, else the keys and which
    // groups held still.
    void finish(Motion& motion);
    // An envelope: `value` and isConstant = 1 when the value held still, else the keys.
    void finish(Envelope& envelope, float& value, int32_t& isConstant);

private:
    bool sameValues(const MotionKey& a, const double* values) const;

    int32_t channelCount_;
    KeyBudget& budget_;
    std::unique_ptr<MotionKey[]> keys_;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    uint32_t changed_ = 0; // bit c: channel c differed from frame 0 at some frame
};
