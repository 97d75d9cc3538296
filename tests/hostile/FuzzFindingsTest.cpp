// The files in tests/data/hostile/<target>/ (what the fuzzers or a review found, each
// fixed in the code that owned the fault) replayed through their fuzz drivers: none may
// crash, leak, read out of bounds or break a driver's promise again.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "HostileTestSupport.h"
#include "support/TestData.h"

namespace {

struct Target {
    const char* name; // the directory under tests/data/hostile/
    void (*prepare)();
    FuzzDriverRun run;
};

const Target kTargets[] = {
    {"object", prepareObjectInput, runObjectInput},
    {"scene", prepareSceneInput, runSceneInput},
    {"frame", prepareFrameInput, runFrameInput},
    {"3df", prepareThreeDfInput, runThreeDfInput},
    {"png", preparePngInput, runPngInput},
    {"lwo2", prepareLwo2Input, runLwo2Input},
    {"picture", preparePictureInput, runPictureInput},
    {"later", prepareLaterSceneInput, runLaterSceneInput},
};

class FuzzFindingsTest : public HostileTest {};

TEST_F(FuzzFindingsTest, EveryFindingKeepsItsDriversPromises) {
    const std::filesystem::path root = testDataPath("hostile");
    ASSERT_TRUE(std::filesystem::is_directory(root)) << root << " (run through ctest)";
    int32_t replayed = 0;
    for (const Target& target : kTargets) {
        const std::filesystem::path directory = root / target.name;
        if (!std::filesystem::is_directory(directory)) {
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(directory)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        target.prepare();
        for (const std::filesystem::path& file : files) {
            EXPECT_EQ(brokenPromise(target.run, readFile(file.string())), "") << file;
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

} // namespace
