// Option values shared by the ember subcommands: sizes "WxH" and frame ranges "A:B".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "ember/Commands.h"

// "640x480" -> 640, 480. Throws ToolError for anything else or a side outside 1..8192.
inline void parseSize(const std::string& text, uint32_t* width, uint32_t* height) {
    unsigned w = 0;
    unsigned h = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%ux%u%c", &w, &h, &extra) != 2 || w < 1 || h < 1 || w > 8192 ||
        h > 8192) {
        throw ToolError("--size " + text + ": give it as WIDTHxHEIGHT, e.g. 640x480");
    }
    *width = w;
    *height = h;
}

// "A:B" -> A, B (inclusive, A <= B). Throws ToolError otherwise.
inline void parseFrameRange(const std::string& text, int64_t* first, int64_t* last) {
    long long a = 0;
    long long b = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%lld:%lld%c", &a, &b, &extra) != 2 || a < 0 || b < a) {
        throw ToolError("--frames " + text + ": give it as FIRST:LAST, e.g. 0:299");
    }
    *first = a;
    *last = b;
}
