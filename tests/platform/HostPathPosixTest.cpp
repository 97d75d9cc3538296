// Content paths on file systems that tell case apart and have FIFOs (Linux): the case
// fallback and the refusal of anything but regular files. Windows needs neither.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/HostPathTestSupport.h"

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

TEST_F(HostPathTest, FifosDoNotOpen) {
    ASSERT_EQ(mkfifo("pipe", 0644), 0);
    EXPECT_EQ(openContentFile("pipe"), nullptr); // would block a reader forever
}
