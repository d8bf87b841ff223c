#include "SearchForWindow.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DialogFont.h"
#include "Error.h"
#include "ErrorBox.h"
#include "Handles.h"
#include "KeyboardHook.h"
#include "MenuCommands.h"
#include "Module.h"
#include "Path.h"
#include "PluginSettings.h"
#include "PluginState.h"
#include "RecentEngines.h"
#include "SearchAddress.h"
#include "SearchCommand.h"
#include "TextIds.h"
#include "UiText.h"
#include "WideText.h"
#include "Window.h"
#include "WindowText.h"
#include "WorkArea.h"

namespace kf {

namespace {

// A dialog's window: DefDlgProc gives the buttons their default and the
// focus its place when the window is activated again.
const WindowClassInfo kSearchForClass = {kSearchForWindowClass, DefaultHandling::Dialog, IDC_ARROW};

// The controls in creation order, which is the tab order; rectangles at 96
// DPI in the client area. Every control is a Unicode window, so that the
// words keep whatever the input method gives them, beyond the ANSI code
// page too.
struct ControlRow {
  int id;
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
  UINT text;  // 0 for none
  int x, y, width, height;
};

constexpr ControlRow kControls[] = {
    {kWordsLabel, L"STATIC", SS_LEFT, 0, IDS_SEARCH_FOR_WORDS_LABEL, 8, 12, 80, 16},
    {kWordsEdit, L"EDIT", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 0, 92, 8, 236, 22},
    {kEngineLabel, L"STATIC", SS_LEFT, 0, IDS_SEARCH_FOR_ENGINE_LABEL, 8, 41, 80, 16},
    // Its height is the open list's; the closed box takes the font's.
    {kEngineList, L"COMBOBOX", WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0, 92, 37, 236, 240},
    {IDOK, L"BUTTON", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 0, IDS_SEARCH_FOR_SEARCH_BUTTON, 172, 70, 75, 24},
    {IDCANCEL, L"BUTTON", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, IDS_SEARCH_FOR_CANCEL_BUTTON, 253, 70, 75, 24},
};
constexpr int kClientWidth = 336;
constexpr int kClientHeight = 102;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// How the list shows an engine: its folders and name, "Folder\Sub\Name".
std::wstring EngineLabel(const MenuEngine& engine) {
  return AnsiToWide(engine.folder.empty() ? engine.caption : engine.folder + "\\" + engine.caption);
}

class SearchForWindow : public Window {
 public:
  explicit SearchForWindow(HWND owner);
  ~SearchForWindow() override;

  HWND Owner() const { return owner_; }

  // Shows the window near the mouse pointer, in front, with words in the
  // box, all selected so that typing replaces them, and engines listed.
  void Show(const std::wstring& words, std::vector<MenuEngine> engines);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND Control(int id) const { return GetDlgItem(Hwnd(), id); }
  void CreateControls();
  void FillEngineList();
  int PreselectedEngine() const;
  void PlaceNearPointer();
  void PreviewMessage(MSG& msg);
  void OnSearchClicked();
  void Close();

  HWND owner_;
  int dpi_;
  GdiObject font_;
  std::vector<MenuEngine> engines_;  // as the list shows them
};

SearchForWindow::SearchForWindow(HWND owner) : owner_(owner), dpi_(ScreenDpi()), font_(CreateDialogFont(dpi_)) {
  RECT frame = {0, 0, Scale(kClientWidth, dpi_), Scale(kClientHeight, dpi_)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  // Placed near the pointer and shown by Show.
  if (!Create(kSearchForClass, kExStyle, kStyle, nullptr, {0, 0, frame.right - frame.left, frame.bottom - frame.top},
              owner, nullptr))
    throw Error(UiText(IDS_SEARCH_FOR_NOT_CREATED, {SystemMessage(GetLastError())}));
  SetWindowTextW(Hwnd(), UiTextWide(IDS_SEARCH_FOR_CAPTION).c_str());
  CreateControls();
}

SearchForWindow::~SearchForWindow() {
  UnhookDialogKeyboard(Hwnd());
  // Detached first: the messages of the destruction must not reach a window
  // that is going away.
  Destroy();
}

void SearchForWindow::CreateControls() {
  for (const ControlRow& row : kControls) {
    const std::wstring caption = row.text ? UiTextWide(row.text) : std::wstring();
    const HWND control =
        CreateWindowExW(row.exStyle, row.className, caption.c_str(), WS_CHILD | WS_VISIBLE | row.style,
                        Scale(row.x, dpi_), Scale(row.y, dpi_), Scale(row.width, dpi_), Scale(row.height, dpi_),
                        Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), ThisModule(), nullptr);
    if (!control)
      throw Error(UiText(IDS_SEARCH_FOR_NOT_CREATED, {SystemMessage(GetLastError())}));
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  }
  SendMessageW(Hwnd(), DM_SETDEFID, IDOK, 0);
}

void SearchForWindow::Show(const std::wstring& words, std::vector<MenuEngine> engines) {
  engines_ = std::move(engines);
  FillEngineList();
  SetWindowTextW(Control(kWordsEdit), words.c_str());
  PlaceNearPointer();
  ShowWindow(Hwnd(), SW_SHOW);
  SetForegroundWindow(Hwnd());
  // Through the dialog manager, which selects the whole text of an edit box
  // it gives the focus to.
  SendMessageW(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(kWordsEdit)), TRUE);
  SendMessageW(Control(kWordsEdit), EM_SETSEL, 0, -1);
  // The window works with the pointer without its keys: a refused hook is
  // told, and the window stays.
  try {
    HookDialogKeyboard(Hwnd(), [this](MSG& msg) { PreviewMessage(msg); }, IDS_SEARCH_FOR_KEYS_NOT_HOOKED);
  } catch (...) {
    ShowCurrentException(Hwnd());
  }
}

void SearchForWindow::FillEngineList() {
  const HWND list = Control(kEngineList);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const MenuEngine& engine : engines_)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(EngineLabel(engine).c_str()));
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(PreselectedEngine()), 0);
}

