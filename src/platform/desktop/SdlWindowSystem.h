// SdlWindowSystem: the window system of the running player, on SDL2.
//
// One SDL window with an SDL renderer. Events become the window procedure's messages:
//   quit / window close -> WM_CLOSE        moved -> WM_MOVE     resized -> WM_SIZE
//   display changed     -> WM_DISPLAYCHANGE focus gained / lost -> WM_ACTIVATE
//   exposed             -> WM_PAINT        pointer moved over the window -> WM_SETCURSOR
//   typed text          -> WM_CHAR, one per character (code point; 0x80 and above are
//                          passed on as they are, and the window procedure ignores them)
//   keys that type a control character -> WM_CHAR: Escape 27, Enter 13, Backspace 8,
//                          Tab 9, Ctrl+letter 1..26
// Keys that type nothing (Shift, arrows, function keys) send nothing.
//
// The modal dialog is drawn with Dear ImGui in the same window, which is sized to the
// dialog while it is open (the pointer is shown over it). The accelerator's surface
// takes the whole display (desktop full screen); each frame is scaled to it with its
// aspect kept, black bars around.
//
// Message boxes are SDL message boxes (also written to standard error, for logs). When
// SDL cannot show one (on some desktops it needs a helper program, zenity or kdialog),
// the box is drawn with Dear ImGui in the program's own window, over whatever it shows,
// until OK, any key or a close request: a failure is always seen. When
// `EMBER_MESSAGE_BOXES=stderr` is set boxes go to standard error only, so that
// unattended runs cannot wait on one.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <deque>

#include "platform/WindowSystem.h"

class SdlWindowSystem : public WindowSystem {
public:
    SdlWindowSystem() = default;
    ~SdlWindowSystem() override;
    SdlWindowSystem(const SdlWindowSystem&) = delete;
    SdlWindowSystem& operator=(const SdlWindowSystem&) = delete;

    WindowHandle createWindow(const char* title, int32_t width, int32_t height,
                              WindowProcedure procedure) override;
    int32_t destroyWindow(WindowHandle window) override;
    int32_t peekMessage(WindowMessage* message) override;
    void postMessage(const WindowMessage& message) override;
    void messageBox(WindowHandle owner, const char* text, const char* caption) override;
    void showCursor(int32_t visible) override;
    intptr_t runModalDialog(DialogBox& dialog) override;
    void openSurface(int32_t width, int32_t height) override;
    void presentFrame(const PresentedFrame& frame) override;
    void closeSurface() override;

private:
    int32_t translate(const SDL_Event& event, WindowMessage* message);
    void showOwnMessageBox(const char* text, const char* caption);
    void handleDialogKey(DialogBox& dialog, const SDL_Keysym& key);

    SDL_Window* sdlWindow_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int32_t textureWidth_ = 0;
    int32_t textureHeight_ = 0;
    PixelFormat textureFormat_ = PixelFormat::Rgba32;
    int32_t vsync_ = -1;
    int32_t cursorVisible_ = 1;
    int32_t videoStarted_ = 0;
    std::deque<WindowMessage> posted_;
    std::deque<WindowMessage> pending_; // characters of one text event beyond the first
};
