// The window system: the program's one window, its messages, message boxes, the modal
// dialog and the presentation of finished frames.
//
// The application shell is written as for a message-based window system: a window
// procedure receives WM_* messages; a pump peeks, translates and dispatches them; the
// default procedure handles what the program's own does not. This interface carries
// exactly that contract and nothing more:
//   SdlWindowSystem       an SDL2 window, its events, the dialog drawn with Dear ImGui
//                         (desktop/)
//   HeadlessWindowSystem  scripted characters, close requests and dialog actions;
//                         message boxes to standard error and a log (headless/)
//   Win32WindowSystem     the system's own window class, message queue, dialog resource
//                         and message boxes; frames drawn with GDI (win32/)
//
// Call order: setWindowSystem(&system); createWindow(); then any of the rest;
// destroyWindow(); setWindowSystem(nullptr). The base class is inert: no window can be
// created, no message ever arrives, message boxes vanish.
//
// Messages that arrive (peekMessage has already translated key presses into WM_CHAR):
//   WM_MOVE, WM_SIZE, WM_DISPLAYCHANGE, WM_ACTIVATE (wordParam: WA_INACTIVE or WA_ACTIVE),
//   WM_PAINT, WM_CLOSE, WM_SETCURSOR, WM_CHAR (wordParam: the character code).
#pragma once

#include <cstdint>

#include "platform/DialogBox.h"

using WindowHandle = void*;
using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wordParam,
                                     intptr_t longParam);

inline constexpr uint32_t WM_MOVE = 0x0003;
inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_ACTIVATE = 0x0006;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_SETCURSOR = 0x0020;
inline constexpr uint32_t WM_CHAR = 0x0102;
inline constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;

inline constexpr uintptr_t WA_INACTIVE = 0;
inline constexpr uintptr_t WA_ACTIVE = 1;

struct WindowMessage {
    WindowHandle window = nullptr;
    uint32_t message = 0;
    uintptr_t wordParam = 0;
    intptr_t longParam = 0;
};

// One finished frame handed over for display: rows top to bottom, `pitch` bytes apart.
enum class PixelFormat : int32_t {
    Rgba32,   // bytes R, G, B, A in that order
    Rgb565,   // 16-bit words, red in the top 5 bits
    Xrgb8888, // 32-bit words 0x00RRGGBB
};
struct PresentedFrame {
    const void* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0; // bytes per row
    PixelFormat format = PixelFormat::Rgba32;
    int32_t swapInterval = 0; // >= 1: shown at the display's vertical retrace
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Creates and shows the one window; its messages go to `procedure`. Returns the
    // window, or nullptr when it cannot be created (or one already exists).
    virtual WindowHandle createWindow(const char* /*title*/, int32_t /*width*/, int32_t /*height*/,
                                      WindowProcedure /*procedure*/) {
        return nullptr;
    }
    // Returns 1 when the window existed and is now gone, 0 otherwise.
    virtual int32_t destroyWindow(WindowHandle /*window*/) { return 0; }

    // Removes the oldest waiting message into `message`; 0 when there is none. Never blocks.
    virtual int32_t peekMessage(WindowMessage* /*message*/) { return 0; }
    // Queues a message behind those waiting (PostMessage).
    virtual void postMessage(const WindowMessage& /*message*/) {}
    // Hands a message to the window's procedure and returns its result.
    virtual intptr_t dispatchMessage(const WindowMessage& message);
    // What the system does with a message its procedure leaves alone: WM_CLOSE destroys
    // the window; everything else is ignored. Returns 0.
    virtual intptr_t defaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wordParam,
                                       intptr_t longParam);

    // A modal box with one OK button; returns when it is dismissed.
    virtual void messageBox(WindowHandle /*owner*/, const char* /*text*/, const char* /*caption*/) {
    }
    // Shows or hides the mouse pointer over the window.
    virtual void showCursor(int32_t /*visible*/) {}

    // Runs `dialog` modally over the window until its procedure ends it (or the window
    // is closed: the dialog then ends with 0 and the window receives WM_CLOSE). Returns
    // the value the dialog was ended with.
    virtual intptr_t runModalDialog(DialogBox& dialog);

    // The accelerator's full-screen surface: opened with the frame size, then each
    // finished frame is shown scaled to the display with its aspect kept.
    virtual void openSurface(int32_t /*width*/, int32_t /*height*/) {}
    virtual void presentFrame(const PresentedFrame& /*frame*/) {}
    virtual void closeSurface() {}

protected:
    WindowHandle window_ = nullptr;
    WindowProcedure procedure_ = nullptr;
};

void setWindowSystem(WindowSystem* system);
WindowSystem& currentWindowSystem();
