// The plug-in's windows and the controls whose procedure it replaces reach
// their objects the same way: the object is attached when the window is made
// (or its procedure replaced), every message goes to its HandleMessage inside
// an exception boundary, and a message that finds no object (before it is
// attached, after it is gone) goes to the class's default procedure.
#pragma once

#include <windows.h>

#include "WindowClass.h"

namespace kf {

// What both kinds below share: the window an object serves, and its handler
// of that window's messages.
class WindowObject {
 public:
  WindowObject(const WindowObject&) = delete;
  WindowObject& operator=(const WindowObject&) = delete;
  virtual ~WindowObject() = default;

  HWND Hwnd() const { return hwnd_; }

 protected:
  WindowObject() = default;

  // Everything the window receives while the object is attached.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

  HWND hwnd_ = nullptr;
};

// A window the plug-in creates, of a class registered with
// RegisterWindowClass.
class Window : public WindowObject {
 public:
  // Destroys the window if it is still there.
  ~Window() override;

  // The one window procedure of every class RegisterWindowClass registers.
  static WNDPROC Procedure();

 protected:
  Window() = default;

  // Creates the window (registering its class first, once) with this object
  // attached from its first message, WM_NCCREATE, to its last,
  // WM_NCDESTROY. False when the system refuses (GetLastError tells why);
  // throws kf::Error when the class cannot be registered.
  bool Create(const WindowClassInfo& cls, DWORD exStyle, DWORD style, const char* title, const RECT& rect,
              HWND parent, HMENU menuOrId);
  // Destroys the window, if any. The object is detached first: the
  // messages of the destruction go to the default procedure, not to an
  // object that may be half torn down.
  void Destroy() noexcept;

  // What the class does with a message the object leaves alone.
  LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  WNDPROC defaultProc_ = DefWindowProcA;
};

// A control of a system class (list box, tree view) whose window procedure
// is replaced by the object's: SetWindowSubclass would keep its data in a
// window property, which Wine reads from its server at every message.
class SubclassedWindow : public WindowObject {
 public:
  ~SubclassedWindow() override { Detach(); }

  // Takes the control over: its messages go to HandleMessage until Detach
  // or its destruction.
  void Attach(HWND control);
  // Gives the control its own procedure back (if it is still ours).
  void Detach() noexcept;

 protected:
  SubclassedWindow() = default;

  // The control's own handling of a message.
  LRESULT CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  WNDPROC original_ = nullptr;
};

}  // namespace kf
