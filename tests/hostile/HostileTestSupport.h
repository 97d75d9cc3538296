// A scratch working directory for the hostile-input tests, with the fuzz drivers'
// process-wide settings undone afterwards (FuzzDrivers.h).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "FuzzDrivers.h"
#include "accel/Device.h"
#include "platform/Diagnostics.h"
#include "support/ScratchDirectory.h"

// A fuzz driver's run step.
using FuzzDriverRun = const char* (*)(const uint8_t*, size_t);

class HostileTest : public ScratchDirectoryTest {
protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        clearLastRefusal();
    }
    void TearDown() override {
        usePlayerDiagnostics();
        setAcceleratorDevice(nullptr);
        ScratchDirectoryTest::TearDown();
    }

    std::string errorLog() { return fileExists("error.txt") ? readFile("error.txt") : ""; }

    static const uint8_t* bytesOf(const std::string& text) {
        return reinterpret_cast<const uint8_t*>(text.data());
    }
    // The driver's verdict on one input: "" when every promise held.
    static std::string brokenPromise(FuzzDriverRun run, const std::string& input) {
        const char* broken = run(bytesOf(input), input.size());
        return broken != nullptr ? broken : "";
    }
};
