// ScriptedCdDevice: a CD drive and disc described by a test, recording what it is asked.
//
// Describe the drive with the fields below, install it with setCdDevice(&device), run
// start-up, then read `log` (one line per command that reached the device):
//   "open", "time format TMSF", "tracks 3", "type 1 audio", "play 2", "stop", "close"
// and `playingFromTrack` (0 when nothing plays).
//
// A device with no disc opens but answers every query with MCIERR_DEVICE_NOT_READY, as a
// drive with an empty tray does. Playing a data track fails (MCIERR_HARDWARE).
#pragma once

#include <cstdint>
#include <string>

#include "platform/CdDevice.h"

class ScriptedCdDevice : public CdDevice {
public:
    static constexpr int32_t kMaxTracks = 99;

    int32_t drivePresent = 1;
    int32_t discPresent = 1;
    uint32_t trackCount = 0;
    int32_t trackIsAudio[kMaxTracks + 1] = {}; // by track number 1..trackCount
    // Commands to refuse with MCIERR_HARDWARE even when they would succeed.
    int32_t failTimeFormat = 0;
    int32_t failTrackCount = 0;
    int32_t failTrackType = 0;
    int32_t failPlay = 0;

    // The state a listener would notice.
    uint32_t playingFromTrack = 0;
    int32_t isOpen = 0;
    std::string log;

    // An audio disc of `count` tracks (all audio, or data where `dataTracks` has bit t).
    void insertDisc(uint32_t count, uint64_t dataTracks = 0);

    MCIERROR open() override;
    MCIERROR setTimeFormatTmsf() override;
    MCIERROR numberOfTracks(uint32_t* count) override;
    MCIERROR isAudioTrack(uint32_t track, int32_t* isAudio) override;
    MCIERROR playToEnd(uint32_t track, uintptr_t notifyWindow) override;
    MCIERROR stop() override;
    void close() override;
};
