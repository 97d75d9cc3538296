#include "platform/desktop/SdlAudioOutput.h"

#include <cstdio>
#include <cstring>

int32_t SdlAudioOutput::start(std::unique_ptr<DiscAudioSource> source) {
    stop();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "CD audio: no sound: %s\n", SDL_GetError());
        return 0;
    }
    subsystemStarted_ = 1;
    source_ = std::move(source);
    exhausted_ = 0;
    SDL_AudioSpec wanted;
    std::memset(&wanted, 0, sizeof(wanted));
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 4096;
    wanted.callback = &SdlAudioOutput::fill;
    wanted.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) {
        std::fprintf(stderr, "CD audio: no sound: %s\n", SDL_GetError());
        stop();
        return 0;
    }
    SDL_PauseAudioDevice(device_, 0);
    return 1;
}

void SdlAudioOutput::stop() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_); // waits for the callback to return
        device_ = 0;
    }
    source_.reset();
    if (subsystemStarted_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted_ = 0;
    }
}

void SdlAudioOutput::fill(void* self, Uint8* stream, int bytes) {
    auto* output = static_cast<SdlAudioOutput*>(self);
    const int64_t frames = bytes / 4;
    int64_t got = 0;
    if (!output->exhausted_ && output->source_ != nullptr) {
        got = output->source_->read(reinterpret_cast<int16_t*>(stream), frames);
        if (got < frames) {
            output->exhausted_ = 1; // the end of the disc: silence from here on
        }
    }
    std::memset(stream + got * 4, 0, static_cast<size_t>((frames - got) * 4));
}
