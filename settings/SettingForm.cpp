#include "SettingForm.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "CheckList.h"
#include "EngineStore.h"
#include "ErrorBox.h"
#include "Handles.h"
#include "Path.h"
#include "SettingLayout.h"
#include "SettingsResource.h"
#include "hh.h"

namespace kf {

const char kSettingFormCaption[] = "Kestrelfind Setting";

namespace {

const char kFormClass[] = "KestrelfindSettingForm";

// The library this code is linked into: its window classes and resources
// belong to it, not to the host's executable.
HINSTANCE PluginInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&PluginInstance), &module);
  return module;
}
const char kGeometrySection[] = "General";
const char kHelpTopic[] = "::/setting/engine.html#add";
const char kDeleteQuestion[] = "Delete selected item?";

// Image list indexes of the folder icons.
constexpr int kClosedFolder = 0;
constexpr int kOpenFolder = 1;
constexpr int kPaleClosedFolder = 2;
constexpr int kPaleOpenFolder = 3;

constexpr int kDefaultFolderWidth = 130;
constexpr int kTreeIndent = 19;
constexpr int kItemHeight = 12;
constexpr int kFontHeight = 12;
constexpr int kMinSplitPane = 8;

// Work the keyboard hook hands to the form (posted, so that it runs in the
// form's own dispatch and not inside somebody's GetMessage).
constexpr UINT WM_KF_KEYACTION = WM_APP + 102;
enum KeyAction : WPARAM {
  kKeyUp = 1,      // lParam: virtual key released (key preview)
  kEscape = 2,     // close as the close box does
  kMnemonic = 3,   // lParam: control id whose mnemonic was typed
  kPressButton = 4,  // lParam: control id of the focused push button
};

// The text of a window.
std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(hwnd, &text[0], length + 1)));
  return text;
}

bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetCheck(HWND button, bool checked) {
  SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The mnemonic character of a caption ("Close(&Q)" -> 'Q'), or 0.
char MnemonicOf(const char* caption) {
  for (const char* p = caption; *p; ++p) {
    if (IsDBCSLeadByteEx(932, static_cast<BYTE>(*p)) && p[1]) {
      ++p;
      continue;
    }
    if (*p == '&' && p[1] && p[1] != '&')
      return p[1];
  }
  return 0;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Integer value of the plug-in INI file, or fallback when the key is missing
// or not a number; negative positions are kept (a dialog may sit off screen).
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

void WriteGeometry(const std::string& iniPath, const char* key, int value) {
  // Read-only means unwritten, even where the profile layer would write anyway.
  const DWORD attr = GetFileAttributesA(iniPath.c_str());
  const bool readOnly = attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY);
  if (readOnly || !WritePrivateProfileStringA(kGeometrySection, key, std::to_string(value).c_str(), iniPath.c_str()))
    throw Error("Unable to write to " + iniPath);
}

class TSettingForm;
TSettingForm* SettingForm = nullptr;
HHOOK KeyboardHook = nullptr;
bool ClassesRegistered = false;

class TSettingForm {
 public:
  TSettingForm(const std::string& iniPath, const std::string& rootDir);
  ~TSettingForm();
  TSettingForm(const TSettingForm&) = delete;
  TSettingForm& operator=(const TSettingForm&) = delete;

  void Show();
  HWND Handle() const { return FHandle; }
  // Keyboard handling of a dialog, for the host's plain message loop; may
  // turn the message into WM_NULL.
  void PreviewMessage(MSG& msg);

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateResources();
  // Destroys the window and frees its images and icons; safe to repeat.
  void ReleaseWindow();
  void Layout();

  // Part of the form's life.
  void FormCreate();
  void FormShow();
  void FormClose();
  void FormKeyUp(UINT key);

  // Tree and list.
  void ReloadTree();
  void LoadFolders(const std::string& dir, HTREEITEM parent);
  void LoadEngines(const std::string& dir, std::vector<TData>& list);
  void ShowEngines(const std::vector<TData>& list);
  void SelectRoot();
  HTREEITEM AddFolderNode(HTREEITEM parent, TDataFolder& folder, bool hidden);
  TDataFolder* FolderOf(HTREEITEM item) const;
  TDataFolder* SelectedFolder() const;
  TData* SelectedEngine(TDataFolder** folder);
  void SetFolderImages(HTREEITEM item, bool hidden);
  void SetTreeReadOnly(bool readOnly);

  void TreeView1Change(HTREEITEM item);
  LRESULT TreeView1Notify(const NMHDR& header);
  void CheckListBox1Click();
  void CheckListBox1ClickCheck();
  void CheckListBox1KeyUp(UINT key);
  void FolderButtonClick();
  void HelpButtonClick();
  void Label7Click();
  void CloseButtonClick();
  void DrawLink(const DRAWITEMSTRUCT& item) const;

  // Engine editing.
  void EnableRule();
  void NameEditChange();
  void URLEditChange();
  void AddButtonClick();
  void ModifyButtonClick();
  void DeleteButtonClick();
  void ClearButtonClick();
  void RadioButtonClick(SettingControl id);
  std::string SelectedEncoding() const;
  void SetEditText(SettingControl id, const std::string& text);
  void SetTooltip(SettingControl id, const std::string& text);

  // Keyboard.
  void FocusNext(bool backwards);
  void RunMnemonic(SettingControl id);
  void MoveRadio();
  int RowOfFocus() const;
  bool IsTreeLabelEditor(HWND hwnd) const;

  HWND Control(SettingControl id) const { return FControls[id]; }
  int MinWidth() const { return Scale(kDesignWidth, FDpi); }
  int MinHeight() const { return Scale(kDesignHeight, FDpi); }

  std::string FIniPath;
  std::string FRootDir;
  std::string FHelpFile;
  std::vector<HTREEITEM> FFolderItems;
  // Owners of the folders behind FFolderItems, discarded at each rebuild.
  std::vector<std::unique_ptr<TDataFolder>> FFolders;
  int FDragX = 0;
  int FDragY = 0;
  bool FMouseMoved = false;
  bool FSkipEnter = false;

  int FDpi = 96;
  int FFolderWidth = 0;
  bool FTreeReadOnly = false;
  bool FReloading = false;
  HWND FLastFocus = nullptr;
  GdiObject FFont;
  mutable GdiObject FLinkFont;  // made when first drawn, if the address needs it
  HICON FIcon = nullptr;
  HICON FSmallIcon = nullptr;
  HIMAGELIST FImages = nullptr;
  HWND FTooltip = nullptr;
  SettingControls FControls;
  CheckList FCheckList;
  HWND FHandle = nullptr;
};

LRESULT CALLBACK KeyboardMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && SettingForm) {
    try {
      SettingForm->PreviewMessage(*reinterpret_cast<MSG*>(lParam));
    } catch (...) {
      ShowCurrentException(SettingForm->Handle());
    }
  }
  return CallNextHookEx(KeyboardHook, code, wParam, lParam);
}

