// Win32CdDevice: the CD device of emberplay.exe.
//
// open() looks for a disc image first (`cdrom/*.cue` in the working directory, see
// DiscImage) and plays it through the sound card's wave output; without one it opens the
// system's CD-audio device (MCI), which plays a physical disc itself. A sheet that cannot
// be read is reported on standard error and counts as no disc.
#pragma once

#include <cstdint>

#include "platform/CdDevice.h"
#include "platform/DiscImagePlayer.h"
#include "platform/win32/MciCdAudio.h"
#include "platform/win32/WaveOutAudioOutput.h"

class Win32CdDevice : public CdDevice {
public:
    MCIERROR open() override;
    MCIERROR setTimeFormatTmsf() override;
    MCIERROR numberOfTracks(uint32_t* count) override;
    MCIERROR isAudioTrack(uint32_t track, int32_t* isAudio) override;
    MCIERROR playToEnd(uint32_t track, uintptr_t notifyWindow) override;
    MCIERROR stop() override;
    void close() override;

private:
    DiscImagePlayer image_;
    WaveOutAudioOutput output_;
    MciCdAudio drive_;
};
