// Why an object file could not be used.
//
// The object reader refuses files that it cannot read safely or completely (a chunk
// running past the end of the file, a point or surface index that does not exist, a
// polygon that is not a triangle, ...). Each refusal is reported on the refusal channel
// (platform/Diagnostics.h: standard error, never error.txt) as
//   unusable object file <path>: <reason>
// before SceneObject::loadObject returns 0; the scene reader then tries its second path
// or writes its own error.txt message. lastRefusal() keeps the line for tools and tests.
//
// A file that cannot be opened at all is not reported here: the scene reader tries a
// second path and reports the one that failed.
#pragma once

// printf-style reason.
void reportUnusableObject(const char* fileName, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
