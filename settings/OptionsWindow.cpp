#include "OptionsWindow.h"

#include <memory>
#include <vector>

#include "AsciiText.h"
#include "BrowserCommand.h"
#include "Error.h"
#include "ErrorBox.h"
#include "FileDialogs.h"
#include "PluginSettings.h"
#include "Profile.h"
#include "SettingLayout.h"
#include "UiText.h"
#include "WideText.h"
#include "Window.h"
#include "WindowText.h"
#include "WorkArea.h"

namespace kf {

namespace {

const WindowClassInfo kOptionsClass = {kOptionsWindowClass, DefaultHandling::Dialog, IDC_ARROW};

// The client area the rows are designed against, at 96 DPI.
constexpr int kClientWidth = 360;
constexpr int kClientHeight = 135;

// clang-format off
constexpr ControlRow kOptionsLayout[] = {
  // id                 kind                   parent      x    y    w    h  anchors         dock        text                      buddy
  {kAllPrivateCheck,    ControlKind::CheckBox, kNoControl, 12,  12, 336,  17, kAnchorLeftTop, Dock::None, IDS_ALL_PRIVATE_CHECK,    kNoControl},
  {kAllBrowserLabel,    ControlKind::Label,    kNoControl, 12,  40,   0,   0, kAnchorLeftTop, Dock::None, IDS_ALL_BROWSER_LABEL,    kAllBrowserEdit},
  {kAllBrowserEdit,     ControlKind::Edit,     kNoControl, 12,  56, 306,  20, kAnchorLeftTop, Dock::None, 0,                        kNoControl},
  {kAllBrowserButton,   ControlKind::Button,   kNoControl, 322, 56,  26,  20, kAnchorLeftTop, Dock::None, IDS_BROWSE_BUTTON,        kNoControl},
  {kDefaultBrowserHint, ControlKind::Label,    kNoControl, 12,  80,   0,   0, kAnchorLeftTop, Dock::None, IDS_DEFAULT_BROWSER_HINT, kNoControl},
  {kOkButton,           ControlKind::Button,   kNoControl, 192, 100, 75,  23, kAnchorLeftTop, Dock::None, IDS_OK_BUTTON,            kNoControl},
  {kCancelButton,       ControlKind::Button,   kNoControl, 273, 100, 75,  23, kAnchorLeftTop, Dock::None, IDS_CANCEL_BUTTON,        kNoControl},
};
// clang-format on
constexpr int kOptionsControlCount = static_cast<int>(sizeof(kOptionsLayout) / sizeof(kOptionsLayout[0]));

class OptionsWindow : public Window {
 public:
  explicit OptionsWindow(const std::string& iniPath) : iniPath_(iniPath), dpi_(ScreenDpi()) {}
  ~OptionsWindow() override { Destroy(); }

  bool Run(HWND owner);

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  HWND Control(ControlId id) const;
  void Fill();
  void OnBrowseClicked();
  void OnOkClicked();

