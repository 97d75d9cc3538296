#include "platform/desktop/SdlWindowSystem.h"

#include <imgui.h>
#include <imgui_impl_sdl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/desktop/DialogDrawing.h"
#include "platform/desktop/ImGuiSession.h"
#include "platform/desktop/MessageBoxDrawing.h"

namespace {

// Pixels per dialog unit: the dialog font's average character is 6 x 13 pixels at its
// designed size, shown here at 1.5 times that for today's screens.
constexpr float kDialogScale = 1.5f;
// The dialog's text, in ImGui's built-in 13-pixel font, at the same width as the
// dialog font would have.
constexpr float kFontScale = 1.2f;
constexpr float kUnitX = 6.0f / 4.0f * kDialogScale;
constexpr float kUnitY = 13.0f / 8.0f * kDialogScale;

// Decodes one UTF-8 code point at `text`, advancing it; invalid bytes read as themselves.
uint32_t nextCodePoint(const char*& text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    uint32_t code = bytes[0];
    int32_t extra = 0;
    if (code >= 0xF0 && code < 0xF8) {
        code &= 0x07, extra = 3;
    } else if (code >= 0xE0) {
        code &= 0x0F, extra = 2;
    } else if (code >= 0xC0) {
        code &= 0x1F, extra = 1;
    }
    int32_t used = 1;
    for (int32_t i = 1; i <= extra; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) {
            code = bytes[0];
            used = 1;
            break;
        }
        code = code << 6 | (bytes[i] & 0x3F);
        used = i + 1;
    }
    text += used;
    return code;
}

// Keys that only change what other keys type.
bool isModifierKey(SDL_Keycode key) {
    switch (key) {
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
    case SDLK_LCTRL:
    case SDLK_RCTRL:
    case SDLK_LALT:
    case SDLK_RALT:
    case SDLK_LGUI:
    case SDLK_RGUI:
    case SDLK_CAPSLOCK:
        return true;
    default:
        return false;
    }
}

// The control character a key types, or 0 when it types none (or types printable text,
// which arrives as a text event).
uint32_t controlCharacterOf(const SDL_Keysym& key) {
    switch (key.sym) {
    case SDLK_ESCAPE:
        return 27;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return 13;
    case SDLK_BACKSPACE:
        return 8;
    case SDLK_TAB:
        return 9;
    default:
        break;
    }
    if ((key.mod & KMOD_CTRL) != 0 && key.sym >= SDLK_a && key.sym <= SDLK_z) {
        return static_cast<uint32_t>(key.sym - SDLK_a + 1);
    }
    return 0;
}

} // namespace

SdlWindowSystem::~SdlWindowSystem() {
    destroyWindow(window_);
    if (videoStarted_) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }
}

WindowHandle SdlWindowSystem::createWindow(const char* title, int32_t width, int32_t height,
                                           WindowProcedure procedure) {
    if (sdlWindow_ != nullptr || procedure == nullptr) {
        return nullptr;
    }
    if (!videoStarted_) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            std::fprintf(stderr, "no display: %s\n", SDL_GetError());
            return nullptr;
        }
        videoStarted_ = 1;
    }
    // Without a display SDL falls back to drivers that show nothing, where the dialog
    // would wait for ever; they are used only when asked for by name (as tests do).
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
        (asked == nullptr || std::strcmp(asked, driver) != 0)) {
        std::fprintf(stderr, "no display: there is nothing to show the demo on\n");
        return nullptr;
    }
    sdlWindow_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                  height, SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI);
    if (sdlWindow_ == nullptr) {
        std::fprintf(stderr, "no window: %s\n", SDL_GetError());
        return nullptr;
    }
    renderer_ = SDL_CreateRenderer(sdlWindow_, -1, SDL_RENDERER_ACCELERATED);
    if (renderer_ == nullptr) {
        renderer_ = SDL_CreateRenderer(sdlWindow_, -1, SDL_RENDERER_SOFTWARE);
    }
    if (renderer_ == nullptr) {
        std::fprintf(stderr, "no renderer: %s\n", SDL_GetError());
        SDL_DestroyWindow(sdlWindow_);
        sdlWindow_ = nullptr;
        return nullptr;
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    window_ = sdlWindow_;
    procedure_ = procedure;
    return window_;
}

