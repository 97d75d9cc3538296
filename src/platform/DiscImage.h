// DiscImage: an audio CD kept as files, described by a cue sheet.
//
// The CD stand-in of the player reads `cdrom/*.cue` in the working directory (the first
// in name order). The sheet is read by parseCueSheet (CueSheet.h); each FILE it names is
// looked up beside it with the content path rules (backslashes, case-insensitive
// fallback), so sheets written on Windows work. Files hold the disc's sectors either raw
// (BINARY: 2352-byte audio sectors, data sectors of their mode's size, in disc order) or
// as sound files (WAVE, and FLAC or Ogg under the WAVE or other keywords: whatever
// openSoundFile decodes).
//
// Positions are CD sectors (frames of 1/75 s; 588 stereo samples at 44.1 kHz). Per
// track: `start` is INDEX 01 (where playing "from the track" begins), `regionStart` is
// INDEX 00 when there is one (the pregap), `end` the first sector of the next track in
// the same file (its INDEX 00, else its INDEX 01), or -1 for "to the end of the file".
//
// What it does not do: write, read sub-channel data, or honour PREGAP/POSTGAP silence
// that no file holds (such a gap plays as nothing: the next sector follows at once).
#pragma once

#include <cstdint>
#include <string>

inline constexpr int32_t kMaxDiscTracks = 99;
inline constexpr int32_t kCdSectorBytes = 2352;
inline constexpr int32_t kSamplesPerSector = 588; // stereo sample frames at 44.1 kHz
inline constexpr int32_t kCdSampleRate = 44100;

enum class DiscFileKind : int32_t {
    Binary,          // raw sectors, samples little-endian
    BinaryBigEndian, // raw sectors, samples big-endian (MOTOROLA)
    SoundFile,       // decoded by openSoundFile (SoundFile.h)
};

struct DiscFile {
    std::string hostPath;
    DiscFileKind kind = DiscFileKind::Binary;
};

struct DiscTrack {
    int32_t isAudio = 0;
    int32_t fileIndex = 0;        // into DiscImage::files
    int32_t sectorBytes = 2352;   // bytes per sector in a BINARY file
    int64_t start = 0;            // INDEX 01, sectors into the file
    int64_t regionStart = 0;      // INDEX 00 if present, else start
    int64_t end = -1;             // exclusive; -1: the end of the file
    int64_t regionByteOffset = 0; // BINARY files: byte offset of regionStart
};

struct DiscImage {
    std::string cuePath;
    DiscFile files[kMaxDiscTracks];
    int32_t fileCount = 0;
    DiscTrack tracks[kMaxDiscTracks]; // tracks[0] is track 1
    int32_t trackCount = 0;

    // Reads a cue sheet (a host path). Returns 1, or 0 with the reason in `error`.
    int32_t load(const char* hostCuePath, std::string* error);
};

// The cue sheet a player in the working directory uses: the first `*.cue` (in byte
// order of names, case-insensitive extension) in `cdrom/`. Returns 0 when there is none.
int32_t findDiscImage(std::string* hostCuePath);