TSettingForm::TSettingForm(const std::string& iniPath, const std::string& rootDir) {
  HDC screen = GetDC(nullptr);
  FDpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (FDpi <= 0)
    FDpi = 96;
  FFolderWidth = Scale(kDefaultFolderWidth, FDpi);

  try {
    CreateResources();
    FHandle = CreateWindowExA(WS_EX_CONTROLPARENT, kFormClass, kSettingFormCaption,
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, MinWidth(),
                              MinHeight(), nullptr, nullptr, PluginInstance(), this);
    if (!FHandle)
      throw Error("Unable to create the settings dialog.");
    SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
    SendMessageA(FHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FSmallIcon));

    FControls = CreateControls(FHandle, PluginInstance(), static_cast<HFONT>(FFont.Get()), FDpi);
    SendMessageA(Control(Panel2), STM_SETICON, reinterpret_cast<WPARAM>(FIcon), 0);
    HWND tree = Control(TreeView1);
    TreeView_SetImageList(tree, FImages, TVSIL_NORMAL);
    TreeView_SetIndent(tree, Scale(kTreeIndent, FDpi));
    FCheckList.Attach(Control(CheckListBox1), Scale(kItemHeight, FDpi));
    FCheckList.OnClickCheck = [this] { CheckListBox1ClickCheck(); };
    FCheckList.OnKeyUp = [this](UINT key) { CheckListBox1KeyUp(key); };
    SetCheck(Control(sjisRadioButton), true);
    // The full-width parentheses of the caption are Shift-JIS; the wide text
    // shows them whatever the process's code page.
    {
      const char* caption = kSettingLayout[LayoutIndex(sjisRadioButton)].caption;
      wchar_t wide[64] = {};
      MultiByteToWideChar(932, 0, caption, -1, wide, ARRAYSIZE(wide));
      SetWindowTextW(Control(sjisRadioButton), wide);
    }
    EnableWindow(Control(AddButton), FALSE);
    EnableWindow(Control(ModifyButton), FALSE);

    FTooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, FHandle, nullptr,
                               PluginInstance(), nullptr);
    for (SettingControl id : {NameEdit, URLEdit}) {
      TTTOOLINFOA tool = {};
      tool.cbSize = TTTOOLINFOA_V2_SIZE;
      tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      tool.hwnd = FHandle;
      tool.uId = reinterpret_cast<UINT_PTR>(Control(id));
      tool.lpszText = const_cast<LPSTR>("");
      SendMessageA(FTooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }

    Layout();
    FFolderItems.clear();
    FIniPath = iniPath;
    FRootDir = rootDir;
    ReloadTree();
    if (!FFolders.empty())
      ShowEngines(FFolders.front()->Engines);
    FormCreate();
  } catch (...) {
    ReleaseWindow();
    throw;
  }
}

