#include <gtest/gtest.h>

#include <string>

#include "anim/MotionReader.h"
#include "anim/SceneTokenizer.h"
#include "support/TextFile.h"

namespace {

// Reads one motion block from `text` into `motion`; returns the word after it.
std::string readMotionFrom(const std::string& text, Motion& motion, int32_t* result = nullptr) {
    TextFile file = textFile(text);
    SceneTokenizer in(file.get());
    const int32_t status = readMotion(in, motion);
    if (result != nullptr) {
        *result = status;
    }
    SceneWord word;
    return in.readWord(word) ? std::string(word) : "<end>";
}

std::string key(const std::string& values, int frame) {
    return values + "\n" + std::to_string(frame) + " 0 0.0 0.0 0.0\n";
}

} // namespace

TEST(MotionReader, NineChannelsWithSeveralKeysKeepTheKeys) {
    Motion m;
    const std::string text = "(unnamed)\n 9\n 3\n" + key("1 2 3 10 20 30 1 1 1", 0) +
                             key("1 2 3 15 20 30 1 1 1", 30) + key("1 2 3 10 20 30 1 1 1", 60) +
                             "next";
    EXPECT_EQ(readMotionFrom(text, m), "next");
    EXPECT_EQ(m.positionIsConstant, 1);
    EXPECT_EQ(m.rotationIsConstant, 0);
    EXPECT_EQ(m.scaleIsConstant, 1);
    ASSERT_EQ(m.keyCount, 3);
    EXPECT_EQ(m.keys[1].values[3], 15.0);
    EXPECT_EQ(m.keys[1].frame, 30);
    EXPECT_EQ(m.keys[2].frame, 60);
    // Fields stay as they were until the first update.
    EXPECT_EQ(m.position.x, 0.0f);
}

TEST(MotionReader, KeysThatAllAgreeBecomeConstantsAndAreReleased) {
    Motion m;
    const std::string text =
        "(unnamed) 9 2 " + key("1.5 -2 3 90 45 10 2 3 4", 0) + key("1.5 -2 3 90 45 10 2 3 4", 30);
    readMotionFrom(text, m);
    EXPECT_EQ(m.positionIsConstant + m.rotationIsConstant + m.scaleIsConstant, 3);
    EXPECT_EQ(m.keys, nullptr);
    EXPECT_EQ(m.keyCount, 0);
    EXPECT_EQ(m.position.x, 1.5f);
    EXPECT_EQ(m.position.y, -2.0f);
    EXPECT_EQ(m.heading, 90.0f);
    EXPECT_EQ(m.pitch, 45.0f);
    EXPECT_EQ(m.bank, 10.0f);
    EXPECT_EQ(m.scale.z, 4.0f);
}

TEST(MotionReader, EachGroupIsJudgedOnItsOwnChannels) {
    const char* second[] = {"1 2 9 0 0 0 1 1 1", "1 2 3 0 0 0.5 1 1 1", "1 2 3 0 0 0 1 1 2"};
    for (int group = 0; group < 3; ++group) {
        Motion m;
        readMotionFrom("x 9 2 " + key("1 2 3 0 0 0 1 1 1", 0) + key(second[group], 10), m);
        EXPECT_EQ(m.positionIsConstant, group == 0 ? 0 : 1) << group;
        EXPECT_EQ(m.rotationIsConstant, group == 1 ? 0 : 1) << group;
        EXPECT_EQ(m.scaleIsConstant, group == 2 ? 0 : 1) << group;
        EXPECT_EQ(m.keyCount, 2);
    }
}

