// SdlAudioOutput: plays a DiscAudioSource through the sound card with SDL2 audio.
//
// start() opens the audio device for 44.1 kHz stereo int16 and returns at once; SDL's
// audio thread pulls from the source (file reads happen there, never on the frame loop's
// thread) and plays silence once the source is exhausted. stop() closes the device and
// waits for that thread to leave the source; the source is then destroyed.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "platform/DiscAudioSource.h"

class SdlAudioOutput {
public:
    SdlAudioOutput() = default;
    ~SdlAudioOutput() { stop(); }
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    // Returns 1 when playing, 0 when no audio device could be opened (reason on stderr).
    int32_t start(std::unique_ptr<DiscAudioSource> source);
    void stop();
    int32_t isPlaying() const { return device_ != 0; }

private:
    static void fill(void* self, Uint8* stream, int bytes);

    std::unique_ptr<DiscAudioSource> source_;
    SDL_AudioDeviceID device_ = 0;
    int32_t subsystemStarted_ = 0;
    int32_t exhausted_ = 0; // touched only by the audio thread while playing
};
