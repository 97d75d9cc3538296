// Option values shared by the ember subcommands: sizes "WxH" and frame ranges "A:B".
// Each throws UsageError with a line that says what is wrong with the value.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "ember/Commands.h"

// Sides of a frame in pixels: 1 .. kMaxFrameSide each.
inline constexpr unsigned kMaxFrameSide = 8192;

// "640x480" -> 640, 480.
inline void parseSize(const std::string& text, uint32_t* width, uint32_t* height) {
    unsigned long long w = 0;
    unsigned long long h = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%llux%llu%c", &w, &h, &extra) != 2 || text[0] == '-' ||
        text.find("x-") != std::string::npos) {
        throw UsageError("--size " + text + ": give it as WIDTHxHEIGHT, e.g. 640x480");
    }
    if (w < 1 || h < 1 || w > kMaxFrameSide || h > kMaxFrameSide) {
        throw UsageError("--size " + text + ": each side is 1 to " + std::to_string(kMaxFrameSide) +
                         " pixels");
    }
    *width = static_cast<uint32_t>(w);
    *height = static_cast<uint32_t>(h);
}

// "A:B" -> A, B (inclusive, 0 <= A <= B).
inline void parseFrameRange(const std::string& text, int64_t* first, int64_t* last) {
    long long a = 0;
    long long b = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%lld:%lld%c", &a, &b, &extra) != 2 || a < 0 || b < 0) {
        throw UsageError("--frames " + text + ": give it as FIRST:LAST, e.g. 0:299");
    }
    if (b < a) {
        throw UsageError("--frames " + text + ": the first frame (" + std::to_string(a) +
                         ") is after the last (" + std::to_string(b) + ")");
    }
    *first = a;
    *last = b;
}

// Refuses frames past a scene's last one (the player moves on to the next scene there),
// naming the scene's range. `last` is the last frame asked for, `sceneFile` as the
// player names it.
inline void requireFramesInScene(int32_t sceneLastFrame, const std::string& sceneFile, float first,
                                 float last) {
    if (static_cast<double>(last) <= static_cast<double>(sceneLastFrame)) {
        return;
    }
    char asked[64];
    if (first == last) {
        std::snprintf(asked, sizeof asked, "frame %g is", static_cast<double>(last));
    } else {
        std::snprintf(asked, sizeof asked, "frames %g:%g go", static_cast<double>(first),
                      static_cast<double>(last));
    }
    throw ToolError(std::string(asked) + " past the end of " + displayText(sceneFile) +
                    (sceneLastFrame < 0
                         ? ", which has no frames"
                         : ", whose frames run from 0 to " + std::to_string(sceneLastFrame)));
}
