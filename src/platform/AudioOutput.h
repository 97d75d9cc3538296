// AudioOutput: the sound card, playing one DiscAudioSource (44.1 kHz stereo int16) at a
// time.
//
// start() takes the source, begins playing and returns at once; the output pulls from
// the source on a thread of its own (file reads happen there, never on the frame loop's
// thread) and plays silence once the source is exhausted. stop() ends the playing, waits
// until that thread has left the source and destroys it. Outputs:
//   SdlAudioOutput      SDL2 audio (desktop/)
//   WaveOutAudioOutput  the system's wave output, waveOut (win32/)
#pragma once

#include <cstdint>
#include <memory>

#include "platform/DiscAudioSource.h"

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Returns 1 when playing, 0 when no audio device could be opened (reason on stderr).
    virtual int32_t start(std::unique_ptr<DiscAudioSource> source) = 0;
    virtual void stop() = 0;
};
