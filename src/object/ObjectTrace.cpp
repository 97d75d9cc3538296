#include "object/ObjectTrace.h"

#include <cstdarg>

namespace {

FILE* traceStream = nullptr; // nullptr: standard output

} // namespace

void setObjectTraceStream(FILE* stream) {
    traceStream = stream;
}

FILE* objectTraceStream() {
    return traceStream != nullptr ? traceStream : stdout;
}

void traceObject(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(objectTraceStream(), format, arguments);
    va_end(arguments);
}
