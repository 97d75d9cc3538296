// make_test_demo DIR [LAST_FRAME] [--disc]: writes the test demo folder used by the
// GUI test and the render tests.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/TestDemo.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_test_demo DIR [LAST_FRAME] [--disc]\n");
        return 2;
    }
    int lastFrame = 30;
    bool disc = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--disc") == 0) {
            disc = true;
        } else {
            lastFrame = std::atoi(argv[i]);
        }
    }
    if (!test_demo::writeTestDemo(argv[1], lastFrame, disc)) {
        std::fprintf(stderr, "make_test_demo: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
