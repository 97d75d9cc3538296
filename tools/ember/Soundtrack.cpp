#include "ember/Soundtrack.h"

#include <sndfile.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "ember/Commands.h"
#include "platform/DiscImage.h"
#include "platform/DiscImageAudio.h"

std::string requireDiscTrack(uint32_t track) {
    std::string cuePath;
    if (!findDiscImage(&cuePath)) {
        throw ToolError("--track needs a disc image: no cdrom/*.cue in the demo folder");
    }
    DiscImage image;
    std::string error;
    if (!image.load(cuePath.c_str(), &error)) {
        throw ToolError(error);
    }
    if (track < 1 || track > static_cast<uint32_t>(image.trackCount)) {
        throw ToolError("--track " + std::to_string(track) + ": the disc has " +
                        std::to_string(image.trackCount) + " tracks");
    }
    if (!image.tracks[track - 1].isAudio) {
        throw ToolError("--track " + std::to_string(track) + " is a data track");
    }
    return cuePath;
}

uint32_t firstDiscAudioTrack(std::string* cuePath) {
    if (!findDiscImage(cuePath)) {
        return 0;
    }
    DiscImage image;
    std::string error;
    if (!image.load(cuePath->c_str(), &error)) {
        std::fprintf(stderr, "ember: warning: no soundtrack: %s\n", error.c_str());
        return 0;
    }
    for (int32_t i = 0; i < image.trackCount; ++i) {
        if (image.tracks[i].isAudio) {
            return static_cast<uint32_t>(i + 1);
        }
    }
    return 0;
}

void writeDiscSoundtrack(const std::string& cuePath, uint32_t track, const std::string& path,
                         int64_t skipFrames, int64_t sampleFrames) {
    DiscImage image;
    std::string error;
    if (!image.load(cuePath.c_str(), &error)) {
        throw ToolError(error);
    }
    DiscImageAudio audio;
    if (!audio.start(image, track)) {
        throw ToolError("cannot read track " + std::to_string(track) + " of " + cuePath);
    }
    SF_INFO info;
    std::memset(&info, 0, sizeof(info));
    info.samplerate = kCdSampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw ToolError("cannot write " + path + ": " + sf_strerror(nullptr));
    }
    std::vector<int16_t> buffer(2 * 4096);
    for (int64_t skip = skipFrames; skip > 0;) {
        const int64_t got = audio.read(buffer.data(), skip < 4096 ? skip : 4096);
        if (got <= 0) {
            break; // past the end of the disc: the soundtrack is silence
        }
        skip -= got;
    }
    int64_t left = sampleFrames;
    while (left > 0) {
        const int64_t want = left < 4096 ? left : 4096;
        const int64_t got = audio.read(buffer.data(), want);
        // Past the end of the disc: silence, so the soundtrack lasts as long as the video.
        std::fill(buffer.begin() + (got > 0 ? got : 0) * 2, buffer.begin() + want * 2, 0);
        if (sf_writef_short(file, buffer.data(), want) != want) {
            sf_close(file);
            throw ToolError("cannot write " + path);
        }
        left -= want;
    }
    if (sf_close(file) != 0) {
        throw ToolError("cannot write " + path);
    }
}
