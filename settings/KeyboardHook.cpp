#include "KeyboardHook.h"

#include <utility>

#include "ErrorBox.h"
#include "Handles.h"
#include "SettingTextIds.h"
#include "UiText.h"

namespace kf {

namespace {

// A hook procedure has no object of its own: what it serves is here.
WindowsHook gHook;
std::function<void(MSG&)> gPreview;
HWND gErrorOwner = nullptr;

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && gPreview) {
    try {
      gPreview(*reinterpret_cast<MSG*>(lParam));
    } catch (...) {
      ShowCurrentException(gErrorOwner);
    }
  }
  return CallNextHookEx(gHook.Get(), code, wParam, lParam);
}

}  // namespace

void HookDialogKeyboard(std::function<void(MSG&)> preview, HWND errorOwner) {
  gPreview = std::move(preview);
  gErrorOwner = errorOwner;
  if (gHook)
    return;
  // Of this thread only, with no module: the procedure is in this library,
  // which the dialog keeps loaded while the hook exists.
  gHook.Attach(SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId()));
  if (!gHook) {
    const DWORD error = GetLastError();
    gPreview = nullptr;
    throw Error(UiText(IDS_KEYBOARD_NOT_HOOKED, {SystemMessage(error)}));
  }
}

void UnhookDialogKeyboard() noexcept {
  gHook.Close();
  gPreview = nullptr;
  gErrorOwner = nullptr;
}

}  // namespace kf
