// The modal dialog on the system's dialog manager: DialogBoxParamA on the dialog
// resource that the DialogBox's template names, owned by a window, with a dialog
// procedure that hands every message to the DialogBox's procedure. That procedure works
// on the real controls (CheckDlgButton, IsDlgButtonChecked, EnableWindow,
// SetDlgItemTextA, WM_GETTEXT, GetFocus, WM_NEXTDLGCTL, EndDialog); clicks, Tab, Enter,
// Escape and radio groups are the dialog manager's own.
//
// The DialogBox itself only lends its procedure and template; it is marked ended with
// the dialog's result on return. A dialog that cannot be made (no such resource) is
// reported on standard error and counts as cancelled.
#pragma once

#include <cstdint>

#include "platform/DialogBox.h"

// `instance` holds the resource (HINSTANCE), `owner` is the owning window (HWND).
intptr_t runResourceDialog(void* instance, void* owner, DialogBox& dialog);
