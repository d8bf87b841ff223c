#include "SettingForm.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "ErrorBox.h"
#include "FileSystem.h"
#include "HtmlHelp.h"
#include "Module.h"
#include "Path.h"
#include "SettingFormPrivate.h"
#include "SettingsResource.h"
#include "TextIds.h"
#include "UiText.h"
#include "WindowClass.h"
#include "WindowText.h"

namespace kf {

bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetCheck(HWND button, bool checked) {
  SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

namespace {

const char kGeometrySection[] = "General";
const char kHelpTopic[] = "::/setting/engine.html#add";

// The help file of the current language beside the plug-in, or the
// English one where that language's file is missing.
std::string HelpFileOf(const std::string& iniPath) {
  const std::string dir = ExtractFilePath(iniPath);
  const std::string own = dir + UiText(IDS_HELP_FILE);
  return IsFile(own) ? own : dir + "Kestrelfind.chm";
}

// Integer value of the plug-in INI file, or fallback when the key is missing
// or not a number; negative positions are kept (a dialog may sit left of or
// above the primary monitor).
int ReadGeometry(const std::string& iniPath, const char* key, int fallback) {
  char buffer[64] = {};
  GetPrivateProfileStringA(kGeometrySection, key, "", buffer, ARRAYSIZE(buffer), iniPath.c_str());
  const char* start = buffer;
  while (*start == ' ' || *start == '\t')
    ++start;
  if (!*start)
    return fallback;
  char* end = nullptr;
  const long value = std::strtol(start, &end, 10);
  while (end && (*end == ' ' || *end == '\t'))
    ++end;
  if (!end || *end || end == start)
    return fallback;
  return static_cast<int>(value);
}

BOOL CALLBACK FindWorkAreaMeeting(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
  auto* wanted = reinterpret_cast<std::pair<RECT, bool>*>(param);
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  RECT common;
  if (GetMonitorInfoA(monitor, &info) && IntersectRect(&common, &info.rcWork, &wanted->first)) {
    wanted->second = true;
    return FALSE;
  }
  return TRUE;
}

// rect as it is when it meets the work area of a monitor; otherwise moved
// onto the nearest monitor's work area, its size kept where it fits. A
// position saved on a monitor that has gone, or edited by hand, must not
// open the dialog where nobody can see it.
RECT OntoAMonitor(const RECT& rect) {
  std::pair<RECT, bool> search(rect, false);
  EnumDisplayMonitors(nullptr, nullptr, FindWorkAreaMeeting, reinterpret_cast<LPARAM>(&search));
  if (search.second)
    return rect;
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info))
    return rect;
  const RECT& work = info.rcWork;
  const LONG width = std::min(rect.right - rect.left, work.right - work.left);
  const LONG height = std::min(rect.bottom - rect.top, work.bottom - work.top);
  const LONG left = std::max(work.left, std::min(rect.left, work.right - width));
  const LONG top = std::max(work.top, std::min(rect.top, work.bottom - height));
  return {left, top, left + width, top + height};
}

void WriteGeometry(const std::string& iniPath, const char* key, int value) {
  const std::string text = std::to_string(value);
  WriteProfileValue(iniPath, kGeometrySection, key, &text);
}

SettingForm* gSettingForm = nullptr;
HHOOK gKeyboardHook = nullptr;
bool gClassesRegistered = false;
// A reference to this library for as long as the dialog exists: a host that
// frees the library without BKC_OnExit must not leave a window, a hook or a
// window class behind that calls into code that is gone.
HMODULE gKeptLoaded = nullptr;

LRESULT CALLBACK KeyboardMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && gSettingForm) {
    try {
      gSettingForm->PreviewMessage(*reinterpret_cast<MSG*>(lParam));
    } catch (...) {
      ShowCurrentException(gSettingForm->Handle());
    }
  }
  return CallNextHookEx(gKeyboardHook, code, wParam, lParam);
}

}  // namespace

