// CueSheet: the text of a cue sheet read into its files and tracks, nothing looked up.
//
// Lines start with a keyword (any case); what a disc image needs is read and the rest
// (REM, TITLE, PERFORMER, FLAGS, ISRC, CATALOG, PREGAP, POSTGAP ...) is passed over:
//   FILE "name" TYPE     name quoted or a single word; TYPE BINARY, MOTOROLA (big-endian
//                        samples) or a sound file type (WAVE, FLAC, OGG, MP3, AIFF ...)
//   TRACK nn MODE        AUDIO, or a data mode with its sector size (MODE1/2048 ...)
//   INDEX nn mm:ss:ff    minutes, seconds (0-59) and sectors (0-74) into the file
// A sheet is refused when a line starts with anything else, when it has no FILE or no
// TRACK, when a TRACK comes before any FILE or an INDEX before any TRACK, when a mode or
// a time cannot be read, and when a track has no INDEX 01. A byte-order mark is allowed.
//
// Written here rather than taken from libcue: libcue is not built for Windows, and it
// does not report the type of each FILE, which the audio needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DiscImage.h"

struct CueFile {
    std::string name; // as written (content path rules apply when it is looked up)
    DiscFileKind kind = DiscFileKind::SoundFile;
};

struct CueTrack {
    int32_t fileIndex = 0; // into CueSheet::files
    int32_t isAudio = 1;
    int32_t sectorBytes = 2352; // bytes per sector in a BINARY file
    int64_t index0 = -1;        // sectors into the file; -1 when the sheet gives none
    int64_t index1 = -1;
};

struct CueSheet {
    std::vector<CueFile> files;
    std::vector<CueTrack> tracks; // in sheet order: tracks[0] is the disc's track 1
};

// Returns 1, or 0 with the reason in `reason` ("not a cue sheet", or what is wrong with
// which track).
int32_t parseCueSheet(const std::string& text, CueSheet* sheet, std::string* reason);
