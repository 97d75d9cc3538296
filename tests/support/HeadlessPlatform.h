// A test fixture that installs the headless platform for one test: window system, CD
// device, virtual clock and a tracing accelerator, with the process-wide records reset
// to their defaults, inside a scratch working directory.
//
// `board` decides what the accelerator query answers (every call is traced in `trace`);
// `clockStepPerSwap` (milliseconds) moves the clock at every buffer swap, as a display would take
// time to show a frame.
#pragma once

#include <string>

#include "accel/TraceDevice.h"
#include "app/ProcessState.h"
#include "platform/CdDevice.h"
#include "platform/Clock.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/ScriptedCdDevice.h"
#include "platform/headless/VirtualClock.h"
#include "support/ScratchDirectory.h"
#include "support/ScriptedScenes.h"

// The board behind the tracer: what the hardware query and window controls answer, and
// a display that takes `clockStepPerSwap` milliseconds to show each frame.
class ScriptedBoard : public AcceleratorDevice {
public:
    explicit ScriptedBoard(VirtualClock& clock) : clock_(clock) {}

    int32_t present = 1;
    GrSstType type = GR_SSTTYPE_VOODOO;
    FxI32 frameBufferMegabytes = 4;
    FxBool controlResult = FXTRUE;
    uint64_t clockStepPerSwap = 0; // milliseconds
    int32_t swaps = 0;

    FxBool grSstQueryHardware(GrHwConfiguration* hardware) override {
        *hardware = GrHwConfiguration{};
        if (!present) {
            return FXFALSE;
        }
        hardware->num_sst = 1;
        hardware->SSTs[0].type = type;
        hardware->SSTs[0].fbRam = frameBufferMegabytes;
        return FXTRUE;
    }
    FxBool grSstControl(GrControl_t /*code*/) override { return controlResult; }
    FxU32 grTexMaxAddress(GrChipID_t /*tmu*/) override { return 4u << 20; }
    void grBufferSwap(int /*swapInterval*/) override {
        ++swaps;
        clock_.advanceMilliseconds(clockStepPerSwap);
    }

private:
    VirtualClock& clock_;
};

class HeadlessPlatformTest : public ScratchDirectoryTest {
protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        demoSettings = DemoSettings{};
        appState = AppState{};
        keyQueue = KeyQueue{};
        sceneScript.reset();
        setWindowSystem(&windows);
        setCdDevice(&cd);
        setClock(&clock);
        setAcceleratorDevice(&trace);
    }
    void TearDown() override {
        setAcceleratorDevice(nullptr);
        setClock(nullptr);
        setCdDevice(nullptr);
        setWindowSystem(nullptr);
        ScratchDirectoryTest::TearDown();
    }

    // Number of lines of the accelerator trace that start with `call`.
    int countCalls(const std::string& call) const {
        int count = 0;
        const std::string& text = trace.text();
        for (size_t at = 0; (at = text.find(call, at)) != std::string::npos; at += call.size()) {
            if (at == 0 || text[at - 1] == '\n') {
                ++count;
            }
        }
        return count;
    }

    HeadlessWindowSystem windows;
    ScriptedCdDevice cd;
    VirtualClock clock{100000};
    ScriptedBoard board{clock};
    TraceDevice trace{&board};
};
