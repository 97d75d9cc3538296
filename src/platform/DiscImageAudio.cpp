#include "platform/DiscImageAudio.h"

#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr int32_t kChunkFrames = 1024;

int16_t clampSample(double value) {
    if (value > 32767.0) {
        return 32767;
    }
    if (value < -32768.0) {
        return -32768;
    }
    return static_cast<int16_t>(value);
}

} // namespace

DiscImageAudio::~DiscImageAudio() {
    closeFile();
}

void DiscImageAudio::closeFile() {
    if (binary_ != nullptr) {
        std::fclose(binary_);
        binary_ = nullptr;
    }
    sound_.reset();
}

int32_t DiscImageAudio::start(const DiscImage& image, uint32_t track) {
    closeFile();
    image_ = &image;
    if (track < 1 || track > static_cast<uint32_t>(image.trackCount) ||
        !image.tracks[track - 1].isAudio) {
        image_ = nullptr;
        return 0;
    }
    if (!openTrack(static_cast<int32_t>(track) - 1, 0)) {
        image_ = nullptr;
        return 0;
    }
    return 1;
}

int32_t DiscImageAudio::openTrack(int32_t index, int32_t fromRegionStart) {
    closeFile();
    trackIndex_ = index;
    const DiscTrack& track = image_->tracks[index];
    const DiscFile& file = image_->files[track.fileIndex];
    const int64_t startSector = fromRegionStart ? track.regionStart : track.start;
    const int64_t sectors = track.end >= 0 ? track.end - startSector : -1;

    if (file.kind == DiscFileKind::SoundFile) {
        sound_ = openSoundFile(file.hostPath.c_str());
        if (sound_ == nullptr) {
            return 0;
        }
        channels_ = sound_->channels();
        const int64_t rate = sound_->sampleRate();
        rateRatio_ = static_cast<double>(rate) / kCdSampleRate;
        chunk_.reset(new (std::nothrow) int16_t[static_cast<size_t>(kChunkFrames) * channels_]);
        if (chunk_ == nullptr) {
            closeFile();
            return 0;
        }
        chunkFrames_ = 0;
        chunkUsed_ = 0;
        const int64_t firstFrame = startSector * rate / 75;
        if (firstFrame > 0 && !sound_->seek(firstFrame)) {
            closeFile();
            return 0;
        }
        framesLeft_ = sectors >= 0 ? sectors * rate / 75 : -1;
        position_ = 0.0;
        primed_ = 0;
        return 1;
    }

    binary_ = std::fopen(file.hostPath.c_str(), "rb");
    if (binary_ == nullptr) {
        return 0;
    }
    bigEndian_ = file.kind == DiscFileKind::BinaryBigEndian;
    const int64_t offset =
        track.regionByteOffset + (startSector - track.regionStart) * track.sectorBytes;
    // fseek's offset is a long, 32 bits on Windows: enough for any CD (under 1 GB).
    if (offset < 0 || offset > LONG_MAX ||
        std::fseek(binary_, static_cast<long>(offset), SEEK_SET) != 0) {
        closeFile();
        return 0;
    }
    framesLeft_ = sectors >= 0 ? sectors * kSamplesPerSector : -1;
    return 1;
}

int64_t DiscImageAudio::readSoundFile(int16_t* samples, int64_t frames) {
    if (channels_ == 2 && rateRatio_ == 1.0) {
        return sound_->read(samples, frames);
    }
    // Converted one source frame at a time, from a buffer of whole frames.
    int64_t produced = 0;
    auto nextSourceFrame = [&](int16_t out[2]) -> bool {
        if (chunkUsed_ == chunkFrames_) {
            const int64_t got = sound_->read(chunk_.get(), kChunkFrames);
            chunkFrames_ = got > 0 ? static_cast<int32_t>(got) : 0;
            chunkUsed_ = 0;
            if (chunkFrames_ == 0) {
                return false;
            }
        }
        const int16_t* frame = chunk_.get() + static_cast<size_t>(chunkUsed_++) * channels_;
        out[0] = frame[0];
        out[1] = channels_ >= 2 ? frame[1] : frame[0];
        return true;
    };
    if (!primed_) {
        if (!nextSourceFrame(previous_)) {
            return 0;
        }
        if (!nextSourceFrame(current_)) {
            std::memcpy(current_, previous_, sizeof(current_));
        }
        primed_ = 1;
    }
    while (produced < frames) {
        while (position_ >= 1.0) {
            std::memcpy(previous_, current_, sizeof(previous_));
            if (!nextSourceFrame(current_)) {
                return produced;
            }
            position_ -= 1.0;
        }
        for (int32_t c = 0; c < 2; ++c) {
            samples[produced * 2 + c] =
                clampSample(previous_[c] + (current_[c] - previous_[c]) * position_);
        }
        ++produced;
        position_ += rateRatio_;
    }
    return produced;
}

int64_t DiscImageAudio::readFromTrack(int16_t* samples, int64_t frames) {
    if (framesLeft_ == 0) {
        return 0;
    }
    if (sound_ != nullptr) {
        // framesLeft_ counts source frames; output frames are source frames / ratio.
        int64_t want = frames;
        if (framesLeft_ > 0) {
            const int64_t outputLeft = static_cast<int64_t>(framesLeft_ / rateRatio_);
            want = outputLeft < want ? outputLeft : want;
            if (want == 0) {
                framesLeft_ = 0;
                return 0;
            }
        }
        const int64_t got = readSoundFile(samples, want);
        if (framesLeft_ > 0) {
            const int64_t used = static_cast<int64_t>(got * rateRatio_ + 0.5);
            framesLeft_ = used >= framesLeft_ ? 0 : framesLeft_ - used;
        }
        return got;
    }
    if (binary_ == nullptr) {
        return 0;
    }
    int64_t want = frames;
    if (framesLeft_ > 0 && framesLeft_ < want) {
        want = framesLeft_;
    }
    uint8_t bytes[kChunkFrames * 4];
    int64_t produced = 0;
    while (produced < want) {
        const int64_t chunk = want - produced < kChunkFrames ? want - produced : kChunkFrames;
        const size_t got = std::fread(bytes, 4, static_cast<size_t>(chunk), binary_);
        for (size_t i = 0; i < got * 2; ++i) {
            const uint8_t low = bigEndian_ ? bytes[i * 2 + 1] : bytes[i * 2];
            const uint8_t high = bigEndian_ ? bytes[i * 2] : bytes[i * 2 + 1];
            samples[produced * 2 + static_cast<int64_t>(i)] =
                static_cast<int16_t>(static_cast<uint16_t>(low | high << 8));
        }
        produced += static_cast<int64_t>(got);
        if (got < static_cast<size_t>(chunk)) {
            framesLeft_ = 0; // the file ended
            break;
        }
    }
    if (framesLeft_ > 0) {
        framesLeft_ -= produced;
    }
    return produced;
}

int64_t DiscImageAudio::read(int16_t* samples, int64_t frames) {
    if (image_ == nullptr || samples == nullptr || frames <= 0) {
        return 0;
    }
    int64_t total = 0;
    while (total < frames) {
        const int64_t got = readFromTrack(samples + total * 2, frames - total);
        total += got;
        if (total >= frames) {
            break;
        }
        if (got > 0) {
            continue;
        }
        // This track is done: on to the next audio track of the disc.
        int32_t next = trackIndex_ + 1;
        while (next < image_->trackCount && !image_->tracks[next].isAudio) {
            ++next;
        }
        if (next >= image_->trackCount || !openTrack(next, 1)) {
            closeFile();
            image_ = nullptr;
            break;
        }
    }
    return total;
}
