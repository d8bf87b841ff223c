// The settings dialog's keyboard: what IsDialogMessage would do, had the host's
// loop called it.
#include "SettingFormPrivate.h"

namespace kf {

namespace {

// The mnemonic character of a caption ("Close(&Q)" -> 'Q'), or 0.
char MnemonicOf(const char* caption) {
  for (const char* p = caption; *p; ++p) {
    if (IsDBCSLeadByteEx(932, static_cast<BYTE>(*p)) && p[1]) {
      ++p;
      continue;
    }
    if (*p == '&' && p[1] && p[1] != '&')
      return p[1];
  }
  return 0;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

int TSettingForm::RowOfFocus() const {
  HWND focus = GetFocus();
  for (HWND h = focus; h && h != FHandle; h = GetParent(h)) {
    for (int i = 0; i < kSettingControlCount; ++i) {
      if (FControls.windows[static_cast<size_t>(i)] == h)
        return i;
    }
  }
  return -1;
}

bool TSettingForm::IsTreeLabelEditor(HWND hwnd) const {
  return hwnd && GetParent(hwnd) == Control(TreeView1);
}

void TSettingForm::FocusNext(bool backwards) {
  const auto takesFocus = [this](int i) {
    const ControlRow& row = kSettingLayout[i];
    HWND hwnd = FControls.windows[static_cast<size_t>(i)];
    if (!hwnd || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd))
      return false;
    if (!(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_TABSTOP))
      return false;
    // Of a pair of radio buttons only the checked one is a tab stop.
    return row.kind != ControlKind::Radio || IsChecked(hwnd);
  };
  const int count = kSettingControlCount;
  int current = RowOfFocus();
  for (int step = 1; step <= count; ++step) {
    int i = current < 0 ? (backwards ? count - step : step - 1)
                        : (current + (backwards ? count - step : step)) % count;
    if (takesFocus(i)) {
      HWND target = FControls.windows[static_cast<size_t>(i)];
      SetFocus(target);
      if (kSettingLayout[i].kind == ControlKind::Edit)
        SendMessageA(target, EM_SETSEL, 0, -1);
      return;
    }
  }
}

void TSettingForm::RunMnemonic(SettingControl id) {
  const int index = LayoutIndex(id);
  if (index < 0)
    return;
  const ControlRow& row = kSettingLayout[index];
  HWND hwnd = Control(id);
  switch (row.kind) {
    case ControlKind::Label:
      if (row.buddy != kNoControl && IsWindowEnabled(Control(row.buddy))) {
        SetFocus(Control(row.buddy));
        SendMessageA(Control(row.buddy), EM_SETSEL, 0, -1);
      }
      break;
    case ControlKind::Button:
      if (IsWindowEnabled(hwnd))
        SendMessageA(hwnd, BM_CLICK, 0, 0);
      break;
    case ControlKind::Radio:
      if (IsWindowEnabled(hwnd)) {
        SetFocus(hwnd);
        SendMessageA(hwnd, BM_CLICK, 0, 0);
      }
      break;
    default:
      break;
  }
}

void TSettingForm::MoveRadio(bool forward) {
  const int row = RowOfFocus();
  if (row < 0 || kSettingLayout[row].kind != ControlKind::Radio)
    return;
  constexpr int count = static_cast<int>(sizeof(kEncodingButtons) / sizeof(kEncodingButtons[0]));
  for (int i = 0; i < count; ++i) {
    if (kEncodingButtons[i].id == kSettingLayout[row].id) {
      const SettingControl next = kEncodingButtons[(i + (forward ? 1 : count - 1)) % count].id;
      SetFocus(Control(next));
      RadioButtonClick(next);
      return;
    }
  }
}

void TSettingForm::PreviewMessage(MSG& msg) {
  if (!msg.hwnd || (msg.hwnd != FHandle && !IsChild(FHandle, msg.hwnd)))
    return;
  const bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
  const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  const int focusRow = RowOfFocus();
  const ControlKind focusKind = focusRow < 0 ? ControlKind::Panel : kSettingLayout[focusRow].kind;
  HWND tree = Control(TreeView1);
  // Escape ends a drag before anything else sees it.
  if (FDragSource != DragSource::None && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
    EndDrag();
    msg.message = WM_NULL;
    return;
  }
  // The context-menu key and Shift+F10 open the tree's menu, at its
  // selected node; the releases go too, so that no second menu follows.
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  if (msg.hwnd == tree && (msg.wParam == VK_APPS || (msg.wParam == VK_F10 && shift))) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
      PostMessageA(FHandle, WM_KF_KEYACTION, kTreeMenu, 0);
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN || msg.message == WM_KEYUP ||
        msg.message == WM_SYSKEYUP)
      msg.message = WM_NULL;
    return;
  }
  switch (msg.message) {
    case WM_KEYDOWN:
      switch (msg.wParam) {
        case VK_TAB:
          if (alt || ctrl)
            return;
          FocusNext((GetKeyState(VK_SHIFT) & 0x8000) != 0);
          msg.message = WM_NULL;
          return;
        case VK_ESCAPE:
          // A label being edited in the tree takes Escape as "cancel the edit".
          if (IsTreeLabelEditor(msg.hwnd))
            return;
          PostMessageA(FHandle, WM_KF_KEYACTION, kEscape, 0);
          msg.message = WM_NULL;
          return;
        case VK_RETURN:
          if (IsTreeLabelEditor(msg.hwnd)) {
            // The edit ends on this press; the release then comes to the tree.
            FEditorEnter = true;
            return;
          }
          if (focusKind == ControlKind::Button) {
            PostMessageA(FHandle, WM_KF_KEYACTION, kPressButton, kSettingLayout[focusRow].id);
            msg.message = WM_NULL;
          } else if (focusKind == ControlKind::Edit || focusKind == ControlKind::Radio) {
            // A single-line edit would only beep.
            msg.message = WM_NULL;
          }
          return;
        case VK_UP:
        case VK_DOWN:
        case VK_LEFT:
        case VK_RIGHT:
          if (focusKind == ControlKind::Radio) {
            MoveRadio(msg.wParam == VK_DOWN || msg.wParam == VK_RIGHT);
            msg.message = WM_NULL;
          }
          return;
        default:
          return;
      }
    case WM_KEYUP:
      // Key preview: the form sees F1 and F5 whichever control has the focus.
      if (msg.wParam == VK_F1 || msg.wParam == VK_F5) {
        PostMessageA(FHandle, WM_KF_KEYACTION, kKeyUp, static_cast<LPARAM>(msg.wParam));
      } else if (msg.hwnd == tree && (msg.wParam == VK_DELETE || msg.wParam == VK_RETURN)) {
        if (msg.wParam == VK_RETURN && FEditorEnter)
          FEditorEnter = false;  // the release of the key that ended an edit
        else
          PostMessageA(FHandle, WM_KF_KEYACTION, kTreeKeyUp, static_cast<LPARAM>(msg.wParam));
      }
      return;
    case WM_SYSCHAR: {
      const char typed = UpperAscii(static_cast<char>(msg.wParam));
      for (const ControlRow& row : kSettingLayout) {
        const char mnemonic = UpperAscii(MnemonicOf(row.caption));
        if (mnemonic && mnemonic == typed) {
          PostMessageA(FHandle, WM_KF_KEYACTION, kMnemonic, row.id);
          msg.message = WM_NULL;
          return;
        }
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace kf
