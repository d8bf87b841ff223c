#include "KeyboardHook.h"

#include <utility>

#include "ErrorBox.h"
#include "Handles.h"
#include "Module.h"
#include "SettingTextIds.h"
#include "UiText.h"

namespace kf {

namespace {

// A hook procedure has no object of its own: what it serves is here.
struct Hook {
  WindowsHook hook;
  std::function<void(MSG&)> preview;
  HWND errorOwner = nullptr;
};
Hook& gHook = Resident<Hook>();

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && gHook.preview) {
    try {
      gHook.preview(*reinterpret_cast<MSG*>(lParam));
    } catch (...) {
      ShowCurrentException(gHook.errorOwner);
    }
  }
  return CallNextHookEx(gHook.hook.Get(), code, wParam, lParam);
}

}  // namespace

void HookDialogKeyboard(std::function<void(MSG&)> preview, HWND errorOwner) {
  gHook.preview = std::move(preview);
  gHook.errorOwner = errorOwner;
  if (gHook.hook)
    return;
  // Of this thread only, with no module: the procedure is in this library,
  // which the dialog keeps loaded while the hook exists.
  gHook.hook.Attach(SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId()));
  if (!gHook.hook) {
    const DWORD error = GetLastError();
    gHook.preview = nullptr;
    throw Error(UiText(IDS_KEYBOARD_NOT_HOOKED, {SystemMessage(error)}));
  }
}

void UnhookDialogKeyboard() noexcept {
  gHook.hook.Close();
  gHook.preview = nullptr;
  gHook.errorOwner = nullptr;
}

}  // namespace kf
