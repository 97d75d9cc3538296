#include "platform/WindowSystem.h"

namespace {

WindowSystem inertWindowSystem;
WindowSystem* current = &inertWindowSystem;

} // namespace

intptr_t WindowSystem::dispatchMessage(const WindowMessage& message) {
    if (procedure_ == nullptr || message.window == nullptr || message.window != window_) {
        return 0;
    }
    return procedure_(message.window, message.message, message.wordParam, message.longParam);
}

intptr_t WindowSystem::defaultWindowProc(WindowHandle window, uint32_t message,
                                         uintptr_t /*wordParam*/, intptr_t /*longParam*/) {
    if (message == WM_CLOSE) {
        destroyWindow(window);
    }
    return 0;
}

intptr_t WindowSystem::runModalDialog(DialogBox& dialog) {
    // Nothing to show it on and no one to answer it: the dialog is cancelled.
    dialog.open();
    if (!dialog.hasEnded()) {
        dialog.close(0);
    }
    return dialog.result();
}

void setWindowSystem(WindowSystem* system) {
    current = system != nullptr ? system : &inertWindowSystem;
}

WindowSystem& currentWindowSystem() {
    return *current;
}
