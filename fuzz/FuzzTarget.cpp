// One libFuzzer program per driver (FuzzDrivers.h): the build names the driver's prepare
// and run functions in EMBER_FUZZ_PREPARE and EMBER_FUZZ_RUN. A broken promise aborts,
// so that libFuzzer keeps the input like any crash.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzDrivers.h"
#include "FuzzWorkspace.h"

namespace {

// libFuzzer reads its inputs, corpus directories and dictionary after this hook, which
// changes the working directory: paths given relative to the directory the program was
// started in are made absolute first.
void absolutePaths(int argc, char** argv) {
    static std::vector<std::string> paths; // what argv points to from here on
    paths.reserve(static_cast<size_t>(argc));
    const char* const pathFlags[] = {"-dict=", "-artifact_prefix=", "-exact_artifact_path="};
    for (int i = 1; i < argc; ++i) {
        std::string prefix;
        const char* path = argv[i];
        for (const char* flag : pathFlags) {
            if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) {
                prefix = flag;
                path = argv[i] + prefix.size();
            }
        }
        if ((argv[i][0] == '-' && prefix.empty()) || path[0] == '\0' || path[0] == '/') {
            continue;
        }
        const bool directory = path[std::strlen(path) - 1] == '/'; // an artifact prefix
        std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
        if (directory && absolute.back() != '/') {
            absolute += '/';
        }
        paths.push_back(prefix + absolute);
        argv[i] = paths.back().data();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    absolutePaths(*argc, *argv);
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
