#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "support/HeadlessPlatform.h"

namespace {

class MainWindowTest : public HeadlessPlatformTest {
protected:
    void SetUp() override {
        HeadlessPlatformTest::SetUp();
        ASSERT_EQ(createMainWindow(nullptr), 1);
    }
    void send(uint32_t message, uintptr_t wordParam = 0) {
        windows.dispatchMessage({appState.mainWindow, message, wordParam, 0});
    }
};

TEST_F(MainWindowTest, SevenBitCharactersStopTheDemoOthersDoNot) {
    send(WM_CHAR, 0xE9); // an accented letter of an 8-bit code page
    send(WM_CHAR, 0x80);
    EXPECT_EQ(pumpMessages(), 0);
    send(WM_CHAR, 27); // Escape
    EXPECT_EQ(keyQueue.codes[0], 27);
    EXPECT_EQ(pumpMessages(), 1);
    EXPECT_EQ(pumpMessages(), 1); // never consumed
}

TEST_F(MainWindowTest, CloseRecordsQAndDestroysTheWindow) {
    windows.requestClose(0);
    EXPECT_EQ(pumpMessages(), 1);
    EXPECT_EQ(keyQueue.codes[0], 'q');
    EXPECT_EQ(windows.windowExists, 0);
}

TEST_F(MainWindowTest, PumpDeliversEverythingWaitingUntilAKeyArrives) {
    windows.activateWindow(0);
    windows.moveWindow(0);
    windows.typeCharacter(0, ' ');
    windows.typeCharacter(0, 'x');
    EXPECT_EQ(pumpMessages(), 1);
    EXPECT_EQ(trace.text(),
              "grSstControl(GR_CONTROL_ACTIVATE) = 1\ngrSstControl(GR_CONTROL_MOVE) = 1\n");
    EXPECT_EQ(keyQueue.head, 1); // 'x' is still waiting
    EXPECT_EQ(pumpMessages(), 1);
    EXPECT_EQ(keyQueue.head, 1);
}

TEST_F(MainWindowTest, RefusedMoveClosesTheWindowAtTheNextPump) {
    board.controlResult = FXFALSE;
    windows.moveWindow(0);
    EXPECT_EQ(pumpMessages(), 1); // the posted close arrives in the same pass
    EXPECT_EQ(keyQueue.codes[0], 'q');
    EXPECT_TRUE(windows.messageBoxes.empty());
}

TEST_F(MainWindowTest, RefusedResizeShowsAllocationFailureThenCloses) {
    board.controlResult = FXFALSE;
    windows.resizeWindow(0);
    EXPECT_EQ(pumpMessages(), 1);
    EXPECT_EQ(windows.messageBoxes,
              std::vector<std::string>{"Resize failed due to lack of sufficient buffer memory."});
    EXPECT_EQ(keyQueue.codes[0], 'q');
}

TEST_F(MainWindowTest, PointerStaysHidden) {
    EXPECT_EQ(windows.cursorVisible, 0);
    windows.showCursor(1);
    send(WM_SETCURSOR);
    EXPECT_EQ(windows.cursorVisible, 0);
}

} // namespace
