#include <gtest/gtest.h>

#include <vector>

#include "platform/DiscImage.h"
#include "platform/DiscImageAudio.h"
#include "support/ScratchDirectory.h"
#include "support/WaveBuilder.h"

namespace {

class DiscImageTest : public ScratchDirectoryTest {
protected:
    // `sectors` raw audio sectors whose samples count up from `first`, as little-endian bytes.
    static std::string audioSectors(int sectors, int first) {
        std::string bytes;
        for (int i = 0; i < sectors * kSamplesPerSector * 2; ++i) {
            const uint16_t sample = static_cast<uint16_t>(first + i);
            bytes += static_cast<char>(sample & 0xFF);
            bytes += static_cast<char>(sample >> 8);
        }
        return bytes;
    }
    static void writeWave(const std::string& path, int rate, int channels,
                          const std::vector<short>& samples) {
        writeFile(path, waveFile(rate, channels, samples));
    }
    static std::vector<int16_t> readAll(DiscImageAudio& audio) {
        std::vector<int16_t> all;
        int16_t buffer[1000];
        for (int64_t got; (got = audio.read(buffer, 500)) > 0;) {
            all.insert(all.end(), buffer, buffer + got * 2);
        }
        return all;
    }
    DiscImage loadSheet(const std::string& sheet) {
        writeFile("cdrom/disc.cue", sheet);
        DiscImage image;
        std::string error;
        EXPECT_EQ(image.load("cdrom/disc.cue", &error), 1) << error;
        return image;
    }
};

TEST_F(DiscImageTest, FindsTheFirstCueSheetInCdrom) {
    std::string path;
    EXPECT_EQ(findDiscImage(&path), 0);
    writeFile("CDROM/b.cue", "");
    writeFile("CDROM/a.CUE", "");
    writeFile("CDROM/0.bin", "");
    ASSERT_EQ(findDiscImage(&path), 1); // the directory found in another case where case matters
    EXPECT_EQ(path.substr(path.size() - 6), "/a.CUE");
}

TEST_F(DiscImageTest, MixedModeImageSkipsTheDataTrackAndPlaysToTheEnd) {
    // Track 1: 2 data sectors of 2048 bytes; track 2: 3 audio sectors, the first being
    // its pregap; track 3: 2 audio sectors.
    writeFile("cdrom/disc.bin", std::string(2 * 2048, 'D') + audioSectors(5, 0));
    const DiscImage image = loadSheet("\xEF\xBB\xBFREM made by hand\r\nFILE \"DISC.BIN\" BINARY\n"
                                      "  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n"
                                      "  TRACK 02 AUDIO\n    INDEX 00 00:00:02\n"
                                      "    INDEX 01 00:00:03\n"
                                      "  TRACK 03 AUDIO\n    INDEX 01 00:00:05\n");
    ASSERT_EQ(image.trackCount, 3);
    EXPECT_EQ(image.tracks[0].isAudio, 0);
    EXPECT_EQ(image.tracks[1].isAudio, 1);
    EXPECT_EQ(image.tracks[1].regionByteOffset, 2 * 2048);

    DiscImageAudio audio;
    EXPECT_EQ(audio.start(image, 1), 0); // a data track does not play
    ASSERT_EQ(audio.start(image, 2), 1);
    const std::vector<int16_t> all = readAll(audio);
    // From INDEX 01 of track 2 (one sector after its pregap) to the end of the disc.
    ASSERT_EQ(all.size(), 4u * kSamplesPerSector * 2);
    EXPECT_EQ(all.front(), kSamplesPerSector * 2);
    EXPECT_EQ(all.back(), static_cast<int16_t>(5 * kSamplesPerSector * 2 - 1));
}

TEST_F(DiscImageTest, TrackFilesFollowEachOtherWithTheirPregaps) {
    std::vector<short> one(2 * kSamplesPerSector * 2, 1000);
    std::vector<short> two(3 * kSamplesPerSector * 2, 2000);
    writeWave("cdrom/one.wav", 44100, 2, one);
    writeWave("cdrom/two.wav", 44100, 2, two);
    const DiscImage image = loadSheet("FILE one.wav WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                      "FILE two.wav WAVE\n TRACK 02 AUDIO\n  INDEX 00 00:00:00\n"
                                      "  INDEX 01 00:00:01\n");
    DiscImageAudio audio;
    ASSERT_EQ(audio.start(image, 1), 1);
    std::vector<int16_t> all = readAll(audio);
    ASSERT_EQ(all.size(), 5u * kSamplesPerSector * 2);
    EXPECT_EQ(all[2 * kSamplesPerSector * 2 - 1], 1000);
    EXPECT_EQ(all[2 * kSamplesPerSector * 2], 2000); // the pregap plays after track 1

    ASSERT_EQ(audio.start(image, 2), 1);
    EXPECT_EQ(readAll(audio).size(), 2u * kSamplesPerSector * 2); // from INDEX 01
}

TEST_F(DiscImageTest, MonoAndOtherRatesBecomeCdAudio) {
    writeWave("cdrom/low.wav", 22050, 1, std::vector<short>(22050, 500));
    const DiscImage image = loadSheet("FILE low.wav WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    DiscImageAudio audio;
    ASSERT_EQ(audio.start(image, 1), 1);
    const std::vector<int16_t> all = readAll(audio);
    EXPECT_NEAR(static_cast<double>(all.size()) / 2, 44100.0, 4.0); // one second
    EXPECT_EQ(all[0], 500);
    EXPECT_EQ(all[1], 500);
}

TEST_F(DiscImageTest, BrokenSheetsAreRefusedWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"not a cue sheet at all", "not a cue sheet"},
        {"FILE missing.bin BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n", "missing file"},
        {"", "not a cue sheet"},
        {"FILE a.bin BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n stray words\n",
         "not a cue sheet"},
        {"REM only a comment\n", "not a cue sheet"},
        {"FILE a.bin BINARY\n TRACK 01 AUDIO\n  INDEX 00 00:00:00\n", "track 1 has no INDEX 01"},
        {"FILE a.bin BINARY\n  INDEX 01 00:00:00\n TRACK 01 AUDIO\n", "not a cue sheet"},
        {"FILE a.bin BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:60:00\n", "not a cue sheet"},
        {"FILE a.bin BINARY\n TRACK 01 MODE1/2000\n  INDEX 01 00:00:00\n", "not a cue sheet"},
    };
    for (const auto& [sheet, reason] : cases) {
        writeFile("cdrom/disc.cue", sheet);
        DiscImage image;
        std::string error;
        EXPECT_EQ(image.load("cdrom/disc.cue", &error), 0) << sheet;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

TEST_F(DiscImageTest, TruncatedBinaryEndsTheAudioEarly) {
    writeFile("cdrom/disc.bin", audioSectors(1, 0) + "xyz");
    const DiscImage image = loadSheet("FILE disc.bin BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                                      " TRACK 02 AUDIO\n  INDEX 01 00:00:10\n");
    DiscImageAudio audio;
    ASSERT_EQ(audio.start(image, 1), 1);
    EXPECT_EQ(readAll(audio).size(), 1u * kSamplesPerSector * 2);
}

} // namespace
