// A modal message box with one OK button, drawn with Dear ImGui in the program's own
// window: what the player shows when the system's message box cannot be shown (SDL's
// box needs a helper program on some desktops and fails quietly without it).
//
// Laid out like the system's box: the caption in a title bar, the text, OK below it,
// centred in the window. Call between ImGuiSession::beginFrame() and endFrame(), once
// per displayed frame; returns true once OK has been clicked.
#pragma once

bool drawMessageBox(const char* caption, const char* text);
