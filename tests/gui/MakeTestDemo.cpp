// make_test_demo DIR [LAST_FRAME] [--disc] [--real-content]: writes the test demo folder
// used by the GUI test and the render tests; with --real-content its cube is made of
// quads and its flare is a PNG picture, as a user brings them to ember convert demo.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/TestDemo.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_test_demo DIR [LAST_FRAME] [--disc] [--real-content]\n");
        return 2;
    }
    int lastFrame = 30;
    bool disc = false;
    bool realContent = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--disc") == 0) {
            disc = true;
        } else if (std::strcmp(argv[i], "--real-content") == 0) {
            realContent = true;
        } else {
            lastFrame = std::atoi(argv[i]);
        }
    }
    if (!test_demo::writeTestDemo(argv[1], lastFrame, disc, realContent)) {
        std::fprintf(stderr, "make_test_demo: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
