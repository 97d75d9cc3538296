// One libFuzzer program per driver (FuzzDrivers.h): the build names the driver's prepare
// and run functions in EMBER_FUZZ_PREPARE and EMBER_FUZZ_RUN. A broken promise aborts,
// so that libFuzzer keeps the input like any crash.
#include <cstdio>
#include <cstdlib>

#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (enterFuzzWorkspace() == 0) {
        std::abort();
    }
    EMBER_FUZZ_PREPARE();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const char* broken = EMBER_FUZZ_RUN(data, size)) {
        std::fprintf(stderr, "broken promise: %s\n", broken);
        std::abort();
    }
    return 0;
}
