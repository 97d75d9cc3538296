#include "platform/win32/Win32CdDevice.h"

MCIERROR Win32CdDevice::open() {
    close();
    const int32_t found = image_.open();
    if (found > 0) {
        return 0;
    }
    if (found < 0) {
        return MCIERR_DEVICE_NOT_READY; // an unreadable image is no disc
    }
    return drive_.open();
}

MCIERROR Win32CdDevice::setTimeFormatTmsf() {
    return 0; // the drive was set to TMSF when it was opened; an image has no other
}

MCIERROR Win32CdDevice::numberOfTracks(uint32_t* count) {
    if (image_.isOpen()) {
        *count = image_.trackCount();
        return 0;
    }
    return drive_.isOpen() ? drive_.numberOfTracks(count) : MCIERR_DEVICE_NOT_READY;
}

MCIERROR Win32CdDevice::isAudioTrack(uint32_t track, int32_t* isAudio) {
    if (image_.isOpen()) {
        *isAudio = image_.isAudioTrack(track);
        return 0;
    }
    return drive_.isOpen() ? drive_.isAudioTrack(track, isAudio) : MCIERR_DEVICE_NOT_READY;
}

MCIERROR Win32CdDevice::playToEnd(uint32_t track, uintptr_t notifyWindow) {
    if (image_.isOpen()) {
        return image_.play(track, output_) ? 0 : MCIERR_HARDWARE;
    }
    if (drive_.isOpen()) {
        return drive_.playFrom(track, reinterpret_cast<void*>(notifyWindow));
    }
    return MCIERR_DEVICE_NOT_READY;
}

MCIERROR Win32CdDevice::stop() {
    output_.stop();
    return drive_.isOpen() ? drive_.stop() : 0;
}

void Win32CdDevice::close() {
    output_.stop();
    image_.close();
    drive_.close();
}
