#include "SettingLayout.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "ErrorBox.h"
#include "UiText.h"
#include "WindowClass.h"
#include "Version.h"
#include "WindowText.h"

namespace kf {

namespace {

const char kPanelClass[] = "KestrelfindPanel";
const char kSplitterClass[] = "KestrelfindSplitter";

// Window extra bytes of a container.
constexpr int kPanelKindSlot = 0;
constexpr int kPanelFontSlot = sizeof(LONG_PTR);
constexpr int kPanelIconSlot = 2 * sizeof(LONG_PTR);
constexpr int kPanelExtraBytes = 3 * sizeof(LONG_PTR);

ControlKind PanelKind(HWND panel) {
  return static_cast<ControlKind>(GetWindowLongPtrA(panel, kPanelKindSlot));
}

void PaintGroupFrame(HWND panel, HDC dc, const RECT& client) {
  HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrA(panel, kPanelFontSlot));
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  const std::string caption = WindowText(panel);
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
  if (extent.cy == 0) {
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    extent.cy = metrics.tmHeight;
  }
  RECT frame = client;
  frame.top += extent.cy / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  if (!caption.empty()) {
    RECT textRect = {client.left + 6, client.top, client.left + 6 + extent.cx + 4, client.top + extent.cy};
    FillRect(dc, &textRect, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    textRect.left += 2;
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect, DT_SINGLELINE | DT_NOPREFIX);
  }
  if (oldFont)
    SelectObject(dc, oldFont);
}

// Images are drawn by their container, like any other windowless graphic.
void PaintImages(HWND panel, HDC dc) {
  HICON icon = reinterpret_cast<HICON>(GetWindowLongPtrA(panel, kPanelIconSlot));
  if (!icon)
    return;
  const int panelId = GetDlgCtrlID(panel);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  for (const ControlRow& row : kSettingLayout) {
    if (row.kind != ControlKind::Image || row.parent != panelId)
      continue;
    const int size = Scale(32, dpi);
    const int left = Scale(row.x, dpi) + (Scale(row.width, dpi) - size) / 2;
    const int top = Scale(row.y, dpi) + (Scale(row.height, dpi) - size) / 2;
    DrawIconEx(dc, left, top, icon, size, size, 0, nullptr, DI_NORMAL);
  }
}

// Answers WM_PAINT with draw(dc, client rectangle).
template <typename Draw>
void PaintClient(HWND hwnd, Draw draw) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  draw(dc, client);
  EndPaint(hwnd, &ps);
}

// Both window classes of the layout run their messages through here: no
// exception may unwind into the window manager.
template <LRESULT (*Handle)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK GuardedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    return Handle(hwnd, msg, wParam, lParam);
  } catch (...) {
    ShowCurrentException(GetAncestor(hwnd, GA_ROOT));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT PanelMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
      // Containers hand their children's notifications to the form.
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_DRAWITEM:
      case WM_MEASUREITEM:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_KF_SPLITTERMOVED:
        return SendMessageA(GetParent(hwnd), msg, wParam, lParam);
      case WM_NOTIFYFORMAT:
        return NFR_ANSI;
      case WM_SETFONT:
        SetWindowLongPtrA(hwnd, kPanelFontSlot, static_cast<LONG_PTR>(wParam));
        return 0;
      case WM_GETFONT:
        return GetWindowLongPtrA(hwnd, kPanelFontSlot);
      case STM_SETICON:
        SetWindowLongPtrA(hwnd, kPanelIconSlot, static_cast<LONG_PTR>(wParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      case WM_PAINT:
        PaintClient(hwnd, [hwnd](HDC dc, RECT& client) {
          if (PanelKind(hwnd) == ControlKind::BevelPanel)
            DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
          else if (PanelKind(hwnd) == ControlKind::GroupBox)
            PaintGroupFrame(hwnd, dc, client);
          PaintImages(hwnd, dc);
        });
        return 0;
      default:
        break;
    }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The splitter resizes the control docked left of it: it reports the wanted
// width and the form lays itself out again.
LRESULT SplitterMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
      case WM_LBUTTONDOWN:
        // Where in the splitter it was grabbed, so that it does not jump.
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, static_cast<short>(LOWORD(lParam)));
        SetCapture(hwnd);
        return 0;
      case WM_MOUSEMOVE:
        if (GetCapture() == hwnd) {
          POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
          MapWindowPoints(hwnd, GetParent(hwnd), &pt, 1);
          const int width = pt.x - static_cast<int>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
          SendMessageA(GetAncestor(hwnd, GA_ROOT), WM_KF_SPLITTERMOVED, static_cast<WPARAM>(std::max(width, 0)), 0);
        }
        return 0;
      case WM_LBUTTONUP:
        if (GetCapture() == hwnd)
          ReleaseCapture();
        return 0;
      case WM_PAINT:
        PaintClient(hwnd, [](HDC dc, RECT& client) {
          FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
          DrawEdge(dc, &client, BDR_RAISEDINNER, BF_LEFT | BF_RIGHT);
        });
        return 0;
      default:
        break;
    }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

