// The texture subcommands of the ember tool, run as a user runs them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/PngFile.h"
#include "content/TextureConverter.h"
#include "support/EmberProgram.h"

namespace {

class TextureCommandsTest : public EmberProgramTest {
protected:
    static void writeImage(const char* path, int32_t width, int32_t height) {
        RgbaImage image;
        image.allocate(width, height);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                uint8_t* p = image.at(x, y);
                p[0] = static_cast<uint8_t>(x * 9), p[1] = static_cast<uint8_t>(y * 5);
                p[2] = static_cast<uint8_t>((x * 7919 + y * 104729) % 251), p[3] = 255;
            }
        }
        char message[256];
        ASSERT_TRUE(writePngFile(path, image, message, sizeof(message)));
    }
};

} // namespace

TEST_F(TextureCommandsTest, ConvertExportAndInspectATexture) {
    writeImage("wood.png", 30, 17); // resampled to 32x16
    ASSERT_EQ(run("texture convert wood.png wood.3df --format rgb565 --mipmaps"), 0) << err;
    ASSERT_EQ(run("texture export wood.3df level1.png --level 1"), 0) << err;
    RgbaImage level;
    char message[256];
    ASSERT_TRUE(readPngFile("level1.png", level, message, sizeof(message)));
    EXPECT_EQ(level.width, 16);
    EXPECT_EQ(level.height, 8);

    ASSERT_EQ(run("inspect texture wood.3df --json"), 0) << err;
    for (const char* key :
         {"\"header\"", "\"width\": 32", "\"height\": 16", "\"smallLod\": 8", "\"largeLod\": 3",
          "\"aspectRatio\": 2", "\"format\": 10", "\"memRequired\": 1366", "\"levelCount\": 6"}) {
        EXPECT_NE(out.find(key), std::string::npos) << key << " in " << out;
    }
    ASSERT_EQ(run("inspect texture wood.3df"), 0) << err;
    EXPECT_NE(out.find("\nformatName: rgb565\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nlevelCount: 6\n"), std::string::npos) << out;
}

TEST_F(TextureCommandsTest, EveryFormatNameIsAccepted) {
    writeImage("a.png", 8, 8);
    for (const char* format : {"rgb332", "YIQ", "a8", "i8", "ai44", "p8", "argb8332", "ayiq8422",
                               "rgb565", "argb1555", "argb4444", "ai88", "ap88"}) {
        EXPECT_EQ(run(std::string("texture convert a.png a.3df --format ") + format), 0)
            << format << ": " << err;
    }
}

// A file size limit of 512 bytes stands in for a full disk.
TEST_F(TextureCommandsTest, AFailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    writeImage("a.png", 64, 64);
    writeFile("a.3df", "old");
    EXPECT_EQ(run("texture convert a.png a.3df --format rgb565", "ulimit -f 1; "), 1);
    EXPECT_EQ(readFile("a.3df"), "old");
    ASSERT_EQ(run("texture convert a.png b.3df --format rgb565"), 0) << err;
    writeFile("b.png", "old");
    EXPECT_EQ(run("texture export b.3df b.png", "ulimit -f 1; "), 1);
    EXPECT_EQ(readFile("b.png"), "old");
    EXPECT_EQ(listDirectory("."), (std::vector<std::string>{"a.3df", "a.png", "b.3df", "b.png"}));
}

TEST_F(TextureCommandsTest, ErrorsAreOneLineAndAFailingStatus) {
    writeImage("a.png", 8, 8);
    writeFile("broken.3df", "3df v1.0\nrgb565\nlod range: 1 8\naspect ratio: 1 1\nxx");
    const char* const commands[] = {
        "texture convert missing.png a.3df --format rgb565",
        "texture convert a.png a.3df --format rgb999",
        "texture convert a.png no/such/dir/a.3df --format rgb565",
        "texture export broken.3df out.png",
        "inspect texture broken.3df",
        "inspect texture a.png --json",
    };
    for (const char* arguments : commands) {
        EXPECT_EQ(run(arguments), 1) << arguments;
        EXPECT_EQ(out, "") << arguments;
        EXPECT_EQ(err.rfind("ember: ", 0), 0u) << arguments << ": " << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << arguments << ": " << err;
    }
    ASSERT_EQ(run("texture convert a.png a.3df --format p8"), 0);
    EXPECT_EQ(run("texture export a.3df out.png --level 9"), 1);
    EXPECT_NE(err.find("level 9 does not exist"), std::string::npos) << err;
}
