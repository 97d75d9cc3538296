#include <gtest/gtest.h>

#include <string>

#include "platform/HostPath.h"
#include "support/HostPathTestSupport.h"

TEST_F(HostPathTest, BackslashesAndDoubledSeparatorsReachTheSameFile) {
    writeFile("objects/cube.lwo", "x");
    EXPECT_EQ(resolve("objects\\cube.lwo"), "1:objects/cube.lwo");
    EXPECT_EQ(resolve("objects\\\\cube.lwo"), "1:objects/cube.lwo");
    EXPECT_EQ(resolve("objects//\\cube.lwo"), "1:objects/cube.lwo");
}

TEST_F(HostPathTest, OnlyRegularFilesOpen) {
    writeFile("scenes/a.lws", "LWSC");
    EXPECT_EQ(openContentFile("scenes"), nullptr);
    FILE* f = openContentFile("SCENES\\A.LWS");
    ASSERT_NE(f, nullptr);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, 4, f), 4u);
    std::fclose(f);
    EXPECT_STREQ(text, "LWSC");
}

// A missing file maps to its literal host path; a path that does not fit, to nothing.
TEST_F(HostPathTest, MissingFilesAndPathsThatDoNotFit) {
    EXPECT_EQ(resolve("scenes\\none.lws"), "0:scenes/none.lws");
    EXPECT_EQ(openContentFile("scenes\\none.lws"), nullptr);
    char host[8];
    EXPECT_EQ(resolveContentPath("a\\very-long-name.lwo", host, sizeof(host)), 0);
    EXPECT_STREQ(host, "");
    EXPECT_EQ(resolveContentPath("", host, sizeof(host)), 0);
}
