// emberplay: the demo player. Run it in a demo folder (scenes/, objects/, textures/,
// optional cdrom/). It takes no arguments: any that are given are ignored.
#include "app/DesktopPlayer.h"

int main(int /*argc*/, char** /*argv*/) {
    // Without a display nothing can be shown; the reason is already on standard error.
    return runDesktopPlayer(DesktopPlayerOptions{}) ? 0 : 1;
}
