#include "app/MainWindow.h"

#include "accel/Accelerator.h"
#include "app/ProcessState.h"

namespace {

void postCloseToMainWindow() {
    currentWindowSystem().postMessage({appState.mainWindow, WM_CLOSE, 0, 0});
}

} // namespace

intptr_t mainWindowProc(WindowHandle window, uint32_t message, uintptr_t wordParam,
                        intptr_t longParam) {
    WindowSystem& windows = currentWindowSystem();
    switch (message) {
    case WM_MOVE:
        if (!grSstControl(GR_CONTROL_MOVE)) {
            postCloseToMainWindow();
            return 0;
        }
        break;
    case WM_SIZE:
    case WM_DISPLAYCHANGE:
        if (!grSstControl(GR_CONTROL_RESIZE)) {
            windows.messageBox(window, "Resize failed due to lack of sufficient buffer memory.\n",
                               "Allocation Failure");
            postCloseToMainWindow();
            return 0;
        }
        break;
    case WM_ACTIVATE:
        grSstControl(GR_CONTROL_ACTIVATE);
        break;
    case WM_PAINT:
        return 1; // nothing is drawn through the window system
    case WM_CLOSE:
        keyQueue.record(0x71); // "q"
        break;
    case WM_SETCURSOR:
        windows.showCursor(0);
        return 0;
    case WM_CHAR:
        if (wordParam < 0x80) {
            keyQueue.record(static_cast<int32_t>(wordParam));
        }
        break;
    default:
        break;
    }
    return windows.defaultWindowProc(window, message, wordParam, longParam);
}

int32_t pumpMessages() {
    if (!keyQueue.isEmpty()) {
        return 1;
    }
    WindowSystem& windows = currentWindowSystem();
    WindowMessage message;
    while (windows.peekMessage(&message)) {
        windows.dispatchMessage(message);
        if (!keyQueue.isEmpty()) {
            return 1;
        }
    }
    return 0;
}

int32_t createMainWindow(void* /*instance*/) {
    WindowSystem& windows = currentWindowSystem();
    appState.mainWindow = windows.createWindow("Glide Test", 272, 288, mainWindowProc);
    if (appState.mainWindow == nullptr) {
        return 0;
    }
    windows.showCursor(0);
    windows.dispatchMessage({appState.mainWindow, WM_PAINT, 0, 0});
    return 1;
}
