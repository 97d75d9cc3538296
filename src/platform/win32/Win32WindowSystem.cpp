#include "platform/win32/Win32WindowSystem.h"

#include <cstdio>
#include <new>
#include <string>

#include "platform/win32/Win32Dialog.h"
#include "platform/win32/Win32Surface.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <dwmapi.h>
#undef DialogBox // the record of the same name is ours

namespace {

constexpr char kWindowClass[] = "WinGlideClass";

// The window system whose window this is: the system calls the window procedure with
// no context of ours, from CreateWindowExA on (one window per process).
Win32WindowSystem* active = nullptr;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wordParam, LPARAM longParam) {
    if (active == nullptr) {
        return DefWindowProcA(window, message, wordParam, longParam);
    }
    return active->handleMessage(window, message, wordParam, longParam);
}

bool sameMessage(const MSG& queued, const WindowMessage& message) {
    return queued.hwnd == message.window && queued.message == message.message &&
           queued.wParam == message.wordParam && queued.lParam == message.longParam;
}

} // namespace

struct Win32WindowSystem::Native {
    MSG peeked{}; // the message peekMessage returned last, until it is dispatched
    bool hasPeeked = false;
    Win32Surface surface;
    bool classRegistered = false;
};

Win32WindowSystem::Win32WindowSystem(void* instance)
    : instance_(instance != nullptr ? instance : GetModuleHandleA(nullptr)),
      native_(new (std::nothrow) Native) {}

Win32WindowSystem::~Win32WindowSystem() {
    if (window_ != nullptr) {
        destroyWindow(window_);
    }
    if (native_ != nullptr && native_->classRegistered) {
        UnregisterClassA(kWindowClass, static_cast<HINSTANCE>(instance_));
    }
    if (active == this) {
        active = nullptr;
    }
    delete native_;
}

WindowHandle Win32WindowSystem::createWindow(const char* title, int32_t width, int32_t height,
                                             WindowProcedure procedure) {
    if (native_ == nullptr || window_ != nullptr || procedure == nullptr ||
        (active != nullptr && active != this)) {
        return nullptr;
    }
    HINSTANCE instance = static_cast<HINSTANCE>(instance_);
    if (!native_->classRegistered) {
        WNDCLASSA windowClass{};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = kWindowClass;
        if (RegisterClassA(&windowClass) == 0) {
            return nullptr;
        }
        native_->classRegistered = true;
    }
    active = this;
    procedure_ = procedure;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kWindowClass, title != nullptr ? title : "",
                                  WS_POPUP | WS_VISIBLE | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                                  width, height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        procedure_ = nullptr;
        active = nullptr;
        return nullptr;
    }
    window_ = window;
    SetCursor(nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window_;
}

int32_t Win32WindowSystem::destroyWindow(WindowHandle window) {
    if (window == nullptr || window != window_) {
        return 0;
    }
    return DestroyWindow(static_cast<HWND>(window)) ? 1 : 0; // WM_NCDESTROY forgets it
}

intptr_t Win32WindowSystem::handleMessage(WindowHandle window, uint32_t message,
                                          uintptr_t wordParam, intptr_t longParam) {
    HWND hwnd = static_cast<HWND>(window);
    if (message == WM_NCDESTROY) {
        if (native_ != nullptr) {
            native_->surface.close(nullptr);
        }
        if (window == window_) {
            window_ = nullptr;
        }
        return DefWindowProcA(hwnd, message, wordParam, longParam);
    }
    const intptr_t result = procedure_ != nullptr
                                ? procedure_(window, message, wordParam, longParam)
                                : DefWindowProcA(hwnd, message, wordParam, longParam);
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        if (dc != nullptr && native_ != nullptr) {
            native_->surface.redraw(hwnd, dc);
        }
        EndPaint(hwnd, &paint);
    }
    return result;
}

int32_t Win32WindowSystem::peekMessage(WindowMessage* message) {
    if (native_ == nullptr) {
        return 0;
    }
    MSG queued;
    if (!PeekMessageA(&queued, nullptr, 0, 0, PM_REMOVE)) {
        return 0;
    }
    TranslateMessage(&queued);
    native_->peeked = queued;
    native_->hasPeeked = true;
    *message = {queued.hwnd, queued.message, queued.wParam, queued.lParam};
    return 1;
}

void Win32WindowSystem::postMessage(const WindowMessage& message) {
    // A message for no window would become a message for the thread, which no one reads.
    if (message.window != nullptr) {
        PostMessageA(static_cast<HWND>(message.window), message.message, message.wordParam,
                     message.longParam);
    }
}

intptr_t Win32WindowSystem::dispatchMessage(const WindowMessage& message) {
    if (native_ != nullptr && native_->hasPeeked && sameMessage(native_->peeked, message)) {
        native_->hasPeeked = false;
        return DispatchMessageA(&native_->peeked);
    }
    HWND window = static_cast<HWND>(message.window);
    if (window == nullptr || !IsWindow(window)) {
        return 0;
    }
    return SendMessageA(window, message.message, message.wordParam, message.longParam);
}

intptr_t Win32WindowSystem::defaultWindowProc(WindowHandle window, uint32_t message,
                                              uintptr_t wordParam, intptr_t longParam) {
    return DefWindowProcA(static_cast<HWND>(window), message, wordParam, longParam);
}

void Win32WindowSystem::messageBox(WindowHandle owner, const char* text, const char* caption) {
    std::string line = text != nullptr ? text : "";
    while (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "", line.c_str());
    std::fflush(stderr);
    HWND window = static_cast<HWND>(owner);
    MessageBoxA(window != nullptr && IsWindow(window) ? window : nullptr, text, caption, MB_OK);
}

void Win32WindowSystem::showCursor(int32_t visible) {
    SetCursor(visible ? LoadCursorA(nullptr, IDC_ARROW) : nullptr);
}

intptr_t Win32WindowSystem::runModalDialog(DialogBox& dialog) {
    return runResourceDialog(instance_, window_, dialog);
}

void Win32WindowSystem::openSurface(int32_t /*width*/, int32_t /*height*/) {
    if (native_ != nullptr && window_ != nullptr) {
        native_->surface.open(window_);
    }
}

void Win32WindowSystem::presentFrame(const PresentedFrame& frame) {
    if (native_ == nullptr || window_ == nullptr) {
        return;
    }
    if (frame.swapInterval >= 1) {
        DwmFlush(); // the next frame of the compositor; fails at once where there is none
    }
    native_->surface.present(window_, frame);
}

void Win32WindowSystem::closeSurface() {
    if (native_ != nullptr) {
        native_->surface.close(window_);
    }
}
