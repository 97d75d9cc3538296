// The command checks of mciSendCommandA: which flags and parameters each command needs,
// the device id, and the state of the device. The devices only see well-formed
// commands on an open device.
#include "platform/CdDevice.h"

namespace {

CdDevice* device = nullptr;
int32_t deviceOpen = 0;
int32_t timeFormatTmsf = 0;
MCIDEVICEID openId = 0;
MCIDEVICEID nextId = 1;

MCIERROR closeDevice() {
    device->close();
    deviceOpen = 0;
    return 0;
}

MCIERROR openDevice(uint32_t flags, uintptr_t parameters) {
    auto* open = reinterpret_cast<MCI_OPEN_PARMS*>(parameters);
    if (open == nullptr) {
        return MCIERR_MISSING_PARAMETER;
    }
    if ((flags & MCI_OPEN_TYPE) == 0 || (flags & MCI_OPEN_TYPE_ID) == 0 ||
        open->lpstrDeviceType != MCI_DEVTYPE_CD_AUDIO) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    if (device == nullptr) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    if (deviceOpen) {
        // One client at a time, as with a shared drive opened elsewhere.
        return MCIERR_DEVICE_NOT_READY;
    }
    const MCIERROR result = device->open();
    if (result != 0) {
        return result;
    }
    deviceOpen = 1;
    timeFormatTmsf = 0;
    openId = nextId++;
    open->wDeviceID = openId;
    return 0;
}

MCIERROR status(uint32_t flags, uintptr_t parameters) {
    auto* query = reinterpret_cast<MCI_STATUS_PARMS*>(parameters);
    if (query == nullptr || (flags & MCI_STATUS_ITEM) == 0) {
        return MCIERR_MISSING_PARAMETER;
    }
    if (query->dwItem == MCI_STATUS_NUMBER_OF_TRACKS) {
        uint32_t count = 0;
        const MCIERROR result = device->numberOfTracks(&count);
        if (result == 0) {
            query->dwReturn = count;
        }
        return result;
    }
    if (query->dwItem == MCI_CDA_STATUS_TYPE_TRACK) {
        if ((flags & MCI_TRACK) == 0) {
            return MCIERR_MISSING_PARAMETER;
        }
        uint32_t count = 0;
        MCIERROR result = device->numberOfTracks(&count);
        if (result != 0) {
            return result;
        }
        if (query->dwTrack < 1 || query->dwTrack > count) {
            return MCIERR_OUTOFRANGE;
        }
        int32_t isAudio = 0;
        result = device->isAudioTrack(query->dwTrack, &isAudio);
        if (result == 0) {
            query->dwReturn = isAudio ? MCI_CDA_TRACK_AUDIO : MCI_CDA_TRACK_OTHER;
        }
        return result;
    }
    return MCIERR_UNRECOGNIZED_COMMAND;
}

MCIERROR play(uint32_t flags, uintptr_t parameters) {
    auto* request = reinterpret_cast<MCI_PLAY_PARMS*>(parameters);
    if (request == nullptr || (flags & MCI_FROM) == 0) {
        // Playing on from the current position is not needed by anyone.
        return MCIERR_MISSING_PARAMETER;
    }
    if ((flags & MCI_TO) != 0) {
        return MCIERR_FLAGS_NOT_COMPATIBLE;
    }
    if (!timeFormatTmsf) {
        return MCIERR_BAD_TIME_FORMAT;
    }
    if ((request->dwFrom & 0xFFFFFF00u) != 0) {
        return MCIERR_OUTOFRANGE; // positions inside a track are not supported
    }
    uint32_t count = 0;
    const MCIERROR result = device->numberOfTracks(&count);
    if (result != 0) {
        return result;
    }
    const uint32_t track = MCI_TMSF_TRACK(request->dwFrom);
    if (track < 1 || track > count) {
        return MCIERR_OUTOFRANGE;
    }
    return device->playToEnd(track, (flags & MCI_NOTIFY) != 0 ? request->dwCallback : 0);
}

} // namespace

void setCdDevice(CdDevice* newDevice) {
    if (device != nullptr && deviceOpen) {
        closeDevice();
    }
    device = newDevice;
    deviceOpen = 0;
}

MCIERROR mciSendCommandA(MCIDEVICEID deviceId, uint32_t message, uint32_t flags,
                         uintptr_t parameters) {
    if (message == MCI_OPEN) {
        return deviceId == 0 ? openDevice(flags, parameters) : MCIERR_INVALID_DEVICE_ID;
    }
    if (device == nullptr || !deviceOpen || deviceId != openId) {
        return MCIERR_INVALID_DEVICE_ID;
    }
    switch (message) {
    case MCI_CLOSE:
        return closeDevice();
    case MCI_SET: {
        auto* set = reinterpret_cast<MCI_SET_PARMS*>(parameters);
        if (set == nullptr || (flags & MCI_SET_TIME_FORMAT) == 0) {
            return MCIERR_MISSING_PARAMETER;
        }
        if (set->dwTimeFormat != MCI_FORMAT_TMSF) {
            return MCIERR_BAD_TIME_FORMAT;
        }
        const MCIERROR result = device->setTimeFormatTmsf();
        if (result == 0) {
            timeFormatTmsf = 1;
        }
        return result;
    }
    case MCI_STATUS:
        return status(flags, parameters);
    case MCI_PLAY:
        return play(flags, parameters);
    case MCI_STOP:
        return device->stop();
    default:
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
}
