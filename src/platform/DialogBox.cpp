#include "platform/DialogBox.h"

#include <cstring>

DialogBox::DialogBox(const DialogTemplate& layout, DialogProcedure procedure)
    : layout_(layout), procedure_(procedure) {
    controlCount_ = layout.controlCount < kMaxControls ? layout.controlCount : kMaxControls;
    for (int32_t i = 0; i < controlCount_; ++i) {
        controls_[i].id = layout.controls[i].id;
        const char* initial = layout.controls[i].text != nullptr ? layout.controls[i].text : "";
        std::strncpy(controls_[i].text, initial, kMaxTextLength);
    }
}

int32_t DialogBox::indexOf(int32_t id) const {
    if (id <= 0) {
        return -1;
    }
    for (int32_t i = 0; i < controlCount_; ++i) {
        if (controls_[i].id == id) {
            return i;
        }
    }
    return -1;
}

void DialogBox::checkDlgButton(int32_t id, uint32_t state) {
    const int32_t index = indexOf(id);
    if (index >= 0) {
        controls_[index].checked = state;
    }
}

uint32_t DialogBox::isDlgButtonChecked(int32_t id) const {
    const int32_t index = indexOf(id);
    return index >= 0 ? controls_[index].checked : BST_UNCHECKED;
}

void DialogBox::enableWindow(int32_t id, int32_t enable) {
    const int32_t index = indexOf(id);
    if (index < 0) {
        return;
    }
    controls_[index].enabled = enable != 0;
    if (!enable && focusIndex_ == index) {
        focusIndex_ = -1;
    }
}

int32_t DialogBox::isWindowEnabled(int32_t id) const {
    const int32_t index = indexOf(id);
    return index >= 0 ? controls_[index].enabled : 0;
}

void DialogBox::setDlgItemText(int32_t id, const char* text) {
    setText(id, text);
}

int32_t DialogBox::getDlgItemText(int32_t id, char* buffer, int32_t bufferSize) const {
    const int32_t index = indexOf(id);
    if (buffer == nullptr || bufferSize <= 0) {
        return 0;
    }
    buffer[0] = '\0';
    if (index < 0) {
        return 0;
    }
    int32_t length = static_cast<int32_t>(std::strlen(controls_[index].text));
    if (length > bufferSize - 1) {
        length = bufferSize - 1;
    }
    std::memcpy(buffer, controls_[index].text, static_cast<size_t>(length));
    buffer[length] = '\0';
    return length;
}

void DialogBox::endDialog(intptr_t result) {
    ended_ = 1;
    result_ = result;
}

void DialogBox::open() {
    procedure_(*this, WM_INITDIALOG, 0, 0);
}

void DialogBox::command(int32_t id) {
    if (ended_) {
        return;
    }
    nextControlPosted_ = 0;
    procedure_(*this, WM_COMMAND, static_cast<uintptr_t>(id), 0);
    if (nextControlPosted_ && !ended_) {
        nextControlPosted_ = 0;
        moveFocusToNextTabStop();
    }
}

void DialogBox::notifyChange(int32_t index) {
    if (!ended_ && layout_.controls[index].kind == DialogControlKind::EditBox) {
        const auto id = static_cast<uint32_t>(controls_[index].id);
        procedure_(*this, WM_COMMAND, static_cast<uintptr_t>(id | EN_CHANGE << 16), 0);
    }
}

int32_t DialogBox::canTakeFocus(int32_t index) const {
    const DialogControlKind kind = layout_.controls[index].kind;
    return controls_[index].enabled && kind != DialogControlKind::GroupBox &&
           kind != DialogControlKind::StaticText;
}

void DialogBox::moveFocusToNextTabStop() {
    for (int32_t step = 1; step <= controlCount_; ++step) {
        const int32_t index = ((focusIndex_ < 0 ? -1 : focusIndex_) + step) % controlCount_;
        if (layout_.controls[index].tabStop && canTakeFocus(index)) {
            focusIndex_ = index;
            return;
        }
    }
}

void DialogBox::click(int32_t id) {
    const int32_t index = indexOf(id);
    if (ended_ || index < 0 || !canTakeFocus(index)) {
        return;
    }
    focusIndex_ = index;
    switch (layout_.controls[index].kind) {
    case DialogControlKind::RadioButton: {
        int32_t groupStart = index;
        while (groupStart > 0 && !layout_.controls[groupStart].startsGroup) {
            --groupStart;
        }
        for (int32_t i = groupStart; i < controlCount_; ++i) {
            if (i > groupStart && layout_.controls[i].startsGroup) {
                break;
            }
            if (layout_.controls[i].kind == DialogControlKind::RadioButton) {
                controls_[i].checked = i == index ? BST_CHECKED : BST_UNCHECKED;
            }
        }
        command(id);
        break;
    }
    case DialogControlKind::CheckBox:
        controls_[index].checked =
            controls_[index].checked == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        command(id);
        break;
    case DialogControlKind::DefaultPushButton:
    case DialogControlKind::PushButton:
        command(id);
        break;
    default:
        break; // an edit box only takes the focus
    }
}

void DialogBox::setFocus(int32_t id) {
    const int32_t index = indexOf(id);
    if (index >= 0 && canTakeFocus(index)) {
        focusIndex_ = index;
    }
}

void DialogBox::typeCharacter(int32_t code) {
    if (ended_ || focusIndex_ < 0) {
        return;
    }
    const DialogControlTemplate& control = layout_.controls[focusIndex_];
    if (control.kind != DialogControlKind::EditBox || code < 0x20 || code > 0x7E) {
        return;
    }
    if (control.digitsOnly && (code < '0' || code > '9')) {
        return;
    }
    char* text = controls_[focusIndex_].text;
    const size_t length = std::strlen(text);
    if (length < static_cast<size_t>(kMaxTextLength)) {
        text[length] = static_cast<char>(code);
        text[length + 1] = '\0';
        notifyChange(focusIndex_);
    }
}

void DialogBox::setText(int32_t id, const char* text) {
    const int32_t index = indexOf(id);
    if (index < 0) {
        return;
    }
    std::memset(controls_[index].text, 0, sizeof(controls_[index].text));
    if (text != nullptr) {
        std::strncpy(controls_[index].text, text, kMaxTextLength);
    }
    notifyChange(index);
}

void DialogBox::pressEnter() {
    if (focusIndex_ >= 0) {
        const DialogControlKind kind = layout_.controls[focusIndex_].kind;
        if (kind == DialogControlKind::PushButton || kind == DialogControlKind::DefaultPushButton) {
            command(controls_[focusIndex_].id);
            return;
        }
    }
    command(IDOK);
}

void DialogBox::pressEscape() {
    command(IDCANCEL);
}

void DialogBox::pressTab() {
    if (!ended_) {
        moveFocusToNextTabStop();
    }
}

void DialogBox::pressSpace() {
    if (focusIndex_ >= 0 && layout_.controls[focusIndex_].kind != DialogControlKind::EditBox) {
        click(controls_[focusIndex_].id);
    } else {
        typeCharacter(' ');
    }
}

void DialogBox::pressBackspace() {
    if (ended_ || focusIndex_ < 0 ||
        layout_.controls[focusIndex_].kind != DialogControlKind::EditBox) {
        return;
    }
    char* text = controls_[focusIndex_].text;
    const size_t length = std::strlen(text);
    if (length > 0) {
        text[length - 1] = '\0';
        notifyChange(focusIndex_);
    }
}

void DialogBox::close(intptr_t result) {
    endDialog(result);
}
