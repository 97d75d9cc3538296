// Draws a DialogBox with Dear ImGui, laid out as its template says, and turns mouse
// clicks on its controls into the box's user actions.
//
// Positions and sizes are dialog units, converted with `unitX` / `unitY` pixels per unit
// (a dialog unit is a quarter of the average character width horizontally and an eighth
// of the character height vertically). Keyboard input is not handled here: the window
// system feeds Enter, Escape, Tab, Space, Backspace and typed characters to the box
// itself, so that the box alone decides where the focus is.
//
// Call between ImGui::NewFrame() and ImGui::Render(), once per displayed frame.
#pragma once

#include "platform/DialogBox.h"

void drawDialog(DialogBox& dialog, float unitX, float unitY);
