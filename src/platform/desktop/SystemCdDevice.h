// SystemCdDevice: the CD device of the running player.
//
// open() looks for a disc image first (`cdrom/*.cue` in the working directory, see
// DiscImage) and else for the first physical drive (libcdio). A sheet that cannot be
// read is reported on standard error and counts as no disc. Playing decodes from the
// chosen track to the end of the disc through SdlAudioOutput; it returns at once.
//
// The audio source of a drive reads the disc while the audio plays, so the drive must
// stay open until stop() or close().
#pragma once

#include <cstdint>
#include <memory>

#include "platform/CdDevice.h"
#include "platform/DiscImagePlayer.h"
#include "platform/desktop/CdDrive.h"
#include "platform/desktop/SdlAudioOutput.h"

class SystemCdDevice : public CdDevice {
public:
    MCIERROR open() override;
    MCIERROR numberOfTracks(uint32_t* count) override;
    MCIERROR isAudioTrack(uint32_t track, int32_t* isAudio) override;
    MCIERROR playToEnd(uint32_t track, uintptr_t notifyWindow) override;
    MCIERROR stop() override;
    void close() override;

private:
    DiscImagePlayer image_; // the disc image, when there is one
    CdDrive drive_;
    int32_t usingDrive_ = 0;
    SdlAudioOutput output_;
};
