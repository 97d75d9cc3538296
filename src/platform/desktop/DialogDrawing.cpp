// The controls are drawn one by one at their template positions inside a borderless
// ImGui window that covers the whole SDL window: ImGui's own layout is not used, so the
// dialog keeps the template's arrangement. Check boxes and radio buttons are ImGui's;
// group boxes, the edit box and the focus rectangle are drawn on the draw list, since
// ImGui has no such widgets and its text input would keep a focus of its own.
#include "platform/desktop/DialogDrawing.h"

#include <imgui.h>

namespace {

ImVec2 unitsToPixels(float x, float y, float unitX, float unitY) {
    return ImVec2(x * unitX, y * unitY);
}

void drawGroupBox(const DialogControlTemplate& control, float unitX, float unitY) {
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetWindowPos();
    const ImVec2 topLeft =
        unitsToPixels(static_cast<float>(control.x), static_cast<float>(control.y), unitX, unitY);
    const ImVec2 size = unitsToPixels(static_cast<float>(control.width),
                                      static_cast<float>(control.height), unitX, unitY);
    const float textHeight = ImGui::GetTextLineHeight();
    const ImVec2 a(origin.x + topLeft.x, origin.y + topLeft.y + textHeight * 0.5f);
    const ImVec2 b(origin.x + topLeft.x + size.x, origin.y + topLeft.y + size.y);
    draw->AddRect(a, b, ImGui::GetColorU32(ImGuiCol_Border));
    const ImVec2 textAt(a.x + 6.0f * unitX, origin.y + topLeft.y);
    const ImVec2 textSize = ImGui::CalcTextSize(control.text);
    draw->AddRectFilled(ImVec2(textAt.x - 2.0f, textAt.y),
                        ImVec2(textAt.x + textSize.x + 2.0f, textAt.y + textSize.y),
                        ImGui::GetColorU32(ImGuiCol_WindowBg));
    draw->AddText(textAt, ImGui::GetColorU32(ImGuiCol_Text), control.text);
}

void drawEditBox(DialogBox& dialog, int32_t index, const DialogControlTemplate& control,
                 float unitX, float unitY) {
    const ImVec2 size = unitsToPixels(static_cast<float>(control.width),
                                      static_cast<float>(control.height), unitX, unitY);
    if (ImGui::InvisibleButton("edit", size)) {
        dialog.click(control.id);
    }
    const ImVec2 a = ImGui::GetItemRectMin();
    const ImVec2 b = ImGui::GetItemRectMax();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const bool enabled = dialog.isEnabled(index) != 0;
    draw->AddRectFilled(a, b, ImGui::GetColorU32(enabled ? ImGuiCol_FrameBg : ImGuiCol_WindowBg));
    draw->AddRect(a, b, ImGui::GetColorU32(ImGuiCol_Border));
    const float textY = a.y + (size.y - ImGui::GetTextLineHeight()) * 0.5f;
    const ImVec2 textAt(a.x + 2.0f * unitX, textY);
    const ImU32 textColour = ImGui::GetColorU32(enabled ? ImGuiCol_Text : ImGuiCol_TextDisabled);
    draw->AddText(textAt, textColour, dialog.text(index));
    if (dialog.focusIndex() == index && static_cast<int64_t>(ImGui::GetTime() * 2.0) % 2 == 0) {
        const float caretX = textAt.x + ImGui::CalcTextSize(dialog.text(index)).x + 1.0f;
        draw->AddLine(ImVec2(caretX, textY), ImVec2(caretX, textY + ImGui::GetTextLineHeight()),
                      textColour);
    }
}

void drawFocusRectangle() {
    const ImVec2 a = ImGui::GetItemRectMin();
    const ImVec2 b = ImGui::GetItemRectMax();
    ImGui::GetWindowDrawList()->AddRect(ImVec2(a.x - 2.0f, a.y - 2.0f),
                                        ImVec2(b.x + 2.0f, b.y + 2.0f),
                                        ImGui::GetColorU32(ImGuiCol_NavHighlight), 0.0f, 0, 1.0f);
}

} // namespace

void drawDialog(DialogBox& dialog, float unitX, float unitY) {
    const DialogTemplate& layout = dialog.layout();
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
    ImGui::SetNextWindowSize(ImGui::GetIO().DisplaySize);
    ImGui::Begin("dialog", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
    const int32_t count = layout.controlCount < DialogBox::kMaxControls ? layout.controlCount
                                                                        : DialogBox::kMaxControls;
    for (int32_t index = 0; index < count; ++index) {
        const DialogControlTemplate& control = layout.controls[index];
        ImGui::PushID(index);
        const ImVec2 at = unitsToPixels(static_cast<float>(control.x),
                                        static_cast<float>(control.y), unitX, unitY);
        const ImVec2 size = unitsToPixels(static_cast<float>(control.width),
                                          static_cast<float>(control.height), unitX, unitY);
        ImGui::SetCursorPos(at);
        ImGui::BeginDisabled(dialog.isEnabled(index) == 0);
        switch (control.kind) {
        case DialogControlKind::GroupBox:
            drawGroupBox(control, unitX, unitY);
            break;
        case DialogControlKind::StaticText: {
            const float textWidth = ImGui::CalcTextSize(dialog.text(index)).x;
            ImGui::SetCursorPosX(at.x + (size.x - textWidth) * 0.5f);
            ImGui::TextUnformatted(dialog.text(index));
            break;
        }
        case DialogControlKind::DefaultPushButton:
        case DialogControlKind::PushButton:
            if (ImGui::Button(control.text, size)) {
                dialog.click(control.id);
            }
            if (control.kind == DialogControlKind::DefaultPushButton) {
                ImGui::GetWindowDrawList()->AddRect(ImGui::GetItemRectMin(),
                                                    ImGui::GetItemRectMax(),
                                                    ImGui::GetColorU32(ImGuiCol_Text));
            }
            break;
        case DialogControlKind::RadioButton:
            if (ImGui::RadioButton(control.text, dialog.isChecked(index) == BST_CHECKED)) {
                dialog.click(control.id);
            }
            break;
        case DialogControlKind::CheckBox: {
            bool checked = dialog.isChecked(index) == BST_CHECKED;
            if (ImGui::Checkbox(control.text, &checked)) {
                dialog.click(control.id);
            }
            break;
        }
        case DialogControlKind::EditBox:
            drawEditBox(dialog, index, control, unitX, unitY);
            break;
        }
        if (dialog.focusIndex() == index && control.kind != DialogControlKind::EditBox) {
            drawFocusRectangle();
        }
        ImGui::EndDisabled();
        ImGui::PopID();
    }
    ImGui::End();
}
