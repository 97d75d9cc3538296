#include "platform/desktop/ImGuiSession.h"

#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

ImGuiSession::ImGuiSession(SDL_Window* window, SDL_Renderer* renderer, float fontScale)
    : renderer_(renderer) {
    IMGUI_CHECKVERSION();
    context_ = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.FontGlobalScale = fontScale;
    ImGui::StyleColorsClassic();
    ImGui::GetStyle().FramePadding = ImVec2(3.0f, 2.0f);
    ImGui_ImplSDL2_InitForSDLRenderer(window);
    ImGui_ImplSDLRenderer_Init(renderer);
    SDL_StartTextInput();
}

ImGuiSession::~ImGuiSession() {
    SDL_StopTextInput();
    ImGui_ImplSDLRenderer_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext(context_);
}

void ImGuiSession::beginFrame() {
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
}

void ImGuiSession::endFrame() {
    ImGui::Render();
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    SDL_RenderPresent(renderer_);
}