TEST(MotionReader, OneKeyFillsPositionRotationScaleAndLeavesTheRestAsWords) {
    Motion m;
    m.positionIsConstant = 0;
    EXPECT_EQ(readMotionFrom("(unnamed) 9 1\n 1 2 3 40 50 60 7 8 9\n 0 0 0.0 0.0 0.0\n", m), "0");
    EXPECT_EQ(m.positionIsConstant, 1);
    EXPECT_EQ(m.position.z, 3.0f);
    EXPECT_EQ(m.heading, 40.0f);
    EXPECT_EQ(m.pitch, 50.0f);
    EXPECT_EQ(m.bank, 60.0f);
    EXPECT_EQ(m.scale.x, 7.0f);
    EXPECT_EQ(m.scale.z, 9.0f);
}

TEST(MotionReader, OtherChannelCountsAndEmptyMotionsLeaveTheMotionAsItWas) {
    for (const char* text : {"(unnamed) 8 2\n 1 2 3", "(unnamed) 9 0\n 1 2 3",
                             "(unnamed) 9 -4\n 1 2 3", "(unnamed) nine 2 1 2 3"}) {
        Motion m;
        m.position.x = 5.0f;
        int32_t status = 0;
        const std::string next = readMotionFrom(text, m, &status);
        EXPECT_EQ(status, 1) << text;
        EXPECT_EQ(m.position.x, 5.0f) << text;
        EXPECT_EQ(m.keyCount, 0) << text;
        EXPECT_TRUE(next == "1" || next == "nine") << text;
    }
}

TEST(MotionReader, KeyCountsBeyondTheFileAreRefusedBeforeAllocating) {
    Motion m;
    int32_t status = 1;
    readMotionFrom("(unnamed) 9 2000000000\n 0 0 0 0 0 0 1 1 1 0 0 0 0 0", m, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(m.keys, nullptr);
    // Two keys written with single-digit numbers and single blanks just fit.
    Motion fits;
    readMotionFrom("x 9 2 0 0 0 0 0 0 1 1 1 0 0 0 0 0 1 0 0 0 0 0 1 1 1 9 0 0 0 0", fits, &status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(fits.keyCount, 2);
    EXPECT_EQ(fits.keys[1].frame, 9);
}

TEST(MotionReader, EnvelopesReadTheirChannelsAndRefuseMoreThanNine) {
    {
        TextFile file = textFile("1 2\n 0.5\n 0 0 0 0 0\n 1.5\n 20 1 0.5 -0.5 0.25\nrest");
        SceneTokenizer in(file.get());
        Envelope e;
        ASSERT_EQ(readEnvelope(in, e), 1);
        ASSERT_EQ(e.keyCount, 2);
        EXPECT_EQ(e.keys[1].values[0], 1.5);
        EXPECT_EQ(e.keys[1].frame, 20);
        EXPECT_EQ(e.keys[1].linear, 1);
        EXPECT_EQ(e.keys[1].tension, 0.5);
        EXPECT_EQ(e.keys[1].continuity, -0.5);
        EXPECT_EQ(e.keys[1].bias, 0.25);
    }
    {
        TextFile file = textFile("2 1\n 3 4\n 7 0 0 0 0");
        SceneTokenizer in(file.get());
        Envelope e;
        ASSERT_EQ(readEnvelope(in, e), 1);
        EXPECT_EQ(e.keys[0].values[1], 4.0);
        EXPECT_EQ(e.keys[0].frame, 7);
    }
    for (const char* text : {"10 1\n 1 2 3 4 5 6 7 8 9 10 0 0 0 0 0", "0 1 0 0 0 0 0"}) {
        TextFile file = textFile(text);
        SceneTokenizer in(file.get());
        Envelope e;
        EXPECT_EQ(readEnvelope(in, e), 0) << text;
        EXPECT_EQ(in.failed(), 1);
        EXPECT_NE(std::string(in.failure()).find("channels (1 to 9 allowed)"), std::string::npos);
    }
    {
        TextFile file = textFile("1 0\n next");
        SceneTokenizer in(file.get());
        Envelope e;
        EXPECT_EQ(readEnvelope(in, e), 1);
        EXPECT_EQ(e.keyCount, 0);
        EXPECT_EQ(e.keys, nullptr);
    }
}
