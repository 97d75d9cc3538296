#include "platform/DiscImagePlayer.h"

#include <cstdio>
#include <new>
#include <string>

#include "platform/DiscImageAudio.h"

int32_t DiscImagePlayer::open() {
    image_.reset();
    std::string cuePath;
    if (!findDiscImage(&cuePath)) {
        return 0;
    }
    std::unique_ptr<DiscImage> image(new (std::nothrow) DiscImage);
    std::string error = "out of memory";
    if (image == nullptr || !image->load(cuePath.c_str(), &error)) {
        std::fprintf(stderr, "CD audio: %s\n", error.c_str());
        return -1;
    }
    image_ = std::move(image);
    return 1;
}

uint32_t DiscImagePlayer::trackCount() const {
    return image_ != nullptr ? static_cast<uint32_t>(image_->trackCount) : 0;
}

int32_t DiscImagePlayer::isAudioTrack(uint32_t track) const {
    if (track < 1 || track > trackCount()) {
        return 0;
    }
    return image_->tracks[track - 1].isAudio;
}

int32_t DiscImagePlayer::play(uint32_t track, AudioOutput& output) {
    output.stop();
    if (image_ == nullptr) {
        return 0;
    }
    std::unique_ptr<DiscImageAudio> audio(new (std::nothrow) DiscImageAudio);
    if (audio == nullptr || !audio->start(*image_, track)) {
        return 0;
    }
    return output.start(std::move(audio));
}
