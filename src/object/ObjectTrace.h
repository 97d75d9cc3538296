// The object loaders' trace stream.
//
// The object reader, the surface reader and the mesh preparation print trace lines
// (surface attributes, degenerate normals) that nothing reads; the player shows them on
// standard output. Tools whose standard output carries their own results point the
// stream elsewhere (standard error) before they load anything.
//
// Process-wide by design: the loaders have no context object to carry it, and the
// player never changes it. Not thread-safe; set it before loading.
//
// Usage:
//   setObjectTraceStream(stderr);          // default: stdout
//   traceObject("r:%d g:%d b:%d\n", r, g, b);
#pragma once

#include <cstdio>

// Where trace lines go from now on; nullptr restores standard output.
void setObjectTraceStream(FILE* stream);
FILE* objectTraceStream();

// printf-style; one call per trace line or part of one.
void traceObject(const char* format, ...) __attribute__((format(printf, 1, 2)));
