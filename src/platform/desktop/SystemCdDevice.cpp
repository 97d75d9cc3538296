#include "platform/desktop/SystemCdDevice.h"

MCIERROR SystemCdDevice::open() {
    close();
    const int32_t found = image_.open();
    if (found > 0) {
        return 0;
    }
    if (found < 0) {
        return MCIERR_DEVICE_NOT_READY; // an unreadable image is no disc
    }
    if (drive_.open()) {
        usingDrive_ = 1;
        return 0;
    }
    return MCIERR_INVALID_DEVICE_NAME;
}

MCIERROR SystemCdDevice::numberOfTracks(uint32_t* count) {
    if (image_.isOpen()) {
        *count = image_.trackCount();
        return 0;
    }
    if (usingDrive_ && drive_.hasDisc()) {
        *count = drive_.trackCount();
        return 0;
    }
    return MCIERR_DEVICE_NOT_READY;
}

MCIERROR SystemCdDevice::isAudioTrack(uint32_t track, int32_t* isAudio) {
    if (image_.isOpen()) {
        *isAudio = image_.isAudioTrack(track);
        return 0;
    }
    if (usingDrive_ && drive_.hasDisc()) {
        *isAudio = drive_.isAudioTrack(track);
        return 0;
    }
    return MCIERR_DEVICE_NOT_READY;
}

MCIERROR SystemCdDevice::playToEnd(uint32_t track, uintptr_t /*notifyWindow*/) {
    if (image_.isOpen()) {
        return image_.play(track, output_) ? 0 : MCIERR_HARDWARE; // a data track, or a lost file
    }
    output_.stop();
    if (!usingDrive_) {
        return MCIERR_DEVICE_NOT_READY;
    }
    std::unique_ptr<DiscAudioSource> source = drive_.audioFrom(track);
    if (source == nullptr) {
        return MCIERR_HARDWARE;
    }
    return output_.start(std::move(source)) ? 0 : MCIERR_HARDWARE;
}

MCIERROR SystemCdDevice::stop() {
    output_.stop();
    return 0;
}

void SystemCdDevice::close() {
    output_.stop();
    image_.close();
    drive_.close();
    usingDrive_ = 0;
}
