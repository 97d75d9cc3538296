#include "object/ObjectLoadFailure.h"

#include <cstdarg>
#include <cstdio>

#include "texture/ErrorLog.h"

namespace {

char lastLine[kObjectLoadFailureSize] = {}; // process-wide, like error.txt itself

} // namespace

void reportUnusableObject(const char* fileName, const char* format, ...) {
    char reason[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(reason, sizeof reason, format, arguments);
    va_end(arguments);
    std::snprintf(lastLine, sizeof lastLine, "unusable object file %s: %s", fileName, reason);
    appendToErrorLog(lastLine);
}

const char* lastObjectLoadFailure() {
    return lastLine;
}

void clearObjectLoadFailure() {
    lastLine[0] = '\0';
}