int32_t SdlWindowSystem::destroyWindow(WindowHandle window) {
    if (sdlWindow_ == nullptr || window != window_) {
        return 0;
    }
    if (texture_ != nullptr) {
        SDL_DestroyTexture(texture_);
        texture_ = nullptr;
    }
    SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
    SDL_DestroyWindow(sdlWindow_);
    sdlWindow_ = nullptr;
    window_ = nullptr;
    posted_.clear();
    pending_.clear();
    return 1;
}

int32_t SdlWindowSystem::translate(const SDL_Event& event, WindowMessage* message) {
    *message = WindowMessage{window_, 0, 0, 0};
    switch (event.type) {
    case SDL_QUIT:
        message->message = WM_CLOSE;
        return 1;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            message->message = WM_CLOSE;
            return 1;
        case SDL_WINDOWEVENT_MOVED:
            message->message = WM_MOVE;
            return 1;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            message->message = WM_SIZE;
            return 1;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            message->message = WM_ACTIVATE;
            message->wordParam = WA_ACTIVE;
            return 1;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            message->message = WM_ACTIVATE;
            message->wordParam = WA_INACTIVE;
            return 1;
        case SDL_WINDOWEVENT_EXPOSED:
            message->message = WM_PAINT;
            return 1;
        case SDL_WINDOWEVENT_ENTER:
            message->message = WM_SETCURSOR;
            return 1;
        default:
            return 0;
        }
    case SDL_DISPLAYEVENT:
        message->message = WM_DISPLAYCHANGE;
        return 1;
    case SDL_MOUSEMOTION:
        message->message = WM_SETCURSOR;
        return 1;
    case SDL_KEYDOWN: {
        const uint32_t code = controlCharacterOf(event.key.keysym);
        if (code == 0) {
            return 0;
        }
        message->message = WM_CHAR;
        message->wordParam = code;
        return 1;
    }
    case SDL_TEXTINPUT: {
        const char* text = event.text.text;
        int32_t first = 1;
        while (*text != '\0') {
            const WindowMessage character{window_, WM_CHAR, nextCodePoint(text), 0};
            if (first) {
                *message = character;
                first = 0;
            } else {
                pending_.push_back(character);
            }
        }
        return first ? 0 : 1;
    }
    default:
        return 0;
    }
}

int32_t SdlWindowSystem::peekMessage(WindowMessage* message) {
    if (sdlWindow_ == nullptr) {
        return 0;
    }
    if (!pending_.empty()) {
        *message = pending_.front();
        pending_.pop_front();
        return 1;
    }
    if (!posted_.empty()) {
        *message = posted_.front();
        posted_.pop_front();
        return 1;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (translate(event, message)) {
            return 1;
        }
    }
    return 0;
}

void SdlWindowSystem::postMessage(const WindowMessage& message) {
    if (sdlWindow_ != nullptr && message.window == window_) {
        posted_.push_back(message);
    }
}

void SdlWindowSystem::messageBox(WindowHandle /*owner*/, const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s%s", caption, text,
                 text[0] != '\0' && text[std::strlen(text) - 1] == '\n' ? "" : "\n");
    const char* mode = std::getenv("EMBER_MESSAGE_BOXES");
    if (mode != nullptr && std::strcmp(mode, "stderr") == 0) {
        return;
    }
    // Shown over a full-screen surface the box could hide behind it: leave full screen.
    if (sdlWindow_ != nullptr && (SDL_GetWindowFlags(sdlWindow_) & SDL_WINDOW_FULLSCREEN) != 0) {
        SDL_SetWindowFullscreen(sdlWindow_, 0);
    }
    SDL_ShowCursor(SDL_ENABLE);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, sdlWindow_) != 0) {
        showOwnMessageBox(text, caption);
    }
    SDL_ShowCursor(cursorVisible_ ? SDL_ENABLE : SDL_DISABLE);
}

