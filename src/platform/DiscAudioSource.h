// DiscAudioSource: CD audio as it comes off the disc, from the start of a track to the
// end of the disc: interleaved stereo int16 samples at 44.1 kHz.
//
// Sources: DiscImageAudio (a cue sheet's files) and, in desktop/, CdDriveAudio (a
// physical drive). The audio output pulls from a source on its own thread; a source is
// used by one thread at a time.
#pragma once

#include <cstdint>

class DiscAudioSource {
public:
    virtual ~DiscAudioSource() = default;
    // Fills up to `frames` stereo sample frames (2 int16 each). Returns the number
    // filled; fewer than asked only at the end of the disc (or on a read error, which
    // ends the audio the same way).
    virtual int64_t read(int16_t* samples, int64_t frames) = 0;
};
