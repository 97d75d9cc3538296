// Why an object file could not be used.
//
// The object reader refuses files that it cannot read safely or completely (a chunk
// running past the end of the file, a point or surface index that does not exist, a
// polygon that is not a triangle, ...). Each refusal appends one line to error.txt,
//   unusable object file <path>: <reason>
// before SceneObject::loadObject returns 0, and the scene reader then writes its own
// message. The last reason is also kept for tools that show it directly.
//
// A file that cannot be opened at all is not reported here: the scene reader tries a
// second path and reports the one that failed.
#pragma once

#include <cstddef>

// Bytes of the longest line, terminator included.
inline constexpr size_t kObjectLoadFailureSize = 1024;

// Appends the error.txt line and keeps the reason. printf-style reason.
void reportUnusableObject(const char* fileName, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The last reported line ("" when none since the last clearObjectLoadFailure()).
const char* lastObjectLoadFailure();
void clearObjectLoadFailure();