void SdlWindowSystem::showOwnMessageBox(const char* text, const char* caption) {
    if (sdlWindow_ == nullptr || renderer_ == nullptr) {
        return; // no window to draw it in: standard error has it
    }
    // Trailing line feeds are the box's business, not the text's.
    std::string shown = text;
    while (!shown.empty() && shown.back() == '\n') {
        shown.pop_back();
    }
    SDL_RaiseWindow(sdlWindow_);
    ImGuiSession imgui(sdlWindow_, renderer_, kFontScale);
    for (bool dismissed = false; !dismissed && sdlWindow_ != nullptr;) {
        SDL_Event event;
        while (!dismissed && SDL_PollEvent(&event)) {
            WindowMessage message;
            if (event.type == SDL_KEYDOWN && !isModifierKey(event.key.keysym.sym)) {
                dismissed = true; // any key, as the system's box takes Enter or Escape
            } else if (translate(event, &message) && message.message == WM_CLOSE) {
                posted_.push_back(message); // the window still gets its close
                dismissed = true;
            } else {
                ImGui_ImplSDL2_ProcessEvent(&event);
            }
        }
        imgui.beginFrame();
        dismissed = drawMessageBox(caption, shown.c_str()) || dismissed;
        imgui.endFrame();
        SDL_Delay(15);
    }
    pending_.clear();
}

void SdlWindowSystem::showCursor(int32_t visible) {
    cursorVisible_ = visible;
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SdlWindowSystem::handleDialogKey(DialogBox& dialog, const SDL_Keysym& key) {
    switch (key.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        dialog.pressEnter();
        break;
    case SDLK_ESCAPE:
        dialog.pressEscape();
        break;
    case SDLK_TAB:
        dialog.pressTab();
        break;
    case SDLK_SPACE:
        dialog.pressSpace();
        break;
    case SDLK_BACKSPACE:
        dialog.pressBackspace();
        break;
    default:
        break;
    }
}

intptr_t SdlWindowSystem::runModalDialog(DialogBox& dialog) {
    if (sdlWindow_ == nullptr) {
        return WindowSystem::runModalDialog(dialog);
    }
    const DialogTemplate& layout = dialog.layout();
    SDL_SetWindowSize(sdlWindow_, static_cast<int>(static_cast<float>(layout.width) * kUnitX),
                      static_cast<int>(static_cast<float>(layout.height) * kUnitY));
    SDL_SetWindowPosition(sdlWindow_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    const std::string windowTitle = SDL_GetWindowTitle(sdlWindow_);
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GetWindowSize(sdlWindow_, &windowWidth, &windowHeight);
    SDL_SetWindowTitle(sdlWindow_, layout.title[0] != '\0' ? layout.title : "Emberlight");
    SDL_ShowCursor(SDL_ENABLE);

    std::unique_ptr<ImGuiSession> imgui(new ImGuiSession(sdlWindow_, renderer_, kFontScale));
    dialog.open();
    while (!dialog.hasEnded() && sdlWindow_ != nullptr) {
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, 250)) {
            do {
                if (event.type == SDL_KEYDOWN) {
                    handleDialogKey(dialog, event.key.keysym);
                    continue;
                }
                if (event.type == SDL_TEXTINPUT) {
                    for (const char* text = event.text.text; *text != '\0';) {
                        const uint32_t code = nextCodePoint(text);
                        if (code != ' ') { // Space is a key of its own
                            dialog.typeCharacter(static_cast<int32_t>(code));
                        }
                    }
                    continue;
                }
                WindowMessage message;
                if (translate(event, &message) && message.message == WM_CLOSE) {
                    dialog.close(0);
                    dispatchMessage(message);
                    break;
                }
                if (message.message == WM_MOVE || message.message == WM_SIZE ||
                    message.message == WM_ACTIVATE || message.message == WM_DISPLAYCHANGE) {
                    dispatchMessage(message); // the owner window keeps getting its messages
                }
                ImGui_ImplSDL2_ProcessEvent(&event);
            } while (!dialog.hasEnded() && SDL_PollEvent(&event));
        }
        if (dialog.hasEnded() || sdlWindow_ == nullptr) {
            break;
        }
        imgui->beginFrame();
        drawDialog(dialog, kUnitX, kUnitY);
        imgui->endFrame();
    }
    pending_.clear(); // what was typed into the dialog is the dialog's
    imgui.reset();
    SDL_ShowCursor(cursorVisible_ ? SDL_ENABLE : SDL_DISABLE);
    if (sdlWindow_ != nullptr) {
        SDL_SetWindowTitle(sdlWindow_, windowTitle.c_str());
        SDL_SetWindowSize(sdlWindow_, windowWidth, windowHeight);
        SDL_SetWindowPosition(sdlWindow_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderPresent(renderer_);
    }
    if (!dialog.hasEnded()) {
        dialog.close(0);
    }
    return dialog.result();
}

void SdlWindowSystem::openSurface(int32_t /*width*/, int32_t /*height*/) {
    if (sdlWindow_ == nullptr) {
        return;
    }
    SDL_StartTextInput(); // typed keys arrive as text from here on
    // Covered by hand first: without a window manager the full-screen request alone
    // leaves the window as it was, while the renderer would take it for the display.
    SDL_Rect display{0, 0, 0, 0};
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(sdlWindow_), &display) == 0) {
        SDL_SetWindowBordered(sdlWindow_, SDL_FALSE);
        SDL_SetWindowPosition(sdlWindow_, display.x, display.y);
        SDL_SetWindowSize(sdlWindow_, display.w, display.h);
    }
    SDL_SetWindowFullscreen(sdlWindow_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_ShowCursor(SDL_DISABLE);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
}

