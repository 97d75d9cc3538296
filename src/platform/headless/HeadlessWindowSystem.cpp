#include "platform/headless/HeadlessWindowSystem.h"

#include <cstdio>

namespace {

// Any non-null value names the one window.
int headlessWindowTag;

} // namespace

WindowHandle HeadlessWindowSystem::createWindow(const char* newTitle, int32_t /*width*/,
                                                int32_t /*height*/, WindowProcedure procedure) {
    if (windowExists || procedure == nullptr) {
        return nullptr;
    }
    window_ = &headlessWindowTag;
    procedure_ = procedure;
    windowExists = 1;
    ++windowsCreated;
    title = newTitle != nullptr ? newTitle : "";
    return window_;
}

int32_t HeadlessWindowSystem::destroyWindow(WindowHandle window) {
    if (!windowExists || window != window_) {
        return 0;
    }
    windowExists = 0;
    window_ = nullptr;
    queue_.clear();
    return 1;
}

void HeadlessWindowSystem::schedule(int32_t pump, uint32_t message, uintptr_t wordParam) {
    scheduled_.push_back({pump, message, wordParam});
}

int32_t HeadlessWindowSystem::peekMessage(WindowMessage* message) {
    if (passDelivered_ < pumpPass) {
        passDelivered_ = pumpPass;
        for (const Scheduled& event : scheduled_) {
            if (event.pump == pumpPass && windowExists) {
                queue_.push_back({window_, event.message, event.wordParam, 0});
            }
        }
    }
    if (queue_.empty()) {
        ++pumpPass;
        return 0;
    }
    *message = queue_.front();
    queue_.pop_front();
    return 1;
}

void HeadlessWindowSystem::postMessage(const WindowMessage& message) {
    if (windowExists && message.window == window_) {
        queue_.push_back(message);
    }
}

void HeadlessWindowSystem::messageBox(WindowHandle /*owner*/, const char* text,
                                      const char* caption) {
    std::string line = text != nullptr ? text : "";
    while (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    if (echoMessageBoxes) {
        std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "", line.c_str());
    }
    messageBoxes.push_back(line);
}

intptr_t HeadlessWindowSystem::runModalDialog(DialogBox& dialog) {
    ++dialogsShown;
    dialog.open();
    for (const DialogAction& action : dialogActions) {
        if (dialog.hasEnded()) {
            break;
        }
        switch (action.kind) {
        case DialogAction::Click:
            dialog.click(action.id);
            break;
        case DialogAction::Focus:
            dialog.setFocus(action.id);
            break;
        case DialogAction::Type:
            for (char c : action.text) {
                dialog.typeCharacter(static_cast<unsigned char>(c));
            }
            break;
        case DialogAction::SetText:
            dialog.setText(action.id, action.text.c_str());
            break;
        case DialogAction::Enter:
            dialog.pressEnter();
            break;
        case DialogAction::Escape:
            dialog.pressEscape();
            break;
        case DialogAction::Tab:
            dialog.pressTab();
            break;
        case DialogAction::Space:
            dialog.pressSpace();
            break;
        case DialogAction::Backspace:
            dialog.pressBackspace();
            break;
        case DialogAction::CloseWindow:
            dialog.close(0);
            if (windowExists) {
                dispatchMessage({window_, WM_CLOSE, 0, 0});
            }
            break;
        }
    }
    dialogActions.clear();
    if (!dialog.hasEnded()) {
        dialog.close(0);
    }
    return dialog.result();
}

void HeadlessWindowSystem::openSurface(int32_t width, int32_t height) {
    surfaceOpen = 1;
    surfaceWidth = width;
    surfaceHeight = height;
}

void HeadlessWindowSystem::presentFrame(const PresentedFrame& /*frame*/) {
    ++framesPresented;
}
