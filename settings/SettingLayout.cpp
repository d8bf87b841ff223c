#include "SettingLayout.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "Error.h"
#include "Module.h"
#include "Panel.h"
#include "Splitter.h"
#include "UiText.h"
#include "Version.h"
#include "WideText.h"

namespace kf {

namespace {

struct ClassOfKind {
  const char* className;  // null: a window of the dialog's own, or none at all
  DWORD style;
  DWORD exStyle;
};

// firstOfRun: the row starts a run of rows of its kind.
ClassOfKind SystemClassOf(const ControlRow& row, const std::wstring& caption, bool firstOfRun) {
  const bool hasMnemonic = caption.find(L'&') != std::wstring::npos;
  switch (row.kind) {
    case ControlKind::Label:
      return {"STATIC", static_cast<DWORD>(SS_LEFT | (hasMnemonic ? 0 : SS_NOPREFIX)), 0};
    case ControlKind::Link:
      return {"STATIC", SS_OWNERDRAW | SS_NOTIFY, 0};
    case ControlKind::Tree:
      return {WC_TREEVIEWA,
              WS_TABSTOP | WS_GROUP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                  TVS_EDITLABELS,
              WS_EX_CLIENTEDGE};
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
      return {"BUTTON", static_cast<DWORD>(WS_TABSTOP | BS_AUTORADIOBUTTON | (firstOfRun ? WS_GROUP : 0)), 0};
    }
    case ControlKind::CheckBox:
      return {"BUTTON", WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0};
    case ControlKind::Panel:
    case ControlKind::BevelPanel:
    case ControlKind::GroupBox:
    case ControlKind::Splitter:
    case ControlKind::Image:
      break;
  }
  return {nullptr, 0, 0};
}

RECT DesignRect(const ControlRow& row, int dpi) {
  const int left = Scale(row.x, dpi);
  const int top = Scale(row.y, dpi);
  return {left, top, left + Scale(row.width, dpi), top + Scale(row.height, dpi)};
}

// One control of the table; null for an image, which its container draws.
// A window of the dialog's own class goes to ownWindows.
HWND CreateControl(const ControlRow& row, bool firstOfRun, HWND parent, const std::wstring& caption, int dpi,
                   std::vector<std::unique_ptr<Window>>& ownWindows) {
  const RECT rect = DesignRect(row, dpi);
  const DWORD style = WS_CHILD | WS_VISIBLE;
  if (row.kind == ControlKind::Panel || row.kind == ControlKind::BevelPanel || row.kind == ControlKind::GroupBox) {
    auto panel = std::make_unique<Panel>(row.kind);
    if (!panel->Create(parent, row.id, rect, style))
      return nullptr;
    ownWindows.push_back(std::move(panel));
    return ownWindows.back()->Hwnd();
  }
  if (row.kind == ControlKind::Splitter) {
    auto splitter = std::make_unique<Splitter>();
    if (!splitter->Create(parent, row.id, rect, style))
      return nullptr;
    ownWindows.push_back(std::move(splitter));
    return ownWindows.back()->Hwnd();
  }
  const ClassOfKind cls = SystemClassOf(row, caption, firstOfRun);
  if (!cls.className)
    return nullptr;
  return CreateWindowExA(cls.exStyle, cls.className, nullptr, style | cls.style, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), ThisModule(), nullptr);
}

SIZE CaptionSize(HWND hwnd, HFONT font, const std::wstring& text) {
  const ClientDC dc(hwnd);
  const SelectedObject selected(dc.Get(), font);
  RECT rc = {0, 0, 0, 0};
  const UINT prefix = text.find(L'&') != std::wstring::npos ? 0 : DT_NOPREFIX;
  DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &rc, DT_CALCRECT | DT_SINGLELINE | prefix);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

