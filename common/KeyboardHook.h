// The keyboard of the plug-in's modeless windows in a host whose message loop
// knows nothing of them: one message hook of the host's user-interface thread
// hands every message taken from its queue for a hooked window, or for a
// control inside it, to that window's preview first (Tab, mnemonics, Enter,
// Escape). The hook exists while any window is hooked; each window hooks
// itself while it is shown.
#pragma once

#include <windows.h>

#include <functional>

namespace kf {

// Hands the thread's messages for window and its controls to preview from
// now on; a second call for the same window only changes the preview. A
// failure of preview is shown in window's error box. Throws kf::Error with
// the text refusedTextId (its %1 the system's reason) when the system
// refuses the hook.
void HookDialogKeyboard(HWND window, std::function<void(MSG&)> preview, UINT refusedTextId);

// Stops handing window's messages; the hook goes with the last window.
void UnhookDialogKeyboard(HWND window) noexcept;

}  // namespace kf
