// Win32WindowSystem: the window system of emberplay.exe, on the system's own calls.
//
//   createWindow       RegisterClassA ("WinGlideClass": CS_DBLCLKS, the stock arrow
//                      cursor and application icon, a black background brush), then
//                      CreateWindowExA (WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE | WS_SYSMENU at
//                      CW_USEDEFAULT), ShowWindow (SW_SHOWNORMAL) and UpdateWindow
//   peekMessage        PeekMessageA (any window, PM_REMOVE) and TranslateMessage, so that
//                      key presses arrive as WM_CHAR; dispatchMessage: DispatchMessageA of
//                      that message (a message that was never queued is sent instead)
//   defaultWindowProc  DefWindowProcA
//   messageBox         MessageBoxA (MB_OK), owned by the window; also on standard error
//   runModalDialog     DialogBoxParamA on the dialog resource that the template names;
//                      the dialog's procedure works on the real controls
//   surface            opening it covers the window's monitor with the window; each
//                      frame goes into a 32-bit DIB section and onto the window with
//                      StretchDIBits, scaled with its aspect kept, black bars around; a
//                      swap interval of 1 or more waits for the compositor's next frame
//                      (DwmFlush). Closing it gives the window its old place back.
//
// Every message of the window goes to the procedure given to createWindow, from the
// first one that CreateWindowExA sends. WM_PAINT is bracketed by BeginPaint and EndPaint
// here, after the procedure, so that the window is always validated; the last frame is
// drawn again there, as the accelerator's own display would still show it.
//
// One window per process, made and used on one thread.
#pragma once

#include <cstdint>

#include "platform/WindowSystem.h"

class Win32WindowSystem : public WindowSystem {
public:
    // `instance` is the program's module handle (HINSTANCE); nullptr: the running program.
    explicit Win32WindowSystem(void* instance);
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    WindowHandle createWindow(const char* title, int32_t width, int32_t height,
                              WindowProcedure procedure) override;
    int32_t destroyWindow(WindowHandle window) override;
    int32_t peekMessage(WindowMessage* message) override;
    void postMessage(const WindowMessage& message) override;
    intptr_t dispatchMessage(const WindowMessage& message) override;
    intptr_t defaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wordParam,
                               intptr_t longParam) override;
    void messageBox(WindowHandle owner, const char* text, const char* caption) override;
    void showCursor(int32_t visible) override;
    intptr_t runModalDialog(DialogBox& dialog) override;
    void openSurface(int32_t width, int32_t height) override;
    void presentFrame(const PresentedFrame& frame) override;
    void closeSurface() override;

    // What a window procedure of the system's sees: forwards to the procedure and keeps
    // the window painted. Public for the system's callback alone.
    intptr_t handleMessage(WindowHandle window, uint32_t message, uintptr_t wordParam,
                           intptr_t longParam);

private:
    struct Native; // the system's records (defined with the calls)
    void drawFrame(void* deviceContext);

    void* instance_ = nullptr;
    Native* native_ = nullptr;
};
