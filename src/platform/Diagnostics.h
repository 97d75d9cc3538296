// Where the system's messages go: the three channels the loaders and readers write to,
// with one process-wide switch for the program that runs them.
//
// The error log: the classic error.txt lines, the scene reader's failure (which replaces
// the file) and the texture loader's lines (appended).
//   player (default): error.txt in the working directory, written as a text file (its
//     lines end in CR LF on Windows).
//   tool (ember): appended lines on standard error as "ember: warning: <line>"; the
//     replacing line is kept for the tool's own error message; nothing is written to disk.
// The loader trace: surface attributes, smoothing angles, degenerate normals (nothing
// reads them).
//   player: standard output. tool: standard error with --trace-loaders, else nowhere.
// Refusals: why a file could not be used ("unusable object file ...", later formats).
//   player and tool: standard error.
//
// Process-wide by design: the readers have no context object to carry a destination,
// and a program chooses its destinations once, before it loads anything. Not
// thread-safe. Every line shown on a terminal (warnings, refusals) has its runs of
// backslashes collapsed, so that the fallback object path "objects\\name" reads as the
// path it is; error.txt keeps its texts exactly.
//
// Usage:
//   useToolDiagnostics("ember", traceLoaders);            // ember, once at start-up
//   appendToErrorLog("UNABLE TO OPEN TEXTURE ", path);     // texture loader
//   replaceErrorLog("unable to open scene: ", fileName);   // scene reader, on failure
//   traceLoader("SURF %s\n", name);                        // any reader's trace
//   reportRefusal("unusable object file %s: %s", path, why);
//
// Identical warning and refusal lines on the terminal are shown once per process (a
// missing texture is asked for by every scene that names it).
#pragma once

#include <cstddef>
#include <cstdio>

// The player's destinations (the default): error.txt, standard output, standard error.
void usePlayerDiagnostics();
// A tool's: error-log lines and refusals on standard error prefixed with `programName`,
// trace lines on standard error only when `traceLoaders` is nonzero.
void useToolDiagnostics(const char* programName, int traceLoaders);
// Sends the loader trace to `stream` (nullptr: nowhere) whatever the mode; for fuzzers,
// benchmarks and tests that load a lot.
void setLoaderTraceStream(FILE* stream);
// While nonzero, warnings and refusals are not shown on the terminal (lastRefusal()
// still keeps the reason): for a tool that tries files to learn whether the player
// takes them, and reports the outcome itself. error.txt is written as usual.
void setTerminalQuiet(int quiet);

// The error log. Each call writes its texts one after the other as one line.
void appendToErrorLog(const char* first, const char* second = "", const char* third = "");
void replaceErrorLog(const char* first, const char* second = "", const char* third = "");

// printf-style; one call per trace line or part of one.
void traceLoader(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One line (no newline in `format`) saying why a file could not be used.
void reportRefusal(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The last refusal reported in this process ("" before any), as given (not collapsed).
const char* lastRefusal();
void clearLastRefusal();

// `text` with every run of backslashes shortened to one, into `out` (outSize bytes,
// truncated to fit): content paths as a user reads them.
void collapseBackslashes(const char* text, char* out, size_t outSize);
