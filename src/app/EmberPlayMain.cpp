// emberplay: the demo player. Run it in a demo folder (scenes/, objects/, textures/,
// optional cdrom/). It takes no arguments: any that are given are ignored.
#include <cstdio>

#include "app/DesktopPlayer.h"

int main(int /*argc*/, char** /*argv*/) {
    // The loaders' trace lines go to standard output, which nothing reads: buffered in
    // blocks, not lines ("Exiting winMain()" is flushed by itself).
    static char traceBuffer[1 << 16];
    std::setvbuf(stdout, traceBuffer, _IOFBF, sizeof traceBuffer);
    // Exit status 0: played or cancelled; 1: a failure was shown ("Unable to initialize
    // glide", "Error Loading scene"); 2: no display (the reason is on standard error).
    return runDesktopPlayer(DesktopPlayerOptions{});
}
