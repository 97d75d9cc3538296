// HeadlessWindowSystem: the window system of tests and offline rendering.
//
// Nothing is shown. What a user would do comes from a script:
//   - typeCharacter(pump, code) / requestClose(pump): delivered by the message pump's
//     pass number `pump` (pass 0 is the first pump after the window was created and the
//     dialog closed, i.e. the one at the end of loading; pass n is the pump after the
//     n-th displayed frame); a close arrives as WM_CLOSE, a character as WM_CHAR;
//   - moveWindow(pump) / resizeWindow(pump) / activateWindow(pump): WM_MOVE, WM_SIZE,
//     WM_ACTIVATE at that pass;
//   - dialogActions: what the user does in the next modal dialog, in order; when the
//     script runs out with the dialog still open, the dialog is cancelled, so that no
//     test can hang on it.
// A pump pass ends each time peekMessage() finds nothing waiting.
//
// Message boxes are written to standard error as "<caption>: <text>" (unless
// `echoMessageBoxes` is 0: a tool that reports them itself) and kept in `messageBoxes` (one line
// each, the text's own trailing newline dropped); frames handed over for display are counted in
// `framesPresented`.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

struct DialogAction {
    enum Kind { Click, Focus, Type, SetText, Enter, Escape, Tab, Space, Backspace, CloseWindow };
    Kind kind;
    int32_t id = 0;
    std::string text; // Type: the characters, each typed; SetText: the new text
};

class HeadlessWindowSystem : public WindowSystem {
public:
    WindowHandle createWindow(const char* title, int32_t width, int32_t height,
                              WindowProcedure procedure) override;
    int32_t destroyWindow(WindowHandle window) override;
    int32_t peekMessage(WindowMessage* message) override;
    void postMessage(const WindowMessage& message) override;
    void messageBox(WindowHandle owner, const char* text, const char* caption) override;
    void showCursor(int32_t visible) override { cursorVisible = visible; }
    intptr_t runModalDialog(DialogBox& dialog) override;
    void openSurface(int32_t width, int32_t height) override;
    void presentFrame(const PresentedFrame& frame) override;
    void closeSurface() override { surfaceOpen = 0; }

    // The script.
    void typeCharacter(int32_t pump, int32_t code) { schedule(pump, WM_CHAR, code); }
    void requestClose(int32_t pump) { schedule(pump, WM_CLOSE, 0); }
    void moveWindow(int32_t pump) { schedule(pump, WM_MOVE, 0); }
    void resizeWindow(int32_t pump) { schedule(pump, WM_SIZE, 0); }
    void activateWindow(int32_t pump) { schedule(pump, WM_ACTIVATE, WA_ACTIVE); }
    std::vector<DialogAction> dialogActions;
    int32_t echoMessageBoxes = 1;

    // What happened.
    std::vector<std::string> messageBoxes;
    int32_t windowsCreated = 0;
    int32_t windowExists = 0;
    int32_t dialogsShown = 0;
    int32_t pumpPass = 0;
    int32_t cursorVisible = 1;
    int32_t surfaceOpen = 0;
    int32_t surfaceWidth = 0;
    int32_t surfaceHeight = 0;
    int64_t framesPresented = 0;
    std::string title;

private:
    struct Scheduled {
        int32_t pump;
        uint32_t message;
        uintptr_t wordParam;
    };
    void schedule(int32_t pump, uint32_t message, uintptr_t wordParam);

    std::vector<Scheduled> scheduled_;
    std::deque<WindowMessage> queue_;
    int32_t passDelivered_ = -1; // the last pass whose scheduled messages were queued
};