TSettingForm::~TSettingForm() { ReleaseWindow(); }

void TSettingForm::ReleaseWindow() {
  if (FHandle) {
    // Detach first: the messages of the destruction must not reach a form
    // that is going away.
    SetWindowLongPtrA(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
    FHandle = nullptr;
  }
  if (FImages)
    ImageList_Destroy(FImages);
  if (FIcon)
    DestroyIcon(FIcon);
  if (FSmallIcon)
    DestroyIcon(FSmallIcon);
  FImages = nullptr;
  FIcon = nullptr;
  FSmallIcon = nullptr;
}

void TSettingForm::CreateResources() {
  // MS PGothic, given by its English name so that the face is found under
  // any code page; the platform substitutes where it is missing.
  FFont.Attach(CreateFontA(-Scale(kFontHeight, FDpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                           "MS PGothic"));
  FIcon = static_cast<HICON>(LoadImageA(PluginInstance(), MAKEINTRESOURCEA(IDI_KESTRELFIND), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  FSmallIcon = static_cast<HICON>(LoadImageA(PluginInstance(), MAKEINTRESOURCEA(IDI_KESTRELFIND), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  FImages = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0);
  HBITMAP strip = static_cast<HBITMAP>(
      LoadImageA(PluginInstance(), MAKEINTRESOURCEA(IDB_FOLDERS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (FImages && strip)
    ImageList_AddMasked(FImages, strip, RGB(255, 0, 255));
  // The image list copied the pixels.
  if (strip)
    DeleteObject(strip);
}

void TSettingForm::Layout() { LayoutControls(FHandle, FControls, FDpi, FFolderWidth); }

LRESULT CALLBACK TSettingForm::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<TSettingForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  // Before the controls exist the form has nothing of its own to do.
  if (!form || form->FControls.windows.empty()) {
    if (form && msg == WM_GETMINMAXINFO) {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = form->MinWidth();
      info->ptMinTrackSize.y = form->MinHeight();
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  try {
    return form->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    ShowCurrentException(hwnd);
    return 0;
  }
}

LRESULT TSettingForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = MinWidth();
      info->ptMinTrackSize.y = MinHeight();
      return 0;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED)
        Layout();
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(FHandle, focus))
          FLastFocus = focus;
      } else {
        SetFocus(FLastFocus && IsWindow(FLastFocus) ? FLastFocus : Control(TreeView1));
      }
      return 0;
    case WM_SETFOCUS:
      SetFocus(FLastFocus && IsWindow(FLastFocus) ? FLastFocus : Control(TreeView1));
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      switch (id) {
        case FolderButton:
          if (code == BN_CLICKED)
            FolderButtonClick();
          break;
        case DeleteButton:
          if (code == BN_CLICKED)
            DeleteButtonClick();
          break;
        case HelpButton:
          if (code == BN_CLICKED)
            HelpButtonClick();
          break;
        case CloseButton:
          if (code == BN_CLICKED)
            CloseButtonClick();
          break;
        case AddButton:
          if (code == BN_CLICKED)
            AddButtonClick();
          break;
        case ModifyButton:
          if (code == BN_CLICKED)
            ModifyButtonClick();
          break;
        case ClearButton:
          if (code == BN_CLICKED)
            ClearButtonClick();
          break;
        case sjisRadioButton:
        case eucRadioButton:
          if (code == BN_CLICKED)
            RadioButtonClick(static_cast<SettingControl>(id));
          break;
        case NameEdit:
          if (code == EN_CHANGE)
            NameEditChange();
          break;
        case URLEdit:
          if (code == EN_CHANGE)
            URLEditChange();
          break;
        case CheckListBox1:
          if (code == LBN_SELCHANGE)
            CheckListBox1Click();
          break;
        case Label7:
          if (code == STN_CLICKED)
            Label7Click();
          break;
        default:
          break;
      }
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == Control(TreeView1))
        return TreeView1Notify(*header);
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->hwndItem == FCheckList.Hwnd()) {
        FCheckList.DrawItem(*item);
        return TRUE;
      }
      if (item->hwndItem == Control(Label7)) {
        DrawLink(*item);
        return TRUE;
      }
      break;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == Control(Label7)) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_KF_SPLITTERMOVED: {
      RECT panel;
      GetClientRect(Control(Panel1), &panel);
      const int most = std::max(0, static_cast<int>(panel.right) - Scale(2 + kMinSplitPane, FDpi));
      FFolderWidth = std::min(std::max(static_cast<int>(wParam), Scale(kMinSplitPane, FDpi)), most);
      Layout();
      return 0;
    }
    case WM_KF_KEYACTION:
      switch (wParam) {
        case kKeyUp:
          FormKeyUp(static_cast<UINT>(lParam));
          break;
        case kEscape:
          FormClose();
          break;
        case kMnemonic:
          RunMnemonic(static_cast<SettingControl>(lParam));
          break;
        case kPressButton:
          if (IsWindowEnabled(Control(static_cast<SettingControl>(lParam))))
            SendMessageA(Control(static_cast<SettingControl>(lParam)), BM_CLICK, 0, 0);
          break;
        default:
          break;
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcA(FHandle, msg, wParam, lParam);
}

// ---------------------------------------------------------------------------
// The form's life

void TSettingForm::FormCreate() {
  FHelpFile = ExtractFilePath(FIniPath) + "Kestrelfind.chm";
  HWND tree = Control(TreeView1);
  SendMessageA(tree, TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
}

void TSettingForm::Show() {
  const bool firstShowing = !IsWindowVisible(FHandle) && FLastFocus == nullptr;
  if (!IsWindowVisible(FHandle)) {
    FormShow();
    ShowWindow(FHandle, SW_SHOW);
  }
  SetForegroundWindow(FHandle);
  BringWindowToTop(FHandle);
  if (firstShowing) {
    SetFocus(Control(TreeView1));
    // The tree selects its first node as it first takes the focus; make sure
    // of it, the commands count on a selected folder.
    if (!TreeView_GetSelection(Control(TreeView1)))
      SelectRoot();
  }
}

void TSettingForm::FormShow() {
  if (!IsFile(FHelpFile))
    EnableWindow(Control(HelpButton), FALSE);

  RECT rc;
  GetWindowRect(FHandle, &rc);
  int left = rc.left;
  int top = rc.top;
  int width = rc.right - rc.left;
  int height = rc.bottom - rc.top;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  left = ReadGeometry(FIniPath, "left", screenWidth / 2 - width / 2);
  top = ReadGeometry(FIniPath, "top", screenHeight / 2 - height / 2);
  width = std::max(ReadGeometry(FIniPath, "width", MinWidth()), MinWidth());
  height = std::max(ReadGeometry(FIniPath, "height", MinHeight()), MinHeight());
  SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  FFolderWidth = std::max(0, ReadGeometry(FIniPath, "FolderWidth", Scale(kDefaultFolderWidth, FDpi)));
  Layout();
}

void TSettingForm::FormClose() {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  RECT rc;
  GetWindowRect(FHandle, &rc);
  if (IsIconic(FHandle) && GetWindowPlacement(FHandle, &placement))
    rc = placement.rcNormalPosition;
  RECT tree;
  GetWindowRect(Control(TreeView1), &tree);
  try {
    WriteGeometry(FIniPath, "left", rc.left);
    WriteGeometry(FIniPath, "top", rc.top);
    WriteGeometry(FIniPath, "width", rc.right - rc.left);
    WriteGeometry(FIniPath, "height", rc.bottom - rc.top);
    WriteGeometry(FIniPath, "FolderWidth", tree.right - tree.left);
  } catch (...) {
    // The geometry is simply not kept; the dialog must still close, or a
    // read-only plug-in folder would keep it open for ever.
    ShowCurrentException(FHandle);
  }
  HWND focus = GetFocus();
  if (focus && IsChild(FHandle, focus))
    FLastFocus = focus;
  ShowWindow(FHandle, SW_HIDE);
}

void TSettingForm::FormKeyUp(UINT key) {
  if (key == VK_F1) {
    HelpButtonClick();
  } else if (key == VK_F5) {
    ReloadTree();
    FCheckList.Clear();
    SelectRoot();
  }
}

void TSettingForm::CloseButtonClick() { FormClose(); }

void TSettingForm::HelpButtonClick() {
  const HtmlHelpAFn htmlHelp = BoundHtmlHelp();
  if (!htmlHelp) {
    ShowErrorBox(FHandle, "The HTML Help viewer is not available.");
    return;
  }
  htmlHelp(FHandle, (FHelpFile + kHelpTopic).c_str(), 0, 0);
}

// The underline is drawn by hand: a font's own underline may fall below a
// label only as tall as its text.
void TSettingForm::DrawLink(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  const std::string text = WindowText(item.hwndItem);
  HGDIOBJ oldFont = SelectObject(dc, FFont.Get());
  // The address is longer than the label is wide: narrow the letters rather
  // than cut the address off.
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  const int available = rc.right - rc.left;
  if (extent.cx > available && available > 0) {
    if (!FLinkFont) {
      TEXTMETRICA metrics = {};
      GetTextMetricsA(dc, &metrics);
      const int narrow = std::max(1, static_cast<int>(metrics.tmAveCharWidth * available / extent.cx));
      FLinkFont.Attach(CreateFontA(-Scale(kFontHeight, FDpi), narrow, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                   SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   VARIABLE_PITCH | FF_SWISS, "MS PGothic"));
    }
    if (FLinkFont)
      SelectObject(dc, FLinkFont.Get());
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 255));
  RECT textRect = rc;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_SINGLELINE | DT_NOPREFIX);
  const int y = std::min(textRect.bottom, rc.bottom) - 1;
  const int right = std::min(textRect.right, rc.right);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, rc.left, y, nullptr);
  LineTo(dc, right, y);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  SelectObject(dc, oldFont);
}

void TSettingForm::Label7Click() {
  const std::string address = WindowText(Control(Label7));
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOW);
}

