#include "platform/WaveSoundFile.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint16_t little16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t little32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Positions up to the largest that fseek reaches on every system (a CD is far smaller).
bool seekTo(FILE* file, int64_t offset) {
    return offset >= 0 && offset <= LONG_MAX &&
           std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

int16_t clampSample(double value) {
    if (!(value > -32768.0)) { // also NaN
        return value > 0.0 ? 32767 : -32768;
    }
    return value >= 32767.0 ? 32767 : static_cast<int16_t>(value);
}

struct WaveFormat {
    uint16_t tag = 0;
    int32_t channels = 0;
    int32_t sampleRate = 0;
    int32_t bytesPerSample = 0;
    int32_t frameBytes = 0;
};

class WaveSoundFile : public SoundFile {
public:
    WaveSoundFile(FILE* file, const WaveFormat& format, int64_t dataStart, int64_t frames)
        : file_(file), format_(format), dataStart_(dataStart), frames_(frames) {
        channels_ = format.channels;
        sampleRate_ = format.sampleRate;
    }
    ~WaveSoundFile() override { std::fclose(file_); }
    WaveSoundFile(const WaveSoundFile&) = delete;
    WaveSoundFile& operator=(const WaveSoundFile&) = delete;

    int32_t seek(int64_t frame) override {
        if (frame < 0 || frame > frames_ ||
            !seekTo(file_, dataStart_ + frame * format_.frameBytes)) {
            return 0;
        }
        position_ = frame;
        return 1;
    }

    int64_t read(int16_t* samples, int64_t frames) override {
        int64_t done = 0;
        while (done < frames && position_ < frames_) {
            const int64_t chunkFrames = static_cast<int64_t>(sizeof(bytes_)) / format_.frameBytes;
            int64_t want = frames - done;
            want = want < chunkFrames ? want : chunkFrames;
            want = want < frames_ - position_ ? want : frames_ - position_;
            const size_t got = std::fread(bytes_, static_cast<size_t>(format_.frameBytes),
                                          static_cast<size_t>(want), file_);
            convert(bytes_, samples + done * channels_, static_cast<int64_t>(got) * channels_);
            done += static_cast<int64_t>(got);
            position_ += static_cast<int64_t>(got);
            if (got < static_cast<size_t>(want)) {
                position_ = frames_; // the file is shorter than its header says
            }
        }
        return done;
    }

private:
    void convert(const uint8_t* in, int16_t* out, int64_t count) const {
        const int32_t size = format_.bytesPerSample;
        for (int64_t i = 0; i < count; ++i, in += size) {
            if (format_.tag == kFormatFloat) {
                double value = 0.0;
                if (size == 4) {
                    float f;
                    std::memcpy(&f, in, 4); // little-endian hosts only, as every target is
                    value = f;
                } else {
                    std::memcpy(&value, in, 8);
                }
                out[i] = clampSample(value * 32768.0);
            } else if (size == 1) {
                out[i] = static_cast<int16_t>((in[0] - 128) * 256);
            } else {
                // The top two bytes of a little-endian sample of 2, 3 or 4 bytes.
                out[i] = static_cast<int16_t>(little16(in + size - 2));
            }
        }
    }

    FILE* file_;
    WaveFormat format_;
    int64_t dataStart_;
    int64_t frames_;
    int64_t position_ = 0;
    uint8_t bytes_[65536]; // whole frames read at a time (a frame is at most 512 bytes)
};

bool readFormat(const uint8_t* chunk, uint32_t size, WaveFormat* format) {
    if (size < 16) {
        return false;
    }
    format->tag = little16(chunk);
    format->channels = little16(chunk + 2);
    const uint32_t rate = little32(chunk + 4);
    const uint16_t blockAlign = little16(chunk + 12);
    const uint16_t bits = little16(chunk + 14);
    if (format->tag == kFormatExtensible) {
        if (size < 40) {
            return false;
        }
        format->tag = little16(chunk + 24); // the sub-format's first two bytes
    }
    format->bytesPerSample = bits / 8;
    format->sampleRate = static_cast<int32_t>(rate);
    const bool integer = format->tag == kFormatPcm && bits % 8 == 0 && bits >= 8 && bits <= 32;
    const bool floating = format->tag == kFormatFloat && (bits == 32 || bits == 64);
    if (!integer && !floating) {
        return false;
    }
    format->frameBytes = format->channels * format->bytesPerSample;
    return format->channels >= 1 && format->channels <= kMaxSoundFileChannels && rate >= 1 &&
           rate <= 1000000 && blockAlign == format->frameBytes;
}

} // namespace

std::unique_ptr<SoundFile> openWaveSoundFile(const char* hostPath) {
    FILE* file = std::fopen(hostPath, "rb");
    if (file == nullptr) {
        return nullptr;
    }
    uint8_t header[12];
    WaveFormat format;
    bool haveFormat = false;
    int64_t fileSize = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        fileSize = std::ftell(file);
    }
    int64_t at = 12;
    if (fileSize < 12 || !seekTo(file, 0) || std::fread(header, 1, 12, file) != 12 ||
        std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) {
        std::fclose(file);
        return nullptr;
    }
    while (at + 8 <= fileSize) {
        uint8_t chunk[8];
        if (!seekTo(file, at) || std::fread(chunk, 1, 8, file) != 8) {
            break;
        }
        const uint32_t size = little32(chunk + 4);
        const int64_t body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            uint8_t bytes[40] = {};
            const size_t want = size < sizeof(bytes) ? size : sizeof(bytes);
            haveFormat =
                std::fread(bytes, 1, want, file) == want && readFormat(bytes, size, &format);
            if (!haveFormat) {
                break;
            }
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                break;
            }
            const int64_t available = fileSize - body;
            const int64_t bytes = size < available ? size : available;
            std::unique_ptr<SoundFile> sound(
                new (std::nothrow) WaveSoundFile(file, format, body, bytes / format.frameBytes));
            if (sound == nullptr || !sound->seek(0)) {
                if (sound == nullptr) {
                    std::fclose(file);
                }
                return nullptr;
            }
            return sound;
        }
        at = body + size + (size & 1); // chunks are padded to an even length
    }
    std::fclose(file);
    return nullptr;
}
