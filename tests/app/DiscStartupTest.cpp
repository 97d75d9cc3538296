#include <gtest/gtest.h>

#include <cstdlib>

#include "app/ProcessState.h"
#include "app/WinMain.h"
#include "platform/CdDevice.h"
#include "platform/desktop/SystemCdDevice.h"
#include "support/ScratchDirectory.h"

namespace {

// Start-up's CD handling against the real CD stand-in and a disc image in cdrom/, with
// SDL's dummy audio driver standing in for the sound card.
class DiscStartupTest : public ScratchDirectoryTest {
protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        appState = AppState{};
        setCdDevice(&cd_);
    }
    void TearDown() override {
        setCdDevice(nullptr);
        ScratchDirectoryTest::TearDown();
    }
    void writeDisc(const std::string& sheet) {
        writeFile("cdrom/disc.bin", std::string(10 * 2352, '\0'));
        writeFile("cdrom/disc.cue", sheet);
    }

    SystemCdDevice cd_;
};

TEST_F(DiscStartupTest, AudioImageIsOpenedAndPlaysFromTheChosenTrack) {
    writeDisc("FILE disc.bin BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
              " TRACK 02 AUDIO\n  INDEX 01 00:00:05\n");
    openCdAudio();
    ASSERT_EQ(appState.cdAvailable, 1);
    EXPECT_EQ(appState.cdTrackCount, 2u);
    MCI_PLAY_PARMS play;
    play.dwFrom = MCI_MAKE_TMSF(2, 0, 0, 0);
    EXPECT_EQ(mciSendCommandA(appState.cdDeviceId, MCI_PLAY, MCI_NOTIFY | MCI_FROM,
                              reinterpret_cast<uintptr_t>(&play)),
              0u);
    play.dwFrom = MCI_MAKE_TMSF(3, 0, 0, 0);
    EXPECT_EQ(mciSendCommandA(appState.cdDeviceId, MCI_PLAY, MCI_FROM,
                              reinterpret_cast<uintptr_t>(&play)),
              MCIERR_OUTOFRANGE);
    EXPECT_EQ(mciSendCommandA(appState.cdDeviceId, MCI_STOP, MCI_WAIT, 0), 0u);
    EXPECT_EQ(mciSendCommandA(appState.cdDeviceId, MCI_CLOSE, 0, 0), 0u);
    EXPECT_EQ(mciSendCommandA(appState.cdDeviceId, MCI_STOP, MCI_WAIT, 0),
              MCIERR_INVALID_DEVICE_ID);
}

// An image of one data track, or one whose file is gone, is no disc.
TEST_F(DiscStartupTest, ImageWithoutPlayableAudioIsNoDisc) {
    for (const char* sheet : {"FILE disc.bin BINARY\n TRACK 01 MODE1/2352\n  INDEX 01 00:00:00\n",
                              "FILE gone.bin BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"}) {
        writeDisc(sheet);
        openCdAudio();
        EXPECT_EQ(appState.cdAvailable, 0) << sheet;
        EXPECT_EQ(appState.cdTrackCount, 0u) << sheet;
    }
}

} // namespace
