#include "platform/win32/Win32Dialog.h"

#include <cstdio>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef DialogBox // the record of the same name is ours

namespace {

// The procedure's calls, on the system's dialog.
class SystemDialogControls : public DialogControls {
public:
    explicit SystemDialogControls(HWND dialog) : dialog_(dialog) {}

    void checkDlgButton(int32_t id, uint32_t state) override { CheckDlgButton(dialog_, id, state); }
    uint32_t isDlgButtonChecked(int32_t id) const override {
        return IsDlgButtonChecked(dialog_, id);
    }
    void enableWindow(int32_t id, int32_t enable) override {
        EnableWindow(GetDlgItem(dialog_, id), enable != 0 ? TRUE : FALSE);
    }
    void setDlgItemText(int32_t id, const char* text) override {
        SetDlgItemTextA(dialog_, id, text != nullptr ? text : "");
    }
    int32_t getDlgItemText(int32_t id, char* buffer, int32_t bufferSize) const override {
        if (buffer == nullptr || bufferSize <= 0) {
            return 0;
        }
        buffer[0] = '\0';
        const LRESULT copied =
            SendDlgItemMessageA(dialog_, id, WM_GETTEXT, static_cast<WPARAM>(bufferSize),
                                reinterpret_cast<LPARAM>(buffer));
        buffer[bufferSize - 1] = '\0';
        return copied > 0 && copied < bufferSize ? static_cast<int32_t>(copied) : 0;
    }
    int32_t getFocus() const override {
        HWND focus = GetFocus();
        return focus != nullptr && IsChild(dialog_, focus) ? GetDlgCtrlID(focus) : 0;
    }
    void postNextDlgCtl() override { PostMessageA(dialog_, WM_NEXTDLGCTL, 0, 0); }
    void endDialog(intptr_t result) override { EndDialog(dialog_, result); }

private:
    HWND dialog_;
};

// The dialog being run: DialogBoxParamA is given no creation parameter, and one modal
// dialog runs at a time on the one thread.
DialogBox* running = nullptr;

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wordParam, LPARAM longParam) {
    if (running == nullptr) {
        return FALSE;
    }
    SystemDialogControls controls(dialog);
    return running->procedure()(controls, message, wordParam, longParam);
}

} // namespace

intptr_t runResourceDialog(void* instance, void* owner, DialogBox& dialog) {
    const int32_t resource = dialog.layout().resourceId;
    DialogBox* outer = running;
    running = &dialog;
    const INT_PTR result =
        resource > 0 ? DialogBoxParamA(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEA(resource),
                                       static_cast<HWND>(owner), dialogProc, 0)
                     : -1;
    running = outer;
    if (result == -1) {
        std::fprintf(stderr, "the dialog resource %d cannot be shown (error %lu)\n",
                     static_cast<int>(resource), GetLastError());
        dialog.close(0);
        return 0;
    }
    dialog.close(result);
    return result;
}
