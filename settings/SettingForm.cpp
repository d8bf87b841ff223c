#include "SettingForm.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ErrorBox.h"
#include "Path.h"
#include "SettingFormPrivate.h"
#include "SettingsResource.h"
#include "hh.h"

namespace kf {

const char kSettingFormCaption[] = "Kestrelfind Setting";

HINSTANCE SettingsModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&SettingsModule), &module);
  return module;
}

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

namespace {

const char kFormClass[] = "KestrelfindSettingForm";
const char kGeometrySection[] = "General";
const char kHelpTopic[] = "::/setting/engine.html#add";

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

TSettingForm* SettingForm = nullptr;
HHOOK KeyboardHook = nullptr;
bool ClassesRegistered = false;

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

}  // namespace

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
                              MinHeight(), nullptr, nullptr, SettingsModule(), this);
    if (!FHandle)
      throw Error("Unable to create the settings dialog.");
    SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon));
    SendMessageA(FHandle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FSmallIcon));

    FControls = CreateControls(FHandle, SettingsModule(), static_cast<HFONT>(FFont.Get()), FDpi);
    SendMessageA(Control(Panel2), STM_SETICON, reinterpret_cast<WPARAM>(FIcon), 0);
    HWND tree = Control(TreeView1);
    TreeView_SetImageList(tree, FImages, TVSIL_NORMAL);
    TreeView_SetIndent(tree, Scale(kTreeIndent, FDpi));
    FCheckList.Attach(Control(CheckListBox1), Scale(kItemHeight, FDpi));
    FCheckList.OnClickCheck = [this] { CheckListBox1ClickCheck(); };
    FCheckList.OnKeyUp = [this](UINT key) { CheckListBox1KeyUp(key); };
    CreateFolderCommands();
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
                               SettingsModule(), nullptr);
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
  FIcon = static_cast<HICON>(LoadImageA(SettingsModule(), MAKEINTRESOURCEA(IDI_KESTRELFIND), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  FSmallIcon = static_cast<HICON>(LoadImageA(SettingsModule(), MAKEINTRESOURCEA(IDI_KESTRELFIND), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  FImages = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0);
  HBITMAP strip = static_cast<HBITMAP>(
      LoadImageA(SettingsModule(), MAKEINTRESOURCEA(IDB_FOLDERS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
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
        case utf8RadioButton:
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
    case WM_TIMER:
      Timer1Timer();
      return 0;
    case WM_KF_KEYACTION:
      switch (wParam) {
        case kTreeKeyUp:
          TreeView1KeyUp(static_cast<UINT>(lParam));
          break;
        case kTreeMenu:
          ShowTreeMenuAtSelection();
          break;
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
  // A hidden window must not keep the pointer or a scrolling timer.
  EndDrag();
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
    RebuildAndSelectRoot();
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

void ShowSettingForm(const std::string& iniPath, const std::string& engineDir) {
  if (!SettingForm) {
    if (!ClassesRegistered) {
      INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
      InitCommonControlsEx(&controls);
      RegisterLayoutClasses(SettingsModule());
      WNDCLASSEXA form = {};
      form.cbSize = sizeof(form);
      form.lpfnWndProc = TSettingForm::WindowProc;
      form.hInstance = SettingsModule();
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
      UnregisterClassA(kFormClass, SettingsModule());
      UnregisterLayoutClasses(SettingsModule());
      ClassesRegistered = false;
    }
  } catch (...) {
  }
}

}  // namespace kf