void SdlWindowSystem::presentFrame(const PresentedFrame& frame) {
    if (sdlWindow_ == nullptr || frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0) {
        return;
    }
    if (texture_ == nullptr || textureWidth_ != frame.width || textureHeight_ != frame.height ||
        textureFormat_ != frame.format) {
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
        }
        Uint32 format = SDL_PIXELFORMAT_RGBA32;
        if (frame.format == PixelFormat::Rgb565) {
            format = SDL_PIXELFORMAT_RGB565;
        } else if (frame.format == PixelFormat::Xrgb8888) {
            format = SDL_PIXELFORMAT_RGB888;
        }
        texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, frame.width,
                                     frame.height);
        if (texture_ == nullptr) {
            return;
        }
        textureWidth_ = frame.width;
        textureHeight_ = frame.height;
        textureFormat_ = frame.format;
    }
    const int32_t wantVsync = frame.swapInterval > 0 ? 1 : 0;
    if (vsync_ != wantVsync) {
        SDL_RenderSetVSync(renderer_, wantVsync);
        vsync_ = wantVsync;
    }
    SDL_UpdateTexture(texture_, nullptr, frame.pixels, frame.pitch);

    // Scaled to the display, 4:3 (the frame's own aspect) kept, black around it.
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
    SDL_Rect target{0, 0, outputWidth, outputHeight};
    if (static_cast<int64_t>(outputWidth) * frame.height >
        static_cast<int64_t>(outputHeight) * frame.width) {
        target.w =
            static_cast<int>(static_cast<int64_t>(outputHeight) * frame.width / frame.height);
        target.x = (outputWidth - target.w) / 2;
    } else {
        target.h = static_cast<int>(static_cast<int64_t>(outputWidth) * frame.height / frame.width);
        target.y = (outputHeight - target.h) / 2;
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &target);
    SDL_RenderPresent(renderer_);
}

void SdlWindowSystem::closeSurface() {
    if (sdlWindow_ != nullptr) {
        SDL_SetWindowFullscreen(sdlWindow_, 0);
        SDL_SetWindowBordered(sdlWindow_, SDL_TRUE);
    }
}
