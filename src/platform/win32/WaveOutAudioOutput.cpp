#include "platform/win32/WaveOutAudioOutput.h"

#include <cstdio>
#include <cstring>
#include <new>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <mmsystem.h>

namespace {

constexpr int32_t kBufferCount = 4;
constexpr int32_t kBufferFrames = 8192; // stereo frames: 0.19 s at 44.1 kHz

} // namespace

int32_t waveOutputAvailable() {
    return waveOutGetNumDevs() > 0 ? 1 : 0;
}

struct WaveOutAudioOutput::Native {
    HWAVEOUT device = nullptr;
    HANDLE bufferDone = nullptr; // signalled by the device each time it returns a buffer
    WAVEHDR headers[kBufferCount]{};
    int16_t samples[kBufferCount][kBufferFrames * 2]{};
    bool exhausted = false;
};

int32_t WaveOutAudioOutput::start(std::unique_ptr<DiscAudioSource> source) {
    stop();
    native_ = new (std::nothrow) Native;
    if (native_ == nullptr || source == nullptr) {
        stop();
        return 0;
    }
    native_->bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    const MMRESULT opened =
        native_->bufferDone == nullptr
            ? MMSYSERR_NOMEM
            : waveOutOpen(&native_->device, WAVE_MAPPER, &format,
                          reinterpret_cast<DWORD_PTR>(native_->bufferDone), 0, CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR) {
        std::fprintf(stderr, "CD audio: no sound: the wave output cannot be opened (%u)\n",
                     static_cast<unsigned>(opened));
        native_->device = nullptr;
        stop();
        return 0;
    }
    for (int32_t i = 0; i < kBufferCount; ++i) {
        WAVEHDR& header = native_->headers[i];
        header.lpData = reinterpret_cast<LPSTR>(native_->samples[i]);
        header.dwBufferLength = sizeof(native_->samples[i]);
        waveOutPrepareHeader(native_->device, &header, sizeof(header));
        header.dwFlags |= WHDR_DONE; // free to be filled
    }
    source_ = std::move(source);
    stopping_ = false;
    feeder_ = std::thread([this] { feed(); });
    return 1;
}

void WaveOutAudioOutput::feed() {
    while (!stopping_) {
        for (WAVEHDR& header : native_->headers) {
            if ((header.dwFlags & WHDR_DONE) == 0) {
                continue; // still queued
            }
            auto* samples = reinterpret_cast<int16_t*>(header.lpData);
            int64_t got = native_->exhausted ? 0 : source_->read(samples, kBufferFrames);
            if (got < kBufferFrames) {
                native_->exhausted = true;
                got = got < 0 ? 0 : got;
                std::memset(samples + got * 2, 0, static_cast<size_t>(kBufferFrames - got) * 4);
            }
            header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
            waveOutWrite(native_->device, &header, sizeof(header));
        }
        WaitForSingleObject(native_->bufferDone, 100);
    }
}

void WaveOutAudioOutput::stop() {
    if (feeder_.joinable()) {
        stopping_ = true;
        SetEvent(native_->bufferDone);
        feeder_.join();
    }
    if (native_ != nullptr) {
        if (native_->device != nullptr) {
            waveOutReset(native_->device); // hands every queued buffer back
            for (WAVEHDR& header : native_->headers) {
                waveOutUnprepareHeader(native_->device, &header, sizeof(header));
            }
            waveOutClose(native_->device);
        }
        if (native_->bufferDone != nullptr) {
            CloseHandle(native_->bufferDone);
        }
        delete native_;
        native_ = nullptr;
    }
    source_.reset();
}
