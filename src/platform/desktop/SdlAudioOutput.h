// SdlAudioOutput: the AudioOutput of the desktop player, SDL2 audio.
//
// start() opens the audio device for 44.1 kHz stereo int16; SDL's audio thread pulls
// from the source. stop() closes the device, which waits for that thread to leave the
// source.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "platform/AudioOutput.h"

class SdlAudioOutput : public AudioOutput {
public:
    SdlAudioOutput() = default;
    ~SdlAudioOutput() override { stop(); }
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    int32_t start(std::unique_ptr<DiscAudioSource> source) override;
    void stop() override;
    int32_t isPlaying() const { return device_ != 0; }

private:
    static void fill(void* self, Uint8* stream, int bytes);

    std::unique_ptr<DiscAudioSource> source_;
    SDL_AudioDeviceID device_ = 0;
    int32_t subsystemStarted_ = 0;
    int32_t exhausted_ = 0; // touched only by the audio thread while playing
};
