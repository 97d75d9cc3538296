#include "platform/desktop/SystemCdDevice.h"

#include <cstdio>
#include <new>
#include <string>

#include "platform/DiscImageAudio.h"

MCIERROR SystemCdDevice::open() {
    close();
    std::string cuePath;
    if (findDiscImage(&cuePath)) {
        image_.reset(new (std::nothrow) DiscImage);
        std::string error;
        if (image_ == nullptr || !image_->load(cuePath.c_str(), &error)) {
            std::fprintf(stderr, "CD audio: %s\n", error.c_str());
            image_.reset();
            return MCIERR_DEVICE_NOT_READY; // an unreadable image is no disc
        }
        return 0;
    }
    if (drive_.open()) {
        usingDrive_ = 1;
        return 0;
    }
    return MCIERR_INVALID_DEVICE_NAME;
}

MCIERROR SystemCdDevice::numberOfTracks(uint32_t* count) {
    if (image_ != nullptr) {
        *count = static_cast<uint32_t>(image_->trackCount);
        return 0;
    }
    if (usingDrive_ && drive_.hasDisc()) {
        *count = drive_.trackCount();
        return 0;
    }
    return MCIERR_DEVICE_NOT_READY;
}

MCIERROR SystemCdDevice::isAudioTrack(uint32_t track, int32_t* isAudio) {
    if (image_ != nullptr) {
        *isAudio = image_->tracks[track - 1].isAudio;
        return 0;
    }
    if (usingDrive_ && drive_.hasDisc()) {
        *isAudio = drive_.isAudioTrack(track);
        return 0;
    }
    return MCIERR_DEVICE_NOT_READY;
}

MCIERROR SystemCdDevice::playToEnd(uint32_t track) {
    output_.stop();
    std::unique_ptr<DiscAudioSource> source;
    if (image_ != nullptr) {
        // The device keeps the image alive until the output has stopped.
        std::unique_ptr<DiscImageAudio> audio(new (std::nothrow) DiscImageAudio);
        if (audio == nullptr || !audio->start(*image_, track)) {
            return MCIERR_HARDWARE; // a data track, or its file went away
        }
        source = std::move(audio);
    } else if (usingDrive_) {
        source = drive_.audioFrom(track);
        if (source == nullptr) {
            return MCIERR_HARDWARE;
        }
    } else {
        return MCIERR_DEVICE_NOT_READY;
    }
    return output_.start(std::move(source)) ? 0 : MCIERR_HARDWARE;
}

MCIERROR SystemCdDevice::stop() {
    output_.stop();
    return 0;
}

void SystemCdDevice::close() {
    output_.stop();
    image_.reset();
    drive_.close();
    usingDrive_ = 0;
}