int SearchForWindow::PreselectedEngine() const {
  const std::string last = ReadPluginSetting(gPluginIniPath, kLastTypedEngineSetting);
  for (std::size_t i = 0; !last.empty() && i < engines_.size(); ++i) {
    if (SameTextIgnoringCase(PathBelowStore(gEngineDir, engines_[i].filePath), last))
      return static_cast<int>(i);
  }
  // The popup lists the engines used last first, the most recent at the top.
  return engines_.empty() ? -1 : 0;
}

void SearchForWindow::PlaceNearPointer() {
  RECT rect = {};
  GetWindowRect(Hwnd(), &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  POINT pointer = {};
  GetCursorPos(&pointer);
  // Where a context menu would open, wholly on the pointer's monitor.
  const RECT placed = MovedInto({pointer.x, pointer.y, pointer.x + width, pointer.y + height},
                                WorkAreaOf(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST)));
  SetWindowPos(Hwnd(), nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SearchForWindow::PreviewMessage(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
    return;
  // Characters are text for the control they are typed into, in whichever
  // form the host's loop took them from the queue: ANSI, where a
  // double-byte character may come as two messages, or Unicode. The dialog
  // manager would read them in one form only; the host's loop passes them
  // on as it took them. Alt with an ASCII letter is an access key.
  if (msg.message == WM_CHAR || msg.message == WM_DEADCHAR || msg.message == WM_SYSDEADCHAR ||
      (msg.message == WM_SYSCHAR && msg.wParam >= 0x80))
    return;
  // Tab, the access keys, Enter (Search, or the list's choice while it is
  // open), Escape (Cancel, or closing the open list).
  if (IsDialogMessageW(Hwnd(), &msg))
    msg.message = WM_NULL;
}

void SearchForWindow::OnSearchClicked() {
  const std::wstring words = WindowTextWide(Control(kWordsEdit));
  const LRESULT index = SendMessageW(Control(kEngineList), CB_GETCURSEL, 0, 0);
  if (words.empty() || index < 0 || static_cast<std::size_t>(index) >= engines_.size())
    return;
  // A copy: an error box's message loop lets the host pick the item again,
  // which refills the list.
  const std::string engineFile = engines_[static_cast<std::size_t>(index)].filePath;
  SelectionText text;
  text.ansi = WideToAnsi(words);
  text.unicode.assign(words.begin(), words.end());
  if (!SearchWithEngineFile(Hwnd(), engineFile, text))
    return;
  // Preselected next time. A convenience, as the recent list is: a refused
  // write costs only that.
  try {
    const std::string below = PathBelowStore(gEngineDir, engineFile);
    if (!below.empty())
      WritePluginSetting(gPluginIniPath, kLastTypedEngineSetting, below);
  } catch (...) {
  }
  Close();
}

void SearchForWindow::Close() {
  UnhookDialogKeyboard(Hwnd());
  ShowWindow(Hwnd(), SW_HIDE);
}

LRESULT SearchForWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnSearchClicked();
        return 0;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        Close();
        return 0;
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DESTROY:
      // Its owner went, and took it along.
      UnhookDialogKeyboard(Hwnd());
      break;
    default:
      break;
  }
  return DefaultHandling(msg, wParam, lParam);
}

// The one window of the library.
struct TheWindow {
  std::unique_ptr<SearchForWindow> window;
  // The library's hold on itself for as long as the window exists: a host
  // that frees the library without BKC_OnExit must not leave a window or a
  // hook behind that calls into code that is gone.
  Library hold;
};
TheWindow& gSearchFor = Resident<TheWindow>();

void RunSearchFor(HWND window) {
  const SelectionText selection = CaptureSelection(window);
  const std::wstring selected = !selection.unicode.empty()
                                    ? std::wstring(selection.unicode.begin(), selection.unicode.end())
                                    : AnsiToWide(selection.ansi);
  const std::u16string word = SearchedWord(std::u16string(selected.begin(), selected.end()), true);
  // Owned by the mail client's top-level window, so that it stays above it
  // and goes with it; a pick from another of its windows makes it anew.
  const HWND owner = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if (gSearchFor.window && (!gSearchFor.window->Hwnd() || gSearchFor.window->Owner() != owner))
    gSearchFor.window.reset();
  if (!gSearchFor.window) {
    gSearchFor.window = std::make_unique<SearchForWindow>(owner);
    if (!gSearchFor.hold)
      gSearchFor.hold = KeepThisModuleLoaded();
  }
  gSearchFor.window->Show(std::wstring(word.begin(), word.end()), gMenuCommands.PopupEngines());
}

}  // namespace

void WINAPI SearchForCommand(HWND window, LPARAM) {
  try {
    RunSearchFor(window);
  } catch (...) {
    ShowCurrentException(window);
  }
}

void ReleaseSearchForWindow() noexcept {
  gSearchFor.window.reset();
  // The host holds its own reference while it calls in here: this only lets
  // the library go when the host frees it.
  gSearchFor.hold.Close();
}

}  // namespace kf