  std::string iniPath_;
  int dpi_;
  GdiObject font_;
  std::vector<HWND> controls_;
  std::vector<std::unique_ptr<Window>> ownWindows_;
  bool done_ = false;
  bool saved_ = false;
};

HWND OptionsWindow::Control(ControlId id) const {
  for (int i = 0; i < kOptionsControlCount; ++i) {
    if (kOptionsLayout[i].id == id)
      return controls_[static_cast<size_t>(i)];
  }
  return nullptr;
}

// Centred over owner, within the work area of owner's monitor.
RECT PlaceOver(HWND owner, SIZE size) {
  RECT over = {};
  GetWindowRect(owner, &over);
  const LONG left = over.left + (over.right - over.left - size.cx) / 2;
  const LONG top = over.top + (over.bottom - over.top - size.cy) / 2;
  return MovedInto({left, top, left + size.cx, top + size.cy},
                   WorkAreaOf(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)));
}

bool OptionsWindow::Run(HWND owner) {
  font_ = CreateDialogFont(dpi_);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT frame = {0, 0, Scale(kClientWidth, dpi_), Scale(kClientHeight, dpi_)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const RECT rect = PlaceOver(owner, {frame.right - frame.left, frame.bottom - frame.top});
  if (!Create(kOptionsClass, exStyle, style, nullptr, rect, owner, nullptr))
    throw Error(UiText(IDS_DIALOG_NOT_CREATED));
  SetWindowTextW(Hwnd(), UiTextWide(IDS_OPTIONS_CAPTION).c_str());
  controls_ = CreateRowControls(Hwnd(), kOptionsLayout, kOptionsControlCount, static_cast<HFONT>(font_.Get()), dpi_,
                                ownWindows_);
  SendMessageA(Hwnd(), DM_SETDEFID, IDOK, 0);
  Fill();

  // Modal the way a dialog box is: the owner takes no input meanwhile, and
  // this loop gives the window its keyboard (Tab, Enter, Escape, mnemonics).
  EnableWindow(owner, FALSE);
  ShowWindow(Hwnd(), SW_SHOW);
  SetFocus(Control(kAllPrivateCheck));
  MSG msg;
  while (!done_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // WM_QUIT belongs to the loop outside: handed back to it.
      if (got == 0)
        PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!Hwnd() || !IsDialogMessageW(Hwnd(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // The owner is enabled before this window goes, so that the activation
  // returns to it and not to another program's window.
  EnableWindow(owner, TRUE);
  Destroy();
  return saved_;
}

void OptionsWindow::Fill() {
  SendMessageA(Control(kAllPrivateCheck), BM_SETCHECK,
               IsPluginSettingOn(iniPath_, kPrivateSetting) ? BST_CHECKED : BST_UNCHECKED, 0);
  SetWindowTextA(Control(kAllBrowserEdit), ReadPluginSetting(iniPath_, kBrowserSetting).c_str());
}

void OptionsWindow::OnBrowseClicked() {
  std::string path(TrimSpaces(WindowText(Control(kAllBrowserEdit))));
  if (ChooseProgram(Hwnd(), path))
    SetWindowTextA(Control(kAllBrowserEdit), path.c_str());
}

void OptionsWindow::OnOkClicked() {
  const std::string browser(TrimSpaces(WindowText(Control(kAllBrowserEdit))));
  const std::string problem = BrowserPathProblem(browser);
  if (!problem.empty()) {
    ShowErrorBox(Hwnd(), problem);
    SetFocus(Control(kAllBrowserEdit));
    return;
  }
  const bool privateWindow = SendMessageA(Control(kAllPrivateCheck), BM_GETCHECK, 0, 0) == BST_CHECKED;
  try {
    // A setting at its default is no line in the file.
    const std::string on = "1";
    WriteProfileValue(iniPath_, kGeneralSection, kPrivateSetting, privateWindow ? &on : nullptr);
    WriteProfileValue(iniPath_, kGeneralSection, kBrowserSetting, browser.empty() ? nullptr : &browser);
  } catch (...) {
    ShowCurrentException(Hwnd());
    return;
  }
  saved_ = true;
  done_ = true;
}

LRESULT OptionsWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED)
        break;
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOkClicked();
          return 0;
        case IDCANCEL:  // the button, Escape and the close box
          done_ = true;
          return 0;
        case kAllBrowserButton:
          OnBrowseClicked();
          return 0;
      }
      break;
    case WM_DESTROY:
      // Gone with its owner: the loop must not wait for it.
      done_ = true;
      break;
  }
  return DefaultHandling(msg, wParam, lParam);
}

}  // namespace

std::string BrowserPathProblem(const std::string& path) {
  if (path.empty())
    return std::string();
  // A variable stands for a full path: the search expands it.
  if (path[0] == '%' || IsFullProgramPath(AnsiToWide(path)))
    return std::string();
  return UiText(IDS_BROWSER_PATH_NOT_FULL, {path});
}

bool ShowOptionsWindow(HWND owner, const std::string& iniPath) {
  OptionsWindow window(iniPath);
  return window.Run(owner);
}

}  // namespace kf
