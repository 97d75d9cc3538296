// DiscImagePlayer: a disc image taking the place of an audio CD: the first `cdrom/*.cue`
// of the working directory (see DiscImage), its track table, and its audio from a track
// to the end of the disc through an AudioOutput. Used by the CD devices of the running
// player on every system.
//
// Call order: open(); trackCount() / isAudioTrack(); play(track, output) as often as
// wanted; output.stop(); close(). The output must have stopped before close() or the
// next open(), since the audio it plays reads the image.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/AudioOutput.h"
#include "platform/DiscImage.h"

class DiscImagePlayer {
public:
    // 1: an image was found and read; 0: there is none; -1: one was found that cannot be
    // read (the reason is on standard error), which counts as a drive without a disc.
    int32_t open();
    bool isOpen() const { return image_ != nullptr; }
    uint32_t trackCount() const;
    int32_t isAudioTrack(uint32_t track) const; // track 1 .. trackCount()
    // Starts playing from the start of `track` to the end of the disc. Returns 0 for a
    // data track, a file that went away or an output that cannot play.
    int32_t play(uint32_t track, AudioOutput& output);
    void close() { image_.reset(); }

private:
    std::unique_ptr<DiscImage> image_;
};
