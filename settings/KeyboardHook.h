// The settings dialog's keyboard in a host whose message loop knows nothing
// of dialogs: a message hook of the host's user-interface thread hands every
// message taken from its queue to the dialog first (Tab, mnemonics, Enter,
// Escape, F1, F5). It exists only while the dialog is shown.
#pragma once

#include <windows.h>

#include <functional>

namespace kf {

// Hands the thread's messages to preview from now on; a second call while
// hooked only changes where they go. Throws kf::Error saying why when the
// system refuses the hook.
void HookDialogKeyboard(std::function<void(MSG&)> preview, HWND errorOwner);

// Removes the hook, if any.
void UnhookDialogKeyboard() noexcept;

}  // namespace kf