SettingForm::SettingForm(const std::string& iniPath, const std::string& rootDir)
    : iniPath_(iniPath), rootDir_(rootDir), helpFile_(HelpFileOf(iniPath)) {
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi_ <= 0)
    dpi_ = 96;
  treeWidth_ = Scale(kDefaultTreeWidth, dpi_);

  try {
    CreateResources();
    hwnd_ =
        CreateWindowExA(WS_EX_CONTROLPARENT, kSettingFormClass, nullptr, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, MinWidth(), MinHeight(), nullptr, nullptr, ThisModule(), this);
    if (!hwnd_)
      throw Error(UiText(IDS_DIALOG_NOT_CREATED));
    SetWindowTextW(hwnd_, UiTextWide(IDS_FORM_CAPTION).c_str());
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Get()));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));

    controls_ = CreateControls(hwnd_, ThisModule(), static_cast<HFONT>(font_.Get()), dpi_);
    SendMessageA(Control(kAboutPanel), STM_SETICON, reinterpret_cast<WPARAM>(icon_.Get()), 0);
    HWND tree = Control(kFolderTree);
    TreeView_SetImageList(tree, folderImages_.Get(), TVSIL_NORMAL);
    TreeView_SetIndent(tree, Scale(kTreeIndent, dpi_));
    SendMessageA(tree, TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
    engineList_.Attach(Control(kEngineList), Scale(kItemHeight, dpi_));
    engineList_.OnClickCheck = [this] { OnEngineCheckToggled(); };
    engineList_.OnKeyUp = [this](UINT key) { OnEngineListKeyUp(key); };
    CreateFolderMenu();
    WatchDragInput();
    CheckEncodingButton(kSjisRadio);
    SendMessageA(Control(kAccessKeyEdit), EM_LIMITTEXT, 1, 0);
    EnableWindow(Control(kAddButton), FALSE);
    EnableWindow(Control(kModifyButton), FALSE);
    CreateTooltips();

    Layout();
    // Made by its full path, as the menu makes it: the first engine must
    // have somewhere to go.
    if (!IsDirectory(rootDir_))
      CreateDirectoryA(rootDir_.c_str(), nullptr);
    ReloadTree();
    // Selected now, the root lists its engines once; the tree then keeps
    // this selection when it first takes the focus.
    SelectRoot();
  } catch (...) {
    ReleaseWindow();
    throw;
  }
}

SettingForm::~SettingForm() { ReleaseWindow(); }