// ---------------------------------------------------------------------------
// Tree and list

TDataFolder* TSettingForm::FolderOf(HTREEITEM item) const {
  if (!item)
    return nullptr;
  TVITEMA tv = {};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  if (!SendMessageA(Control(TreeView1), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)))
    return nullptr;
  return reinterpret_cast<TDataFolder*>(tv.lParam);
}

TDataFolder* TSettingForm::SelectedFolder() const {
  return FolderOf(TreeView_GetSelection(Control(TreeView1)));
}

TData* TSettingForm::SelectedEngine(TDataFolder** folder) {
  const int index = FCheckList.Selected();
  TDataFolder* selected = SelectedFolder();
  if (folder)
    *folder = selected;
  if (index < 0 || !selected)
    return nullptr;
  return FindEngine(selected->Engines, FCheckList.Text(index));
}

HTREEITEM TSettingForm::AddFolderNode(HTREEITEM parent, TDataFolder& folder, bool hidden) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<LPSTR>(folder.Name.c_str());
  insert.item.lParam = reinterpret_cast<LPARAM>(&folder);
  insert.item.iImage = hidden ? kPaleClosedFolder : kClosedFolder;
  insert.item.iSelectedImage = hidden ? kPaleOpenFolder : kOpenFolder;
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageA(Control(TreeView1), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item)
    throw Error("Unable to add the folder " + folder.Name + " to the tree.");
  folder.ItemId = item;
  FFolderItems.push_back(item);
  return item;
}