// The caption of a row: its string in the current language (the wide text,
// the string table's own, whatever the ANSI code page).
std::wstring CaptionOf(const ControlRow& row) {
  std::wstring caption = row.text ? UiTextWide(row.text) : std::wstring();
  if (row.id == kProductLabel)
    caption += AnsiToWide(KF_VERSION_TEXT);
  return caption;
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

std::vector<HWND> CreateRowControls(HWND form, const ControlRow* rows, int count, HFONT font, int dpi,
                                    std::vector<std::unique_ptr<Window>>& ownWindows) {
  std::vector<HWND> windows(static_cast<size_t>(count), nullptr);
  for (int i = 0; i < count; ++i) {
    const ControlRow& row = rows[i];
    if (row.kind == ControlKind::Image)
      continue;
    const std::wstring caption = CaptionOf(row);
    HWND parent = form;
    for (int p = 0; p < i && row.parent != kNoControl; ++p) {
      if (rows[p].id == row.parent)
        parent = windows[static_cast<size_t>(p)];
    }
    const bool firstOfRun = i == 0 || rows[i - 1].kind != row.kind;
    const HWND hwnd = CreateControl(row, firstOfRun, parent, caption, dpi, ownWindows);
    if (!hwnd)
      throw Error(UiText(IDS_CONTROLS_NOT_CREATED, {SystemMessage(GetLastError())}));
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (!caption.empty())
      SetWindowTextW(hwnd, caption.c_str());
    // Labels fit their captions.
    if (row.kind == ControlKind::Label && row.width == 0) {
      const SIZE size = CaptionSize(hwnd, font, caption);
      SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    windows[static_cast<size_t>(i)] = hwnd;
  }
  return windows;
}

SettingControls CreateControls(HWND form, HFONT font, int dpi) {
  SettingControls controls;
  controls.windows = CreateRowControls(form, kSettingLayout, kSettingControlCount, font, dpi, controls.ownWindows);
  return controls;
}

namespace {

// Where a docked row goes in its parent: the tree takes the width it is
// given, leaving room for the splitter; the list fills what is left.
RECT DockedRect(const ControlRow& row, const SIZE& parent, int& cursor, int dpi, int treeWidth) {
  const int left = cursor;
  int width = 0;
  if (row.dock == Dock::Left) {
    const bool splitter = row.kind == ControlKind::Splitter;
    const int wanted = splitter ? Scale(row.width, dpi) : treeWidth;
    width = std::max(0, std::min(wanted, static_cast<int>(parent.cx) - cursor - (splitter ? 0 : Scale(2, dpi))));
    cursor += width;
  } else {
    width = std::max(0, static_cast<int>(parent.cx) - cursor);
  }
  return {left, 0, left + width, parent.cy};
}

// Where an anchored row goes: its design rectangle, moved or stretched by
// how much its parent grew beyond its own design size.
RECT AnchoredRect(const ControlRow& row, HWND hwnd, const SIZE& parent, const SIZE& design, int dpi) {
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
  const int dx = parent.cx - Scale(design.cx, dpi);
  const int dy = parent.cy - Scale(design.cy, dpi);
  if ((row.anchors & kAnchorLeft) && (row.anchors & kAnchorRight))
    width += dx;
  else if (row.anchors & kAnchorRight)
    left += dx;
  if ((row.anchors & kAnchorTop) && (row.anchors & kAnchorBottom))
    height += dy;
  else if (row.anchors & kAnchorBottom)
    top += dy;
  return {left, top, left + std::max(0, width), top + std::max(0, height)};
}

SIZE ClientSize(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  return {client.right - client.left, client.bottom - client.top};
}

}  // namespace

void LayoutControls(HWND form, const SettingControls& controls, int dpi, int treeWidth) {
  // Where the next docked control of each parent starts (index 0: the form).
  std::vector<int> dockCursor(kSettingControlCount + 1, 0);
  for (int i = 0; i < kSettingControlCount; ++i) {
    const ControlRow& row = kSettingLayout[i];
    const HWND hwnd = controls.windows[static_cast<size_t>(i)];
    if (!hwnd)
      continue;
    const int parentIndex = row.parent == kNoControl ? -1 : LayoutIndex(row.parent);
    const SIZE parent = ClientSize(parentIndex < 0 ? form : controls.windows[static_cast<size_t>(parentIndex)]);
    const SIZE design = parentIndex < 0 ? SIZE{kDesignClientWidth, kDesignClientHeight}
                                        : SIZE{kSettingLayout[parentIndex].width, kSettingLayout[parentIndex].height};
    const RECT rect = row.dock == Dock::None
                          ? AnchoredRect(row, hwnd, parent, design, dpi)
                          : DockedRect(row, parent, dockCursor[static_cast<size_t>(parentIndex + 1)], dpi, treeWidth);
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(form, nullptr, TRUE);
}

}  // namespace kf
