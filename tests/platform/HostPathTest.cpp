#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/HostPath.h"
#include "support/ScratchDirectory.h"

namespace {

class HostPathTest : public ScratchDirectoryTest {
protected:
    static std::string resolve(const char* content) {
        char host[256];
        const int32_t found = resolveContentPath(content, host, sizeof(host));
        return std::to_string(found) + ":" + host;
    }
};

} // namespace

TEST_F(HostPathTest, BackslashesAndDoubledSeparatorsReachTheSameFile) {
    writeFile("objects/cube.lwo", "x");
    EXPECT_EQ(resolve("objects\\cube.lwo"), "1:objects/cube.lwo");
    EXPECT_EQ(resolve("objects\\\\cube.lwo"), "1:objects/cube.lwo");
    EXPECT_EQ(resolve("objects//\\cube.lwo"), "1:objects/cube.lwo");
}

TEST_F(HostPathTest, NamesInAnotherCaseFallBackToTheFileOnDisk) {
    writeFile("Textures/wood.3df", "x");
    EXPECT_EQ(resolve("textures\\Wood.3DF"), "1:Textures/wood.3df");
    EXPECT_EQ(resolve("Textures\\wood.3df"), "1:Textures/wood.3df");
}

TEST_F(HostPathTest, ExactNameWinsOverACaseVariant) {
    writeFile("Flare.3df", "upper");
    writeFile("flare.3df", "lower");
    EXPECT_EQ(resolve("flare.3df"), "1:flare.3df");
    EXPECT_EQ(resolve("FLARE.3df"), "1:Flare.3df"); // first in byte order
}

TEST_F(HostPathTest, MissingFileGivesTheLiteralMapping) {
    EXPECT_EQ(resolve("scenes\\none.lws"), "0:scenes/none.lws");
    EXPECT_EQ(openContentFile("scenes\\none.lws"), nullptr);
}

TEST_F(HostPathTest, OnlyRegularFilesOpen) {
    writeFile("scenes/a.lws", "LWSC");
    ASSERT_EQ(mkfifo("pipe", 0644), 0);
    EXPECT_EQ(openContentFile("scenes"), nullptr);
    EXPECT_EQ(openContentFile("pipe"), nullptr); // would block a reader forever
    FILE* f = openContentFile("SCENES\\A.LWS");
    ASSERT_NE(f, nullptr);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, 4, f), 4u);
    std::fclose(f);
    EXPECT_STREQ(text, "LWSC");
}

TEST_F(HostPathTest, PathsThatDoNotFitAreRefused) {
    char host[8];
    EXPECT_EQ(resolveContentPath("a\\very-long-name.lwo", host, sizeof(host)), 0);
    EXPECT_STREQ(host, "");
    EXPECT_EQ(resolveContentPath("", host, sizeof(host)), 0);
}