void TSettingForm::SetFolderImages(HTREEITEM item, bool hidden) {
  TVITEMA tv = {};
  tv.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  tv.hItem = item;
  tv.iImage = hidden ? kPaleClosedFolder : kClosedFolder;
  tv.iSelectedImage = hidden ? kPaleOpenFolder : kOpenFolder;
  SendMessageA(Control(TreeView1), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void TSettingForm::SetTreeReadOnly(bool readOnly) {
  FTreeReadOnly = readOnly;
  HWND tree = Control(TreeView1);
  const LONG_PTR style = GetWindowLongPtrA(tree, GWL_STYLE);
  SetWindowLongPtrA(tree, GWL_STYLE, readOnly ? (style & ~TVS_EDITLABELS) : (style | TVS_EDITLABELS));
}

void TSettingForm::ReloadTree() {
  HWND tree = Control(TreeView1);
  // Deleting the nodes may report a selection change; the folders behind
  // them are about to go and must not be looked at.
  FReloading = true;
  struct ReloadingGuard {
    bool& flag;
    ~ReloadingGuard() { flag = false; }
  } guard{FReloading};

  TreeView_DeleteAllItems(tree);
  FFolderItems.clear();
  FFolders.clear();
  InvalidateRect(tree, nullptr, TRUE);

  FFolders.push_back(std::make_unique<TDataFolder>());
  TDataFolder& root = *FFolders.back();
  root.IsRoot = true;
  root.Name = "ROOT";
  root.Path = FRootDir;
  HTREEITEM rootItem = AddFolderNode(nullptr, root, false);
  LoadEngines(FRootDir, root.Engines);
  LoadFolders(FRootDir, rootItem);
  for (HTREEITEM item : FFolderItems)
    TreeView_Expand(tree, item, TVE_EXPAND);
}

void TSettingForm::LoadFolders(const std::string& dir, HTREEITEM parent) {
  try {
    for (const StoreEntry& entry : ListFolders(dir, true)) {
      FFolders.push_back(std::make_unique<TDataFolder>());
      TDataFolder& folder = *FFolders.back();
      folder.IsRoot = false;
      folder.Name = entry.name;
      folder.Path = JoinPath(dir, entry.name);
      HTREEITEM item = AddFolderNode(parent, folder, entry.IsHidden());
      LoadFolders(folder.Path, item);
      LoadEngines(folder.Path, folder.Engines);
    }
  } catch (...) {
    ShowCurrentException(FHandle);
  }
}

void TSettingForm::LoadEngines(const std::string& dir, std::vector<TData>& list) {
  kf::LoadEngines(dir, list, [this] { ShowCurrentException(FHandle); });
}

void TSettingForm::ShowEngines(const std::vector<TData>& list) {
  FCheckList.BeginUpdate();
  struct UpdateGuard {
    CheckList& list;
    ~UpdateGuard() { list.EndUpdate(); }
  } guard{FCheckList};
  FCheckList.Clear();
  for (const TData& engine : list)
    FCheckList.Add(ExtractEngineName(engine.FileName), (engine.Attr & FILE_ATTRIBUTE_HIDDEN) == 0);
  FCheckList.Select(-1);
}

void TSettingForm::SelectRoot() {
  if (!FFolderItems.empty())
    TreeView_SelectItem(Control(TreeView1), FFolderItems.front());
}

void TSettingForm::TreeView1Change(HTREEITEM item) {
  TDataFolder* folder = FolderOf(item);
  if (!folder)
    return;
  EnableWindow(Control(FolderButton), !folder->IsRoot);
  ShowEngines(folder->Engines);
  SetTreeReadOnly(folder->IsRoot);
  EnableRule();
}

LRESULT TSettingForm::TreeView1Notify(const NMHDR& header) {
  switch (header.code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      if (!FReloading)
        TreeView1Change(reinterpret_cast<const NMTREEVIEWA&>(header).itemNew.hItem);
      return 0;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      const HTREEITEM item = reinterpret_cast<const NMTVDISPINFOA&>(header).item.hItem;
      const TDataFolder* folder = FolderOf(item);
      if (FTreeReadOnly || !folder || folder->IsRoot) {
        FSkipEnter = true;
        return TRUE;
      }
      return FALSE;
    }
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW:
      // Folders are not renamed here: the node keeps its text.
      return FALSE;
    case NM_RCLICK: {
      // A right click selects the node under the pointer.
      TVHITTESTINFO hit = {};
      GetCursorPos(&hit.pt);
      ScreenToClient(header.hwndFrom, &hit.pt);
      const HTREEITEM item = TreeView_HitTest(header.hwndFrom, &hit);
      if (item && (hit.flags & TVHT_ONITEM))
        TreeView_SelectItem(header.hwndFrom, item);
      return 0;
    }
    default:
      return 0;
  }
}

void TSettingForm::CheckListBox1Click() {
  TData* engine = SelectedEngine(nullptr);
  if (!engine)
    return;
  // Copies: the change handlers below must not see a moving record.
  const std::string name = ExtractEngineName(engine->FileName);
  const std::string url = engine->URL;
  const bool sjis = engine->Encode == "sjis";
  SetEditText(NameEdit, name);
  SetEditText(URLEdit, url);
  SetCheck(Control(sjisRadioButton), sjis);
  SetCheck(Control(eucRadioButton), !sjis);
}

void TSettingForm::CheckListBox1ClickCheck() {
  TDataFolder* folder = nullptr;
  TData* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  try {
    SetEngineVisible(*folder, *engine, FCheckList.Checked(FCheckList.Selected()));
  } catch (...) {
    ShowCurrentException(FHandle);
  }
}

void TSettingForm::CheckListBox1KeyUp(UINT key) {
  if (key == VK_DELETE)
    DeleteButtonClick();
}

void TSettingForm::FolderButtonClick() {
  TDataFolder* folder = SelectedFolder();
  if (!folder || folder->IsRoot)
    return;
  try {
    SetFolderImages(folder->ItemId, ToggleFolderVisibility(*folder));
  } catch (...) {
    ShowCurrentException(FHandle);
  }
}

// ---------------------------------------------------------------------------
// Engine editing

void TSettingForm::EnableRule() {
  const std::string name = WindowText(Control(NameEdit));
  const std::string url = WindowText(Control(URLEdit));
  bool add = false;
  bool modify = false;
  if (!name.empty() && !url.empty()) {
    const bool listed = FCheckList.IndexOfIgnoreCase(name) >= 0;
    add = !listed;
    modify = listed;
  }
  EnableWindow(Control(AddButton), add);
  EnableWindow(Control(ModifyButton), modify);
}

void TSettingForm::SetEditText(SettingControl id, const std::string& text) {
  // Setting the text it already has changes nothing and runs no handler.
  if (WindowText(Control(id)) != text)
    SetWindowTextA(Control(id), text.c_str());
}

void TSettingForm::SetTooltip(SettingControl id, const std::string& text) {
  TTTOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = FHandle;
  tool.uId = reinterpret_cast<UINT_PTR>(Control(id));
  tool.lpszText = const_cast<LPSTR>(text.c_str());
  SendMessageA(FTooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TSettingForm::NameEditChange() {
  SetTooltip(NameEdit, WindowText(Control(NameEdit)));
  EnableRule();
}

void TSettingForm::URLEditChange() {
  SetTooltip(URLEdit, WindowText(Control(URLEdit)));
  EnableRule();
}

std::string TSettingForm::SelectedEncoding() const {
  return IsChecked(Control(sjisRadioButton)) ? "sjis" : "euc";
}

void TSettingForm::RadioButtonClick(SettingControl id) {
  SetCheck(Control(sjisRadioButton), id == sjisRadioButton);
  SetCheck(Control(eucRadioButton), id == eucRadioButton);
}

void TSettingForm::AddButtonClick() {
  TDataFolder* folder = SelectedFolder();
  if (!folder)
    return;
  const std::string name = WindowText(Control(NameEdit));
  const std::string url = WindowText(Control(URLEdit));
  try {
    if (!CreateEngine(*folder, name, url, SelectedEncoding()))
      return;
    folder->Engines.clear();
    LoadEngines(folder->Path, folder->Engines);
    ShowEngines(folder->Engines);
    const int index = FCheckList.IndexOfIgnoreCase(name);
    // A name leading into a subfolder wrote its file there: it is not listed.
    if (index < 0)
      throw Error("List index out of bounds (-1)");
    FCheckList.Select(index);
  } catch (...) {
    ShowCurrentException(FHandle);
  }
}

void TSettingForm::ModifyButtonClick() {
  TDataFolder* folder = nullptr;
  TData* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  try {
    ModifyEngine(*folder, *engine, WindowText(Control(NameEdit)), WindowText(Control(URLEdit)), SelectedEncoding());
  } catch (...) {
    ShowCurrentException(FHandle);
  }
  folder->Engines.clear();
  LoadEngines(folder->Path, folder->Engines);
  ShowEngines(folder->Engines);
}

void TSettingForm::DeleteButtonClick() {
  if (FCheckList.Selected() < 0 || !SelectedFolder())
    return;
  if (!Confirm(FHandle, kDeleteQuestion))
    return;
  // The question box may have let anything happen meanwhile: look again.
  TDataFolder* folder = nullptr;
  TData* engine = SelectedEngine(&folder);
  if (!engine)
    return;
  DeleteEngine(*folder, *engine);
  folder->Engines.erase(folder->Engines.begin() + (engine - folder->Engines.data()));
  ShowEngines(folder->Engines);
}

void TSettingForm::ClearButtonClick() {
  SetEditText(NameEdit, std::string());
  SetEditText(URLEdit, std::string());
  SetCheck(Control(sjisRadioButton), true);
  SetCheck(Control(eucRadioButton), false);
}

// ---------------------------------------------------------------------------
// Keyboard: what IsDialogMessage would do, had the host's loop called it.

int TSettingForm::RowOfFocus() const {
  HWND focus = GetFocus();
  for (HWND h = focus; h && h != FHandle; h = GetParent(h)) {
    for (int i = 0; i < kSettingControlCount; ++i) {
      if (FControls.windows[static_cast<size_t>(i)] == h)
        return i;
    }
  }
  return -1;
}

bool TSettingForm::IsTreeLabelEditor(HWND hwnd) const {
  return hwnd && GetParent(hwnd) == Control(TreeView1);
}

void TSettingForm::FocusNext(bool backwards) {
  const auto takesFocus = [this](int i) {
    const ControlRow& row = kSettingLayout[i];
    HWND hwnd = FControls.windows[static_cast<size_t>(i)];
    if (!hwnd || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd))
      return false;
    if (!(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_TABSTOP))
      return false;
    // Of a pair of radio buttons only the checked one is a tab stop.
    return row.kind != ControlKind::Radio || IsChecked(hwnd);
  };
  const int count = kSettingControlCount;
  int current = RowOfFocus();
  for (int step = 1; step <= count; ++step) {
    int i = current < 0 ? (backwards ? count - step : step - 1)
                        : (current + (backwards ? count - step : step)) % count;
    if (takesFocus(i)) {
      HWND target = FControls.windows[static_cast<size_t>(i)];
      SetFocus(target);
      if (kSettingLayout[i].kind == ControlKind::Edit)
        SendMessageA(target, EM_SETSEL, 0, -1);
      return;
    }
  }
}

void TSettingForm::RunMnemonic(SettingControl id) {
  const int index = LayoutIndex(id);
  if (index < 0)
    return;
  const ControlRow& row = kSettingLayout[index];
  HWND hwnd = Control(id);
  switch (row.kind) {
    case ControlKind::Label:
      if (row.buddy != kNoControl && IsWindowEnabled(Control(row.buddy))) {
        SetFocus(Control(row.buddy));
        SendMessageA(Control(row.buddy), EM_SETSEL, 0, -1);
      }
      break;
    case ControlKind::Button:
      if (IsWindowEnabled(hwnd))
        SendMessageA(hwnd, BM_CLICK, 0, 0);
      break;
    case ControlKind::Radio:
      if (IsWindowEnabled(hwnd)) {
        SetFocus(hwnd);
        SendMessageA(hwnd, BM_CLICK, 0, 0);
      }
      break;
    default:
      break;
  }
}

void TSettingForm::MoveRadio() {
  const int row = RowOfFocus();
  if (row < 0 || kSettingLayout[row].kind != ControlKind::Radio)
    return;
  const SettingControl other = kSettingLayout[row].id == sjisRadioButton ? eucRadioButton : sjisRadioButton;
  SetFocus(Control(other));
  RadioButtonClick(other);
}

void TSettingForm::PreviewMessage(MSG& msg) {
  if (!msg.hwnd || (msg.hwnd != FHandle && !IsChild(FHandle, msg.hwnd)))
    return;
  const bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
  const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  const int focusRow = RowOfFocus();
  const ControlKind focusKind = focusRow < 0 ? ControlKind::Panel : kSettingLayout[focusRow].kind;
  switch (msg.message) {
    case WM_KEYDOWN:
      switch (msg.wParam) {
        case VK_TAB:
          if (alt || ctrl)
            return;
          FocusNext((GetKeyState(VK_SHIFT) & 0x8000) != 0);
          msg.message = WM_NULL;
          return;
        case VK_ESCAPE:
          // A label being edited in the tree takes Escape as "cancel the edit".
          if (IsTreeLabelEditor(msg.hwnd))
            return;
          PostMessageA(FHandle, WM_KF_KEYACTION, kEscape, 0);
          msg.message = WM_NULL;
          return;
        case VK_RETURN:
          if (IsTreeLabelEditor(msg.hwnd))
            return;
          if (focusKind == ControlKind::Button) {
            PostMessageA(FHandle, WM_KF_KEYACTION, kPressButton, kSettingLayout[focusRow].id);
            msg.message = WM_NULL;
          } else if (focusKind == ControlKind::Edit || focusKind == ControlKind::Radio) {
            // A single-line edit would only beep.
            msg.message = WM_NULL;
          }
          return;
        case VK_UP:
        case VK_DOWN:
        case VK_LEFT:
        case VK_RIGHT:
          if (focusKind == ControlKind::Radio) {
            MoveRadio();
            msg.message = WM_NULL;
          }
          return;
        default:
          return;
      }
    case WM_KEYUP:
      // Key preview: the form sees F1 and F5 whichever control has the focus.
      if (msg.wParam == VK_F1 || msg.wParam == VK_F5)
        PostMessageA(FHandle, WM_KF_KEYACTION, kKeyUp, static_cast<LPARAM>(msg.wParam));
      return;
    case WM_SYSCHAR: {
      const char typed = UpperAscii(static_cast<char>(msg.wParam));
      for (const ControlRow& row : kSettingLayout) {
        const char mnemonic = UpperAscii(MnemonicOf(row.caption));
        if (mnemonic && mnemonic == typed) {
          PostMessageA(FHandle, WM_KF_KEYACTION, kMnemonic, row.id);
          msg.message = WM_NULL;
          return;
        }
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace

void ShowSettingForm(const std::string& iniPath, const std::string& engineDir) {
  if (!SettingForm) {
    if (!ClassesRegistered) {
      INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
      InitCommonControlsEx(&controls);
      RegisterLayoutClasses(PluginInstance());
      WNDCLASSEXA form = {};
      form.cbSize = sizeof(form);
      form.lpfnWndProc = TSettingForm::WindowProc;
      form.hInstance = PluginInstance();
      form.hCursor = LoadCursor(nullptr, IDC_ARROW);
      form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      form.lpszClassName = kFormClass;
      if (!RegisterClassExA(&form) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Error("Unable to register the settings dialog's window class.");
      ClassesRegistered = true;
    }
    auto form = std::make_unique<TSettingForm>(iniPath, engineDir);
    SettingForm = form.release();
    // The host's message loop knows nothing of dialogs: this hook gives the
    // dialog its keyboard (Tab, mnemonics, Enter, Escape, F1, F5).
    KeyboardHook = SetWindowsHookExA(WH_GETMESSAGE, KeyboardMessageHook, nullptr, GetCurrentThreadId());
  }
  SettingForm->Show();
}

void ReleaseSettingForm() noexcept {
  try {
    if (KeyboardHook) {
      UnhookWindowsHookEx(KeyboardHook);
      KeyboardHook = nullptr;
    }
    delete SettingForm;
    SettingForm = nullptr;
    if (ClassesRegistered) {
      UnregisterClassA(kFormClass, PluginInstance());
      UnregisterLayoutClasses(PluginInstance());
      ClassesRegistered = false;
    }
  } catch (...) {
  }
}

}  // namespace kf
