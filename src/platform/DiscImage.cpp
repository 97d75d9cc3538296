// Cue sheets: libcue gives tracks, modes and indexes but not the type keyword of each
// FILE line, so the FILE lines are scanned here as well (in order, they match libcue's
// filenames). Byte offsets in a BINARY file depend on the sector size of every track
// before it in that file (a mixed-mode image may hold 2048-byte data sectors followed by
// 2352-byte audio sectors), so they are accumulated track by track.
#include "platform/DiscImage.h"

#include <dirent.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <libcue.h>
}

#include "platform/HostPath.h"

namespace {

constexpr long kMaxCueBytes = 1 << 20;

int32_t sectorBytesOf(TrackMode mode) {
    switch (mode) {
    case MODE_MODE1:
    case MODE_MODE2_FORM1:
        return 2048;
    case MODE_MODE2:
        return 2336;
    case MODE_MODE2_FORM2:
        return 2324;
    case MODE_MODE2_FORM_MIX:
        return 2332;
    default:
        return 2352;
    }
}

// The FILE lines of a sheet: (name, kind), in order.
std::vector<std::pair<std::string, DiscFileKind>> scanFileLines(const std::string& text) {
    std::vector<std::pair<std::string, DiscFileKind>> files;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || strncasecmp(line.c_str() + first, "FILE", 4) != 0) {
            continue;
        }
        std::string rest = line.substr(first + 4);
        std::string name;
        size_t after = 0;
        const size_t open = rest.find('"');
        if (open != std::string::npos) {
            const size_t close = rest.find('"', open + 1);
            if (close == std::string::npos) {
                continue;
            }
            name = rest.substr(open + 1, close - open - 1);
            after = close + 1;
        } else {
            const size_t nameStart = rest.find_first_not_of(" \t");
            if (nameStart == std::string::npos) {
                continue;
            }
            const size_t nameEnd = rest.find_first_of(" \t", nameStart);
            name = rest.substr(nameStart, nameEnd - nameStart);
            after = nameEnd == std::string::npos ? rest.size() : nameEnd;
        }
        std::string type = rest.substr(after);
        type.erase(0, type.find_first_not_of(" \t"));
        DiscFileKind kind = DiscFileKind::SoundFile;
        if (strncasecmp(type.c_str(), "BINARY", 6) == 0) {
            kind = DiscFileKind::Binary;
        } else if (strncasecmp(type.c_str(), "MOTOROLA", 8) == 0) {
            kind = DiscFileKind::BinaryBigEndian;
        }
        files.emplace_back(name, kind);
    }
    return files;
}

// libcue reports its syntax errors on standard error and does not free what it had
// built by then, so sheets that are plainly not cue sheets are refused before it sees
// them: every line must begin with a cue keyword, and there must be FILE and TRACK lines.
bool looksLikeCueSheet(const std::string& text) {
    static const char* const kKeywords[] = {
        "FILE",      "TRACK",      "INDEX",      "PREGAP",   "POSTGAP",  "REM",
        "TITLE",     "PERFORMER",  "SONGWRITER", "COMPOSER", "ARRANGER", "MESSAGE",
        "CATALOG",   "CDTEXTFILE", "FLAGS",      "ISRC",     "DISC_ID",  "GENRE",
        "TOC_INFO1", "TOC_INFO2",  "UPC_EAN",    "SIZE_INFO"};
    bool hasFile = false;
    bool hasTrack = false;
    size_t at = 0;
    // A byte-order mark some editors write.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        at = 3;
    }
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const size_t first = text.find_first_not_of(" \t", at);
        if (first < end) {
            const size_t wordEnd = std::min(text.find_first_of(" \t\r\n", first), end);
            const std::string word = text.substr(first, wordEnd - first);
            bool known = false;
            for (const char* keyword : kKeywords) {
                known = known || strcasecmp(word.c_str(), keyword) == 0;
            }
            if (!known) {
                return false;
            }
            hasFile = hasFile || strcasecmp(word.c_str(), "FILE") == 0;
            hasTrack = hasTrack || strcasecmp(word.c_str(), "TRACK") == 0;
        }
        at = end + 1;
    }
    return hasFile && hasTrack;
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
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
    if (text.find('\0') != std::string::npos) {
        *error = cuePath + " is not a cue sheet";
        return 0;
    }

    if (!looksLikeCueSheet(text)) {
        *error = cuePath + " is not a cue sheet";
        return 0;
    }
    const auto fileLines = scanFileLines(text);
    Cd* cd = cue_parse_string(text.c_str());
    if (cd == nullptr) {
        *error = cuePath + " is not a cue sheet";
        return 0;
    }
    const int count = cd_get_ntrack(cd);
    if (count < 1 || count > kMaxDiscTracks) {
        cd_delete(cd);
        *error = cuePath + ": a disc holds 1 to 99 tracks";
        return 0;
    }

    const std::string directory = directoryOf(cuePath);
    std::string previousName;
    for (int i = 1; i <= count; ++i) {
        Track* track = cd_get_track(cd, i);
        const char* name = track != nullptr ? track_get_filename(track) : nullptr;
        if (name == nullptr) {
            cd_delete(cd);
            *error = cuePath + ": track " + std::to_string(i) + " has no FILE";
            return 0;
        }
        if (fileCount == 0 || previousName != name) {
            // A new FILE line: match it with the scanned lines to learn its type.
            if (fileCount >= kMaxDiscTracks) {
                cd_delete(cd);
                *error = cuePath + ": too many files";
                return 0;
            }
            DiscFile& discFile = files[fileCount];
            discFile.kind = static_cast<size_t>(fileCount) < fileLines.size()
                                ? fileLines[static_cast<size_t>(fileCount)].second
                                : DiscFileKind::Binary;
            char hostPath[4096];
            const std::string contentPath = directory + name;
            if (!resolveContentPath(contentPath.c_str(), hostPath, sizeof(hostPath))) {
                *error = cuePath + ": missing file " + name; // before the sheet is freed
                cd_delete(cd);
                return 0;
            }
            discFile.hostPath = hostPath;
            ++fileCount;
            previousName = name;
        }
        DiscTrack& t = tracks[trackCount++];
        t.isAudio = track_get_mode(track) == MODE_AUDIO;
        t.fileIndex = fileCount - 1;
        t.sectorBytes = sectorBytesOf(track_get_mode(track));
        t.start = track_get_index(track, 1);
        if (t.start < 0) {
            t.start = track_get_start(track);
        }
        const long pregap = track_get_index(track, 0);
        t.regionStart = pregap >= 0 && pregap <= t.start ? pregap : t.start;
        const long length = track_get_length(track);
        t.end = length >= 0 ? t.start + length : -1;
    }
    cd_delete(cd);

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
        if (length > 4 && strcasecmp(entry->d_name + length - 4, ".cue") == 0) {
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
