// The program's window on the system's window manager: the message pump's key queue
// and the presentation of frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/MainWindow.h"
#include "app/ProcessState.h"
#include "platform/win32/Win32WindowSystem.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

class Win32WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no display for Wine's windows";
        }
        appState = AppState{};
        keyQueue = KeyQueue{};
        setWindowSystem(&windows_);
        ASSERT_EQ(createMainWindow(nullptr), 1);
        window_ = static_cast<HWND>(appState.mainWindow);
        while (pumpMessages() == 0 && keyQueue.isEmpty() && pending()) {
        }
    }
    void TearDown() override {
        windows_.destroyWindow(appState.mainWindow);
        setWindowSystem(nullptr);
    }
    static bool pending() {
        MSG message;
        return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != 0;
    }

    Win32WindowSystem windows_{nullptr};
    HWND window_ = nullptr;
};

TEST_F(Win32WindowSystemTest, WindowIsTheClassesPopup) {
    char className[32] = {};
    GetClassNameA(window_, className, sizeof(className));
    EXPECT_STREQ(className, "WinGlideClass");
    char title[32] = {};
    GetWindowTextA(window_, title, sizeof(title));
    EXPECT_STREQ(title, "Glide Test");
    const LONG style = GetWindowLongA(window_, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE | WS_SYSMENU), WS_POPUP | WS_VISIBLE | WS_SYSMENU);
    EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    RECT place{};
    GetWindowRect(window_, &place);
    EXPECT_EQ(place.right - place.left, 272);
    EXPECT_EQ(place.bottom - place.top, 288);
}

TEST_F(Win32WindowSystemTest, KeysThatTypeACharacterStopThePump) {
    // Shift types nothing; an accented character is not recorded; 'x' is.
    PostMessageA(window_, WM_KEYDOWN, VK_SHIFT, 0x002A0001);
    PostMessageA(window_, WM_CHAR, 0xE9, 0);
    EXPECT_EQ(pumpMessages(), 0);
    EXPECT_TRUE(keyQueue.isEmpty());
    PostMessageA(window_, WM_KEYDOWN, 'X', 0x002D0001); // translated into WM_CHAR 'x'
    EXPECT_EQ(pumpMessages(), 1);
    EXPECT_EQ(keyQueue.codes[0], 'x');
}

TEST_F(Win32WindowSystemTest, ClosingRecordsQAndDestroysTheWindow) {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(pumpMessages(), 1);
    EXPECT_EQ(keyQueue.codes[0], 'q');
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(windows_.destroyWindow(appState.mainWindow), 0); // already gone
}

TEST_F(Win32WindowSystemTest, FramesFillTheScreenWithTheirShapeKept) {
    windows_.openSurface(8, 3);
    RECT screen{};
    GetWindowRect(window_, &screen);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(screen.right - screen.left, width);
    EXPECT_EQ(screen.bottom - screen.top, height);

    // A frame of 8 x 3 pixels, twice as wide as the screen's 4:3: red, with bars above
    // and below.
    std::vector<uint8_t> pixels(8 * 3 * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = 255;
        pixels[i + 3] = 255;
    }
    PresentedFrame frame;
    frame.pixels = pixels.data();
    frame.width = 8;
    frame.height = 3;
    frame.pitch = 8 * 4;
    windows_.presentFrame(frame);
    HDC dc = GetDC(window_);
    EXPECT_EQ(GetPixel(dc, width / 2, height / 2), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, width / 2, 2), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, width / 2, height - 3), RGB(0, 0, 0));
    ReleaseDC(window_, dc);

    windows_.closeSurface();
    GetWindowRect(window_, &screen);
    EXPECT_EQ(screen.right - screen.left, 272);
}

} // namespace
