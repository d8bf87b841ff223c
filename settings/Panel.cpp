#include "Panel.h"

#include <commctrl.h>

#include <string>

#include "Handles.h"
#include "WindowText.h"

namespace kf {

namespace {

const WindowClassInfo kPanelClass = {"KestrelfindPanel", DefaultHandling::Window, IDC_ARROW};

}  // namespace

bool Panel::Create(HWND parent, ControlId id, const RECT& rect, DWORD style) {
  return Window::Create(kPanelClass, WS_EX_CONTROLPARENT, style | WS_CLIPCHILDREN, nullptr, rect, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT Panel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
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
      return SendMessageA(GetParent(Hwnd()), msg, wParam, lParam);
    case WM_NOTIFYFORMAT:
      return NFR_ANSI;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case STM_SETICON:
      icon_ = reinterpret_cast<HICON>(wParam);
      InvalidateRect(Hwnd(), nullptr, TRUE);
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    default:
      return DefaultHandling(msg, wParam, lParam);
  }
}

void Panel::Paint() {
  const PaintScope paint(Hwnd());
  RECT client;
  GetClientRect(Hwnd(), &client);
  if (kind_ == ControlKind::BevelPanel)
    DrawEdge(paint.Get(), &client, BDR_SUNKENOUTER, BF_RECT);
  else if (kind_ == ControlKind::GroupBox)
    PaintGroupFrame(paint.Get(), client);
  PaintImages(paint.Get());
}

void Panel::PaintGroupFrame(HDC dc, const RECT& client) const {
  const SelectedObject font(dc, font_);
  const std::string caption = WindowText(Hwnd());
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
  if (caption.empty())
    return;
  RECT textRect = {client.left + 6, client.top, client.left + 6 + extent.cx + 4, client.top + extent.cy};
  FillRect(dc, &textRect, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  textRect.left += 2;
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect, DT_SINGLELINE | DT_NOPREFIX);
}

// Images are drawn by their container, like any other windowless graphic.
void Panel::PaintImages(HDC dc) const {
  if (!icon_)
    return;
  const int panelId = GetDlgCtrlID(Hwnd());
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  for (const ControlRow& row : kSettingLayout) {
    if (row.kind != ControlKind::Image || row.parent != panelId)
      continue;
    const int size = Scale(32, dpi);
    const int left = Scale(row.x, dpi) + (Scale(row.width, dpi) - size) / 2;
    const int top = Scale(row.y, dpi) + (Scale(row.height, dpi) - size) / 2;
    DrawIconEx(dc, left, top, icon_, size, size, 0, nullptr, DI_NORMAL);
  }
}

}  // namespace kf
