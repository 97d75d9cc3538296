#include "platform/desktop/MessageBoxDrawing.h"

#include <imgui.h>

bool drawMessageBox(const char* caption, const char* text) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const ImVec2 textSize = ImGui::CalcTextSize(text);
    const ImGuiStyle& style = ImGui::GetStyle();
    const ImVec2 button(90.0f, ImGui::GetFrameHeight() + 6.0f);
    const float width = (textSize.x > 240.0f ? textSize.x : 240.0f) + 4.0f * style.WindowPadding.x;
    ImGui::SetNextWindowPos(ImVec2(display.x * 0.5f, display.y * 0.5f), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(width, 0.0f));
    ImGui::Begin(caption, nullptr,
                 ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_AlwaysAutoResize);
    ImGui::Dummy(ImVec2(0.0f, 6.0f));
    ImGui::SetCursorPosX((width - textSize.x) * 0.5f);
    ImGui::TextUnformatted(text);
    ImGui::Dummy(ImVec2(0.0f, 10.0f));
    ImGui::SetCursorPosX((width - button.x) * 0.5f);
    const bool ok = ImGui::Button("OK", button);
    ImGui::Dummy(ImVec2(0.0f, 4.0f));
    ImGui::End();
    return ok;
}
