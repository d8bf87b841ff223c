#include "SettingForm.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "ErrorBox.h"
#include "FileSystem.h"
#include "HtmlHelp.h"
#include "KeyboardHook.h"
#include "Module.h"
#include "Path.h"
#include "PluginSettings.h"
#include "SettingFormPrivate.h"
#include "SettingTextIds.h"
#include "SettingsResource.h"
#include "UiText.h"
#include "WindowGeometry.h"
#include "WindowText.h"

namespace kf {

bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetCheck(HWND button, bool checked) {
  SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

namespace {

// A dialog's window: DefDlgProc answers what the form leaves alone, and
// keeps its state in the extra bytes.
const WindowClassInfo kFormClass = {kSettingFormClass, DefaultHandling::Dialog, IDC_ARROW};
const char kHelpTopic[] = "::/setting/engine.html#add";

// The help file of the current language beside the plug-in, or the
// English one where that language's file is missing.
std::string HelpFileOf(const std::string& iniPath) {
  const std::string dir = ExtractFilePath(iniPath);
  const std::string own = dir + UiText(IDS_HELP_FILE);
  return IsFile(own) ? own : dir + "Kestrelfind.chm";
}

}  // namespace

SettingForm::SettingForm(const std::string& iniPath, const std::string& rootDir)
    : iniPath_(iniPath), rootDir_(rootDir), helpFile_(HelpFileOf(iniPath)), dpi_(ScreenDpi()) {
  treeWidth_ = Scale(kDefaultTreeWidth, dpi_);
  CreateResources();
  // Shown, and placed where it was last, by Show.
  if (!Create(kFormClass, WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, nullptr,
              {0, 0, MinWidth(), MinHeight()}, nullptr, nullptr))
    throw Error(UiText(IDS_DIALOG_NOT_CREATED));
  SetWindowTextW(Hwnd(), UiTextWide(IDS_FORM_CAPTION).c_str());
  SendMessageA(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Get()));
  SendMessageA(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));

  controls_ = CreateControls(Hwnd(), static_cast<HFONT>(font_.Get()), dpi_);
  SendMessageA(Control(kAboutPanel), STM_SETICON, reinterpret_cast<WPARAM>(icon_.Get()), 0);
  const HWND tree = Control(kFolderTree);
  TreeView_SetImageList(tree, folderImages_.Get(), TVSIL_NORMAL);
  TreeView_SetIndent(tree, Scale(kTreeIndent, dpi_));
  TreeView_SetExtendedStyle(tree, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
  engineList_.Attach(Control(kEngineList), Scale(kItemHeight, dpi_));
  engineList_.OnClickCheck = [this] { OnEngineCheckToggled(); };
  engineList_.OnKeyUp = [this](UINT key) { OnEngineListKeyUp(key); };
  CreateFolderMenu();
  // Description files dropped from Explorer onto the tree or the list.
  DragAcceptFiles(Hwnd(), TRUE);
  WatchDragInput();
  // Nearly every site today takes UTF-8; a file without "encode" still
  // searches in Shift-JIS, as files written before have always done.
  CheckEncodingButton(kNewEngineEncoding);
  ShowMethod(false, std::string());
  SetCheck(Control(kPrivateCheck), IsPluginSettingOn(iniPath_, kPrivateSetting));
  SendMessageA(Control(kAccessKeyEdit), EM_LIMITTEXT, 1, 0);
  SendMessageA(Control(kRecentEdit), EM_LIMITTEXT, 1, 0);
  SetWindowLongA(Control(kRecentEdit), GWL_STYLE, GetWindowLongA(Control(kRecentEdit), GWL_STYLE) | ES_NUMBER);
  EnableWindow(Control(kAddButton), FALSE);
  EnableWindow(Control(kModifyButton), FALSE);
  CreateTooltips();

  // Laid out when it is shown, at the size it is shown in.
  EnsureStoreFolder(rootDir_);
  ReloadTree();
  // Selected now, the root lists its engines once; the tree then keeps
  // this selection when it first takes the focus.
  SelectRoot();
}

SettingForm::~SettingForm() {
  drag_.End();
  // Detached first: the messages of the destruction must not reach a form
  // that is going away.
  Destroy();
}

void SettingForm::CreateResources() {
  font_ = CreateDialogFont(dpi_);
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
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Hwnd(), nullptr, ThisModule(), nullptr);
  // The fields show their whole text; the box says what it offers.
  const std::string searchAllTip = UiText(IDS_SEARCH_ALL_TIP);
  const std::string browseTip = UiText(IDS_BROWSE_TIP);
  const struct {
    ControlId id;
    const char* text;
  } tools[] = {{kNameEdit, ""},
               {kUrlEdit, ""},
               {kBrowserEdit, ""},
               {kSearchAllCheck, searchAllTip.c_str()},
               {kBrowserButton, browseTip.c_str()}};
  for (const auto& t : tools) {
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(Control(t.id));
    tool.lpszText = const_cast<LPSTR>(t.text);
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void SettingForm::Layout() { LayoutControls(Hwnd(), controls_, dpi_, treeWidth_); }

void SettingForm::OnSplitterMoved(int wantedTreeWidth) {
  RECT panel;
  GetClientRect(Control(kBrowsePanel), &panel);
  const int most = std::max(0, static_cast<int>(panel.right) - Scale(2 + kMinSplitPane, dpi_));
  treeWidth_ = std::min(std::max(wantedTreeWidth, Scale(kMinSplitPane, dpi_)), most);
  Layout();
}

LRESULT SettingForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_GETMINMAXINFO) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = MinWidth();
    info->ptMinTrackSize.y = MinHeight();
    return 0;
  }
  // The form's own handling starts once its controls exist; until then, and
  // for everything it leaves alone, the window is a dialog: the dialog
  // manager moves the focus for Tab, the arrow keys and mnemonics.
  if (controls_.windows.empty())
    return DefaultHandling(msg, wParam, lParam);
  LRESULT result = 0;
  switch (msg) {
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED)
        Layout();
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == Control(kEngineList)) {
        ShowEngineMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      }
      break;
    case WM_DROPFILES:
      OnFilesDropped(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam));
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_COMMAND:
      OnCommand(static_cast<ControlId>(LOWORD(wParam)), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      if (OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result))
        return result;
      break;
    case WM_DRAWITEM:
      if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
        return TRUE;
      break;
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
      OnKeyAction(wParam, lParam);
      return 0;
    default:
      break;
  }
  return DefaultHandling(msg, wParam, lParam);
}