void SettingForm::ReleaseWindow() {
  drag_.End();
  if (hwnd_) {
    // Detach first: the messages of the destruction must not reach a form
    // that is going away.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
}

void SettingForm::CreateResources() {
  // MS PGothic, given by its English name so that the face is found under
  // any code page; the platform substitutes where it is missing.
  font_.Attach(CreateFontA(-Scale(kFontHeight, dpi_), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                           "MS PGothic"));
  const auto loadIcon = [](int sizeX, int sizeY) {
    return static_cast<HICON>(LoadImageA(ThisModule(), MAKEINTRESOURCEA(IDI_KESTRELFIND), IMAGE_ICON,
                                         GetSystemMetrics(sizeX), GetSystemMetrics(sizeY), 0));
  };
  icon_.Attach(loadIcon(SM_CXICON, SM_CYICON));
  smallIcon_.Attach(loadIcon(SM_CXSMICON, SM_CYSMICON));
  folderImages_.Attach(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0));
  // The image list copies the pixels; the strip goes when this ends.
  const GdiObject strip(
      LoadImageA(ThisModule(), MAKEINTRESOURCEA(IDB_FOLDERS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (folderImages_ && strip)
    ImageList_AddMasked(folderImages_.Get(), static_cast<HBITMAP>(strip.Get()), RGB(255, 0, 255));
}

void SettingForm::CreateTooltips() {
  tooltip_ =
      CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, ThisModule(), nullptr);
  // The fields show their whole text; the box says what it offers.
  const std::string searchAllTip = UiText(IDS_SEARCH_ALL_TIP);
  const struct {
    ControlId id;
    const char* text;
  } tools[] = {{kNameEdit, ""}, {kUrlEdit, ""}, {kSearchAllCheck, searchAllTip.c_str()}};
  for (const auto& t : tools) {
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(t.id));
    tool.lpszText = const_cast<LPSTR>(t.text);
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void SettingForm::Layout() { LayoutControls(hwnd_, controls_, dpi_, treeWidth_); }

void SettingForm::OnSplitterMoved(int wantedTreeWidth) {
  RECT panel;
  GetClientRect(Control(kBrowsePanel), &panel);
  const int most = std::max(0, static_cast<int>(panel.right) - Scale(2 + kMinSplitPane, dpi_));
  treeWidth_ = std::min(std::max(wantedTreeWidth, Scale(kMinSplitPane, dpi_)), most);
  Layout();
}

LRESULT CALLBACK SettingForm::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<SettingForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  // The form's own handling starts once its controls exist; until then, and
  // for everything it leaves alone, the window is a dialog: the dialog
  // manager moves the focus for Tab, the arrow keys and mnemonics.
  if (form && msg == WM_GETMINMAXINFO) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = form->MinWidth();
    info->ptMinTrackSize.y = form->MinHeight();
    return 0;
  }
  if (!form || form->controls_.windows.empty())
    return DefDlgProcA(hwnd, msg, wParam, lParam);
  try {
    return form->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    ShowCurrentException(hwnd);
    return 0;
  }
}

LRESULT SettingForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED)
        Layout();
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus))
          lastFocus_ = focus;
      } else {
        SetFocus(lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : Control(kFolderTree));
      }
      return 0;
    case WM_SETFOCUS:
      SetFocus(lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : Control(kFolderTree));
      return 0;
    case WM_COMMAND:
      // Escape, from the dialog manager.
      if (LOWORD(wParam) == IDCANCEL) {
        Close();
        return 0;
      }
      OnCommand(static_cast<ControlId>(LOWORD(wParam)), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == Control(kFolderTree))
        return OnTreeNotify(*header);
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->hwndItem == engineList_.Hwnd()) {
        engineList_.DrawItem(*item);
        return TRUE;
      }
      if (item->hwndItem == Control(kHomepageLink)) {
        DrawHomepageLink(*item);
        return TRUE;
      }
      break;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Control(kHomepageLink)) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_KF_SPLITTERMOVED:
      OnSplitterMoved(static_cast<int>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == TreeDrag::kAutoScrollTimer) {
        OnAutoScrollTick();
        return 0;
      }
      break;
    case WM_KF_KEYACTION:
      switch (wParam) {
        case kTreeKeyUp:
          OnTreeKeyUp(static_cast<UINT>(lParam));
          break;
        case kTreeMenuKey:
          ShowFolderMenuAtSelection();
          break;
        case kPreviewKeyUp:
          OnPreviewKeyUp(static_cast<UINT>(lParam));
          break;
        case kPressButton:
          if (IsWindowEnabled(Control(static_cast<ControlId>(lParam))))
            SendMessageA(Control(static_cast<ControlId>(lParam)), BM_CLICK, 0, 0);
          break;
        default:
          break;
      }
      return 0;
    default:
      break;
  }
  return DefDlgProcA(hwnd_, msg, wParam, lParam);
}

