// Offline rendering of a whole demo (or one scene of it): the player's own frame loop
// (playDemo) on a virtual clock that advances exactly 1000/fps ms per displayed frame,
// drawn by the software device, every frame written to a FrameSink.
//
// Nothing is shown and no sound plays; the settings the dialog would ask for come from
// the options (resolution: the render size; no vsync; looping as asked). Numbered PNGs
// carry the displayed frame's number (from 0 at the demo's start). The frames are
// drawn at the largest 4:3 size inside the render size and centred on black, so that the
// field keeps its shape at any size.
#pragma once

#include <cstdint>
#include <string>

#include "accel/SoftwareDevice.h"

struct DemoRenderOptions {
    std::string directory = ".";
    std::string output;
    int32_t fps = 30;
    uint32_t width = 640;
    uint32_t height = 480;
    AccelColorMode colorMode = AccelColorMode::Authentic16;
    int32_t scene = -1;     // 0..4: that scene alone
    int64_t firstFrame = 0; // output frames to write, counted from 0 at the first frame
    int64_t lastFrame = -1; // inclusive; -1: until the demo ends
    bool loop = false;      // play looped (needs lastFrame)
    // Video output of the whole demo gets the disc image's audio from the first audio
    // track on (none when there is no disc image or audio), in step with the frames
    // written; `track` 1..99 chooses another track (also for one scene), `audio` false
    // leaves the soundtrack out.
    uint32_t track = 0;
    bool audio = true;
    bool progress = true;
};

// Throws ToolError for anything that stops the render.
void renderDemo(const DemoRenderOptions& options);
