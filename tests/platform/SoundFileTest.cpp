#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/VorbisSoundFile.h"
#include "platform/WaveSoundFile.h"
#include "support/ScratchDirectory.h"
#include "support/WaveBuilder.h"

namespace {

class SoundFileTest : public ScratchDirectoryTest {
protected:
    static std::vector<int16_t> readAll(SoundFile& sound) {
        std::vector<int16_t> all;
        std::vector<int16_t> buffer(static_cast<size_t>(300 * sound.channels()));
        for (int64_t got; (got = sound.read(buffer.data(), 300)) > 0;) {
            all.insert(all.end(), buffer.begin(), buffer.begin() + got * sound.channels());
        }
        return all;
    }
};

TEST_F(SoundFileTest, WaveSampleFormatsBecomeSixteenBits) {
    struct Case {
        int bits;
        uint16_t tag;
        uint16_t subTag;
        std::string sample; // one sample of 0.5, then one of -1.0 (or its integer neighbour)
    };
    const Case cases[] = {
        {8, 1, 1, std::string("\xC0\x00", 2)},
        {16, 1, 1, std::string("\x00\x40\x00\x80", 4)},
        {24, 1, 1, std::string("\x00\x00\x40\x00\x00\x80", 6)},
        {32, 1, 1, std::string("\x00\x00\x00\x40\x00\x00\x00\x80", 8)},
        {32, 3, 1, std::string("\x00\x00\x00\x3F\x00\x00\x80\xBF", 8)},
        {64, 3, 1, std::string("\0\0\0\0\0\0\xE0\x3F\0\0\0\0\0\0\xF0\xBF", 16)},
        {16, 0xFFFE, 1, std::string("\x00\x40\x00\x80", 4)},
        {32, 0xFFFE, 3, std::string("\x00\x00\x00\x3F\x00\x00\x80\xBF", 8)},
    };
    for (const Case& c : cases) {
        writeFile("a.wav", waveFile(8000, 1, c.bits, c.sample, c.tag, c.subTag));
        const std::unique_ptr<SoundFile> sound = openWaveSoundFile("a.wav");
        ASSERT_NE(sound, nullptr) << c.bits << " bits, tag " << c.tag;
        EXPECT_EQ(sound->channels(), 1);
        EXPECT_EQ(sound->sampleRate(), 8000);
        EXPECT_EQ(readAll(*sound), (std::vector<int16_t>{16384, -32768})) << c.bits << " bits";
    }
}

TEST_F(SoundFileTest, WaveSeeksByFramesAndEndsWhereTheFileEnds) {
    std::string wave = waveFile(44100, 2, {1, 2, 3, 4, 5, 6});
    wave.replace(wave.size() - 16, 4, "\xFF\xFF\xFF\x7F"); // data claims 2 GB
    writeFile("a.wav", wave + "\x07");                     // and one odd byte follows
    const std::unique_ptr<SoundFile> sound = openWaveSoundFile("a.wav");
    ASSERT_NE(sound, nullptr);
    ASSERT_EQ(sound->seek(1), 1);
    EXPECT_EQ(readAll(*sound), (std::vector<int16_t>{3, 4, 5, 6}));
    EXPECT_EQ(sound->seek(5), 0);
}

TEST_F(SoundFileTest, MalformedWavesAreRefused) {
    const std::string good = waveFile(8000, 1, {0, 0});
    std::string dataFirst = good.substr(0, 12) + good.substr(36) + good.substr(12, 24);
    std::string badAlign = good;
    badAlign[32] = 3;
    std::string noChannels = good;
    noChannels[22] = 0;
    const std::string cases[] = {
        "",
        "RIFF",
        good.substr(0, 30),
        "RIFX" + good.substr(4),
        dataFirst,
        badAlign,
        noChannels,
        waveFile(8000, 1, 12, "\x01\x02"),
        waveFile(8000, 1, 16, "\x01\x02", 2),
    };
    for (const std::string& bytes : cases) {
        writeFile("bad.wav", bytes);
        EXPECT_EQ(openWaveSoundFile("bad.wav"), nullptr) << bytes.size() << " bytes";
    }
}

TEST_F(SoundFileTest, OggVorbisDecodes) {
    const std::string path =
        std::string(std::getenv("EMBER_TESTDATA")) + "/sound/tone-22050-mono.ogg";
    const std::unique_ptr<SoundFile> sound = openVorbisSoundFile(path.c_str());
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->channels(), 1);
    EXPECT_EQ(sound->sampleRate(), 22050);
    const std::vector<int16_t> all = readAll(*sound);
    EXPECT_NEAR(static_cast<double>(all.size()), 22050 * 0.25, 50.0);
    int16_t loudest = 0;
    for (int16_t sample : all) {
        loudest = std::abs(sample) > loudest ? static_cast<int16_t>(std::abs(sample)) : loudest;
    }
    EXPECT_GT(loudest, 3000); // a tone at an eighth of full scale, not silence
    EXPECT_EQ(openVorbisSoundFile("missing.ogg"), nullptr);
}

} // namespace
