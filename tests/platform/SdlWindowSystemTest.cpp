#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <vector>

#include "platform/desktop/SdlWindowSystem.h"

namespace {

std::vector<WindowMessage> received;

intptr_t recordingProcedure(WindowHandle window, uint32_t message, uintptr_t wordParam,
                            intptr_t longParam) {
    received.push_back({window, message, wordParam, longParam});
    return 0;
}

// The SDL window system on SDL's dummy video driver: no display needed, events pushed by
// the test as the desktop would send them.
class SdlWindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("EMBER_MESSAGE_BOXES", "stderr", 1);
        received.clear();
        window_ = windows_.createWindow("test", 272, 288, recordingProcedure);
        ASSERT_NE(window_, nullptr);
        WindowMessage drained;
        while (windows_.peekMessage(&drained)) {
        }
    }

    static void pushText(const char* text) {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        SDL_strlcpy(event.text.text, text, sizeof(event.text.text));
        SDL_PushEvent(&event);
    }
    static void pushKey(SDL_Keycode key, Uint16 modifiers = 0) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = key;
        event.key.keysym.mod = modifiers;
        SDL_PushEvent(&event);
    }
    std::vector<WindowMessage> messages() {
        std::vector<WindowMessage> all;
        WindowMessage message;
        while (windows_.peekMessage(&message)) {
            all.push_back(message);
        }
        return all;
    }

    SdlWindowSystem windows_;
    WindowHandle window_ = nullptr;
};

TEST_F(SdlWindowSystemTest, KeysBecomeTheCharactersTheyType) {
    pushText("a\xc3\xa9"); // "a", then e acute (U+00E9)
    pushKey(SDLK_ESCAPE);
    pushKey(SDLK_RETURN);
    pushKey(SDLK_c, KMOD_LCTRL);
    pushKey(SDLK_LEFT);   // types nothing
    pushKey(SDLK_LSHIFT); // types nothing
    pushKey(SDLK_F1);     // types nothing
    std::vector<uintptr_t> characters;
    for (const WindowMessage& message : messages()) {
        if (message.message == WM_CHAR) {
            characters.push_back(message.wordParam);
        }
    }
    EXPECT_EQ(characters, (std::vector<uintptr_t>{'a', 0xE9, 27, 13, 3}));
}

TEST_F(SdlWindowSystemTest, QuitIsACloseRequestAndPostedMessagesComeFirst) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    windows_.postMessage({window_, WM_MOVE, 0, 0});
    const std::vector<WindowMessage> all = messages();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].message, WM_MOVE);
    EXPECT_EQ(all[1].message, WM_CLOSE);
    windows_.dispatchMessage(all[1]);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, WM_CLOSE);
}

TEST_F(SdlWindowSystemTest, DialogTakesKeysFromTheWindowAndClosingItCancels) {
    static const DialogControlTemplate controls[] = {
        {IDOK, DialogControlKind::DefaultPushButton, "OK", 10, 10, 50, 14, 1, 0, 0},
        {100, DialogControlKind::EditBox, "", 10, 30, 40, 13, 1, 0, 1},
    };
    static const DialogTemplate layout = {"", 100, 60, controls, 2};
    static intptr_t commands = 0;
    DialogBox dialog(layout,
                     [](DialogControls& box, uint32_t message, uintptr_t id, intptr_t) -> intptr_t {
                         if (message == WM_COMMAND && id == IDOK) {
                             ++commands;
                             if (box.getFocus() == 100) {
                                 box.postNextDlgCtl();
                             } else {
                                 box.endDialog(7);
                             }
                         }
                         return 0;
                     });
    dialog.setFocus(100);
    pushText("4x2");
    pushKey(SDLK_RETURN); // moves the focus on
    pushKey(SDLK_RETURN); // closes
    EXPECT_EQ(windows_.runModalDialog(dialog), 7);
    EXPECT_EQ(commands, 2);
    EXPECT_STREQ(dialog.text(1), "42");
    for (const WindowMessage& message : messages()) {
        EXPECT_NE(message.message, WM_CHAR);
    }

    // Closing the window cancels the dialog and reaches the window's procedure.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    DialogBox second(layout,
                     [](DialogControls&, uint32_t, uintptr_t, intptr_t) { return intptr_t{0}; });
    EXPECT_EQ(windows_.runModalDialog(second), 0);
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back().message, WM_CLOSE);
}

TEST_F(SdlWindowSystemTest, FramesOfAnySizeArePresented) {
    windows_.openSurface(64, 48);
    std::vector<uint8_t> pixels(64 * 48 * 4, 200);
    PresentedFrame frame;
    frame.pixels = pixels.data();
    frame.width = 64;
    frame.height = 48;
    frame.pitch = 64 * 4;
    windows_.presentFrame(frame);
    frame.width = 33; // a new size: a new texture
    frame.height = 7;
    windows_.presentFrame(frame);
    windows_.closeSurface();
    EXPECT_EQ(windows_.destroyWindow(window_), 1);
    EXPECT_EQ(windows_.destroyWindow(window_), 0);
}

} // namespace
