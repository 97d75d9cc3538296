// The frames the player shows, the same on every system for the same clock: the real
// frame loop (WinMain, playDemo, the scene reader, the renderer, the software device in
// its authentic 16-bit look) over the LightWave 5 test scene of tests/data/render (floor,
// box, sphere, a texture, a lens flare, fire), on a virtual clock of 30 frames a second.
// Every build, Linux and Windows, must find the same digest of the frames shown.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "accel/SoftwareDevice.h"
#include "app/ProcessState.h"
#include "app/WinMain.h"
#include "platform/CdDevice.h"
#include "platform/Diagnostics.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/ScriptedCdDevice.h"
#include "platform/headless/VirtualClock.h"
#include "support/ScratchDirectory.h"

namespace {

// A display at 30 frames a second: each swap moves the clock on by one frame time; the
// first 30 frames shown are hashed (FNV-1a over their RGBA bytes). Frames drawn by the
// rasterising threads are shown a swap later than they are swapped, so the clock moves
// at the swap, not at the showing.
class DigestingDisplay : public FramePresenter {
public:
    explicit DigestingDisplay(VirtualClock& clock) : clock_(clock) {}

    void swapped(const SoftwareDevice& /*device*/, int /*swapInterval*/) override {
        clock_.advanceMicroseconds(33333);
    }
    void present(const SoftwareDevice& device, int /*swapInterval*/) override {
        if (++frames > 30) {
            return;
        }
        std::vector<uint8_t> pixels(static_cast<size_t>(device.width()) * device.height() * 4);
        if (device.readFrontBuffer(pixels.data(), 4, static_cast<size_t>(device.width()) * 4)) {
            for (uint8_t byte : pixels) {
                digest = (digest ^ byte) * 0x100000001B3ull;
            }
        }
    }

    uint64_t digest = 0xCBF29CE484222325ull;
    int32_t frames = 0;

private:
    VirtualClock& clock_;
};

class SameFramesTest : public ScratchDirectoryTest {};

TEST_F(SameFramesTest, TheTestSceneShowsTheSameFramesOnEverySystem) {
    const char* data = std::getenv("EMBER_TESTDATA");
    ASSERT_NE(data, nullptr) << "run through ctest, which sets EMBER_TESTDATA";
    for (const auto& entry : std::filesystem::directory_iterator(std::string(data) + "/render")) {
        std::filesystem::copy(entry.path(), entry.path().filename(),
                              std::filesystem::copy_options::recursive);
    }
    for (const char* name : {"temple", "future", "office", "theend"}) {
        std::filesystem::copy_file("scenes/outdoor.lws", std::string("scenes/") + name + ".lws");
    }

    demoSettings = DemoSettings{};
    appState = AppState{};
    keyQueue = KeyQueue{};
    HeadlessWindowSystem windows;
    windows.dialogActions = {{DialogAction::Enter, 0, ""}};
    windows.requestClose(40);
    ScriptedCdDevice cd;
    cd.drivePresent = 0;
    VirtualClock clock(1000);
    DigestingDisplay display(clock);
    SoftwareDevice device;
    device.setPresenter(&display);
    FILE* trace = std::tmpfile(); // the loaders' trace lines, which no one reads
    setLoaderTraceStream(trace);
    setWindowSystem(&windows);
    setCdDevice(&cd);
    setClock(&clock);
    setAcceleratorDevice(&device);
    WinMain(nullptr, nullptr, "", 1);
    usePlayerDiagnostics();
    if (trace != nullptr) {
        std::fclose(trace);
    }
    setAcceleratorDevice(nullptr);
    setClock(nullptr);
    setCdDevice(nullptr);
    setWindowSystem(nullptr);

    EXPECT_EQ(windows.messageBoxes.size(), 0u);
    EXPECT_GE(display.frames, 39); // the last may still be on its way at the end
    EXPECT_EQ(display.digest, 0x749AA7FEA0879A38ull);
}

} // namespace
