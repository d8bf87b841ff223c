#include "KeyboardHook.h"

#include <utility>
#include <vector>

#include "Error.h"
#include "ErrorBox.h"
#include "Handles.h"
#include "Module.h"
#include "UiText.h"

namespace kf {

namespace {

struct HookedWindow {
  HWND window;
  std::function<void(MSG&)> preview;
};

// A hook procedure has no object of its own: what it serves is here.
struct Hook {
  WindowsHook hook;
  std::vector<HookedWindow> windows;
};
Hook& gHook = Resident<Hook>();

// The preview of the hooked window that msg is for, or null.
const std::function<void(MSG&)>* PreviewFor(const MSG& msg, HWND& window) {
  if (!msg.hwnd)
    return nullptr;
  for (const HookedWindow& hooked : gHook.windows) {
    if (msg.hwnd == hooked.window || IsChild(hooked.window, msg.hwnd)) {
      window = hooked.window;
      return &hooked.preview;
    }
  }
  return nullptr;
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    MSG& msg = *reinterpret_cast<MSG*>(lParam);
    HWND window = nullptr;
    if (const std::function<void(MSG&)>* found = PreviewFor(msg, window)) {
      // A copy: the preview may close its window, which unhooks it and
      // drops the entry it came from.
      const std::function<void(MSG&)> preview = *found;
      try {
        preview(msg);
      } catch (...) {
        ShowCurrentException(window);
      }
    }
  }
  return CallNextHookEx(gHook.hook.Get(), code, wParam, lParam);
}

}  // namespace

void HookDialogKeyboard(HWND window, std::function<void(MSG&)> preview, UINT refusedTextId) {
  if (!gHook.hook) {
    // Of this thread only, with no module: the procedure is in this
    // library, which each hooked window keeps loaded while it exists.
    gHook.hook.Attach(SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId()));
    if (!gHook.hook)
      throw Error(UiText(refusedTextId, {SystemMessage(GetLastError())}));
  }
  for (HookedWindow& hooked : gHook.windows) {
    if (hooked.window == window) {
      hooked.preview = std::move(preview);
      return;
    }
  }
  gHook.windows.push_back({window, std::move(preview)});
}

void UnhookDialogKeyboard(HWND window) noexcept {
  for (auto it = gHook.windows.begin(); it != gHook.windows.end(); ++it) {
    if (it->window == window) {
      gHook.windows.erase(it);
      break;
    }
  }
  if (gHook.windows.empty())
    gHook.hook.Close();
}

}  // namespace kf
