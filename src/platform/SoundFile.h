// SoundFile: a sound file read as 16-bit samples, the audio of a disc image's WAVE (or
// FLAC, Ogg ...) tracks.
//
// openSoundFile is defined by the decoders a build links: libsndfile on Linux (every
// format it reads, SndfileSoundFile.cpp); WAVE and Ogg Vorbis elsewhere
// (PortableSoundFile.cpp: WaveSoundFile and VorbisSoundFile, which need no library).
//
// Frames are one sample per channel, interleaved; positions count frames from the start.
#pragma once

#include <cstdint>
#include <memory>

class SoundFile {
public:
    virtual ~SoundFile() = default;

    int32_t channels() const { return channels_; }     // 1 .. 64
    int32_t sampleRate() const { return sampleRate_; } // frames per second, at least 1

    // Moves to `frame`. Returns 1, or 0 when that frame cannot be reached.
    virtual int32_t seek(int64_t frame) = 0;
    // Reads up to `frames` frames into `samples` (frames * channels() values). Returns
    // the number read: fewer only at the end of the file or on a read error.
    virtual int64_t read(int16_t* samples, int64_t frames) = 0;

protected:
    int32_t channels_ = 0;
    int32_t sampleRate_ = 0;
};

// Opens a host path for reading; nullptr when it is not a sound file this build decodes.
std::unique_ptr<SoundFile> openSoundFile(const char* hostPath);

// At most this many channels are accepted: no disc's sound file has more.
inline constexpr int32_t kMaxSoundFileChannels = 64;
