#include "LinkLabel.h"

#include <algorithm>
#include <string>

#include "SettingLayout.h"
#include "WindowText.h"

namespace kf {

void LinkLabel::Draw(const DRAWITEMSTRUCT& item, HFONT font, int dpi) {
  const HDC dc = item.hDC;
  RECT rc = item.rcItem;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  const std::string text = WindowText(item.hwndItem);
  const int length = static_cast<int>(text.size());
  SelectedObject selectedFont(dc, font);
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), length, &extent);
  const int available = rc.right - rc.left;
  if (extent.cx > available && available > 0 && !narrowFont_) {
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    narrowFont_ = CreateDialogFont(dpi, std::max(1, static_cast<int>(metrics.tmAveCharWidth * available / extent.cx)));
  }
  const SelectedObject narrowed(dc, extent.cx > available ? narrowFont_.Get() : nullptr);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 255));
  RECT textRect = rc;
  DrawTextA(dc, text.c_str(), length, &textRect, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  DrawTextA(dc, text.c_str(), length, &rc, DT_SINGLELINE | DT_NOPREFIX);
  const int y = std::min(textRect.bottom, rc.bottom) - 1;
  const GdiObject pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 255)));
  const SelectedObject selectedPen(dc, pen.Get());
  MoveToEx(dc, rc.left, y, nullptr);
  LineTo(dc, std::min(textRect.right, rc.right), y);
}

}  // namespace kf