void SettingForm::OnCommand(ControlId id, UINT code) {
  // BN_CLICKED and STN_CLICKED are both 0: the control tells them apart.
  if (code == BN_CLICKED) {
    struct Click {
      ControlId id;
      void (SettingForm::*handler)();
    };
    static constexpr Click kClicks[] = {
        {kFolderVisibilityButton, &SettingForm::OnFolderVisibilityClicked},
        {kDeleteEngineButton, &SettingForm::OnDeleteEngineClicked},
        {kHelpButton, &SettingForm::OnHelpClicked},
        {kCloseButton, &SettingForm::Close},
        {kAddButton, &SettingForm::OnAddClicked},
        {kModifyButton, &SettingForm::OnModifyClicked},
        {kClearButton, &SettingForm::OnClearClicked},
        {kHomepageLink, &SettingForm::OnHomepageClicked},
        {kSearchAllCheck, &SettingForm::OnSearchAllClicked},
    };
    for (const Click& click : kClicks) {
      if (click.id == id)
        return (this->*click.handler)();
    }
    for (const EncodingButton& button : kEncodingButtons) {
      if (button.id == id)
        return CheckEncodingButton(id);
    }
  } else if (code == EN_CHANGE && id == kNameEdit) {
    OnNameChanged();
  } else if (code == EN_CHANGE && id == kUrlEdit) {
    OnUrlChanged();
  } else if (code == LBN_SELCHANGE && id == kEngineList) {
    OnEngineSelected();
  }
}

// ---------------------------------------------------------------------------
// The form's life

void SettingForm::Show() {
  const bool firstShowing = !IsWindowVisible(hwnd_) && lastFocus_ == nullptr;
  if (!IsWindowVisible(hwnd_)) {
    RestoreGeometry();
    ShowWindow(hwnd_, SW_SHOW);
  }
  SetForegroundWindow(hwnd_);
  BringWindowToTop(hwnd_);
  if (firstShowing) {
    SetFocus(Control(kFolderTree));
    // The commands count on a selected folder.
    if (!TreeView_GetSelection(Control(kFolderTree)))
      SelectRoot();
  }
}

void SettingForm::RestoreGeometry() {
  if (!IsFile(helpFile_))
    EnableWindow(Control(kHelpButton), FALSE);
  ShowSearchAllSetting();

  RECT rc;
  GetWindowRect(hwnd_, &rc);
  int width = rc.right - rc.left;
  int height = rc.bottom - rc.top;
  const int left = ReadGeometry(iniPath_, "left", GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2);
  const int top = ReadGeometry(iniPath_, "top", GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2);
  width = std::max(ReadGeometry(iniPath_, "width", MinWidth()), MinWidth());
  height = std::max(ReadGeometry(iniPath_, "height", MinHeight()), MinHeight());
  const RECT visible = OntoAMonitor({left, top, left + width, top + height});
  SetWindowPos(hwnd_, nullptr, visible.left, visible.top, visible.right - visible.left, visible.bottom - visible.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  treeWidth_ = std::max(0, ReadGeometry(iniPath_, "FolderWidth", Scale(kDefaultTreeWidth, dpi_)));
  Layout();
}

void SettingForm::SaveGeometry() {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  RECT rc;
  GetWindowRect(hwnd_, &rc);
  if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement))
    rc = placement.rcNormalPosition;
  RECT tree;
  GetWindowRect(Control(kFolderTree), &tree);
  WriteGeometry(iniPath_, "left", rc.left);
  WriteGeometry(iniPath_, "top", rc.top);
  WriteGeometry(iniPath_, "width", rc.right - rc.left);
  WriteGeometry(iniPath_, "height", rc.bottom - rc.top);
  WriteGeometry(iniPath_, "FolderWidth", tree.right - tree.left);
}

void SettingForm::Close() {
  // A hidden window must not keep the pointer or a scrolling timer.
  drag_.End();
  try {
    SaveGeometry();
  } catch (...) {
    // The geometry is simply not kept; the dialog must still close, or a
    // read-only plug-in folder would keep it open for ever.
    ShowCurrentException(hwnd_);
  }
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus))
    lastFocus_ = focus;
  ShowWindow(hwnd_, SW_HIDE);
}

