#include "HostWindow.h"

#include <windowsx.h>

#include "HostApi.h"

namespace kfhost {
namespace {

const wchar_t kWindowClass[] = L"KestrelfindHostWindow";
const wchar_t kMailViewProp[] = L"KestrelfindHostOwner";

HMENU CreateMainMenu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kCmdExit, L"E&xit");
  HMENU tools = CreatePopupMenu();
  AppendMenuW(tools, MF_STRING, kCmdPluginSetup, L"Plug-in &Setup...");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), L"&Tools");
  return bar;
}

bool RegisterWindowClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, kWindowClass, &wc))
    return true;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) != 0;
}

std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
      out += L'\r';
    out += text[i];
  }
  return out;
}

}  // namespace

HostWindow::HostWindow(PluginHost& plugins, bool visible) : plugins_(plugins) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterWindowClass(instance, WindowProc);
  window_ = CreateWindowExW(0, kWindowClass, L"Becky! host - Kestrelfind test bed", WS_OVERLAPPEDWINDOW,
                            40, 40, 720, 480, nullptr, CreateMainMenu(), instance, this);
  if (!window_)
    return;
  mailView_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                  ES_AUTOVSCROLL | ES_NOHIDESEL,
                              0, 0, 100, 100, window_, nullptr, instance, nullptr);
  // The mail view's right-click shows the host's mail-view menu instead of
  // the edit control's own.
  SetPropW(mailView_, kMailViewProp, this);
  mailViewDefault_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(mailView_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MailViewProc)));
  SendMessageW(mailView_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  RECT client;
  GetClientRect(window_, &client);
  MoveWindow(mailView_, 0, 0, client.right, client.bottom, FALSE);
  if (visible) {
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
  }
}

HostWindow::~HostWindow() {
  for (auto& entry : menus_)
    DestroyMenu(entry.second);
  menus_.clear();
  if (window_) {
    quitOnDestroy_ = false;
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void HostWindow::ShowMail(const std::wstring& text) {
  SetWindowTextW(mailView_, WithCrLf(text).c_str());
  SendMessageW(mailView_, EM_SETSEL, 0, 0);
}

std::wstring HostWindow::MailText() const {
  const int n = GetWindowTextLengthW(mailView_);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(mailView_, &text[0], n + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

bool HostWindow::SelectText(const std::wstring& needle) {
  const std::wstring text = MailText();
  const size_t at = needle.empty() ? std::wstring::npos : text.find(needle);
  if (at == std::wstring::npos) {
    SelectRange(0, 0);
    return false;
  }
  SelectRange(static_cast<int>(at), static_cast<int>(needle.size()));
  return true;
}

void HostWindow::SelectRange(int start, int length) {
  SendMessageW(mailView_, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
}

std::wstring HostWindow::Selection() const {
  DWORD start = 0, end = 0;
  SendMessageW(mailView_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (end <= start)
    return std::wstring();
  return MailText().substr(start, end - start);
}

HMENU HostWindow::BuildContextMenu(int type) {
  auto old = menus_.find(type);
  if (old != menus_.end()) {
    // Takes the plug-ins' popups attached to it along, as a real client's
    // menu does when it is thrown away.
    DestroyMenu(old->second);
    menus_.erase(old);
  }
  HMENU menu = CreatePopupMenu();
  if (!menu)
    return nullptr;
  AppendMenuW(menu, MF_STRING, kCmdCopy, L"&Copy");
  AppendMenuW(menu, MF_STRING, kCmdSelectAll, L"Select &All");
  for (const auto& plugin : plugins_.Plugins())
    plugin->OnMenuInit(window_, menu, type);
  menus_[type] = menu;
  return menu;
}

HMENU HostWindow::ContextMenu(int type) const {
  auto it = menus_.find(type);
  return it == menus_.end() ? nullptr : it->second;
}

void HostWindow::SendMenuCommand(UINT id) {
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(LOWORD(id), 0), 0);
}

int HostWindow::RunPluginSetup() {
  int result = 0;
  for (const auto& plugin : plugins_.Plugins())
    result = plugin->OnPlugInSetup(window_);
  return result;
}

void HostWindow::CopySelection() {
  // An empty selection copies nothing: the clipboard stays as it is.
  DWORD start = 0, end = 0;
  SendMessageW(mailView_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (end > start)
    SendMessageW(mailView_, WM_COPY, 0, 0);
}

void HostWindow::DispatchPluginCommand(WORD id) {
  ++dispatchCount_;
  lastDispatch_ = CommandDispatch();
  lastDispatch_.menuId = id;
  const Registration* found = FindRegistrationByLowWord(id);
  if (!found)
    return;
  // Copied: the callback may register commands and move the registry.
  const Registration reg = *found;
  lastDispatch_.found = true;
  lastDispatch_.registeredId = reg.id;
  lastDispatch_.text = reg.text;
  // High word set on purpose: the plug-in must look at the low 16 bits only.
  lastDispatch_.param = MAKELPARAM(id, 1);
  if (reg.callback)
    reg.callback(window_, lastDispatch_.param);
}

void HostWindow::OnCommand(UINT id, LPARAM lParam) {
  switch (id) {
    case kCopySelectionCommand:
      ++copyRequests_;
      CopySelection();
      return;
    case kCmdCopy:
      CopySelection();
      return;
    case kCmdSelectAll:
      SelectRange(0, -1);
      return;
    case kCmdPluginSetup:
      RunPluginSetup();
      return;
    case kCmdExit:
      DestroyWindow(window_);
      return;
    default:
      // Notifications of the mail view carry its handle; only menu picks
      // (lParam 0) are commands.
      if (lParam == 0)
        DispatchPluginCommand(static_cast<WORD>(id));
      return;
  }
}

void HostWindow::ShowMailViewMenu(LPARAM screenPoint) {
  POINT pt = {GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  if (pt.x == -1 && pt.y == -1) {
    pt = {0, 0};
    ClientToScreen(mailView_, &pt);
  }
  HMENU menu = BuildContextMenu(kMailViewMenuType);
  // The pick comes back to the main window as WM_COMMAND, like any menu's.
  if (menu)
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, pt.x, pt.y, 0, window_, nullptr);
}

LRESULT HostWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (mailView_)
        MoveWindow(mailView_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (mailView_)
        SetFocus(mailView_);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), lParam);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      if (quitOnDestroy_)
        PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window_, msg, wParam, lParam);
  }
}

LRESULT CALLBACK HostWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<HostWindow*>(create->lpCreateParams);
    self->window_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self)
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  try {
    return self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT CALLBACK HostWindow::MailViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<HostWindow*>(GetPropW(hwnd, kMailViewProp));
  if (!self)
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_CONTEXTMENU) {
    try {
      self->ShowMailViewMenu(lParam);
    } catch (...) {
    }
    return 0;
  }
  if (msg == WM_NCDESTROY)
    RemovePropW(hwnd, kMailViewProp);
  return CallWindowProcW(self->mailViewDefault_, hwnd, msg, wParam, lParam);
}

void PumpMessages(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Left for the caller's own loop.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms)
      return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
  }
}

}  // namespace kfhost
