// Music: the demo's soundtrack, synthesised, and the disc image that carries it.
//
// The piece follows the scenes: one section per scene, each as long as that scene plays
// (the durations are passed in, in seconds), in A minor at 120 beats a minute, with a
// short tail after the last scene. Instruments are synthesised per note (detuned-saw
// pads, plucked strings, FM bells and electric piano, sine bass, drums from swept sines
// and noise) and mixed through a small stereo reverb. Everything is deterministic.
//
// The disc image is what the player's CD stand-in reads from `cdrom/`: a cue sheet whose
// track 1 is a data track (MODE1/2048 sectors in a BINARY file) and whose track 2 is the
// soundtrack as an Ogg Vorbis file (decoded by the player through libsndfile).
#pragma once

#include <string>
#include <vector>

inline constexpr int kMusicSampleRate = 44100;

struct Soundtrack {
    std::vector<float> samples; // interleaved stereo, -1..1
    double seconds() const {
        return static_cast<double>(samples.size()) / 2.0 / static_cast<double>(kMusicSampleRate);
    }
};

// One section per entry of `sectionSeconds`, then a tail of `tailSeconds`.
Soundtrack synthesiseSoundtrack(const std::vector<double>& sectionSeconds, double tailSeconds);

// Writes `cdromDir`/emberlight.cue, data.bin and soundtrack.ogg. Throws on failure.
void writeDiscImage(const std::string& cdromDir, const Soundtrack& music,
                    const std::string& discText);
