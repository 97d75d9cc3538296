// The --size WxH option of the commands that draw: a frame size in pixels.
#pragma once

#include <cstdint>
#include <string>

struct FrameSize {
    int32_t width = 640;
    int32_t height = 480;
};

// "640x480" -> {640, 480}; each side 1 to 8192. Anything else throws ToolError.
FrameSize parseFrameSize(const std::string& text);