void SettingForm::OnActivate(WORD state) {
  if (state != WA_INACTIVE) {
    RestoreFocus();
    return;
  }
  const HWND focus = GetFocus();
  if (focus && IsChild(Hwnd(), focus))
    lastFocus_ = focus;
}

void SettingForm::RestoreFocus() {
  SetFocus(lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : Control(kFolderTree));
}

bool SettingForm::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != Control(kFolderTree))
    return false;
  result = OnTreeNotify(header);
  return true;
}

bool SettingForm::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.hwndItem == engineList_.Hwnd()) {
    engineList_.DrawItem(item);
    return true;
  }
  if (item.hwndItem == Control(kHomepageLink)) {
    homepageLink_.Draw(item, static_cast<HFONT>(font_.Get()), dpi_);
    return true;
  }
  return false;
}

void SettingForm::OnKeyAction(WPARAM action, LPARAM value) {
  switch (action) {
    case kTreeKeyUp:
      OnTreeKeyUp(static_cast<UINT>(value));
      break;
    case kTreeMenuKey:
      ShowFolderMenuAtSelection();
      break;
    case kPreviewKeyUp:
      OnPreviewKeyUp(static_cast<UINT>(value));
      break;
    case kPressButton: {
      const HWND button = Control(static_cast<ControlId>(value));
      if (IsWindowEnabled(button))
        SendMessageA(button, BM_CLICK, 0, 0);
      break;
    }
    default:
      break;
  }
}

void SettingForm::OnCommand(ControlId id, UINT code) {
  // Escape, from the dialog manager.
  if (id == IDCANCEL)
    return Close();
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
        {kGetRadio, &SettingForm::OnMethodClicked},
        {kPostRadio, &SettingForm::OnMethodClicked},
        {kTestButton, &SettingForm::OnTestClicked},
        {kBrowserButton, &SettingForm::OnBrowseClicked},
        {kOptionsButton, &SettingForm::OnOptionsClicked},
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
  } else if (code == EN_CHANGE && id == kBrowserEdit) {
    SetTooltip(kBrowserEdit, WindowText(Control(kBrowserEdit)));
  } else if (code == EN_CHANGE && id == kRecentEdit) {
    OnRecentChanged();
  } else if (code == LBN_SELCHANGE && id == kEngineList) {
    OnEngineSelected();
  }
}

