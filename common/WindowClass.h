// The window classes of the plug-in's own windows: one registration helper,
// one window procedure (Window's), and every class unregistered together
// when the library is about to go.
#pragma once

#include <windows.h>

namespace kf {

// What a class does with the messages no object takes (before an object is
// attached, after it is gone, and whatever its object passes on).
enum class DefaultHandling {
  Window,  // DefWindowProc
  Dialog,  // DefDlgProc, with the extra bytes it keeps its state in
};

struct WindowClassInfo {
  const char* name;
  DefaultHandling handling;
  LPCSTR cursor;  // a system cursor (IDC_ARROW, IDC_SIZEWE)
  // A window that only has to exist (the clipboard's owner) gets the
  // system's procedure itself: nothing of the library runs through it, so
  // it may outlive the library. It has no object (no Window).
  bool systemProcedure = false;
};

// Registers the class with this module's handle and the button-face
// background, once: later calls return at once. Throws kf::Error when the
// system refuses.
void RegisterWindowClass(const WindowClassInfo& info);

// Unregisters every class RegisterWindowClass registered. Only when no
// window of them is left: the host is unloading the library.
void UnregisterWindowClasses() noexcept;

// The default procedure of hwnd's class (DefWindowProcA for a class not
// registered here).
WNDPROC DefaultProcedureOf(HWND hwnd);

}  // namespace kf
