#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <string>

#include "anim/SceneTokenizer.h"
#include "support/TextFile.h"

namespace {

// What a number scan followed by a word scan gives.
struct ScanResult {
    int scanned = 0;
    int32_t intValue = -999;
    float floatValue = -999.0f;
    std::string next = "<none>";
};

ScanResult scanWithTokenizer(const std::string& text, bool real) {
    TextFile file = textFile(text);
    SceneTokenizer in(file.get());
    ScanResult r;
    r.scanned = real ? in.readFloat(r.floatValue) : in.readInt(r.intValue);
    SceneWord word;
    if (in.readWord(word)) {
        r.next = word;
    }
    return r;
}

ScanResult scanWithC(const std::string& text, bool real) {
    TextFile file = textFile(text);
    ScanResult r;
    const int n = real ? std::fscanf(file.get(), "%f", &r.floatValue)
                       : std::fscanf(file.get(), "%d", &r.intValue);
    r.scanned = n == 1 ? 1 : 0;
    char word[256];
    if (std::fscanf(file.get(), "%255s", word) == 1) {
        r.next = word;
    }
    return r;
}

} // namespace

TEST(SceneTokenizer, NumbersScanAsTheCLibraryScansThem) {
    const char* inputs[] = {"0",        "  42 x",     "-7",     "+3",
                            "007",      "-0",         "255", // integers
                            "1.5abc",   "1e+x",       "1ex",    ".x",
                            "-.5",      "1.",         "1.2.3",  "e5",
                            "12e", // cut short
                            "+-1",      "- 5",        "-x",     "abc",
                            "\t\r\n9", // no number
                            "1e-50",    "2.5e3y",     "1e+05",  ".5e-2",
                            "0.000000", "-12.750000", "3.4e38", "1.17549435e-38 z"};
    for (const char* text : inputs) {
        for (const bool real : {false, true}) {
            const ScanResult ours = scanWithTokenizer(text, real);
            const ScanResult c = scanWithC(text, real);
            SCOPED_TRACE(std::string(real ? "%f on '" : "%d on '") + text + "'");
            EXPECT_EQ(ours.scanned, c.scanned);
            EXPECT_EQ(ours.intValue, c.intValue);
            EXPECT_EQ(std::memcmp(&ours.floatValue, &c.floatValue, sizeof(float)), 0)
                << ours.floatValue << " vs " << c.floatValue;
            EXPECT_EQ(ours.next, c.next);
        }
    }
}

TEST(SceneTokenizer, NonFiniteAndHexadecimalWordsAreNotNumbers) {
    for (const char* text : {"inf", "nan", "-infinity"}) {
        const ScanResult r = scanWithTokenizer(text, true);
        EXPECT_EQ(r.scanned, 0) << text;
        EXPECT_EQ(r.floatValue, -999.0f);
    }
    // A sign that starts no number is used up, as C uses it up.
    EXPECT_EQ(scanWithTokenizer("-inf", true).next, "inf");
    const ScanResult hex = scanWithTokenizer("0x10", true);
    EXPECT_EQ(hex.floatValue, 0.0f);
    EXPECT_EQ(hex.next, "x10");
}

TEST(SceneTokenizer, OutOfRangeValuesSaturate) {
    EXPECT_EQ(scanWithTokenizer("1e99", true).floatValue, FLT_MAX);
    EXPECT_EQ(scanWithTokenizer("-1e99", true).floatValue, -FLT_MAX);
    EXPECT_EQ(scanWithTokenizer("12345678901", false).intValue, INT32_MAX);
    EXPECT_EQ(scanWithTokenizer("-99999999999999999999", false).intValue, INT32_MIN);
    EXPECT_EQ(scanWithTokenizer("-2147483648", false).intValue, INT32_MIN);
}

TEST(SceneTokenizer, WordsAreRunsOfNonBlankBytes) {
    const std::string text = std::string("  LWSC\t3\r\n\v\fa\0b  (envelope)\n", 28);
    TextFile file = textFile(text);
    SceneTokenizer in(file.get());
    SceneWord word;
    ASSERT_EQ(in.readWord(word), 1);
    EXPECT_STREQ(word, "LWSC");
    int32_t version = 0;
    ASSERT_EQ(in.readInt(version), 1);
    EXPECT_EQ(version, 3);
    ASSERT_EQ(in.readWord(word), 1);
    EXPECT_STREQ(word, "a"); // the NUL byte is kept in the word; as a C string it ends there
    ASSERT_EQ(in.readWord(word), 1);
    EXPECT_STREQ(word, "(envelope)");
    strcpy(word, "unchanged");
    EXPECT_EQ(in.readWord(word), 0);
    EXPECT_STREQ(word, "unchanged");
    EXPECT_EQ(in.failed(), 0);
}

TEST(SceneTokenizer, ThreeValueScansStopAtTheFirstThatDoesNotScan) {
    TextFile file = textFile("1 x 3");
    SceneTokenizer in(file.get());
    float a = 0, b = 7, c = 8;
    float* const values[] = {&a, &b, &c};
    EXPECT_EQ(in.readFloats(values, 3), 1);
    EXPECT_EQ(a, 1.0f);
    EXPECT_EQ(b, 7.0f);
    EXPECT_EQ(c, 8.0f);
    SceneWord word;
    ASSERT_EQ(in.readWord(word), 1);
    EXPECT_STREQ(word, "x");
}

TEST(SceneTokenizer, WordsOf1024CharactersFail) {
    const std::string longest(1023, 'w');
    {
        TextFile file = textFile(longest + " next");
        SceneTokenizer in(file.get());
        SceneWord word;
        ASSERT_EQ(in.readWord(word), 1);
        EXPECT_EQ(std::string(word), longest);
        EXPECT_EQ(in.failed(), 0);
    }
    {
        TextFile file = textFile(longest + "w next");
        SceneTokenizer in(file.get());
        SceneWord word;
        EXPECT_EQ(in.readWord(word), 0);
        EXPECT_EQ(in.failed(), 1);
        EXPECT_STREQ(in.failure(), "word of 1024 or more characters");
        EXPECT_EQ(std::string(word), longest); // the first 1023 bytes, for messages
        EXPECT_EQ(in.readWord(word), 0);       // failures are sticky
    }
}
