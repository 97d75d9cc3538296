// CdDrive: the first physical CD drive, through libcdio: its track table and its audio
// from the start of a track to the end of the disc (data tracks skipped).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/DiscAudioSource.h"

struct _CdIo;

class CdDrive {
public:
    CdDrive() = default;
    ~CdDrive();
    CdDrive(const CdDrive&) = delete;
    CdDrive& operator=(const CdDrive&) = delete;

    int32_t open();        // 1 when a drive was found
    int32_t hasDisc();     // 1 when it holds a readable disc
    uint32_t trackCount(); // 0 without a disc
    int32_t isAudioTrack(uint32_t track);
    // The audio from `track` to the end of the disc, or nullptr for a data track.
    std::unique_ptr<DiscAudioSource> audioFrom(uint32_t track);
    void close();

private:
    _CdIo* drive_ = nullptr;
};
