#include "Splitter.h"

#include <algorithm>

#include "Handles.h"

namespace kf {

namespace {

const WindowClassInfo kSplitterClass = {"KestrelfindSplitter", DefaultHandling::Window, IDC_SIZEWE};

}  // namespace

bool Splitter::Create(HWND parent, ControlId id, const RECT& rect, DWORD style) {
  return Window::Create(kSplitterClass, 0, style, nullptr, rect, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT Splitter::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      grabbedAt_ = static_cast<short>(LOWORD(lParam));
      SetCapture(Hwnd());
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == Hwnd()) {
        POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        MapWindowPoints(Hwnd(), GetParent(Hwnd()), &pt, 1);
        const int width = pt.x - grabbedAt_;
        SendMessageA(GetAncestor(Hwnd(), GA_ROOT), WM_KF_SPLITTERMOVED, static_cast<WPARAM>(std::max(width, 0)), 0);
      }
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == Hwnd())
        ReleaseCapture();
      return 0;
    case WM_PAINT: {
      const PaintScope paint(Hwnd());
      RECT client;
      GetClientRect(Hwnd(), &client);
      FillRect(paint.Get(), &client, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(paint.Get(), &client, BDR_RAISEDINNER, BF_LEFT | BF_RIGHT);
      return 0;
    }
    default:
      return DefaultHandling(msg, wParam, lParam);
  }
}

}  // namespace kf
