#include "WindowClass.h"

#include <vector>

#include "Error.h"
#include "Module.h"
#include "TextIds.h"
#include "UiText.h"
#include "Window.h"

namespace kf {

namespace {

struct RegisteredClass {
  const char* name;
  ATOM atom;
  WNDPROC defaultProc;
};

// A handful of classes at most; looked up only for messages without an object.
std::vector<RegisteredClass> gClasses;

}  // namespace

void RegisterWindowClass(const WindowClassInfo& info) {
  for (const RegisteredClass& cls : gClasses) {
    if (lstrcmpA(cls.name, info.name) == 0)
      return;
  }
  const bool dialog = info.handling == DefaultHandling::Dialog;
  WNDCLASSEXA cls = {};
  cls.cbSize = sizeof(cls);
  cls.style = CS_HREDRAW | CS_VREDRAW;
  const WNDPROC defaultProc = dialog ? DefDlgProcA : DefWindowProcA;
  cls.lpfnWndProc = info.systemProcedure ? defaultProc : Window::Procedure();
  cls.cbWndExtra = dialog ? DLGWINDOWEXTRA : 0;
  cls.hInstance = ThisModule();
  cls.hCursor = LoadCursor(nullptr, info.cursor);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = info.name;
  ATOM atom = RegisterClassExA(&cls);
  // Left by an earlier load of this library that was freed without being
  // told: its procedure may point at code that is gone.
  if (!atom && GetLastError() == ERROR_CLASS_ALREADY_EXISTS && UnregisterClassA(info.name, ThisModule()))
    atom = RegisterClassExA(&cls);
  if (!atom)
    throw Error(UiText(IDS_WINDOW_CLASS_NOT_REGISTERED, {info.name, SystemMessage(GetLastError())}));
  gClasses.push_back({info.name, atom, defaultProc});
}

void UnregisterWindowClasses() noexcept {
  for (const RegisteredClass& cls : gClasses)
    UnregisterClassA(MAKEINTATOM(cls.atom), ThisModule());
  gClasses.clear();
}

WNDPROC DefaultProcedureOf(HWND hwnd) {
  const ATOM atom = static_cast<ATOM>(GetClassWord(hwnd, GCW_ATOM));
  for (const RegisteredClass& cls : gClasses) {
    if (cls.atom == atom)
      return cls.defaultProc;
  }
  return DefWindowProcA;
}

}  // namespace kf
