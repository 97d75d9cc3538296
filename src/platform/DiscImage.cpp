// Byte offsets in a BINARY file depend on the sector size of every track before it in
// that file (a mixed-mode image may hold 2048-byte data sectors followed by 2352-byte
// audio sectors), so they are accumulated track by track.
#include "platform/DiscImage.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/CueSheet.h"
#include "platform/HostPath.h"

namespace {

constexpr long kMaxCueBytes = 1 << 20;

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

int32_t DiscImage::load(const char* hostCuePath, std::string* error) {
    *this = DiscImage{};
    cuePath = hostCuePath;
    FILE* file = std::fopen(hostCuePath, "rb");
    if (file == nullptr) {
        *error = "cannot open " + cuePath;
        return 0;
    }
    std::string text;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0 &&
           text.size() < static_cast<size_t>(kMaxCueBytes)) {
        text.append(buffer, got);
    }
    std::fclose(file);
    if (text.size() >= static_cast<size_t>(kMaxCueBytes)) {
        *error = cuePath + " is too large to be a cue sheet";
        return 0;
    }
    CueSheet sheet;
    std::string reason;
    if (text.find('\0') != std::string::npos || !parseCueSheet(text, &sheet, &reason)) {
        *error = cuePath + (reason.empty() || reason == "not a cue sheet" ? " is not a cue sheet"
                                                                          : ": " + reason);
        return 0;
    }
    if (sheet.tracks.size() > static_cast<size_t>(kMaxDiscTracks)) {
        *error = cuePath + ": a disc holds 1 to 99 tracks";
        return 0;
    }
    if (sheet.files.size() > static_cast<size_t>(kMaxDiscTracks)) {
        *error = cuePath + ": too many files";
        return 0;
    }

    const std::string directory = directoryOf(cuePath);
    for (const CueFile& named : sheet.files) {
        char hostPath[4096];
        const std::string contentPath = directory + named.name;
        if (!resolveContentPath(contentPath.c_str(), hostPath, sizeof(hostPath))) {
            *error = cuePath + ": missing file " + named.name;
            return 0;
        }
        files[fileCount].hostPath = hostPath;
        files[fileCount].kind = named.kind;
        ++fileCount;
    }

    for (const CueTrack& read : sheet.tracks) {
        DiscTrack& t = tracks[trackCount++];
        t.isAudio = read.isAudio;
        t.fileIndex = read.fileIndex;
        t.sectorBytes = read.sectorBytes;
        t.start = read.index1;
        t.regionStart = read.index0 >= 0 && read.index0 <= t.start ? read.index0 : t.start;
    }
    // A track ends where the next track of the same file begins (its pregap included).
    for (int32_t i = 0; i + 1 < trackCount; ++i) {
        const CueTrack& next = sheet.tracks[static_cast<size_t>(i) + 1];
        if (next.fileIndex == tracks[i].fileIndex) {
            tracks[i].end = next.index0 >= 0 ? next.index0 : next.index1;
        }
    }

    // Byte offsets of each track's region inside BINARY files.
    for (int32_t i = 0; i < trackCount; ++i) {
        DiscTrack& t = tracks[i];
        if (i > 0 && tracks[i - 1].fileIndex == t.fileIndex) {
            const DiscTrack& before = tracks[i - 1];
            t.regionByteOffset =
                before.regionByteOffset + (t.regionStart - before.regionStart) * before.sectorBytes;
        } else {
            t.regionByteOffset = t.regionStart * t.sectorBytes;
        }
        if (t.start < t.regionStart || (t.end >= 0 && t.end < t.start)) {
            *error = cuePath + ": track " + std::to_string(i + 1) + " has indexes out of order";
            return 0;
        }
    }
    return 1;
}

int32_t findDiscImage(std::string* hostCuePath) {
    char directory[4096];
    if (!resolveContentPath("cdrom", directory, sizeof(directory))) {
        return 0;
    }
    DIR* dir = opendir(directory);
    if (dir == nullptr) {
        return 0;
    }
    std::vector<std::string> sheets;
    while (const dirent* entry = readdir(dir)) {
        const size_t length = std::strlen(entry->d_name);
        if (length > 4 && asciiCompareNoCase(entry->d_name + length - 4, ".cue", 4) == 0) {
            sheets.emplace_back(entry->d_name);
        }
    }
    closedir(dir);
    if (sheets.empty()) {
        return 0;
    }
    std::sort(sheets.begin(), sheets.end());
    *hostCuePath = std::string(directory) + "/" + sheets.front();
    return 1;
}
