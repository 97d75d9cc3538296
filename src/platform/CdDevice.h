// The CD-audio device behind the multimedia command interface.
//
// Start-up talks to the CD through mciSendCommandA with the command, flags and
// parameter record it would send to the system's CD-audio driver; this file holds that
// subset (names as the interface has them, values ours) and the CdDevice it forwards to:
//   ScriptedCdDevice  a disc described by a test, recording what would be played (headless/)
//   SystemCdDevice    a disc image in cdrom/ or the first physical drive, played through
//                     the sound card (desktop/)
//
// Commands understood (anything else: MCIERR_UNRECOGNIZED_COMMAND):
//   MCI_OPEN    flags MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID, device type MCI_DEVTYPE_CD_AUDIO;
//               device id 0; returns the new id in MCI_OPEN_PARMS::wDeviceID
//   MCI_SET     MCI_SET_TIME_FORMAT with MCI_FORMAT_TMSF (the only format kept)
//   MCI_STATUS  MCI_STATUS_ITEM, item MCI_STATUS_NUMBER_OF_TRACKS; or
//               MCI_STATUS_ITEM | MCI_TRACK, item MCI_CDA_STATUS_TYPE_TRACK, a track 1..n
//               (answer MCI_CDA_TRACK_AUDIO or MCI_CDA_TRACK_OTHER)
//   MCI_PLAY    MCI_FROM with a TMSF position (track in the low byte; minute, second and
//               frame must be 0), optional MCI_NOTIFY; plays from the start of that track
//               to the end of the disc and returns at once
//   MCI_STOP    optional MCI_WAIT; stops playing
//   MCI_CLOSE   closes the device (stopping it)
// Every command but MCI_OPEN needs the id of the open device; after MCI_CLOSE they all
// fail with MCIERR_INVALID_DEVICE_ID and change nothing. Results are 0 for success.
//
// Completion notifications are delivered by the system's own device alone (Win32): nothing
// in the system reacts to them.
#pragma once

#include <cstdint>

using MCIERROR = uint32_t;
using MCIDEVICEID = uint32_t;

inline constexpr uint32_t MCI_OPEN = 0x0803;
inline constexpr uint32_t MCI_CLOSE = 0x0804;
inline constexpr uint32_t MCI_PLAY = 0x0806;
inline constexpr uint32_t MCI_STOP = 0x0808;
inline constexpr uint32_t MCI_SET = 0x080D;
inline constexpr uint32_t MCI_STATUS = 0x0814;

inline constexpr uint32_t MCI_NOTIFY = 0x00000001;
inline constexpr uint32_t MCI_WAIT = 0x00000002;
inline constexpr uint32_t MCI_FROM = 0x00000004;
inline constexpr uint32_t MCI_TO = 0x00000008;
inline constexpr uint32_t MCI_TRACK = 0x00000010;
inline constexpr uint32_t MCI_OPEN_TYPE = 0x00002000;
inline constexpr uint32_t MCI_OPEN_TYPE_ID = 0x00001000;
inline constexpr uint32_t MCI_SET_TIME_FORMAT = 0x00000400;
inline constexpr uint32_t MCI_STATUS_ITEM = 0x00000100;

inline constexpr uint32_t MCI_DEVTYPE_CD_AUDIO = 516;
inline constexpr uint32_t MCI_FORMAT_TMSF = 10;
inline constexpr uint32_t MCI_STATUS_NUMBER_OF_TRACKS = 0x00000003;
inline constexpr uint32_t MCI_CDA_STATUS_TYPE_TRACK = 0x00004001;
inline constexpr uint32_t MCI_CDA_TRACK_AUDIO = 1088;
inline constexpr uint32_t MCI_CDA_TRACK_OTHER = 1089;

inline constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = 257;
inline constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = 261;
inline constexpr MCIERROR MCIERR_HARDWARE = 262;
inline constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = 263;
inline constexpr MCIERROR MCIERR_OUTOFRANGE = 282;
inline constexpr MCIERROR MCIERR_FLAGS_NOT_COMPATIBLE = 284;
inline constexpr MCIERROR MCIERR_MISSING_PARAMETER = 273;
inline constexpr MCIERROR MCIERR_DEVICE_NOT_READY = 276;
inline constexpr MCIERROR MCIERR_BAD_TIME_FORMAT = 293;

// TMSF positions: track in the low byte, then minute, second, frame.
constexpr uint32_t MCI_MAKE_TMSF(uint32_t track, uint32_t minute, uint32_t second, uint32_t frame) {
    return (track & 0xFF) | (minute & 0xFF) << 8 | (second & 0xFF) << 16 | (frame & 0xFF) << 24;
}
constexpr uint32_t MCI_TMSF_TRACK(uint32_t position) {
    return position & 0xFF;
}

struct MCI_GENERIC_PARMS {
    uintptr_t dwCallback = 0;
};
struct MCI_OPEN_PARMS {
    uintptr_t dwCallback = 0;
    MCIDEVICEID wDeviceID = 0;     // out
    uintptr_t lpstrDeviceType = 0; // a type id with MCI_OPEN_TYPE_ID
    const char* lpstrElementName = nullptr;
    const char* lpstrAlias = nullptr;
};
struct MCI_SET_PARMS {
    uintptr_t dwCallback = 0;
    uint32_t dwTimeFormat = 0;
    uint32_t dwAudio = 0;
};
struct MCI_STATUS_PARMS {
    uintptr_t dwCallback = 0;
    uintptr_t dwReturn = 0; // out
    uint32_t dwItem = 0;
    uint32_t dwTrack = 0;
};
struct MCI_PLAY_PARMS {
    uintptr_t dwCallback = 0;
    uint32_t dwFrom = 0;
    uint32_t dwTo = 0;
};

// What a CD device does once mciSendCommandA has checked a command's form: each
// returns 0 or an MCIERR_ code. The dispatcher calls them only on an open device, and
// play only with a track from 1 to the track count.
class CdDevice {
public:
    virtual ~CdDevice() = default;

    virtual MCIERROR open() { return MCIERR_INVALID_DEVICE_NAME; } // no device
    virtual MCIERROR setTimeFormatTmsf() { return 0; }
    virtual MCIERROR numberOfTracks(uint32_t* count) = 0;
    virtual MCIERROR isAudioTrack(uint32_t track, int32_t* isAudio) = 0;
    // From the track's start to the disc's end. `notifyWindow` is the play command's
    // callback window when it asked for MCI_NOTIFY, else 0; only the system's own device
    // delivers the notification.
    virtual MCIERROR playToEnd(uint32_t track, uintptr_t notifyWindow) = 0;
    virtual MCIERROR stop() = 0;
    virtual void close() = 0;
};

// Installs the device behind mciSendCommandA (not owned); nullptr: no CD device at all.
// Any device still open is closed first.
void setCdDevice(CdDevice* device);

MCIERROR mciSendCommandA(MCIDEVICEID deviceId, uint32_t message, uint32_t flags,
                         uintptr_t parameters);
