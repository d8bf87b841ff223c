// The settings dialog's keyboard. The host's message loop knows nothing of
// dialogs, so the form's hook hands its keyboard messages to the dialog
// manager (Tab, the arrow keys in the encoding group, mnemonics, Escape), and
// does here only what the dialog manager does not: the F1 and F5 key preview,
// the tree's Delete and Enter and its context-menu key, Enter on a focused
// button, and the keys during a drag.
#include "SettingFormPrivate.h"

namespace kf {

namespace {

bool IsKeyboardMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }
bool IsKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }
bool IsKeyUp(UINT message) { return message == WM_KEYUP || message == WM_SYSKEYUP; }
bool IsPressed(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

int SettingForm::RowOfFocus() const {
  HWND focus = GetFocus();
  for (HWND h = focus; h && h != Hwnd(); h = GetParent(h)) {
    for (int i = 0; i < kSettingControlCount; ++i) {
      if (controls_.windows[static_cast<size_t>(i)] == h)
        return i;
    }
  }
  return -1;
}

bool SettingForm::IsTreeLabelEditor(HWND hwnd) const { return hwnd && GetParent(hwnd) == Control(kFolderTree); }

void SettingForm::PreviewMessage(MSG& msg) {
  if (!IsKeyboardMessage(msg.message) || !msg.hwnd || (msg.hwnd != Hwnd() && !IsChild(Hwnd(), msg.hwnd)))
    return;
  const auto handled = [&msg] { msg.message = WM_NULL; };

  // During a drag Escape cancels it and every other key does nothing: the
  // arrow keys must not move the selection, nor F5 rebuild the tree, under
  // the pointer.
  if (drag_.Active()) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
      drag_.End();
    return handled();
  }
  // A label being edited in the tree keeps its keys: Enter and Escape end
  // the edit. The edit ends on the press of Enter; its release then comes
  // to the tree and must not start another edit.
  if (IsTreeLabelEditor(msg.hwnd)) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN)
      editorEnter_ = true;
    return;
  }

  HWND tree = Control(kFolderTree);
  // The context-menu key and Shift+F10 open the tree's menu at its selected
  // node; the releases go too, so that no second menu follows.
  if (msg.hwnd == tree && (msg.wParam == VK_APPS || (msg.wParam == VK_F10 && IsPressed(VK_SHIFT))) &&
      (IsKeyDown(msg.message) || IsKeyUp(msg.message))) {
    if (IsKeyDown(msg.message))
      PostMessageA(Hwnd(), WM_KF_KEYACTION, kTreeMenuKey, 0);
    return handled();
  }
  if (msg.message == WM_KEYUP) {
    // Key preview: the form sees F1 and F5 whichever control has the focus.
    if (msg.wParam == VK_F1 || msg.wParam == VK_F5) {
      PostMessageA(Hwnd(), WM_KF_KEYACTION, kPreviewKeyUp, static_cast<LPARAM>(msg.wParam));
    } else if (msg.hwnd == tree && (msg.wParam == VK_DELETE || msg.wParam == VK_RETURN)) {
      if (msg.wParam == VK_RETURN && editorEnter_)
        editorEnter_ = false;  // the release of the key that ended an edit
      else
        PostMessageA(Hwnd(), WM_KF_KEYACTION, kTreeKeyUp, static_cast<LPARAM>(msg.wParam));
    }
  }
  // Enter presses the focused button, default or not.
  const int focusRow = RowOfFocus();
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && focusRow >= 0 &&
      kSettingLayout[focusRow].kind == ControlKind::Button) {
    PostMessageA(Hwnd(), WM_KF_KEYACTION, kPressButton, kSettingLayout[focusRow].id);
    return handled();
  }
  if (IsDialogMessageA(Hwnd(), &msg))
    handled();
}

}  // namespace kf