struct ClassOfKind {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

ClassOfKind WindowClassOf(const ControlRow& row, const std::wstring& caption) {
  const bool hasMnemonic = caption.find(L'&') != std::wstring::npos;
  switch (row.kind) {
    case ControlKind::Label:
      return {"STATIC", static_cast<DWORD>(SS_LEFT | (hasMnemonic ? 0 : SS_NOPREFIX)), 0};
    case ControlKind::Link:
      return {"STATIC", SS_OWNERDRAW | SS_NOTIFY, 0};
    case ControlKind::Panel:
    case ControlKind::BevelPanel:
    case ControlKind::GroupBox:
      return {kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Tree:
      return {WC_TREEVIEWA,
              WS_TABSTOP | WS_GROUP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                  TVS_EDITLABELS,
              WS_EX_CLIENTEDGE};
    case ControlKind::Splitter:
      return {kSplitterClass, 0, 0};
    case ControlKind::CheckList:
      return {"LISTBOX",
              WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
              WS_EX_CLIENTEDGE};
    case ControlKind::Button:
      return {"BUTTON", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0};
    case ControlKind::Edit:
      return {"EDIT", WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Radio: {
      // One group per run of radio buttons, so that the arrow keys go round
      // it; the button keeps the tab stop on whichever of them is checked.
      const bool firstOfRun = &row == kSettingLayout || row.kind != (&row - 1)->kind;
      return {"BUTTON", static_cast<DWORD>(WS_TABSTOP | BS_AUTORADIOBUTTON | (firstOfRun ? WS_GROUP : 0)), 0};
    }
    case ControlKind::CheckBox:
      return {"BUTTON", WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0};
    case ControlKind::Image:
      return {nullptr, 0, 0};
  }
  return {nullptr, 0, 0};
}

SIZE CaptionSize(HWND hwnd, HFONT font, const std::wstring& text) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  RECT rc = {0, 0, 0, 0};
  const UINT prefix = text.find(L'&') != std::wstring::npos ? 0 : DT_NOPREFIX;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_CALCRECT | DT_SINGLELINE | prefix);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace

int LayoutIndex(ControlId id) {
  for (int i = 0; i < kSettingControlCount; ++i) {
    if (kSettingLayout[i].id == id)
      return i;
  }
  return -1;
}

HWND SettingControls::operator[](ControlId id) const {
  const int index = LayoutIndex(id);
  return index < 0 || static_cast<size_t>(index) >= windows.size() ? nullptr : windows[static_cast<size_t>(index)];
}

SettingControls CreateControls(HWND form, HINSTANCE instance, HFONT font, int dpi) {
  SettingControls controls;
  controls.windows.assign(kSettingControlCount, nullptr);
  std::vector<std::wstring> captions(kSettingControlCount);
  for (int i = 0; i < kSettingControlCount; ++i) {
    const ControlRow& row = kSettingLayout[i];
    std::wstring& caption = captions[static_cast<size_t>(i)];
    caption = row.text ? UiTextWide(row.text) : std::wstring();
    if (row.id == kProductLabel)
      caption += AnsiToWide(KF_VERSION_TEXT);
    const ClassOfKind cls = WindowClassOf(row, caption);
    if (!cls.className)
      continue;
    HWND parent = row.parent == kNoControl ? form : controls[row.parent];
    HWND hwnd = CreateWindowExA(cls.exStyle, cls.className, nullptr, WS_CHILD | WS_VISIBLE | cls.style,
                                Scale(row.x, dpi), Scale(row.y, dpi), Scale(row.width, dpi), Scale(row.height, dpi),
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
    if (!hwnd)
      throw Error("Unable to create the settings dialog's controls.");
    if (cls.className == kPanelClass)
      SetWindowLongPtrA(hwnd, kPanelKindSlot, static_cast<LONG_PTR>(row.kind));
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The wide text: the string table's own, whatever the ANSI code page.
    if (!caption.empty())
      SetWindowTextW(hwnd, caption.c_str());
    controls.windows[static_cast<size_t>(i)] = hwnd;
  }
  // Labels fit their captions; the font must be known first.
  for (int i = 0; i < kSettingControlCount; ++i) {
    const ControlRow& row = kSettingLayout[i];
    if (row.kind == ControlKind::Label && row.width == 0) {
      const SIZE size = CaptionSize(controls.windows[static_cast<size_t>(i)], font, captions[static_cast<size_t>(i)]);
      SetWindowPos(controls.windows[static_cast<size_t>(i)], nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  return controls;
}

void LayoutControls(HWND form, const SettingControls& controls, int dpi, int treeWidth) {
  std::vector<int> dockCursor(kSettingControlCount + 1, 0);
  for (int i = 0; i < kSettingControlCount; ++i) {
    const ControlRow& row = kSettingLayout[i];
    HWND hwnd = controls.windows[static_cast<size_t>(i)];
    if (!hwnd)
      continue;
    const int parentIndex = row.parent == kNoControl ? -1 : LayoutIndex(row.parent);
    HWND parent = parentIndex < 0 ? form : controls.windows[static_cast<size_t>(parentIndex)];
    RECT client;
    GetClientRect(parent, &client);
    const int parentWidth = client.right - client.left;
    const int parentHeight = client.bottom - client.top;
    const int designWidth = parentIndex < 0 ? kDesignClientWidth : kSettingLayout[parentIndex].width;
    const int designHeight = parentIndex < 0 ? kDesignClientHeight : kSettingLayout[parentIndex].height;

    int left = Scale(row.x, dpi);
    int top = Scale(row.y, dpi);
    int width = Scale(row.width, dpi);
    int height = Scale(row.height, dpi);
    if (row.kind == ControlKind::Label && row.width == 0) {
      RECT own;
      GetWindowRect(hwnd, &own);
      width = own.right - own.left;
      height = own.bottom - own.top;
    }

    int& cursor = dockCursor[static_cast<size_t>(parentIndex + 1)];
    if (row.dock == Dock::Left) {
      // The tree takes the width it is given, leaving room for the splitter.
      const int wanted = row.kind == ControlKind::Splitter ? width : treeWidth;
      left = cursor;
      width = std::max(0, std::min(wanted, parentWidth - cursor - (row.kind == ControlKind::Splitter ? 0 : Scale(2, dpi))));
      top = 0;
      height = parentHeight;
      cursor += width;
    } else if (row.dock == Dock::Fill) {
      left = cursor;
      width = std::max(0, parentWidth - cursor);
      top = 0;
      height = parentHeight;
    } else {
      const int dx = parentWidth - Scale(designWidth, dpi);
      const int dy = parentHeight - Scale(designHeight, dpi);
      if ((row.anchors & kAnchorLeft) && (row.anchors & kAnchorRight))
        width += dx;
      else if (row.anchors & kAnchorRight)
        left += dx;
      if ((row.anchors & kAnchorTop) && (row.anchors & kAnchorBottom))
        height += dy;
      else if (row.anchors & kAnchorBottom)
        top += dy;
      width = std::max(0, width);
      height = std::max(0, height);
    }
    SetWindowPos(hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(form, nullptr, TRUE);
}

void RegisterLayoutClasses(HINSTANCE instance) {
  RegisterWindowClass(instance, kPanelClass, GuardedProc<PanelMessage>, IDC_ARROW, kPanelExtraBytes);
  RegisterWindowClass(instance, kSplitterClass, GuardedProc<SplitterMessage>, IDC_SIZEWE, 0);
}

void UnregisterLayoutClasses(HINSTANCE instance) {
  UnregisterClassA(kPanelClass, instance);
  UnregisterClassA(kSplitterClass, instance);
}

}  // namespace kf
