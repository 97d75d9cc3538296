#include "object/ObjectLoadFailure.h"

#include <cstdarg>
#include <cstdio>

#include "platform/Diagnostics.h"

void reportUnusableObject(const char* fileName, const char* format, ...) {
    char reason[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(reason, sizeof reason, format, arguments);
    va_end(arguments);
    reportRefusal("unusable object file %s: %s", fileName, reason);
}