void SettingForm::OnPreviewKeyUp(UINT key) {
  if (key == VK_F1)
    OnHelpClicked();
  else if (key == VK_F5)
    RebuildAndSelectRoot();
}

void SettingForm::OnHelpClicked() {
  const HtmlHelpAnsiFn htmlHelp = BoundHtmlHelp();
  if (!htmlHelp) {
    ShowErrorBox(hwnd_, UiText(IDS_NO_HELP_VIEWER));
    return;
  }
  htmlHelp(hwnd_, (helpFile_ + kHelpTopic).c_str(), 0, 0);
}

// The underline is drawn by hand: a font's own underline may fall below a
// label only as tall as its text.
void SettingForm::DrawHomepageLink(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  const std::string text = WindowText(item.hwndItem);
  HGDIOBJ oldFont = SelectObject(dc, font_.Get());
  // The address is longer than the label is wide: narrow the letters rather
  // than cut the address off.
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  const int available = rc.right - rc.left;
  if (extent.cx > available && available > 0) {
    if (!linkFont_) {
      TEXTMETRICA metrics = {};
      GetTextMetricsA(dc, &metrics);
      const int narrow = std::max(1, static_cast<int>(metrics.tmAveCharWidth * available / extent.cx));
      linkFont_.Attach(CreateFontA(-Scale(kFontHeight, dpi_), narrow, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                   SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   VARIABLE_PITCH | FF_SWISS, "MS PGothic"));
    }
    if (linkFont_)
      SelectObject(dc, linkFont_.Get());
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 255));
  RECT textRect = rc;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_SINGLELINE | DT_NOPREFIX);
  const int y = std::min(textRect.bottom, rc.bottom) - 1;
  const int right = std::min(textRect.right, rc.right);
  const GdiObject pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 255)));
  HGDIOBJ oldPen = SelectObject(dc, pen.Get());
  MoveToEx(dc, rc.left, y, nullptr);
  LineTo(dc, right, y);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldFont);
}

void SettingForm::OnHomepageClicked() {
  const std::string address = WindowText(Control(kHomepageLink));
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOW);
}

// ---------------------------------------------------------------------------
// The one dialog of the library

void ShowSettingForm(const std::string& iniPath, const std::string& engineDir) {
  if (!gSettingForm) {
    if (!gClassesRegistered) {
      INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
      InitCommonControlsEx(&controls);
      RegisterLayoutClasses(ThisModule());
      // A dialog's window: DefDlgProc keeps its state in the extra bytes.
      RegisterWindowClass(ThisModule(), kSettingFormClass, SettingForm::WindowProc, IDC_ARROW, DLGWINDOWEXTRA);
      gClassesRegistered = true;
    }
    auto form = std::make_unique<SettingForm>(iniPath, engineDir);
    if (!gKeptLoaded)
      gKeptLoaded = KeepThisModuleLoaded();
    gSettingForm = form.release();
    // The host's message loop knows nothing of dialogs: this hook gives the
    // dialog its keyboard (Tab, mnemonics, Enter, Escape, F1, F5).
    gKeyboardHook = SetWindowsHookExA(WH_GETMESSAGE, KeyboardMessageHook, nullptr, GetCurrentThreadId());
  }
  gSettingForm->Show();
}

void ReleaseSettingForm() noexcept {
  try {
    if (gKeyboardHook) {
      UnhookWindowsHookEx(gKeyboardHook);
      gKeyboardHook = nullptr;
    }
    delete gSettingForm;
    gSettingForm = nullptr;
    if (gClassesRegistered) {
      UnregisterClassA(kSettingFormClass, ThisModule());
      UnregisterLayoutClasses(ThisModule());
      gClassesRegistered = false;
    }
    // The host holds its own reference while it calls in here: this only
    // lets the library go when the host frees it.
    if (gKeptLoaded) {
      FreeLibrary(gKeptLoaded);
      gKeptLoaded = nullptr;
    }
  } catch (...) {
  }
}

}  // namespace kf
