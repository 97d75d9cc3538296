#include "texture/ErrorLog.h"

#include <cstdio>

namespace {

void writeLine(const char* mode, const char* first, const char* second, const char* third) {
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

} // namespace

void appendToErrorLog(const char* first, const char* second, const char* third) {
    writeLine("a", first, second, third);
}

void replaceErrorLog(const char* first, const char* second, const char* third) {
    writeLine("w", first, second, third);
}
