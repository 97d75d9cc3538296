// DiscImageAudio: the audio of a DiscImage from the start of one track (its INDEX 01) to
// the end of the disc.
//
// Audio tracks follow each other as they would on the disc: the pregap of a later track
// plays (it is usually silence), data tracks are skipped. Sound files that are not
// 44.1 kHz stereo are converted (channels: mono doubled, beyond two dropped; rate:
// linear interpolation).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/DiscAudioSource.h"
#include "platform/DiscImage.h"
#include "platform/SoundFile.h"

class DiscImageAudio : public DiscAudioSource {
public:
    DiscImageAudio() = default;
    ~DiscImageAudio() override;
    DiscImageAudio(const DiscImageAudio&) = delete;
    DiscImageAudio& operator=(const DiscImageAudio&) = delete;

    // Starts at track `track` (1..trackCount) of `image` (kept by reference). Returns 0
    // when the track is not an audio track or its file cannot be opened.
    int32_t start(const DiscImage& image, uint32_t track);
    int64_t read(int16_t* samples, int64_t frames) override;

private:
    int32_t openTrack(int32_t index, int32_t fromRegionStart);
    void closeFile();
    int64_t readFromTrack(int16_t* samples, int64_t frames);
    int64_t readSoundFile(int16_t* samples, int64_t frames);

    const DiscImage* image_ = nullptr;
    int32_t trackIndex_ = 0;  // 0-based index of the track being read
    int64_t framesLeft_ = -1; // in this track; -1: to the end of its file
    FILE* binary_ = nullptr;
    int32_t bigEndian_ = 0;
    std::unique_ptr<SoundFile> sound_;
    int32_t channels_ = 2;
    double rateRatio_ = 1.0;   // source frames per output frame
    double position_ = 0.0;    // source frame position of the next output frame, from bufferStart_
    int16_t previous_[2] = {}; // the last source frame, for interpolation across reads
    int16_t current_[2] = {};
    int32_t primed_ = 0;
    std::unique_ptr<int16_t[]> chunk_; // source frames read ahead, `channels_` samples each
    int32_t chunkFrames_ = 0;
    int32_t chunkUsed_ = 0;
};