// ---------------------------------------------------------------------------
// The form's life

void SettingForm::Show() {
  const bool firstShowing = !IsWindowVisible(Hwnd()) && lastFocus_ == nullptr;
  if (!IsWindowVisible(Hwnd())) {
    RestoreGeometry();
    ShowWindow(Hwnd(), SW_SHOW);
  }
  SetForegroundWindow(Hwnd());
  BringWindowToTop(Hwnd());
  if (firstShowing) {
    SetFocus(Control(kFolderTree));
    // The commands count on a selected folder.
    if (!TreeView_GetSelection(Control(kFolderTree)))
      SelectRoot();
  }
  // The dialog works without its keys too: a refused hook is told, and the
  // dialog stays.
  try {
    HookDialogKeyboard(Hwnd(), [this](MSG& msg) { PreviewMessage(msg); }, IDS_KEYBOARD_NOT_HOOKED);
  } catch (...) {
    ShowCurrentException(Hwnd());
  }
}

void SettingForm::RestoreGeometry() {
  if (!IsFile(helpFile_))
    EnableWindow(Control(kHelpButton), FALSE);
  ShowSearchAllSetting();
  ShowRecentSetting();

  RECT rc;
  GetWindowRect(Hwnd(), &rc);
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  const int left = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
  const int top = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
  const FormPlacement placement =
      ReadFormPlacement(iniPath_, {{left, top, left + MinWidth(), top + MinHeight()}, TreeWidthForLabels()},
                        {MinWidth(), MinHeight()});
  const RECT& r = placement.rect;
  // The tree's width first: a new size lays the form out once, with it.
  treeWidth_ = placement.treeWidth;
  const bool resized = r.right - r.left != width || r.bottom - r.top != height;
  SetWindowPos(Hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!resized)
    Layout();
}

void SettingForm::SaveGeometry() {
  FormPlacement placement = {};
  GetWindowRect(Hwnd(), &placement.rect);
  WINDOWPLACEMENT shown = {};
  shown.length = sizeof(shown);
  if (IsIconic(Hwnd()) && GetWindowPlacement(Hwnd(), &shown))
    placement.rect = shown.rcNormalPosition;
  RECT tree;
  GetWindowRect(Control(kFolderTree), &tree);
  placement.treeWidth = tree.right - tree.left;
  WriteFormPlacement(iniPath_, placement);
}

void SettingForm::Close() {
  // A hidden window must not keep the pointer, a scrolling timer or the
  // thread's keyboard.
  drag_.End();
  UnhookDialogKeyboard(Hwnd());
  try {
    SaveGeometry();
  } catch (...) {
    // The geometry is simply not kept; the dialog must still close, or a
    // read-only plug-in folder would keep it open for ever.
    ShowCurrentException(Hwnd());
  }
  const HWND focus = GetFocus();
  if (focus && IsChild(Hwnd(), focus))
    lastFocus_ = focus;
  ShowWindow(Hwnd(), SW_HIDE);
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
    ShowErrorBox(Hwnd(), UiText(IDS_NO_HELP_VIEWER));
    return;
  }
  htmlHelp(Hwnd(), (helpFile_ + kHelpTopic).c_str(), 0, 0);
}

void SettingForm::OnHomepageClicked() {
  const std::string address = WindowText(Control(kHomepageLink));
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOW);
}

// ---------------------------------------------------------------------------
// The one dialog of the library

namespace {

struct TheDialog {
  std::unique_ptr<SettingForm> form;
  // The library's hold on itself for as long as the dialog exists: a host
  // that frees the library without BKC_OnExit must not leave a window, a
  // hook or a window class behind that calls into code that is gone.
  Library hold;
};
TheDialog& gDialog = Resident<TheDialog>();

}  // namespace

void ShowSettingForm(const std::string& iniPath, const std::string& engineDir, EngineTester tester) {
  if (!gDialog.form) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    gDialog.form = std::make_unique<SettingForm>(iniPath, engineDir);
    if (!gDialog.hold)
      gDialog.hold = KeepThisModuleLoaded();
  }
  gDialog.form->SetEngineTester(std::move(tester));
  gDialog.form->Show();
}

void ReleaseSettingForm() noexcept {
  if (gDialog.form)
    UnhookDialogKeyboard(gDialog.form->Hwnd());
  gDialog.form.reset();
  // The host holds its own reference while it calls in here: this only
  // lets the library go when the host frees it.
  gDialog.hold.Close();
}

}  // namespace kf
