// Content paths onto the host file system.
//
// Content (scene files, object files, texture names) was written on Windows: paths use
// backslashes, the object reader's fallback path has a doubled separator, and names
// differ in case from the files on disk ("Wood.3DF" for wood.3df). A content path is
// mapped component by component:
//   - '\' and '/' both separate components; repeated separators count as one;
//   - a component that does not exist with its exact name matches an entry of its
//     directory that differs only in ASCII case (the first in byte order, if several).
// Relative paths are relative to the working directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Maps `contentPath` into `hostPath` (hostPathSize bytes). Returns 1 when the mapped
// path names an existing file or directory, 0 otherwise; in that case hostPath holds
// the literal mapping (separators converted, case as written), or is empty when it
// would not fit.
int32_t resolveContentPath(const char* contentPath, char* hostPath, size_t hostPathSize);

// Opens a content path for binary reading. Only regular files are opened: a directory,
// a FIFO or a device under a content name is refused (nullptr), so that no loader can
// block or read something that is not a file.
FILE* openContentFile(const char* contentPath);
