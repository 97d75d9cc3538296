#include "platform/CueSheet.h"

#include <cstring>

#include "platform/AsciiCase.h"

namespace {

const char* const kPassedOver[] = {"REM",      "TITLE",     "PERFORMER", "SONGWRITER", "COMPOSER",
                                   "ARRANGER", "MESSAGE",   "CATALOG",   "CDTEXTFILE", "FLAGS",
                                   "ISRC",     "DISC_ID",   "GENRE",     "TOC_INFO1",  "TOC_INFO2",
                                   "UPC_EAN",  "SIZE_INFO", "PREGAP",    "POSTGAP"};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool equalsNoCase(const std::string& word, const char* keyword) {
    return word.size() == std::strlen(keyword) &&
           asciiCompareNoCase(word.c_str(), keyword, word.size()) == 0;
}

// Reads the next blank-separated word of `line` from `at`; empty at the end.
std::string nextWord(const std::string& line, size_t* at) {
    while (*at < line.size() && isBlank(line[*at])) {
        ++*at;
    }
    const size_t start = *at;
    while (*at < line.size() && !isBlank(line[*at])) {
        ++*at;
    }
    return line.substr(start, *at - start);
}

// A decimal number of at most `maxDigits` digits, the whole of `text`; -1 otherwise.
int64_t readNumber(const std::string& text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) {
        return -1;
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// mm:ss:ff as sectors of 1/75 s; -1 when it is not such a time.
int64_t readTime(const std::string& text) {
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos) {
        return -1;
    }
    const int64_t minutes = readNumber(text.substr(0, first), 4);
    const int64_t seconds = readNumber(text.substr(first + 1, second - first - 1), 2);
    const int64_t sectors = readNumber(text.substr(second + 1), 2);
    if (minutes < 0 || seconds < 0 || seconds > 59 || sectors < 0 || sectors > 74) {
        return -1;
    }
    return (minutes * 60 + seconds) * 75 + sectors;
}

// AUDIO, or MODEx/size and CDI/size for data; the sector size of a data mode is the one
// its sectors have in a BINARY file.
bool readMode(const std::string& mode, CueTrack* track) {
    if (equalsNoCase(mode, "AUDIO")) {
        track->isAudio = 1;
        track->sectorBytes = 2352;
        return true;
    }
    const size_t slash = mode.find('/');
    if (slash == std::string::npos) {
        return false;
    }
    const std::string kind = mode.substr(0, slash);
    if (!equalsNoCase(kind, "MODE1") && !equalsNoCase(kind, "MODE2") &&
        !equalsNoCase(kind, "CDI")) {
        return false;
    }
    const int64_t size = readNumber(mode.substr(slash + 1), 4);
    if (size != 2048 && size != 2324 && size != 2332 && size != 2336 && size != 2352) {
        return false;
    }
    track->isAudio = 0;
    track->sectorBytes = static_cast<int32_t>(size);
    return true;
}

bool readFileLine(const std::string& line, size_t at, CueFile* file) {
    while (at < line.size() && isBlank(line[at])) {
        ++at;
    }
    if (at < line.size() && line[at] == '"') {
        const size_t close = line.find('"', at + 1);
        if (close == std::string::npos) {
            return false;
        }
        file->name = line.substr(at + 1, close - at - 1);
        at = close + 1;
    } else {
        file->name = nextWord(line, &at);
    }
    if (file->name.empty()) {
        return false;
    }
    const std::string type = nextWord(line, &at);
    if (equalsNoCase(type, "BINARY")) {
        file->kind = DiscFileKind::Binary;
    } else if (equalsNoCase(type, "MOTOROLA")) {
        file->kind = DiscFileKind::BinaryBigEndian;
    } else {
        file->kind = DiscFileKind::SoundFile;
    }
    return true;
}

} // namespace

int32_t parseCueSheet(const std::string& text, CueSheet* sheet, std::string* reason) {
    *sheet = CueSheet{};
    const std::string notACueSheet = "not a cue sheet";
    size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        size_t position = 0;
        const std::string keyword = nextWord(line, &position);
        if (keyword.empty()) {
            continue;
        }
        if (equalsNoCase(keyword, "FILE")) {
            CueFile file;
            if (!readFileLine(line, position, &file)) {
                *reason = notACueSheet;
                return 0;
            }
            sheet->files.push_back(file);
        } else if (equalsNoCase(keyword, "TRACK")) {
            CueTrack track;
            const int64_t number = readNumber(nextWord(line, &position), 2);
            if (sheet->files.empty() || number < 1 ||
                !readMode(nextWord(line, &position), &track)) {
                *reason = notACueSheet;
                return 0;
            }
            track.fileIndex = static_cast<int32_t>(sheet->files.size()) - 1;
            sheet->tracks.push_back(track);
        } else if (equalsNoCase(keyword, "INDEX")) {
            const int64_t number = readNumber(nextWord(line, &position), 2);
            const int64_t time = readTime(nextWord(line, &position));
            if (sheet->tracks.empty() || number < 0 || time < 0) {
                *reason = notACueSheet;
                return 0;
            }
            if (number == 0) {
                sheet->tracks.back().index0 = time;
            } else if (number == 1) {
                sheet->tracks.back().index1 = time;
            }
        } else {
            bool known = false;
            for (const char* passedOver : kPassedOver) {
                known = known || equalsNoCase(keyword, passedOver);
            }
            if (!known) {
                *reason = notACueSheet;
                return 0;
            }
        }
    }
    if (sheet->files.empty() || sheet->tracks.empty()) {
        *reason = notACueSheet;
        return 0;
    }
    for (size_t i = 0; i < sheet->tracks.size(); ++i) {
        if (sheet->tracks[i].index1 < 0) {
            *reason = "track " + std::to_string(i + 1) + " has no INDEX 01";
            return 0;
        }
    }
    return 1;
}
