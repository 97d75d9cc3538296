// Dear ImGui over an SDL window and its renderer, for as long as this object lives: the
// settings dialog and the message box drawn in the program's own window share it.
//
// Usage:
//   ImGuiSession imgui(window, renderer, fontScale);   // creates the context, starts text input
//   ... ImGui_ImplSDL2_ProcessEvent(&event) for the events it should see ...
//   imgui.beginFrame(); <ImGui calls>; imgui.endFrame();  // cleared to black, presented
// The destructor shuts the backends down and stops text input. One at a time.
#pragma once

#include <SDL.h>

class ImGuiSession {
public:
    ImGuiSession(SDL_Window* window, SDL_Renderer* renderer, float fontScale);
    ~ImGuiSession();
    ImGuiSession(const ImGuiSession&) = delete;
    ImGuiSession& operator=(const ImGuiSession&) = delete;

    void beginFrame();
    void endFrame();

private:
    SDL_Renderer* renderer_;
    struct ImGuiContext* context_;
};
