#include "platform/headless/ScriptedCdDevice.h"

void ScriptedCdDevice::insertDisc(uint32_t count, uint64_t dataTracks) {
    discPresent = 1;
    trackCount = count < kMaxTracks ? count : kMaxTracks;
    for (uint32_t track = 1; track <= static_cast<uint32_t>(kMaxTracks); ++track) {
        trackIsAudio[track] = track <= trackCount && (dataTracks >> track & 1) == 0;
    }
}

MCIERROR ScriptedCdDevice::open() {
    log += "open\n";
    if (!drivePresent) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    isOpen = 1;
    return 0;
}

MCIERROR ScriptedCdDevice::setTimeFormatTmsf() {
    log += "time format TMSF\n";
    return failTimeFormat ? MCIERR_HARDWARE : 0;
}

MCIERROR ScriptedCdDevice::numberOfTracks(uint32_t* count) {
    if (!discPresent) {
        return MCIERR_DEVICE_NOT_READY;
    }
    if (failTrackCount) {
        return MCIERR_HARDWARE;
    }
    *count = trackCount;
    return 0;
}

MCIERROR ScriptedCdDevice::isAudioTrack(uint32_t track, int32_t* isAudio) {
    log += "type " + std::to_string(track);
    if (failTrackType) {
        log += " failed\n";
        return MCIERR_HARDWARE;
    }
    *isAudio = trackIsAudio[track];
    log += trackIsAudio[track] ? " audio\n" : " data\n";
    return 0;
}

MCIERROR ScriptedCdDevice::playToEnd(uint32_t track, uintptr_t /*notifyWindow*/) {
    log += "play " + std::to_string(track);
    if (failPlay || !trackIsAudio[track]) {
        log += " failed\n";
        return MCIERR_HARDWARE;
    }
    log += "\n";
    playingFromTrack = track;
    return 0;
}

MCIERROR ScriptedCdDevice::stop() {
    log += "stop\n";
    playingFromTrack = 0;
    return 0;
}

void ScriptedCdDevice::close() {
    log += "close\n";
    playingFromTrack = 0;
    isOpen = 0;
}
