// WaveOutAudioOutput: the AudioOutput of emberplay.exe, the system's wave output (waveOut
// of WINMM, the default device, 44.1 kHz stereo int16).
//
// start() opens the device and a feeding thread that keeps four buffers of about 0.19 s
// queued, refilling each as the device hands it back (CALLBACK_EVENT); after the source
// is exhausted it queues silence. stop() ends the thread, resets and closes the device.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/AudioOutput.h"

// 1 when the system has a wave output device (waveOutGetNumDevs).
int32_t waveOutputAvailable();

class WaveOutAudioOutput : public AudioOutput {
public:
    WaveOutAudioOutput() = default;
    ~WaveOutAudioOutput() override { stop(); }
    WaveOutAudioOutput(const WaveOutAudioOutput&) = delete;
    WaveOutAudioOutput& operator=(const WaveOutAudioOutput&) = delete;

    int32_t start(std::unique_ptr<DiscAudioSource> source) override;
    void stop() override;

private:
    struct Native; // the device, its buffers and their headers (defined with the calls)
    void feed();

    std::unique_ptr<DiscAudioSource> source_;
    Native* native_ = nullptr;
    std::thread feeder_;
    std::atomic<bool> stopping_{false};
};
