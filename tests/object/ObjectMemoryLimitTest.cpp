// The object reader when memory runs out: POSIX address-space limits in a death test's
// child process (Linux builds only).
#include <sys/resource.h>

#include <cstdlib>
#include <fstream>

#include "ObjectTestSupport.h"

using ObjectReaderTest = ObjectTest;

namespace {

// In a death test's child: leaves 8 MB of address space and loads `path`. (Unused under
// AddressSanitizer, whose shadow memory needs more address space than any such limit.)
[[maybe_unused]] void loadWithLittleAddressSpace(const char* path) {
    std::ifstream status("/proc/self/statm");
    long pages = 0;
    status >> pages;
    const rlim_t limit = static_cast<rlim_t>(pages) * 4096 + (8 << 20);
    const rlimit bounds{limit, limit};
    setrlimit(RLIMIT_AS, &bounds);
    auto textures = std::make_unique<TextureTable>();
    SceneObject object;
    object.loadObject(*textures, path);
    std::exit(0);
}

} // namespace

TEST_F(ObjectReaderTest, RunningOutOfMemoryForSurfaceNamesEndsTheProcessWithFailure) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address space limits do not apply under AddressSanitizer";
#else
    // 65535 empty names need 16 MB of name slots from a 128 KB file.
    writeFile("names.lwo", manyNames(65535));
    EXPECT_EXIT(loadWithLittleAddressSpace("names.lwo"), ::testing::ExitedWithCode(EXIT_FAILURE),
                "out of memory reading the surface names");
#endif
}
