#include "platform/VorbisSoundFile.h"

#include <climits>
#include <new>

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace {

class VorbisSoundFile : public SoundFile {
public:
    VorbisSoundFile(stb_vorbis* decoder, const stb_vorbis_info& info) : decoder_(decoder) {
        channels_ = info.channels;
        sampleRate_ = static_cast<int32_t>(info.sample_rate);
    }
    ~VorbisSoundFile() override { stb_vorbis_close(decoder_); }
    VorbisSoundFile(const VorbisSoundFile&) = delete;
    VorbisSoundFile& operator=(const VorbisSoundFile&) = delete;

    int32_t seek(int64_t frame) override {
        if (frame < 0 || frame > UINT_MAX) {
            return 0;
        }
        return stb_vorbis_seek(decoder_, static_cast<unsigned int>(frame)) ? 1 : 0;
    }

    int64_t read(int16_t* samples, int64_t frames) override {
        int64_t done = 0;
        while (done < frames) {
            int64_t want = frames - done;
            const int64_t most = INT_MAX / channels_;
            want = want < most ? want : most;
            const int got = stb_vorbis_get_samples_short_interleaved(
                decoder_, channels_, samples + done * channels_,
                static_cast<int>(want * channels_));
            if (got <= 0) {
                break;
            }
            done += got;
        }
        return done;
    }

private:
    stb_vorbis* decoder_;
};

} // namespace

std::unique_ptr<SoundFile> openVorbisSoundFile(const char* hostPath) {
    int error = 0;
    stb_vorbis* decoder = stb_vorbis_open_filename(hostPath, &error, nullptr);
    if (decoder == nullptr) {
        return nullptr;
    }
    const stb_vorbis_info info = stb_vorbis_get_info(decoder);
    if (info.channels < 1 || info.channels > kMaxSoundFileChannels || info.sample_rate < 1) {
        stb_vorbis_close(decoder);
        return nullptr;
    }
    std::unique_ptr<SoundFile> sound(new (std::nothrow) VorbisSoundFile(decoder, info));
    if (sound == nullptr) {
        stb_vorbis_close(decoder);
    }
    return sound;
}
