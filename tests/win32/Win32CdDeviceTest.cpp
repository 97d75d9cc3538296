// Start-up's CD handling on Windows: a disc image in cdrom/, else the system's CD-audio
// device (none under Wine's test prefix).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "app/ProcessState.h"
#include "app/WinMain.h"
#include "platform/CdDevice.h"
#include "platform/win32/SystemTimer.h"
#include "platform/win32/WaveOutAudioOutput.h"
#include "platform/win32/Win32CdDevice.h"
#include "support/ScratchDirectory.h"

namespace {

class Win32CdDeviceTest : public ScratchDirectoryTest {
protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        appState = AppState{};
        setCdDevice(&cd_);
    }
    void TearDown() override {
        setCdDevice(nullptr);
        ScratchDirectoryTest::TearDown();
    }

    Win32CdDevice cd_;
};

TEST_F(Win32CdDeviceTest, DiscImageIsTheCd) {
    writeFile("cdrom/disc.bin", std::string(4 * 2048 + 4 * 2352, '\0'));
    writeFile("cdrom/disc.cue", "FILE disc.bin BINARY\n TRACK 01 MODE1/2048\n  INDEX 01 00:00:00\n"
                                " TRACK 02 AUDIO\n  INDEX 01 00:00:04\n");
    openCdAudio();
    EXPECT_EQ(appState.cdAvailable, 1);
    EXPECT_EQ(appState.cdTrackCount, 2u);
    MCI_STATUS_PARMS type;
    type.dwItem = MCI_CDA_STATUS_TYPE_TRACK;
    type.dwTrack = 1;
    ASSERT_EQ(mciSendCommandA(appState.cdDeviceId, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK,
                              reinterpret_cast<uintptr_t>(&type)),
              0u);
    EXPECT_EQ(type.dwReturn, MCI_CDA_TRACK_OTHER);
    MCI_PLAY_PARMS play;
    play.dwFrom = MCI_MAKE_TMSF(1, 0, 0, 0);
    EXPECT_NE(mciSendCommandA(appState.cdDeviceId, MCI_PLAY, MCI_FROM,
                              reinterpret_cast<uintptr_t>(&play)),
              0u); // a data track does not play
    EXPECT_EQ(mciSendCommandA(appState.cdDeviceId, MCI_CLOSE, 0, 0), 0u);
}

TEST_F(Win32CdDeviceTest, UnreadableImageAndNoDriveMeanNoCd) {
    writeFile("cdrom/disc.cue", "not a cue sheet");
    openCdAudio();
    EXPECT_EQ(appState.cdAvailable, 0);
    writeFile("cdrom/disc.cue", "");
    std::remove("cdrom/disc.cue");
    openCdAudio(); // the system's CD-audio device: Wine's test prefix has no drive
    EXPECT_EQ(appState.cdAvailable, 0);
}

// A second of a count-up signal that notes how much the output has taken.
class CountingSource : public DiscAudioSource {
public:
    explicit CountingSource(std::atomic<int64_t>* taken) : taken_(taken) {}
    int64_t read(int16_t* samples, int64_t frames) override {
        const int64_t left = 44100 - *taken_;
        const int64_t given = frames < left ? frames : left;
        for (int64_t i = 0; i < given * 2; ++i) {
            samples[i] = static_cast<int16_t>(i);
        }
        *taken_ += given;
        return given;
    }

private:
    std::atomic<int64_t>* taken_;
};

TEST_F(Win32CdDeviceTest, WaveOutputPlaysASourceToItsEnd) {
    if (!waveOutputAvailable()) {
        GTEST_SKIP() << "no wave output device";
    }
    std::atomic<int64_t> taken{0};
    WaveOutAudioOutput output;
    ASSERT_EQ(output.start(std::make_unique<CountingSource>(&taken)), 1);
    const uint32_t started = systemTimeGetTime();
    while (taken < 44100 && systemTimeGetTime() - started < 10000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    output.stop();
    EXPECT_EQ(taken, 44100);
}

} // namespace
