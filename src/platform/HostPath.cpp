// The directory calls are POSIX's opendir/readdir and stat, which MinGW-w64 provides on
// Windows too, with the same narrow (code page) names that fopen takes. The standard
// library's std::filesystem is avoided on purpose: on Windows it converts names to wide
// characters and throws on bytes that do not convert, and content names are arbitrary.
#include "platform/HostPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/AsciiCase.h"

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool exists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0;
}

// Appends `component` (length n) to `path` (currently `length` bytes) with a separator
// unless path is empty or ends in one. Returns the new length, or 0 when it does not fit.
size_t append(char* path, size_t length, size_t size, const char* component, size_t n) {
    const bool needsSeparator = length > 0 && path[length - 1] != '/';
    const size_t total = length + (needsSeparator ? 1 : 0) + n;
    if (total + 1 > size) {
        return 0;
    }
    if (needsSeparator) {
        path[length++] = '/';
    }
    std::memcpy(path + length, component, n);
    path[total] = '\0';
    return total;
}

// The entry of `directory` equal to `component` up to ASCII case; the first such entry
// in byte order. Returns false when there is none.
bool findCaseInsensitive(const char* directory, const char* component, size_t n, char* found,
                         size_t foundSize) {
    DIR* dir = opendir(directory[0] != '\0' ? directory : ".");
    if (dir == nullptr) {
        return false;
    }
    bool any = false;
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strlen(name) != n || asciiCompareNoCase(name, component, n) != 0) {
            continue;
        }
        if (n + 1 > foundSize) {
            continue;
        }
        if (!any || std::strcmp(name, found) < 0) {
            std::memcpy(found, name, n + 1);
            any = true;
        }
    }
    closedir(dir);
    return any;
}

} // namespace

int32_t resolveContentPath(const char* contentPath, char* hostPath, size_t hostPathSize) {
    if (hostPathSize == 0) {
        return 0;
    }
    hostPath[0] = '\0';
    if (contentPath == nullptr) {
        return 0;
    }
    size_t length = 0;
    if (isSeparator(contentPath[0])) {
        if (hostPathSize < 2) {
            return 0;
        }
        hostPath[0] = '/';
        hostPath[1] = '\0';
        length = 1;
    }

    bool allExist = true;
    const char* p = contentPath;
    while (*p != '\0') {
        while (isSeparator(*p)) {
            ++p;
        }
        const char* start = p;
        while (*p != '\0' && !isSeparator(*p)) {
            ++p;
        }
        const size_t n = static_cast<size_t>(p - start);
        if (n == 0) {
            break;
        }
        const size_t before = length;
        length = append(hostPath, before, hostPathSize, start, n);
        if (length == 0) {
            hostPath[0] = '\0';
            return 0;
        }
        if (!allExist || exists(hostPath)) {
            continue;
        }
        // Not there under its own name: look for it in another case.
        char parent[4096];
        if (before + 1 > sizeof(parent)) {
            allExist = false;
            continue;
        }
        std::memcpy(parent, hostPath, before);
        parent[before] = '\0';
        char found[256];
        if (findCaseInsensitive(parent, start, n, found, sizeof(found))) {
            hostPath[before] = '\0';
            length = append(hostPath, before, hostPathSize, found, n);
            if (length == 0) {
                hostPath[0] = '\0';
                return 0;
            }
        } else {
            allExist = false;
        }
    }
    if (length == 0) {
        return 0;
    }
    return allExist ? 1 : 0;
}

FILE* openContentFile(const char* contentPath) {
    char hostPath[4096];
    if (resolveContentPath(contentPath, hostPath, sizeof(hostPath)) == 0) {
        return nullptr;
    }
    struct stat info;
    if (stat(hostPath, &info) != 0 || !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    return std::fopen(hostPath, "rb");
}
