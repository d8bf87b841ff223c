#include "Window.h"

#include "ErrorBox.h"
#include "Module.h"

namespace kf {

namespace {

// The window a failure box of hwnd's belongs to: its top-level window when
// the user can see it (never a message-only window).
HWND BoxOwnerOf(HWND hwnd) {
  const HWND root = GetAncestor(hwnd, GA_ROOT);
  return root && IsWindowVisible(root) ? root : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Window

WNDPROC Window::Procedure() { return &Window::WindowProc; }

Window::~Window() { Destroy(); }

bool Window::Create(const WindowClassInfo& cls, DWORD exStyle, DWORD style, const char* title, const RECT& rect,
                    HWND parent, HMENU menuOrId) {
  RegisterWindowClass(cls);
  // hwnd_ is set by the first message, before CreateWindowEx returns.
  return CreateWindowExA(exStyle, cls.name, title, style, rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top, parent, menuOrId, ThisModule(), this) != nullptr;
}

void Window::Destroy() noexcept {
  const HWND hwnd = hwnd_;
  if (!hwnd)
    return;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  DestroyWindow(hwnd);
}

LRESULT Window::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return CallWindowProcA(defaultProc_, hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* created = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (created) {
      created->hwnd_ = hwnd;
      created->defaultProc_ = DefaultProcedureOf(hwnd);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self)
    return CallWindowProcA(DefaultProcedureOf(hwnd), hwnd, msg, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    ShowCurrentException(BoxOwnerOf(hwnd));
    result = CallWindowProcA(DefaultProcedureOf(hwnd), hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

// ---------------------------------------------------------------------------
// SubclassedWindow

void SubclassedWindow::Attach(HWND control) {
  Detach();
  hwnd_ = control;
  SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedWindow::WindowProc)));
}

void SubclassedWindow::Detach() noexcept {
  if (hwnd_ && IsWindow(hwnd_) &&
      GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SubclassedWindow::WindowProc)) {
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  }
  hwnd_ = nullptr;
}

LRESULT SubclassedWindow::CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return CallWindowProcW(original_, hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK SubclassedWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<SubclassedWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  // Without its object the control is what its class makes it.
  const WNDPROC own = self ? self->original_ : reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
  if (!self || msg == WM_NCDESTROY) {
    if (self)
      self->Detach();
    return CallWindowProcW(own, hwnd, msg, wParam, lParam);
  }
  try {
    return self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    ShowCurrentException(BoxOwnerOf(hwnd));
    return CallWindowProcW(own, hwnd, msg, wParam, lParam);
  }
}

}  // namespace kf
