// The host's main window: a Unicode mail view that any text can be shown,
// selected and copied in, the context menus the plug-ins extend, and the
// dispatch of picked plug-in commands to their callbacks.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "PluginHost.h"

namespace kfhost {

// Host commands of the main window's menus (all at or above kFirstHostCommandId).
enum HostCommand : UINT {
  kCmdCopy = 0xFF01,
  kCmdSelectAll = 0xFF02,
  kCmdPluginSetup = 0xFF10,
  kCmdExit = 0xFF11,
};

// What the window did with the last plug-in command it was given.
struct CommandDispatch {
  UINT menuId = 0;     // low 16 bits, as WM_COMMAND carried it
  bool found = false;  // a registration with these low bits existed
  UINT registeredId = 0;
  LPARAM param = 0;    // second value handed to the callback
  std::string text;    // the registration's comment text (ANSI)
};

class HostWindow {
 public:
  // The window is created hidden unless visible; either way it answers the
  // copy command and dispatches commands.
  HostWindow(PluginHost& plugins, bool visible);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND Handle() const { return window_; }
  HWND MailView() const { return mailView_; }

  // Line ends may be "\n" or "\r\n".
  void ShowMail(const std::wstring& text);
  std::wstring MailText() const;
  // Selects the first occurrence; false (selection cleared) when absent.
  bool SelectText(const std::wstring& needle);
  void SelectRange(int start, int length);
  std::wstring Selection() const;

  // Builds the host's context menu of this type (its own items, then each
  // plug-in's BKC_OnMenuInit) and keeps it until the next build of the same
  // type or the end of the window. Returns the menu.
  HMENU BuildContextMenu(int type);
  HMENU ContextMenu(int type) const;

  // The menu pick: WM_COMMAND(id) sent to the main window, which finds the
  // registration by the low 16 bits and calls its callback with the window
  // and MAKELPARAM(id, 1).
  void SendMenuCommand(UINT id);
  const CommandDispatch& LastDispatch() const { return lastDispatch_; }
  int DispatchCount() const { return dispatchCount_; }

  // Copy requests (WM_COMMAND 0xE122) received so far.
  int CopyRequestCount() const { return copyRequests_; }

  // The program's window ends the message loop when the user closes it;
  // a test's window does not.
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  // Every plug-in's BKC_OnPlugInSetup; the result of the last one (0 when none).
  int RunPluginSetup();

  // Called while a menu is open on screen, with the screen rectangle that
  // holds the main window and every open menu level, and the menu windows
  // of the levels, the first level first; false with a reason stops the tour.
  using OpenMenuAction =
      std::function<bool(const RECT& shown, const std::vector<HWND>& menuWindows, std::string& error)>;

  // Shows a menu this window built (BuildContextMenu) on screen at the mail
  // view's selection, the way a right-click does; then opens, level by
  // level, the submenu at each of the given item positions, the way a user
  // does with the arrow keys. Once every level is open and painted it calls
  // whileOpen, then closes the menu with no command chosen. The window must
  // be visible. False with a reason when a level did not open in time, the
  // action failed, or a command was chosen after all (it is not dispatched).
  bool TourMenu(HMENU menu, const std::vector<int>& positions, const OpenMenuAction& whileOpen,
                std::string& error);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK MailViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnCommand(UINT id, LPARAM lParam);
  void CopySelection();
  void DispatchPluginCommand(WORD id);
  void ShowMailViewMenu(LPARAM screenPoint);
  struct MenuTour;
  // One tick of the tour under way: the next level opened, or the action
  // run once every level is open and painted.
  void StepMenuTour();
  void OpenNextMenuLevel(size_t openLevels);
  bool ShowOpenMenu(const std::vector<HWND>& open, std::string& error);
  void FinishMenuTour(bool ok, const std::string& error);
  POINT SelectionScreenPoint() const;

  PluginHost& plugins_;
  HWND window_ = nullptr;
  HWND mailView_ = nullptr;
  WNDPROC mailViewDefault_ = nullptr;
  std::map<int, HMENU> menus_;
  CommandDispatch lastDispatch_;
  int dispatchCount_ = 0;
  int copyRequests_ = 0;
  bool quitOnDestroy_ = false;
  MenuTour* tour_ = nullptr;  // the menu tour under way, owned by TourMenu
};

// Pumps the thread's messages for ms milliseconds (at least once).
void PumpMessages(DWORD ms);

// The visible top-level windows of this thread whose class is className.
std::vector<HWND> VisibleThreadWindows(const wchar_t* className);

// Menu type codes the host builds context menus for. The plug-in extends
// 3, 4, 11 and 12; 5 is one it leaves alone.
constexpr int kMenuTypes[] = {3, 4, 5, 11, 12};
// The type of the mail view's own right-click menu.
constexpr int kMailViewMenuType = 3;

}  // namespace kfhost
