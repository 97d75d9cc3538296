// The soundtrack of a rendered demo: the disc image's audio from a chosen track on, as
// the player would play it, cut or padded with silence to an exact number of samples.
#pragma once

#include <cstdint>
#include <string>

// Checks that the working directory's disc image (cdrom/*.cue) has audio track `track`;
// returns the sheet's path. Throws ToolError naming what is missing.
std::string requireDiscTrack(uint32_t track);

// The first audio track of the working directory's disc image, with the sheet's path in
// `cuePath`; 0 when there is no disc image or it holds no audio (a sheet that cannot be
// read is reported as a warning).
uint32_t firstDiscAudioTrack(std::string* cuePath);

// Writes `sampleFrames` stereo 16-bit frames at 44.1 kHz of the disc to a WAV file at
// `path`, starting `skipFrames` sample frames after the first sample of `track` (its
// INDEX 01).
void writeDiscSoundtrack(const std::string& cuePath, uint32_t track, const std::string& path,
                         int64_t skipFrames, int64_t sampleFrames);
