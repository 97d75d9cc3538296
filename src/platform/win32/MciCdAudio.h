// The system's CD-audio device, through the multimedia command interface of WINMM
// (mciSendCommandA with the system's own MCI records). Kept apart from
// platform/CdDevice.h, which defines the same names for the system's own code.
//
// Results are the system's MCI error codes (0 for success), whose values the codes of
// platform/CdDevice.h share.
#pragma once

#include <cstdint>

class MciCdAudio {
public:
    ~MciCdAudio() { close(); }

    // MCI_OPEN of the "cdaudio" device type (by id), then MCI_SET to the TMSF format.
    uint32_t open();
    uint32_t numberOfTracks(uint32_t* count);
    // MCI_STATUS of MCI_CDA_STATUS_TYPE_TRACK: 1 for an audio track, 0 for data.
    uint32_t isAudioTrack(uint32_t track, int32_t* isAudio);
    // MCI_PLAY from the start of `track` (TMSF) to the end of the disc, with completion
    // notified to `notifyWindow` (HWND; nullptr: not notified). Returns at once.
    uint32_t playFrom(uint32_t track, void* notifyWindow);
    uint32_t stop();
    void close();
    bool isOpen() const { return open_; }

private:
    uint32_t deviceId_ = 0;
    bool open_ = false;
};
