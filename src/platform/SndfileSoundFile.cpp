// Sound files through libsndfile: WAVE, FLAC, Ogg and every other format it reads.
#include <sndfile.h>

#include <cstring>
#include <new>

#include "platform/SoundFile.h"

namespace {

class SndfileSoundFile : public SoundFile {
public:
    SndfileSoundFile(SNDFILE* file, const SF_INFO& info) : file_(file) {
        channels_ = info.channels;
        sampleRate_ = info.samplerate;
    }
    ~SndfileSoundFile() override { sf_close(file_); }
    SndfileSoundFile(const SndfileSoundFile&) = delete;
    SndfileSoundFile& operator=(const SndfileSoundFile&) = delete;

    int32_t seek(int64_t frame) override { return sf_seek(file_, frame, SEEK_SET) >= 0 ? 1 : 0; }
    int64_t read(int16_t* samples, int64_t frames) override {
        const sf_count_t got = sf_readf_short(file_, samples, frames);
        return got > 0 ? got : 0;
    }

private:
    SNDFILE* file_;
};

} // namespace

std::unique_ptr<SoundFile> openSoundFile(const char* hostPath) {
    SF_INFO info;
    std::memset(&info, 0, sizeof(info));
    SNDFILE* file = sf_open(hostPath, SFM_READ, &info);
    if (file == nullptr) {
        return nullptr;
    }
    if (info.channels < 1 || info.channels > kMaxSoundFileChannels || info.samplerate < 1) {
        sf_close(file);
        return nullptr;
    }
    std::unique_ptr<SoundFile> sound(new (std::nothrow) SndfileSoundFile(file, info));
    if (sound == nullptr) {
        sf_close(file);
    }
    return sound;
}
