#include "platform/Diagnostics.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kLineCapacity = 4096; // bytes of a terminal line, terminator included
constexpr int32_t kRememberedLines = 1024;

struct Channels {
    int32_t toolMode = 0;
    const char* programName = "emberplay";
    FILE* trace = nullptr; // nullptr: standard output in the player, nowhere in a tool
    int32_t traceSet = 0;  // 1: `trace` was chosen explicitly
    int32_t quiet = 0;     // 1: nothing shown on the terminal
    char lastRefusal[kLineCapacity] = {};
    // FNV-1a hashes of the terminal lines shown so far; once full, lines are shown again.
    uint64_t shown[kRememberedLines] = {};
    int32_t shownCount = 0;
};

Channels channels;

uint64_t hashOf(const char* text) {
    uint64_t hash = 14695981039346656037ull;
    for (; *text != '\0'; ++text) {
        hash = (hash ^ static_cast<unsigned char>(*text)) * 1099511628211ull;
    }
    return hash;
}

// True the first time a line is seen (and when the memory of lines is full).
bool firstSighting(const char* line) {
    const uint64_t hash = hashOf(line);
    for (int32_t i = 0; i < channels.shownCount; ++i) {
        if (channels.shown[i] == hash) {
            return false;
        }
    }
    if (channels.shownCount < kRememberedLines) {
        channels.shown[channels.shownCount++] = hash;
    }
    return true;
}

// "<program>: <kind><text>" on standard error, backslash runs collapsed, once per text.
void showOnTerminal(const char* kind, const char* text) {
    if (channels.quiet) {
        return;
    }
    char line[kLineCapacity];
    collapseBackslashes(text, line, sizeof line);
    if (!firstSighting(line)) {
        return;
    }
    std::fprintf(stderr, "%s: %s%s\n", channels.programName, kind, line);
    std::fflush(stderr);
}

void writeErrorLog(const char* mode, const char* first, const char* second, const char* third) {
    FILE* file = std::fopen("error.txt", mode);
    if (file == nullptr) {
        return; // nowhere to report; the caller's own result still says what failed
    }
    std::fputs(first, file);
    std::fputs(second, file);
    std::fputs(third, file);
    std::fputc('\n', file);
    std::fflush(file);
    std::fclose(file);
}

FILE* traceStream() {
    if (channels.traceSet || channels.toolMode) {
        return channels.trace;
    }
    return stdout;
}

} // namespace

void usePlayerDiagnostics() {
    channels.toolMode = 0;
    channels.programName = "emberplay";
    channels.trace = nullptr;
    channels.traceSet = 0;
}

void useToolDiagnostics(const char* programName, int traceLoaders) {
    channels.toolMode = 1;
    channels.programName = programName;
    channels.trace = traceLoaders ? stderr : nullptr;
    channels.traceSet = 1;
}

void setLoaderTraceStream(FILE* stream) {
    channels.trace = stream;
    channels.traceSet = 1;
}

void setTerminalQuiet(int quiet) {
    channels.quiet = quiet != 0;
}

void appendToErrorLog(const char* first, const char* second, const char* third) {
    if (!channels.toolMode) {
        writeErrorLog("a", first, second, third);
        return;
    }
    char line[kLineCapacity];
    std::snprintf(line, sizeof line, "%s%s%s", first, second, third);
    showOnTerminal("warning: ", line);
}

void replaceErrorLog(const char* first, const char* second, const char* third) {
    // A tool reports the failure in its own error message (the scene reader keeps it).
    if (!channels.toolMode) {
        writeErrorLog("w", first, second, third);
    }
}

void traceLoader(const char* format, ...) {
    FILE* stream = traceStream();
    if (stream == nullptr) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stream, format, arguments);
    va_end(arguments);
}

void reportRefusal(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(channels.lastRefusal, sizeof channels.lastRefusal, format, arguments);
    va_end(arguments);
    showOnTerminal("", channels.lastRefusal);
}

const char* lastRefusal() {
    return channels.lastRefusal;
}

void clearLastRefusal() {
    channels.lastRefusal[0] = '\0';
}

void collapseBackslashes(const char* text, char* out, size_t outSize) {
    if (outSize == 0) {
        return;
    }
    size_t length = 0;
    for (const char* c = text; *c != '\0' && length + 1 < outSize; ++c) {
        if (*c == '\\' && length > 0 && out[length - 1] == '\\') {
            continue;
        }
        out[length++] = *c;
    }
    out[length] = '\0';
}
