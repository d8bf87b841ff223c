#include "HostWindow.h"

#include <windowsx.h>

#include <cwchar>

#include "HostApi.h"

namespace kfhost {
namespace {

const wchar_t kWindowClass[] = L"KestrelfindHostWindow";
const wchar_t kMailViewProp[] = L"KestrelfindHostOwner";

// The menu tour moves on with a timer: the menu's own modal loop dispatches
// timer messages to the window while TrackPopupMenu runs.
const UINT_PTR kMenuTourTimer = 0x4B46;
const UINT kMenuTourTickMs = 50;
const DWORD kMenuTourTimeoutMs = 10000;
// Ticks between the last level opening and the action, for the menus to paint.
const int kMenuTourSettleTicks = 6;

// The popup menu windows this thread shows: one per open level.
std::vector<HWND> OpenMenuWindows() { return VisibleThreadWindows(L"#32768"); }

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
    case WM_TIMER:
      if (wParam == kMenuTourTimer && tour_) {
        StepMenuTour();
        return 0;
      }
      return DefWindowProcW(window_, msg, wParam, lParam);
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

struct HostWindow::MenuTour {
  std::vector<HMENU> menus;    // the menu of each level, the tracked one first
  std::vector<int> positions;  // the item opened on each level
  const OpenMenuAction* action = nullptr;
  DWORD start = 0;
  size_t level = 0;  // the deepest level open so far
  int keys = 0;      // keys sent on this level
  int settled = 0;
  bool finished = false;
  bool ok = false;
  std::string error;
};

POINT HostWindow::SelectionScreenPoint() const {
  RECT client;
  GetClientRect(mailView_, &client);
  POINT pt = {client.right / 4, client.bottom / 4};
  DWORD start = 0, end = 0;
  SendMessageW(mailView_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (end > start) {
    // At the selection's last character, just below the line, so the menu
    // leaves the word in sight.
    const LRESULT at = SendMessageW(mailView_, EM_POSFROMCHAR, end - 1, 0);
    if (at != -1) {
      pt.x = static_cast<short>(LOWORD(at)) + 6;
      pt.y = static_cast<short>(HIWORD(at)) + 16;
    }
  }
  pt.x = pt.x < 0 ? 0 : (pt.x >= client.right ? client.right - 1 : pt.x);
  pt.y = pt.y < 0 ? 0 : (pt.y >= client.bottom ? client.bottom - 1 : pt.y);
  ClientToScreen(mailView_, &pt);
  return pt;
}

bool HostWindow::TourMenu(HMENU menu, const std::vector<int>& positions, const OpenMenuAction& whileOpen,
                          std::string& error) {
  if (!window_ || !IsWindowVisible(window_)) {
    error = "the host window is hidden: a menu on screen needs it visible";
    return false;
  }
  if (tour_) {
    error = "a menu is open already";
    return false;
  }
  MenuTour tour;
  if (!IsMenu(menu)) {
    error = "no such menu";
    return false;
  }
  tour.menus.push_back(menu);
  for (const int position : positions) {
    HMENU sub = GetSubMenu(tour.menus.back(), position);
    if (!sub) {
      error = "item " + std::to_string(position) + " of level " + std::to_string(tour.menus.size()) +
              " is not a submenu";
      return false;
    }
    tour.menus.push_back(sub);
  }
  tour.positions = positions;
  tour.action = &whileOpen;
  tour.start = GetTickCount();
  const POINT at = SelectionScreenPoint();
  // A menu whose owner is not in front is not dismissed properly.
  if (GetForegroundWindow() != window_)
    SetForegroundWindow(window_);
  tour_ = &tour;
  SetTimer(window_, kMenuTourTimer, kMenuTourTickMs, nullptr);
  // TPM_RETURNCMD: a command chosen by accident comes back here instead of
  // being dispatched, so the tour never runs a plug-in command.
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
  const DWORD trackError = GetLastError();
  KillTimer(window_, kMenuTourTimer);
  tour_ = nullptr;
  if (chosen != 0) {
    error = "the menu closed with command #" + std::to_string(chosen) + " chosen (not run)";
    return false;
  }
  if (!tour.finished) {
    error = "the menu closed before the tour ended (error " + std::to_string(trackError) + ")";
    return false;
  }
  if (!tour.ok)
    error = tour.error;
  return tour.ok;
}

void HostWindow::StepMenuTour() {
  MenuTour& tour = *tour_;
  if (tour.finished)
    return;
  if (GetTickCount() - tour.start > kMenuTourTimeoutMs)
    return FinishMenuTour(false, "level " + std::to_string(tour.level + 1) + " of the menu did not open in time");
  const std::vector<HWND> open = OpenMenuWindows();
  if (open.size() < tour.level + 1)
    return;  // not on screen yet
  if (tour.level < tour.positions.size())
    return OpenNextMenuLevel(open.size());
  if (++tour.settled < kMenuTourSettleTicks)
    return;
  std::string error;
  const bool ok = ShowOpenMenu(open, error);
  FinishMenuTour(ok, error);
}

void HostWindow::OpenNextMenuLevel(size_t openLevels) {
  MenuTour& tour = *tour_;
  if (openLevels >= tour.level + 2) {
    ++tour.level;
    tour.keys = 0;
    return;
  }
  // Down until the item is highlighted, then Right opens its submenu: the
  // state is read back each tick, so no count of keys has to be right.
  // Timer messages come only when the queue is empty, so the last key has
  // been handled by now.
  const HMENU menu = tour.menus[tour.level];
  const int position = tour.positions[tour.level];
  if (tour.keys > 2 * GetMenuItemCount(menu) + 2)
    return FinishMenuTour(false,
                          "cannot reach item " + std::to_string(position) + " of level " + std::to_string(tour.level + 1));
  const bool highlighted = (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_HILITE) != 0;
  // The menu's loop reads the keyboard messages of the whole thread.
  PostMessageW(window_, WM_KEYDOWN, highlighted ? VK_RIGHT : VK_DOWN, 1);
  ++tour.keys;
}

bool HostWindow::ShowOpenMenu(const std::vector<HWND>& open, std::string& error) {
  const MenuTour& tour = *tour_;
  // The open levels in order, the tracked menu first.
  std::vector<HWND> levels;
  for (HMENU levelMenu : tour.menus) {
    for (HWND menuWindow : open) {
      if (reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)) == levelMenu)
        levels.push_back(menuWindow);
    }
  }
  if (levels.size() != tour.menus.size())
    levels = open;
  RECT shown;
  GetWindowRect(window_, &shown);
  for (HWND menuWindow : levels) {
    RedrawWindow(menuWindow, nullptr, nullptr, RDW_UPDATENOW);
    RECT rect;
    if (GetWindowRect(menuWindow, &rect))
      UnionRect(&shown, &shown, &rect);
  }
  return !*tour.action || (*tour.action)(shown, levels, error);
}

void HostWindow::FinishMenuTour(bool ok, const std::string& error) {
  tour_->finished = true;
  tour_->ok = ok;
  tour_->error = error;
  EndMenu();
}

namespace {

struct WindowSearch {
  const wchar_t* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfClass(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  wchar_t cls[64] = L"";
  GetClassNameW(hwnd, cls, ARRAYSIZE(cls));
  if (wcscmp(cls, search->className) == 0 && IsWindowVisible(hwnd))
    search->found.push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> VisibleThreadWindows(const wchar_t* className) {
  WindowSearch search{className, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectWindowOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
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
