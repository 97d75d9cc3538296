// DialogBox: a modal dialog built from a template, with the behaviour of the window
// system's standard controls, apart from any drawing.
//
// A dialog procedure sees its dialog only through DialogControls, the calls it makes on
// the dialog, named as the window system's. DialogBox implements them on its own model
// of the controls; the Win32 window system implements them on the system's real dialog,
// made from the resource the template names, and uses the DialogBox only for its
// procedure and template.
//
// A dialog is described by a DialogTemplate (its controls in template order, positions
// and sizes in dialog units) and driven by a DialogProcedure that receives
// WM_INITDIALOG and WM_COMMAND (wordParam: the control id) and calls back into the box
// to read and change controls, move the focus and end the dialog. The window system
// runs it: the desktop one draws the controls and turns clicks and keys into the user
// actions below; the headless one plays a script of the same actions.
//
// Standard control behaviour kept here:
//   - an auto radio button, when clicked, is checked and the other radio buttons of its
//     group (from the control that starts the group to the next one that does) are
//     unchecked; an auto check box toggles; both then send WM_COMMAND with their id;
//   - a push button sends WM_COMMAND with its id; Enter sends the focused push button's
//     id, else IDOK (the default button); Escape sends IDCANCEL;
//   - Tab and a posted WM_NEXTDLGCTL move the focus to the next enabled control with a
//     tab stop, in template order, wrapping; the posted move happens once the procedure
//     has returned;
//   - an edit box takes typed characters while it has the focus (digits only when so
//     marked), Backspace removes the last one; text is at most kMaxTextLength bytes;
//     every change of its text (typed, removed, set) sends WM_COMMAND with its id in
//     the low word and EN_CHANGE in the high word;
//   - disabled controls ignore clicks and never get the focus.
// Initially no control has the focus (the procedure returns 0 from WM_INITDIALOG).
#pragma once

#include <cstdint>

inline constexpr uint32_t WM_INITDIALOG = 0x0110;
inline constexpr uint32_t WM_COMMAND = 0x0111;

inline constexpr uint32_t EN_CHANGE = 0x0300;

inline constexpr int32_t IDOK = 1;
inline constexpr int32_t IDCANCEL = 2;

inline constexpr uint32_t BST_UNCHECKED = 0;
inline constexpr uint32_t BST_CHECKED = 1;

enum class DialogControlKind : int32_t {
    DefaultPushButton,
    PushButton,
    GroupBox,
    RadioButton,
    CheckBox,
    EditBox,
    StaticText,
};

struct DialogControlTemplate {
    int32_t id; // 0 or -1 for controls that send nothing (group boxes, labels)
    DialogControlKind kind;
    const char* text;
    int32_t x, y, width, height; // dialog units
    int32_t tabStop;             // 1: Tab and WM_NEXTDLGCTL stop here
    int32_t startsGroup;         // 1: a new radio group begins here
    int32_t digitsOnly;          // edit boxes: only 0-9 can be typed
};

struct DialogTemplate {
    const char* title;
    int32_t width, height; // dialog units
    const DialogControlTemplate* controls;
    int32_t controlCount;
    int32_t resourceId = 0; // the same dialog as a resource of the program (0: none)
};

// The procedure's side of a dialog, named as the window system's calls.
class DialogControls {
public:
    virtual void checkDlgButton(int32_t id, uint32_t state) = 0; // BM_SETCHECK
    virtual uint32_t isDlgButtonChecked(int32_t id) const = 0;   // BM_GETCHECK
    virtual void enableWindow(int32_t id, int32_t enable) = 0;
    virtual void setDlgItemText(int32_t id, const char* text) = 0;
    // WM_GETTEXT: copies at most bufferSize - 1 bytes and a terminator; returns the
    // number of bytes copied before the terminator.
    virtual int32_t getDlgItemText(int32_t id, char* buffer, int32_t bufferSize) const = 0;
    virtual int32_t getFocus() const = 0; // the id of the focused control, 0 for none
    virtual void postNextDlgCtl() = 0;    // WM_NEXTDLGCTL (0, 0), acted on after the procedure
    virtual void endDialog(intptr_t result) = 0;

protected:
    ~DialogControls() = default;
};

using DialogProcedure = intptr_t (*)(DialogControls& dialog, uint32_t message, uintptr_t wordParam,
                                     intptr_t longParam);

class DialogBox : public DialogControls {
public:
    static constexpr int32_t kMaxControls = 24;
    static constexpr int32_t kMaxTextLength = 63;

    DialogBox(const DialogTemplate& layout, DialogProcedure procedure);
    virtual ~DialogBox() = default;

    // --- The procedure's side.
    void checkDlgButton(int32_t id, uint32_t state) override;
    uint32_t isDlgButtonChecked(int32_t id) const override;
    void enableWindow(int32_t id, int32_t enable) override;
    int32_t isWindowEnabled(int32_t id) const;
    void setDlgItemText(int32_t id, const char* text) override;
    int32_t getDlgItemText(int32_t id, char* buffer, int32_t bufferSize) const override;
    int32_t getFocus() const override { return focusIndex_ >= 0 ? controls_[focusIndex_].id : 0; }
    void postNextDlgCtl() override { nextControlPosted_ = 1; }
    void endDialog(intptr_t result) override;

    // --- The user's side.
    void open(); // sends WM_INITDIALOG
    void click(int32_t id);
    void setFocus(int32_t id);
    void typeCharacter(int32_t code);           // into the focused edit box
    void setText(int32_t id, const char* text); // pasted or set by a script
    void pressEnter();
    void pressEscape();
    void pressTab();
    void pressSpace(); // presses the focused button or toggles the focused check box
    void pressBackspace();
    // Ends the dialog without its procedure, as when its window goes away.
    void close(intptr_t result);

    int32_t hasEnded() const { return ended_; }
    intptr_t result() const { return result_; }
    const DialogTemplate& layout() const { return layout_; }
    DialogProcedure procedure() const { return procedure_; }
    int32_t isChecked(int32_t index) const { return controls_[index].checked; }
    int32_t isEnabled(int32_t index) const { return controls_[index].enabled; }
    const char* text(int32_t index) const { return controls_[index].text; }
    int32_t focusIndex() const { return focusIndex_; }
    int32_t indexOf(int32_t id) const; // -1 when no control has that id

private:
    struct ControlState {
        int32_t id = 0;
        uint32_t checked = BST_UNCHECKED;
        int32_t enabled = 1;
        char text[kMaxTextLength + 1] = {};
    };

    void command(int32_t id);
    void notifyChange(int32_t index);
    void moveFocusToNextTabStop();
    int32_t canTakeFocus(int32_t index) const;

    const DialogTemplate& layout_;
    DialogProcedure procedure_;
    ControlState controls_[kMaxControls];
    int32_t controlCount_ = 0;
    int32_t focusIndex_ = -1;
    int32_t nextControlPosted_ = 0;
    int32_t ended_ = 0;
    intptr_t result_ = 0;
};
