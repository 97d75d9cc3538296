#include "platform/win32/MciCdAudio.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <mmsystem.h>

namespace {

template <typename Parameters>
MCIERROR send(UINT deviceId, UINT message, DWORD flags, Parameters* parameters) {
    return mciSendCommandA(deviceId, message, flags, reinterpret_cast<DWORD_PTR>(parameters));
}

} // namespace

uint32_t MciCdAudio::open() {
    close();
    MCI_OPEN_PARMSA open{};
    open.lpstrDeviceType = reinterpret_cast<LPCSTR>(static_cast<DWORD_PTR>(MCI_DEVTYPE_CD_AUDIO));
    MCIERROR result = send(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID, &open);
    if (result != 0) {
        return result;
    }
    deviceId_ = open.wDeviceID;
    open_ = true;
    MCI_SET_PARMS set{};
    set.dwTimeFormat = MCI_FORMAT_TMSF;
    result = send(deviceId_, MCI_SET, MCI_SET_TIME_FORMAT, &set);
    if (result != 0) {
        close();
    }
    return result;
}

uint32_t MciCdAudio::numberOfTracks(uint32_t* count) {
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_NUMBER_OF_TRACKS;
    const MCIERROR result = send(deviceId_, MCI_STATUS, MCI_STATUS_ITEM, &status);
    if (result == 0) {
        *count = static_cast<uint32_t>(status.dwReturn);
    }
    return result;
}

uint32_t MciCdAudio::isAudioTrack(uint32_t track, int32_t* isAudio) {
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_CDA_STATUS_TYPE_TRACK;
    status.dwTrack = track;
    const MCIERROR result = send(deviceId_, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, &status);
    if (result == 0) {
        *isAudio = status.dwReturn == MCI_CDA_TRACK_AUDIO ? 1 : 0;
    }
    return result;
}

uint32_t MciCdAudio::playFrom(uint32_t track, void* notifyWindow) {
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(notifyWindow);
    play.dwFrom = MCI_MAKE_TMSF(track & 0xFF, 0, 0, 0);
    const DWORD notify = notifyWindow != nullptr ? MCI_NOTIFY : 0;
    return send(deviceId_, MCI_PLAY, notify | MCI_FROM, &play);
}

uint32_t MciCdAudio::stop() {
    MCI_GENERIC_PARMS stop{};
    return send(deviceId_, MCI_STOP, MCI_WAIT, &stop);
}

void MciCdAudio::close() {
    if (open_) {
        mciSendCommandA(deviceId_, MCI_CLOSE, 0, 0);
        open_ = false;
    }
}
