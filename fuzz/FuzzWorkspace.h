// FuzzWorkspace: the directory a fuzz driver's files live in.
//
// The system's readers take content paths relative to the working directory (scenes\,
// objects\, textures\, and error.txt beside them), so every input is written to a file
// and read back through the real path. A fuzzing process first calls
// enterFuzzWorkspace(), which makes a fresh directory of its own (under $TMPDIR, else
// /tmp) the working directory and removes it when the process exits; several fuzzing
// processes (libFuzzer's -jobs or -fork) thus never share files. Tests replay inputs in
// their own scratch directory instead and need none of this.
//
// Paths given to the helpers are host paths relative to the working directory, with
// '/' separators; parent directories are created as needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "accel/SoftwareDevice.h"

// 1 when the workspace is the working directory.
int32_t enterFuzzWorkspace();

// Writes `size` bytes as the whole file. 1 when written.
int32_t writeWorkspaceFile(const char* path, const uint8_t* data, size_t size);
int32_t writeWorkspaceFile(const char* path, const std::string& bytes);
void removeWorkspaceFile(const char* path);
std::string readWorkspaceFile(const char* path); // "" when missing

// A stream that swallows what is written to it (the loaders' trace lines), opened once.
FILE* discardStream();

// Makes `device` the current accelerator, opening it first if it is still null: a
// fuzzing process runs every input through one device, which lives as long as the
// process. The device's reports are silenced (a fuzzed texture would flood them).
void useProcessDevice(SoftwareDevice*& device, SoftwareDeviceOptions options);
